#include "PageContent.h"

#include "Failure.h"
#include "PackedText.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>

bool PageContent::looksPacked(const QByteArray& firstBytes) {
    if (firstBytes.size() < 2)
        return false;
    const auto cmf = quint8(firstBytes[0]);
    const auto flg = quint8(firstBytes[1]);
    const bool deflate = (cmf & 0x0F) == 8;
    const bool window = (cmf >> 4) <= 7;
    const bool check = ((cmf << 8) | flg) % 31 == 0;
    const bool dictionary = (flg & 0x20) != 0;
    return deflate && window && check && !dictionary;
}

namespace {

bool isText(const QString& suffix) {
    static const QStringList kText{"html", "htm", "shtml", "xhtml", "txt"};
    return kText.contains(suffix);
}

} // namespace

bool PageContent::declaresCharset(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
        bytes.startsWith("\xFE\xFF"))
        return true;
    static const QRegularExpression declared(
        QStringLiteral("<meta[^>]*charset\\s*=|<\\?xml[^>]*encoding\\s*="),
        QRegularExpression::CaseInsensitiveOption);
    return declared.match(QString::fromLatin1(bytes.left(1024))).hasMatch();
}

bool PageContent::shownInPage(const QString& path) {
    static const QStringList kPictures{"png", "jpg", "jpeg", "gif", "bmp", "svg", "webp", "ico"};
    const QString suffix = QFileInfo(path).suffix().toLower();
    return isText(suffix) || kPictures.contains(suffix);
}

bool PageContent::body(const QString& path, QByteArray& bytes, QByteArray& type) {
    try {
        QFile file;
        PackedText::openRegularFile(file, path);
        bytes = file.readAll();
    } catch (const Failure&) {
        return false;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toLatin1();
    if (!isText(suffix))
        return true;
    if (looksPacked(bytes.left(2))) {
        try {
            // Inflated from the bytes already read, not read from the disk a second time.
            QByteArray packed = bytes;
            QBuffer device(&packed);
            device.open(QIODevice::ReadOnly);
            bytes = PackedText::readStream(device);
        } catch (const Failure&) {
            // Only the first bytes looked packed: the file as it is.
        }
    }
    if (!declaresCharset(bytes))
        type += ";charset=windows-1251";
    return true;
}
