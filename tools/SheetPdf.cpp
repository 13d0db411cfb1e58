#include "SheetPdf.h"

#include "DurableFile.h"
#include "Failure.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include <cstring>

namespace SheetPdf {

bool wanted(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--pdf") == 0)
            return true;
    return false;
}

QCoreApplication* makeApplication(int& argc, char** argv) {
    if (!wanted(argc, argv))
        return new QCoreApplication(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QGuiApplication(argc, argv);
}

void write(const QString& html, const QString& path) {
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(300);
        writer.setCreator(QStringLiteral("normakurs-text"));
        QTextDocument document;
        document.setHtml(html);
        // Without a page size of its own the document is broken into the writer's pages, with
        // the page number at the foot of each and the table's header row on top of each.
        document.print(&writer);
    }
    const QByteArray bytes = pdf.data();
    if (bytes.isEmpty())
        throw Failure(QStringLiteral("%1: the PDF could not be made").arg(path));
    DurableFile::replace(path, [&](QIODevice& device) {
        if (device.write(bytes) != bytes.size())
            throw Failure(QStringLiteral("Stream write error"));
    });
}

} // namespace SheetPdf
