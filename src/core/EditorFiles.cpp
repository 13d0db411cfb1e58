#include "EditorFiles.h"

#include "CodePage.h"
#include "DurableFile.h"
#include "Failure.h"
#include "PackedText.h"
#include "TextLines.h"

#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QStringList>

#include <sys/stat.h>

namespace EditorFiles {
namespace {

// How many of the lost characters the question names before it says "and N more".
constexpr int kNamedCharacters = 12;

// One character as the question shows it: itself in quotes when it can be seen, its code point
// when it cannot (a zero-width blank, a control character).
QString characterName(char32_t codePoint) {
    const QString text = QString::fromUcs4(&codePoint, 1);
    switch (QChar::category(codePoint)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
        return QStringLiteral("U+%1").arg(uint(codePoint), 4, 16, QLatin1Char('0')).toUpper();
    default:
        return QStringLiteral("«") + text + QStringLiteral("»");
    }
}

// Something that is not a folder stands at `path`, looked for by its bytes on disk (a file in a
// folder named in Windows-1251 bytes is there too). A link to a folder is a folder; a link that
// leads nowhere is a file that saving replaces.
bool fileAt(const QString& path) {
    const QByteArray native = CodePage::nativePath(QFileInfo(path).absoluteFilePath());
    struct stat status {};
    if (::lstat(native.constData(), &status) != 0 || S_ISDIR(status.st_mode))
        return false;
    struct stat target {};
    return !S_ISLNK(status.st_mode) || ::stat(native.constData(), &target) != 0 ||
           !S_ISDIR(target.st_mode);
}

} // namespace

QString openPacked(const QString& path) {
    return TextLines::toEditorText(PackedText::OpenFromStream(path));
}

QByteArray readPlainBytes(const QString& path) {
    QFile file;
    PackedText::openRegularFile(file, path);
    if (file.size() > PackedText::kMemoCapacity)
        throw Failure(QStringLiteral("Text exceeds memo capacity"));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure(QStringLiteral("Stream read error"));
    return bytes;
}

QString openPlain(const QString& path) {
    return TextLines::toEditorText(readPlainBytes(path));
}

QString lossQuestion(const QString& text) {
    // Most texts go through the code page whole; only then is it worth looking for the pieces.
    QStringEncoder encoder("windows-1251");
    const QByteArray whole = encoder(text);
    if (!encoder.hasError() && !whole.contains('\x1a'))
        return QString();
    const QString lost = CodePage::unrepresentable(text);
    if (lost.isEmpty())
        return QString();
    const QList<uint> codePoints = lost.toUcs4();
    QStringList names;
    for (qsizetype i = 0; i < codePoints.size() && i < kNamedCharacters; ++i)
        names.append(characterName(char32_t(codePoints.at(i))));
    QString list = names.join(QStringLiteral(", "));
    if (codePoints.size() > kNamedCharacters)
        list += QStringLiteral(" и ещё %1").arg(codePoints.size() - kNamedCharacters);
    return QStringLiteral("В тексте есть символы, которых нет в кодировке Windows-1251: %1.\n"
                          "В файле каждый из них будет записан знаком «?».\n\n"
                          "Сохранить всё равно?")
        .arg(list);
}

QString replaceQuestion(const QString& path) {
    if (!fileAt(path))
        return QString();
    return QStringLiteral("Файл «%1» уже существует.\nЗаменить его?")
        .arg(QFileInfo(path).fileName());
}

void savePacked(const QString& path, const QString& text) {
    PackedText::SaveToStream(path, TextLines::fromEditorText(text));
}

} // namespace EditorFiles
