#pragma once
#include <QString>

#include <cstdio>

namespace morvela {

// Connects a program built without a console of its own (Windows) to the console
// of the command line that started it, so its output is seen there. Elsewhere nothing to do.
void PoveziKonzolu();
// Whether the stream is a terminal a person watches (not a file, pipe or nothing).
bool JeTerminal(std::FILE* tok);
// Writes text so that its letters read right where it goes: a Windows console gets
// it as UTF-16, a pipe or file as UTF-8; elsewhere the locale's encoding.
void PišiNaKonzolu(std::FILE* tok, const QString& tekst);
// Columns of the terminal behind the stream, or 0 when it is none or does not say.
int ŠirinaTerminala(std::FILE* tok);
// Whether a window can be shown at all: on Linux over SSH or from cron there is no display.
bool ImaZaslona();

} // namespace morvela
