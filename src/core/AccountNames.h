#pragma once

#include <QString>

// The names of the system's accounts, for showing who owns a file.
namespace AccountNames {

// The user name of user ID `uid` in the system's user database, else the number itself. Each ID
// is looked up once a process; safe to call from several threads at once.
QString nameOf(uint uid);

} // namespace AccountNames
