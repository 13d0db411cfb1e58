#include "Printing.h"

#include "Failure.h"
#include "PlatformServices.h"

#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>
#include <QTextDocument>

namespace Printing {

std::optional<QString> print(QWidget* parent, const QString& html, const QString& title,
                             const QList<Image>& images) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(title);
    if (!services().askPrinter(parent, printer))
        return std::nullopt;
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
    const QString file = printer.outputFileName();
    if (toFile)
        QFile::remove(file); // so that a file left there is not taken for the one written
    QTextDocument document;
    for (const Image& image : images)
        document.addResource(QTextDocument::ImageResource, QUrl(image.name), image.image);
    document.setHtml(html);
    // Without a page size of its own the document is broken into the printer's pages, with the
    // page number at the foot of each.
    document.print(&printer);
    if (toFile && !QFileInfo(file).isFile())
        throw Failure(QStringLiteral("Cannot create file \"%1\"").arg(file));
    return toFile ? file : QString();
}

} // namespace Printing
