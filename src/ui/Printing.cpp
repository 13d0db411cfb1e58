#include "Printing.h"

#include "DurableFile.h"
#include "Failure.h"
#include "PlatformServices.h"

#include <QBuffer>
#include <QPageSize>
#include <QPdfWriter>
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
    QTextDocument document;
    for (const Image& image : images)
        document.addResource(QTextDocument::ImageResource, QUrl(image.name), image.image);
    document.setHtml(html);
    // Without a page size of its own the document is broken into the device's pages, with the
    // page number at the foot of each.
    if (printer.outputFormat() != QPrinter::PdfFormat) {
        document.print(&printer);
        return QString();
    }
    // A PDF file is made in memory and saved as every file of the program is: whole or not at
    // all, and a file it replaces stays as it was when the save fails.
    const QString file = printer.outputFileName();
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setPageLayout(printer.pageLayout());
        writer.setResolution(printer.resolution());
        writer.setTitle(title);
        document.print(&writer);
    }
    const QByteArray bytes = pdf.data();
    DurableFile::replace(file, [&](QIODevice& device) {
        if (device.write(bytes) != bytes.size())
            throw Failure(QStringLiteral("Stream write error"));
    });
    return file;
}

} // namespace Printing
