#include "platform/Datoteke.h"

#include "platform/Kopija.h"
#include "platform/Seams.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace morvela {

namespace {

fs::path P(const QString& s) {
    return fs::path(s.toStdU16String());
}

GreškaDatoteke IzKoda(const std::error_code& ec, const QString& put) {
    if (!ec) return {};
    const QString opis = OpisSustava(ec);
    if (ec == std::errc::no_such_file_or_directory) {
        // A missing parent directory is a path failure, a missing file is 53.
        const QString roditelj = QFileInfo(put).absolutePath();
        if (!put.isEmpty() && !QFileInfo(roditelj).isDir()) return {GreškaPutanje, opis};
        return {GreškaNijePronađena, opis};
    }
    if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted ||
        ec == std::errc::read_only_file_system)
        return {GreškaDozvola, opis};
    if (ec == std::errc::not_a_directory) return {GreškaPutanje, opis};
    if (ec == std::errc::no_space_on_device || ec == std::errc::file_too_large) return {GreškaDiskPun, opis};
#ifdef EDQUOT
    // A full quota is a full disk to the person; Windows has no such number.
    if (ec.value() == EDQUOT) return {GreškaDiskPun, opis};
#endif
    if (ec == std::errc::file_exists) return {GreškaPostoji, opis};
    return {GreškaPristupa, opis};
}

// Number and words from errno where the platform set it (Qt's own text for a
// failed buffered write is "Unknown error"), otherwise the file's own words.
GreškaDatoteke GreškaZapisa(const QFile& datoteka, const QString& put) {
    const int kod = errno;
    if (kod) return IzKoda(std::error_code(kod, std::generic_category()), put);
    // Windows sets no errno; a missing directory is still a path failure there.
    if (!put.isEmpty() && !QFileInfo(QFileInfo(put).absolutePath()).isDir())
        return {GreškaPutanje, datoteka.errorString()};
    return {GreškaPristupa, datoteka.errorString()};
}

// A copy goes in pieces: the person's stop and the transfer line come between
// them. They start at 1 MiB and double while one takes little time, up to
// 16 MiB, and halve when a slow share makes one long, so the window answers
// and the line moves several times a second at any speed.
constexpr qint64 NajmanjiKomad = 64 << 10, PrviKomad = 1 << 20, NajvećiKomad = 16 << 20;
constexpr qint64 BrziKomadMs = 50, SporiKomadMs = 250;

qint64 SljedećiKomad(qint64 komad, qint64 trajaoMs) {
    if (trajaoMs < BrziKomadMs) return std::min(komad * 2, NajvećiKomad);
    if (trajaoMs > SporiKomadMs) return std::max(komad / 2, NajmanjiKomad);
    return komad;
}

// Copies the bytes and the permissions into a new file. Done here rather than by
// std::filesystem, which reports every failed write (a full disk too) as an I/O error.
// The system copies on its own (Linux: copy_file_range) while nobody looks at the
// bytes; a check that does sees the very bytes each write was given.
GreškaDatoteke KopirajUNovu(const QString& od, const QString& na, IProvjeraSadržaja* provjera) {
    QFile izvor(od), cilj(na);
    errno = 0;
    if (!izvor.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return GreškaZapisa(izvor, od);
    if (const GreškaDatoteke g = OtvoriNovu(na, cilj)) return g;
    bool sustavom = !provjera || !provjera->GledaBajtove();
    QByteArray blok;
    qint64 kopirano = 0, komad = PrviKomad;
    QElapsedTimer trajanje;
    for (;;) {
        if (provjera && provjera->Prekinuto()) return {GreškaPristupa, TekstPrekidaKorisnika, true};
        trajanje.start();
        qint64 n = sustavom ? KopijaSustava(izvor, cilj, kopirano, komad) : 0;
        if (n == 0) {
            // From here on by reads and writes, from where the system's copy stopped.
            if (std::exchange(sustavom, false) && (!izvor.seek(kopirano) || !cilj.seek(kopirano)))
                return GreškaZapisa(izvor, od);
            blok.resize(komad);
            errno = 0;
            n = izvor.read(blok.data(), komad);
            if (n < 0) return GreškaZapisa(izvor, od);
            if (n == 0) break;
            errno = 0;
            if (cilj.write(blok.constData(), n) != n || !cilj.flush()) return GreškaZapisa(cilj, na);
        }
        kopirano += n;
        if (provjera) provjera->Dodaj(sustavom ? nullptr : blok.constData(), n);
        komad = SljedećiKomad(komad, trajanje.elapsed());
    }
    if (provjera)
        if (const QString razlog = provjera->Završi(); !razlog.isEmpty())
            return {GreškaPristupa, razlog, true};
    cilj.setPermissions(izvor.permissions());
    return {};
}

GreškaDatoteke NijePronađena(const QString& put) {
    return IzKoda(std::make_error_code(std::errc::no_such_file_or_directory), put);
}

bool JeLink(const fs::path& p) {
    std::error_code ec;
    return fs::is_symlink(fs::symlink_status(p, ec));
}

// A link has no permissions of its own worth changing; its target is not ours to touch.
void SkiniSamoZaČitanje(const fs::path& p) {
    if (JeLink(p)) return;
    std::error_code ec;
    fs::permissions(p, fs::perms::owner_write, fs::perm_options::add, ec);
}

GreškaDatoteke JeLinkGreška(const QString& put) {
    return {GreškaPristupa, QStringLiteral("Datoteka je simbolička veza na drugo mjesto: ") + put};
}

} // namespace

