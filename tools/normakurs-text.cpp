// normakurs-text: packs, unpacks and checks the program's packed text files from the command
// line, for the people who maintain a course's content.

#include "ApplicationTitle.h"
#include "BankCommands.h"
#include "CodePage.h"
#include "DurableFile.h"
#include "Failure.h"
#include "ItemAnalysis.h"
#include "JournalCache.h"
#include "JournalCsv.h"
#include "JournalFilter.h"
#include "LabCheck.h"
#include "PackedText.h"
#include "QuestionBank.h"
#include "ReportJournal.h"
#include "ResultsSheet.h"
#include "SheetPdf.h"
#include "SystemFile.h"
#include "TextLines.h"
#include "VariantCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kUsage[] =
    "Usage:\n"
    "  normakurs-text pack PLAIN.txt PACKED   pack a plain text (UTF-8 or Windows-1251)\n"
    "  normakurs-text unpack PACKED           print a packed text as UTF-8\n"
    "  normakurs-text check [--plain] VARIANT check a test variant (packed, or plain with\n"
    "                                         --plain); exit 0 only when it is well-formed\n"
    "  normakurs-text journal CONTENT_DIR [--subject S] [--test V] [--dialect D]\n"
    "                                         write every report of the course as CSV, or\n"
    "                                         those of subject S and test V; with --test\n"
    "                                         one column per question (1 right, 0 wrong)\n"
    "  normakurs-text journal CONTENT_DIR [--subject S] [--test V] --pdf OUT.pdf\n"
    "                                         the same reports as a results sheet in a PDF\n"
    "                                         file: one row per report, count and mean\n"
    "  normakurs-text analysis CONTENT_DIR --subject S --test V [--dialect D]\n"
    "                                         write the item analysis of test V of subject\n"
    "                                         S as CSV: one row per question (p, upper and\n"
    "                                         lower group, D, r, verdict), a blank line, then\n"
    "                                         N, mean, median, deviation, KR-20, excluded\n"
    "  normakurs-text import BANK OUT.txt [--strict]\n"
    "                                         convert a question bank (Aiken, GIFT or Moodle\n"
    "                                         XML; UTF-8 or Windows-1251) into a packed variant;\n"
    "                                         exit 1 when a question was left out, and with\n"
    "                                         --strict write nothing then\n"
    "  normakurs-text export VARIANT --format gift|moodle-xml|aiken [OUT]\n"
    "                                         write a packed variant as a question bank\n"
    "                                         (UTF-8), to standard output without OUT\n"
    "  normakurs-text lab-check [CONTENT_DIR] [--group G]\n"
    "                                         list what a student's account (not the owner,\n"
    "                                         not in group G, normakurs by default) could\n"
    "                                         read or change in the content folder (the\n"
    "                                         Content beside this program by default): a\n"
    "                                         readable variant or report, a tests folder open\n"
    "                                         to others or outside the group, a content or\n"
    "                                         subject folder others may write; exit 0 only\n"
    "                                         when there is nothing\n"
    "  normakurs-text --help                  show this help\n"
    "\n"
    "S and V are the \"Предмет:\" and \"Тест:\" texts of the reports. D is rfc4180 (the\n"
    "default: UTF-8, \",\", decimal point) or excel-ru (UTF-8 with a byte-order mark, \";\",\n"
    "decimal comma). Packed texts hold Windows-1251 text with CR LF line breaks, as the\n"
    "program reads them.\n";

int fail(const QString& message) {
    std::fprintf(stderr, "normakurs-text: %s\n", message.toUtf8().constData());
    return 1;
}

int usageError(const char* message) {
    std::fprintf(stderr, "normakurs-text: %s\n\n%s", message, kUsage);
    return 2;
}

// Writes the packed text beside `path` first and puts it in place only once it is complete and
// on the device, so a write that fails (a full disk) leaves the variant that was there as it
// was; in a folder that takes no new file, the variant is rewritten in place and put back when
// that fails.
void savePacked(const QString& path, const QByteArray& text) {
    PackedText::SaveToStream(path, text);
}

