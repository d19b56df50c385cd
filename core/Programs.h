#pragma once

#include <QByteArray>
#include <QString>

class QCoreApplication;

// The programs that make up Vanteja and how they reach one another: start by name, and the local socket on
// which the main program takes close requests.
namespace Programs {

// The platform's executable name: "Backup" here, "Backup.exe" on Windows.
QString executableName(const QString& name);
// The program of that name in the program folder, else on the search path; empty when there is none.
QString locate(const QString& name);
// Starts the program without arguments in a normal window and does not wait for it. A program that cannot be
// found or started gives false and nothing else.
bool start(const QString& name);

// The kind of program file a computer runs: its executable format and the processor it is built for.
struct ProgramKind {
    enum class Format { Elf, Pe };  // Linux and the like; Windows
    Format format;
    quint16 machine;   // ELF e_machine, or PE Machine
    bool wide = true;  // 64-bit
};
// The kind this program itself is.
ProgramKind thisComputer();
// Why a file whose first bytes are `head` (64 KB are enough) is not a program of that kind, as a Portuguese
// clause ("o arquivo recebido é uma página da internet, não o programa"); empty when it is one.
QString notAProgram(const QByteArray& head, const ProgramKind& kind = thisComputer());

// The name the running main program listens under for close requests. Clients resolve it only here.
QString mainProgramServerName();
// Whether a main program answers on that name.
bool mainProgramRunning(const QString& serverName = mainProgramServerName());

}  // namespace Programs
