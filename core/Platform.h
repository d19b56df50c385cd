#pragma once

#include <QString>

// What differs between the operating systems; the one place for calls that exist on one of them only.
namespace Platform {

// The full name of a local server that only this user can reach: a socket in the user's private runtime
// folder, or on Windows a named pipe (its access list admits this user only).
QString privateServerName(const QString& name);

// Whether the process at the other end of a local connection runs as this user. Where the system cannot
// tell, the private name above already keeps other users out.
bool peerIsThisUser(qintptr socketDescriptor);

}  // namespace Platform
