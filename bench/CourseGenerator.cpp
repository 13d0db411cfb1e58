#include "CourseGenerator.h"

#include "CodePage.h"
#include "ContentPaths.h"
#include "PackedText.h"
#include "TextLines.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <random>

namespace CourseGenerator {
namespace {

const QStringList& words() {
    static const QStringList list =
        QStringLiteral(
            "алгоритм данные система число память процессор сеть адрес программа файл папка "
            "учебник лекция вопрос ответ задача решение перевод основание разряд цифра байт "
            "бит таблица схема цикл условие ветвление массив элемент сортировка поиск "
            "сложность время порядок протокол модель уровень пакет маршрут узел канал "
            "передача скорость ошибка проверка результат студент преподаватель курс тема")
            .split(QLatin1Char(' '));
    return list;
}

void writeEmpty(const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.close();
}

} // namespace

QByteArray russianText(qsizetype bytes) {
    std::mt19937 random(20141205);
    std::uniform_int_distribution<int> pick(0, int(words().size()) - 1);
    std::uniform_int_distribution<int> lineLength(6, 14);
    QString text;
    text.reserve(bytes);
    while (text.size() < bytes) {
        const int count = lineLength(random);
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                text += QLatin1Char(' ');
            text += words().at(pick(random));
        }
        text += QStringLiteral(".\r\n");
    }
    return CodePage::encode(text).left(bytes);
}

QString variantText(int questions) {
    QString text;
    text.reserve(questions * 120);
    text += QStringLiteral("---\n");
    for (int q = 1; q <= questions; ++q) {
        text += QStringLiteral("%1) Какое утверждение о теме %1 верно?\n").arg(q);
        const int right = q % 5;
        for (int a = 0; a < 5; ++a) {
            if (a == right)
                text += QLatin1Char('`');
            text += QChar(u'A' + a) + QStringLiteral(") вариант ответа номер %1\n").arg(a + 1);
        }
        text += QStringLiteral("---\n");
    }
    return text;
}

int writeCourse(const QString& contentFolder, int subjects, int pages, int reports) {
    const QString contentDir =
        contentFolder.endsWith(QLatin1Char('/')) ? contentFolder : contentFolder + QLatin1Char('/');
    QDir().mkpath(contentDir);
    int made = 0;
    const QByteArray report =
        TextLines::fromEditorText(QStringLiteral("Имя фамилия: Студент\nГруппа: 1\n"));
    for (int s = 0; s < subjects; ++s) {
        const QString subject = QStringLiteral("Предмет %1").arg(s, 3, 10, QLatin1Char('0'));
        const QString dir = ContentPaths::subjectDir(contentDir, subject);
        QDir().mkpath(ContentPaths::reportsDir(contentDir, subject));
        QDir().mkpath(ContentPaths::presentationsDir(contentDir, subject));
        QDir().mkpath(ContentPaths::videosDir(contentDir, subject));
        for (int p = 0; p < pages; ++p) {
            writeEmpty(dir + QStringLiteral("/Тема %1.html").arg(p, 3, 10, QLatin1Char('0')));
            ++made;
        }
        const QString reportsDir = ContentPaths::reportsDir(contentDir, subject);
        for (int r = 0; r < reports; ++r) {
            PackedText::SaveToStream(reportsDir + QStringLiteral("/Студент %1(0)").arg(r), report);
            ++made;
        }
        PackedText::SaveToStream(ContentPaths::testsDir(contentDir, subject) +
                                     QStringLiteral("/Вариант 1.txt"),
                                 TextLines::fromEditorText(variantText(10)));
        writeEmpty(ContentPaths::presentationsDir(contentDir, subject) +
                   QStringLiteral("/Лекция.ppt"));
        writeEmpty(ContentPaths::videosDir(contentDir, subject) + QStringLiteral("/Фильм.avi"));
        made += 7;
    }
    return made;
}

} // namespace CourseGenerator
