#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

class QWidget;

// Paper for the teacher: a page made as HTML, laid out on A4 with the page numbers at the foot
// (and a table's header row again at the top of every page it runs on), printed to the printer
// or the PDF file the print dialog of the platform services gives.
namespace Printing {

// A picture the HTML shows with <img src="name">.
struct Image {
    QString name;
    QImage image;
};

// The PDF file printed to, an empty text for a printer, or nothing when the teacher cancelled.
// A PDF file that could not be written fails with the create failure.
std::optional<QString> print(QWidget* parent, const QString& html, const QString& title,
                             const QList<Image>& images = {});

} // namespace Printing
