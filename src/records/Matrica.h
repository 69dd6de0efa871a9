#pragma once
// The fixed 71 x 7 table that holds one list file in memory, and its
// semicolon-separated file form (Windows-1250 text, CR LF lines).

#include <QString>

#include <array>
#include <variant>

namespace morvela {

class IDatoteke;
class IPoruke;
class UpdateLog;

class Matrica {
public:
    static constexpr int Redova = 71;
    static constexpr int Stupaca = 7;
    using Ćelija = std::variant<QString, qint16>;

    Matrica();

    const Ćelija& ćelija(int red, int stupac) const { return m_ćelije[red][stupac]; }
    void postavi(int red, int stupac, Ćelija vrijednost) { m_ćelije[red][stupac] = std::move(vrijednost); }

    // The cell as text: an integer as its decimal digits.
    QString tekst(int red, int stupac) const;
    // The cell as an integer: a text cell gives 0.
    qint16 broj(int red, int stupac) const;
    // A row is used when column 0 is not the empty text.
    bool koristi(int red) const;

private:
    std::array<std::array<Ćelija, Stupaca>, Redova> m_ćelije;
};

// What the table operations need from the window, and the files they go through.
struct OkruženjeMatrice {
    IDatoteke* datoteke = nullptr;
    IPoruke* poruke = nullptr;
    UpdateLog* log = nullptr;
    QString* zadnjaPoruka = nullptr;
};

void IsprazniMatricu(Matrica& m);
// pročitano, when given, receives the file's bytes as they were read, or nothing
// when the list was not read.
bool UčitajMatricu(Matrica& m, const QString& put, const OkruženjeMatrice& o,
                   QByteArray* pročitano = nullptr);
bool SnimiMatricu(const Matrica& m, const QString& put, const OkruženjeMatrice& o);

} // namespace morvela
