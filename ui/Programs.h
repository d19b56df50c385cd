#pragma once

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

// The name the running main program listens under for close requests. Clients resolve it only here.
QString mainProgramServerName();
// Whether a main program answers on that name.
bool mainProgramRunning(const QString& serverName = mainProgramServerName());

}  // namespace Programs
