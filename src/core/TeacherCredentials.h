#pragma once

#include <QString>

// The one teacher account. Only salted digests of the user name and the password are kept in
// the program, so neither can be read from the binary; the comparison takes the same time
// whatever was typed. Exactly the stored texts sign in: case, blanks and every character count.
namespace TeacherCredentials {

bool userNameMatches(const QString& typed);
bool passwordMatches(const QString& typed);

} // namespace TeacherCredentials
