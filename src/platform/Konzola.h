#pragma once
#include <cstdio>

namespace morvela {

// Connects a program built without a console of its own (Windows) to the console
// of the command line that started it, so its output is seen there. Elsewhere nothing to do.
void PoveziKonzolu();
// Whether the stream is a terminal a person watches (not a file, pipe or nothing).
bool JeTerminal(std::FILE* tok);

} // namespace morvela
