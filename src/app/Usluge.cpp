#include "app/Usluge.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdlib>

namespace morvela {

StvarneUsluge::StvarneUsluge()
    : izvršnaDirektorija(QDir::toNativeSeparators(QCoreApplication::applicationDirPath())) {}

void StvarneUsluge::ZavršiProgram() {
    std::exit(1);
}

UslugeRada::UslugeRada(const Kontekst& k, IPreuzimanje& preuzimanje)
    : m_izvorSeta(Postavke::Učitaj(*k.postavke), preuzimanje), m_brava(k.izvršnaDirektorija) {}

} // namespace morvela