// By its bytes on disk, as every file the program reads; a failure gives the system's reason.
QByteArray readPlainFile(const QString& path) {
    const int fd = ::open(CodePage::nativePath(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw Failure(SystemFile::openFailure(path, SystemFile::systemReason(errno)));
    struct stat status {};
    const int error = ::fstat(fd, &status) != 0 ? errno : S_ISDIR(status.st_mode) ? EISDIR : 0;
    if (error != 0) {
        ::close(fd);
        throw Failure(SystemFile::openFailure(path, SystemFile::systemReason(error)));
    }
    QFile file;
    if (const int refused = SystemFile::adoptDescriptor(file, fd, QIODevice::ReadOnly))
        throw Failure(SystemFile::openFailure(path, SystemFile::systemReason(refused)));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure(QStringLiteral("Stream read error"));
    return bytes;
}

int pack(const QString& plainPath, const QString& packedPath) {
    // A plain file is read as a question bank file is: UTF-16 after its byte-order mark, UTF-8
    // when it is valid UTF-8, otherwise Windows-1251.
    const QString text = QuestionBank::decode(readPlainFile(plainPath));
    const QString lost = CodePage::unrepresentable(text);
    if (!lost.isEmpty())
        return fail(QStringLiteral("%1: these characters cannot be stored in Windows-1251: %2")
                        .arg(plainPath, lost));
    QByteArray bytes = CodePage::encode(text);
    if (bytes.contains('\0'))
        return fail(QStringLiteral("%1: the text holds a zero byte").arg(plainPath));
    savePacked(packedPath, TextLines::normalizeBreaks(bytes));
    return 0;
}

// Reads a packed file, saying in plain words what the terse format messages mean.
QByteArray readPacked(const QString& path) {
    try {
        return PackedText::OpenFromStream(path);
    } catch (const Failure& failure) {
        if (failure.message() == QLatin1String("Error"))
            throw Failure(QStringLiteral("%1: not a packed text file (Error)").arg(path));
        if (failure.message() == QLatin1String("Stream read error"))
            throw Failure(
                QStringLiteral("%1: the packed text is empty or cut off (Stream read error)")
                    .arg(path));
        throw;
    }
}

int unpack(const QString& packedPath) {
    const QString text = TextLines::toEditorText(readPacked(packedPath));
    const QByteArray out = text.toUtf8();
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : fail(QStringLiteral("cannot write to standard output"));
}

int check(const QString& path, bool plain) {
    QString text;
    if (plain) {
        text = QuestionBank::decode(readPlainFile(path));
    } else {
        text = TextLines::toEditorText(readPacked(path));
    }
    const VariantCheck::Result result = VariantCheck::check(TextLines::splitLines(text));
    QString out;
    out += QStringLiteral("Вопросов: %1\n").arg(result.questions);
    out += QStringLiteral("Ключей: %1\n").arg(result.keys);
    out += QStringLiteral("Ключ: %1\n").arg(VariantCheck::keyLettersText(result.keyLetters));
    for (const QString& problem : result.blocking + result.warnings)
        out += QStringLiteral("Ошибка: ") + problem + QLatin1Char('\n');
    out += result.wellFormed() ? QStringLiteral("Вариант в порядке.\n")
                               : QStringLiteral("Вариант нужно исправить.\n");
    const QByteArray bytes = out.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
    return result.wellFormed() ? 0 : 1;
}

int usageError(const QString& message) {
    return usageError(message.toUtf8().constData());
}

// The options of "journal" and "analysis", after their content folder.
struct JournalOptions {
    QString contentDir;
    QString subject;
    QString test;
    JournalCsv::Dialect dialect = JournalCsv::Dialect::Rfc4180;
    QString pdf; // the results sheet's file, for "journal"
};

// Reads "CONTENT_DIR [--subject S] [--test V] [--dialect D]"; an empty text when they are
// well-formed, otherwise what is wrong with them.
QString parseJournalOptions(const QStringList& args, JournalOptions& options) {
    if (args.isEmpty() || args.first().startsWith(QLatin1String("--")))
        return QStringLiteral("no content folder given");
    options.contentDir = args.first();
    bool subjectGiven = false;
    bool testGiven = false;
    for (int i = 1; i < args.size(); i += 2) {
        const QString& option = args.at(i);
        if (i + 1 >= args.size())
            return QStringLiteral("%1 takes a value").arg(option);
        const QString& value = args.at(i + 1);
        if (option == QLatin1String("--subject")) {
            options.subject = value;
            subjectGiven = true;
        } else if (option == QLatin1String("--test")) {
            options.test = value;
            testGiven = true;
        } else if (option == QLatin1String("--pdf")) {
            options.pdf = value;
        } else if (option == QLatin1String("--dialect")) {
            const std::optional<JournalCsv::Dialect> dialect = JournalCsv::dialectNamed(value);
            if (!dialect)
                return QStringLiteral("unknown dialect \"%1\" (rfc4180 or excel-ru)").arg(value);
            options.dialect = *dialect;
        } else {
            return QStringLiteral("unknown option \"%1\"").arg(option);
        }
    }
    if ((subjectGiven && options.subject.isEmpty()) || (testGiven && options.test.isEmpty()))
        return QStringLiteral("--subject and --test take a name that is not empty");
    return QString();
}

// Every report under the content folder. Throws for a folder that is not there, and for a
// subject or test that no report names.
QVector<ReportRecord> readJournal(const JournalOptions& options) {
    if (!QFileInfo(options.contentDir).isDir())
        throw Failure(QStringLiteral("%1: no such content folder").arg(options.contentDir));
    // Through the user's journal cache, as the teacher's window reads it.
    const QString contentDir = QDir(options.contentDir).absolutePath() + QLatin1Char('/');
    QVector<ReportRecord> rows =
        ReportJournal::load(contentDir, {}, JournalCache::fileFor(contentDir)).rows;
    if (!options.subject.isEmpty() && !JournalChoices::subjects(rows).contains(options.subject))
        throw Failure(QStringLiteral("%1: no report of subject \"%2\"")
                          .arg(options.contentDir, options.subject));
    if (!options.test.isEmpty()) {
        JournalFilter ofSubject;
        ofSubject.subject = options.subject;
        if (!JournalChoices::tests(ofSubject.apply(rows)).contains(options.test))
            throw Failure(
                QStringLiteral("%1: no report of test \"%2\"%3")
                    .arg(options.contentDir, options.test,
                         options.subject.isEmpty()
                             ? QString()
                             : QStringLiteral(" in subject \"%1\"").arg(options.subject)));
    }
    return rows;
}

int writeOut(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : fail(QStringLiteral("cannot write to standard output"));
}

// The rows as a results sheet in a PDF file, headed with the title the program beside this tool
// gives its windows.
int journalSheet(const QVector<ReportRecord>& rows, const QString& pdf) {
    const QString course =
        titleFromExecutable(QCoreApplication::applicationDirPath() + QStringLiteral("/normakurs"));
    SheetPdf::write(ResultsSheet::html(rows, course, QLocale::system()), pdf);
    const std::optional<int> mean = ResultsSheet::meanTenths(rows);
    const QString line = ResultsSheet::printedLine(
        QStringLiteral("ведомость, отчётов %1, средний процент %2")
            .arg(rows.size())
            .arg(mean ? QLocale::system().toString(*mean / 10.0, 'f', 1) : QStringLiteral("—")),
        pdf);
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    return 0;
}

int journal(const QStringList& args) {
    JournalOptions options;
    const QString wrong = parseJournalOptions(args, options);
    if (!wrong.isEmpty())
        return usageError(QStringLiteral("journal: ") + wrong);
    JournalFilter filter;
    filter.subject = options.subject;
    filter.test = options.test;
    const QVector<ReportRecord> rows = filter.apply(readJournal(options));
    if (!options.pdf.isEmpty())
        return journalSheet(rows, options.pdf);
    return writeOut(JournalCsv::write(rows, options.dialect, !options.test.isEmpty()));
}

// A figure with four decimals in the dialect's decimal separator; "—" for none.
QString figure(std::optional<double> value, JournalCsv::Dialect dialect) {
    if (!value)
        return QStringLiteral("—");
    QString text = QString::number(*value, 'f', 4);
    if (text == QLatin1String("-0.0000"))
        text = QStringLiteral("0.0000");
    if (dialect == JournalCsv::Dialect::ExcelRu)
        text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

int analysis(const QStringList& args) {
    JournalOptions options;
    const QString wrong = parseJournalOptions(args, options);
    if (!wrong.isEmpty())
        return usageError(QStringLiteral("analysis: ") + wrong);
    if (options.subject.isEmpty() || options.test.isEmpty())
        return usageError("analysis takes CONTENT_DIR --subject S --test V");
    if (!options.pdf.isEmpty())
        return usageError("analysis: --pdf is for journal");
    const ItemAnalysis::Result result =
        ItemAnalysis::analyse(readJournal(options), options.subject, options.test);
    if (!result.enoughAttempts())
        return fail(QStringLiteral("%1 (test \"%2\" of subject \"%3\": %4, excluded %5)")
                        .arg(ItemAnalysis::notEnoughAttemptsText(), options.test, options.subject)
                        .arg(result.summary.attempts)
                        .arg(result.summary.excluded));

    const JournalCsv::Dialect dialect = options.dialect;
    const QString separator =
        dialect == JournalCsv::Dialect::ExcelRu ? QStringLiteral(";") : QStringLiteral(",");
    const QString end = QStringLiteral("\r\n");
    auto row = [&](const QStringList& fields) {
        QStringList written;
        for (const QString& field : fields)
            written.append(JournalCsv::field(field, dialect));
        return written.join(separator) + end;
    };
    QString out = row({QStringLiteral("Вопрос"), QStringLiteral("p"), QStringLiteral("Верхняя"),
                       QStringLiteral("Нижняя"), QStringLiteral("D"), QStringLiteral("r"),
                       QStringLiteral("Оценка")});
    for (const ItemAnalysis::Question& q : result.questions)
        out += row({QString::number(q.number), figure(q.p, dialect), figure(q.upper, dialect),
                    figure(q.lower, dialect), figure(q.d, dialect), figure(q.r, dialect),
                    ItemAnalysis::flagText(q.flag)});
    out += end;
    const ItemAnalysis::Summary& s = result.summary;
    out += row({QStringLiteral("N"), QString::number(s.attempts)});
    out += row({QStringLiteral("Средний процент"), figure(s.meanPercent, dialect)});
    out += row({QStringLiteral("Медиана"), figure(s.medianPercent, dialect)});
    out += row({QStringLiteral("Отклонение"), figure(s.deviationPercent, dialect)});
    out += row({QStringLiteral("KR-20"), figure(s.kr20, dialect)});
    out += row({QStringLiteral("Исключено"), QString::number(s.excluded)});
    QByteArray bytes = out.toUtf8();
    if (dialect == JournalCsv::Dialect::ExcelRu)
        bytes.prepend("\xEF\xBB\xBF");
    return writeOut(bytes);
}

int labCheck(const QStringList& args) {
    QString contentDir;
    QString group = QStringLiteral("normakurs");
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--group")) {
            if (i + 1 >= args.size() || args.at(i + 1).isEmpty())
                return usageError("lab-check: --group takes a group's name or number");
            group = args.at(++i);
        } else if (args.at(i).startsWith(QLatin1String("--")) || !contentDir.isNull()) {
            return usageError(QStringLiteral("lab-check: unexpected \"%1\"").arg(args.at(i)));
        } else {
            contentDir = args.at(i);
        }
    }
    // The Content beside the program's real file: /usr/bin holds only a link to it.
    if (contentDir.isNull())
        contentDir = QCoreApplication::applicationDirPath() + QStringLiteral("/Content");
    const QVector<LabCheck::Finding> findings = LabCheck::check(contentDir, group);
    QString out;
    for (const LabCheck::Finding& finding : findings)
        out += finding.path + QStringLiteral(": ") + finding.reason + QLatin1Char('\n');
    if (findings.isEmpty())
        out = QStringLiteral("%1: nothing that a student's account should not reach\n")
                  .arg(contentDir);
    const int written = writeOut(out.toUtf8());
    return findings.isEmpty() ? written : 1;
}

int run(const QStringList& args) {
    if (args.isEmpty())
        return usageError("no command given");
    const QString command = args.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == QLatin1String("pack")) {
        if (args.size() != 3)
            return usageError("pack takes PLAIN.txt and PACKED");
        return pack(args.at(1), args.at(2));
    }
    if (command == QLatin1String("unpack")) {
        if (args.size() != 2)
            return usageError("unpack takes PACKED");
        return unpack(args.at(1));
    }
    if (command == QLatin1String("check")) {
        const bool plain = args.size() == 3 && args.at(1) == QLatin1String("--plain");
        // "check --plain" alone names no variant: the option is not a file name.
        if ((args.size() != 2 && !plain) || args.last() == QLatin1String("--plain"))
            return usageError("check takes [--plain] VARIANT");
        return check(args.last(), plain);
    }
    if (command == QLatin1String("journal"))
        return journal(args.mid(1));
    if (command == QLatin1String("analysis"))
        return analysis(args.mid(1));
    if (command == QLatin1String("lab-check"))
        return labCheck(args.mid(1));
    if (command == QLatin1String("import"))
        return BankCommands::importBank(args.mid(1));
    if (command == QLatin1String("export"))
        return BankCommands::exportVariant(args.mid(1));
    return usageError("unknown command");
}

} // namespace

int main(int argc, char** argv) {
    // A PDF needs the toolkit's fonts, and so a GUI application object.
    const std::unique_ptr<QCoreApplication> application(SheetPdf::makeApplication(argc, argv));
    try {
        return run(QCoreApplication::arguments().mid(1));
    } catch (const Failure& failure) {
        return fail(failure.message());
    } catch (const std::exception& other) {
        return fail(QString::fromLocal8Bit(other.what()));
    }
}
