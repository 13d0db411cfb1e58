#pragma once

#include <QString>

class QCoreApplication;

// The results sheet as a PDF file without a window: the toolkit's text document laid out on A4
// pages by the PDF writer, which needs the toolkit's fonts and so a GUI application object,
// on the offscreen platform when no display is asked for.
namespace SheetPdf {

// Does the command line ask for a PDF (and so for the fonts)?
bool wanted(int argc, char** argv);

// The application object the command line needs.
QCoreApplication* makeApplication(int& argc, char** argv);

// Writes `html` to `path` as a PDF file, whole or not at all.
void write(const QString& html, const QString& path);

} // namespace SheetPdf
