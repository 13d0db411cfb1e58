#pragma once

#include <QStringList>

// The question-bank commands of normakurs-text. Each takes the arguments after its name and
// returns the exit status; failures travel as Failure to the caller.
namespace BankCommands {

// "import BANK OUT.txt [--strict]": the bank's questions as a packed variant.
int importBank(const QStringList& args);

// "export VARIANT --format gift|moodle-xml|aiken [OUT]": a packed variant as a bank.
int exportVariant(const QStringList& args);

} // namespace BankCommands
