#pragma once
// The command-line front end: the check, the update and the distribution run
// without a window or a display, for cron, systemd timers and the Windows Task
// Scheduler. It needs only a QCoreApplication.

#include <QStringList>

namespace morvela {

// Exit codes of an unattended run.
enum IzlazniKod {
    KodGotovo = 0,          // done, or nothing to do
    KodNeuspjeh = 1,        // the operation failed; its message was logged
    KodPogrešnaNaredba = 2, // bad command line
    KodZaključano = 3,      // another operation holds the lock
    KodProgramiRade = 4,    // programs of the suite still run after the wait
    KodImaNovih = 10,       // the check found new versions
};

// The window takes no arguments: any argument at all asks for the command line.
bool TražiNaredbenuLiniju(int argc);
// Whether the window could open here at all; without a display Qt would abort.
bool MožePrikazatiProzor();
// Started without arguments where no window can open: one line pointing to --help, and the exit code.
int BezZaslona(const char* program);

// Parses the arguments (the program's name first), runs the operation and returns the exit code.
int IzvršiNaredbenuLiniju(const QStringList& argumenti);

} // namespace morvela
