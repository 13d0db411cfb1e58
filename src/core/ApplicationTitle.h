#pragma once

#include <QString>

// The caption of every error box and notice: the executable's file name without its folder,
// cut at its first ".", every character after the first in lower case.
QString titleFromExecutable(const QString& executablePath);

// The title of this run, taken from the running executable.
QString applicationTitle();