GreškaDatoteke GreškaIzSustava(int kodSustava, const QString& put) {
    return IzKoda(std::error_code(kodSustava, std::generic_category()), put);
}

bool JeSimboličkaVeza(const QString& put) {
    QString bez = put;
    while (bez.size() > 1 && (bez.endsWith(QDir::separator()) || bez.endsWith(QLatin1Char('/'))))
        bez.chop(1);
    return !bez.isEmpty() && JeLink(P(bez));
}

QString Separator() {
    return QString(QDir::separator());
}

QString SaSeparatorom(const QString& direktorij) {
    if (direktorij.endsWith(QDir::separator())) return direktorij;
    return direktorij + QDir::separator();
}

bool StvarneDatoteke::PostojiDatoteka(const QString& put) const {
    std::error_code ec;
    return !put.isEmpty() && fs::is_regular_file(fs::symlink_status(P(put), ec));
}

bool StvarneDatoteke::PostojiDirektorij(const QString& put) const {
    std::error_code ec;
    return !put.isEmpty() && fs::is_directory(P(put), ec);
}

GreškaDatoteke StvarneDatoteke::KreirajDirektorij(const QString& put) {
    std::error_code ec;
    fs::create_directory(P(put), ec);
    return IzKoda(ec, put);
}

QString PrivremenaZa(const QString& cilj) {
    return cilj + NastavakPrivremene;
}

GreškaDatoteke StvarneDatoteke::Zapiši(const QString& put, const QByteArray& sadržaj, bool trajno) {
    const QString privremena = PrivremenaZa(put);
    std::error_code ec;
    fs::remove(P(privremena), ec);
    QFile datoteka(privremena);
    if (const GreškaDatoteke g = OtvoriNovu(privremena, datoteka)) return g;
    errno = 0;
    if (datoteka.write(sadržaj) != sadržaj.size() || !datoteka.flush()) {
        GreškaDatoteke g = GreškaZapisa(datoteka, put);
        g.nakonOtvaranja = true;
        datoteka.close();
        fs::remove(P(privremena), ec);
        return g;
    }
    datoteka.close();
    return trajno ? ZamijeniTrajno(privremena, put) : Zamijeni(privremena, put, false);
}

GreškaDatoteke StvarneDatoteke::Pročitaj(const QString& put, QByteArray& sadržaj, qint64 najviše) const {
    sadržaj.clear();
    std::error_code ec;
    if (JeLink(P(put))) return JeLinkGreška(put);
    if (fs::is_directory(P(put), ec)) return IzKoda(std::make_error_code(std::errc::is_a_directory), put);
    QFile datoteka(put);
    errno = 0;
    if (!datoteka.open(QIODevice::ReadOnly)) return GreškaZapisa(datoteka, put);
    errno = 0;
    sadržaj = datoteka.read(najviše + 1);
    if (datoteka.error() == QFileDevice::NoError) return {};
    sadržaj.clear();
    GreškaDatoteke g = GreškaZapisa(datoteka, put);
    g.nakonOtvaranja = true;
    return g;
}

GreškaDatoteke StvarneDatoteke::Dodaj(const QString& put, const QByteArray& sadržaj) {
    if (JeLink(P(put))) return JeLinkGreška(put);
    QFile datoteka(put);
    errno = 0;
    if (!datoteka.open(QIODevice::WriteOnly | QIODevice::Append)) return GreškaZapisa(datoteka, put);
    errno = 0;
    if (datoteka.write(sadržaj) == sadržaj.size() && datoteka.flush()) return {};
    GreškaDatoteke g = GreškaZapisa(datoteka, put);
    g.nakonOtvaranja = true;
    return g;
}

GreškaDatoteke StvarneDatoteke::NovaDatoteka(const QString& put, std::unique_ptr<QFile>& datoteka) {
    std::error_code ec;
    fs::remove(P(put), ec);
    auto nova = std::make_unique<QFile>(put);
    if (const GreškaDatoteke g = OtvoriNovu(put, *nova)) return g;
    datoteka = std::move(nova);
    return {};
}

GreškaDatoteke ZamijeniTrajno(const QString& privremena, const QString& cilj) {
    // The data must be on disk before the name points at it, or a power cut
    // leaves an empty file under the real name.
    if (const GreškaDatoteke g = IsprazniNaDisk(privremena)) {
        std::error_code ec;
        fs::remove(P(privremena), ec);
        return g;
    }
    return Zamijeni(privremena, cilj, true);
}

