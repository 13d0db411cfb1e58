#pragma once

#include <QString>

// The editor's file dialogs keep their filters in the form "description|patterns|description|
// patterns". The file dialog wants "description (patterns);;description (patterns)".
namespace DialogFilter {

// Converts the pairs. Patterns within one pair may be separated by commas, semicolons or blanks;
// they are handed on separated by blanks. "*.*", every file on the desktop the filters were
// written for, becomes "*", since names without an extension (reports) must match it as well.
QString toDialog(const QString& pairs);

// Entry `number` (from 1) of the converted filter, as the dialog names it; empty when there is
// no such entry.
QString entry(const QString& pairs, int number);

} // namespace DialogFilter