void ObrišiPrivremene(IDatoteke& datoteke, const QString& direktorij) {
    QStringList imena;
    if (datoteke.PopisDatoteka(direktorij, imena)) return;
    for (const QString& ime : imena)
        if (ime.endsWith(NastavakPrivremene)) datoteke.Obriši(SaSeparatorom(direktorij) + ime, true);
}

GreškaDatoteke StvarneDatoteke::Kopiraj(const QString& od, const QString& na, bool trajno,
                                        IProvjeraSadržaja* provjera) {
    std::error_code ec;
    if (JeLink(P(od))) return JeLinkGreška(od);
    if (!fs::is_regular_file(P(od), ec)) return NijePronađena(od);
    const QString privremena = PrivremenaZa(na);
    fs::remove(P(privremena), ec);
    if (const GreškaDatoteke g = KopirajUNovu(od, privremena, provjera)) {
        fs::remove(P(privremena), ec);
        return g;
    }
    return trajno ? ZamijeniTrajno(privremena, na) : Zamijeni(privremena, na, false);
}

GreškaDatoteke StvarneDatoteke::Premjesti(const QString& od, const QString& na) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(P(od), ec))) return NijePronađena(od);
    if (fs::exists(fs::symlink_status(P(na), ec)))
        return IzKoda(std::make_error_code(std::errc::file_exists), na);
    bool naDrugiDisk = false;
    if (const GreškaDatoteke g = Preimenuj(od, na, naDrugiDisk); !naDrugiDisk) return g;
    // Across disks a move is a copy that takes its name whole and flushed before the
    // original goes, so a cut or a full disk on the way leaves the original as it was.
    // Through this object's own copy and delete, so a wrapper sees each step.
    if (const GreškaDatoteke g = Kopiraj(od, na)) return g;
    return Obriši(od, true);
}

GreškaDatoteke StvarneDatoteke::Obriši(const QString& put, bool prisilno) {
    std::error_code ec;
    const fs::path p = P(put);
    const auto stanje = fs::symlink_status(p, ec);
    if (fs::is_symlink(stanje)) {
        fs::remove(p, ec);
        return IzKoda(ec, put);
    }
    if (!fs::is_regular_file(stanje)) return NijePronađena(put);
    const auto prava = stanje.permissions();
    if ((prava & fs::perms::owner_write) == fs::perms::none) {
        if (!prisilno) return IzKoda(std::make_error_code(std::errc::permission_denied), put);
        SkiniSamoZaČitanje(p);
    }
    fs::remove(p, ec);
    return IzKoda(ec, put);
}

GreškaDatoteke StvarneDatoteke::ObrišiUzorak(const QString& direktorij, const QString& uzorak) {
    // "*.*" means every file, as on Windows.
    const QString filtar = uzorak == QLatin1String("*.*") ? QStringLiteral("*") : uzorak;
    QDir dir(direktorij);
    if (!dir.exists()) return IzKoda(std::make_error_code(std::errc::not_a_directory), direktorij);
    const QStringList imena = dir.entryList({filtar}, QDir::Files | QDir::Hidden | QDir::System);
    if (imena.isEmpty()) return NijePronađena(dir.filePath(uzorak));
    GreškaDatoteke prva;
    for (const QString& ime : imena) {
        GreškaDatoteke g = Obriši(dir.filePath(ime), true);
        if (g && prva.uspjeh()) prva = g;
    }
    return prva;
}

GreškaDatoteke StvarneDatoteke::ObrišiDirektorij(const QString& put) {
    std::error_code ec;
    const fs::path p = P(put);
    if (JeLink(p)) {
        // The link goes, whatever it points at stays as it is.
        fs::remove(p, ec);
        return IzKoda(ec, put);
    }
    if (!fs::is_directory(p, ec))
        return IzKoda(std::make_error_code(std::errc::no_such_file_or_directory), put);
    for (auto it = fs::recursive_directory_iterator(p, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        SkiniSamoZaČitanje(it->path());
    ec.clear();
    fs::remove_all(p, ec);
    return IzKoda(ec, put);
}

GreškaDatoteke StvarneDatoteke::Veličina(const QString& put, qint64& veličina) const {
    std::error_code ec;
    if (JeLink(P(put))) return JeLinkGreška(put);
    const auto v = fs::file_size(P(put), ec);
    if (ec) return IzKoda(ec, put);
    veličina = static_cast<qint64>(v);
    return {};
}

GreškaDatoteke StvarneDatoteke::PopisDatoteka(const QString& direktorij, QStringList& imena) const {
    imena.clear();
    std::error_code ec;
    fs::directory_iterator it(P(direktorij), ec);
    if (ec) return IzKoda(ec, direktorij);
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) return IzKoda(ec, direktorij);
        std::error_code ec2;
        if (it->is_regular_file(ec2) && !it->is_symlink(ec2))
            imena << QString::fromStdU16String(it->path().filename().u16string());
    }
    return {};
}

} // namespace morvela
