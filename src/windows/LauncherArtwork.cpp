#include "LauncherArtwork.h"

#include "Fonts.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QResource>

namespace LauncherArtwork {
namespace {

const QColor kDeep(0x12, 0x34, 0x5e);
const QColor kDeepLight(0x2c, 0x5f, 0x9e);
const QColor kAccent(0xf2, 0xb1, 0x34);
const QColor kPaper(0xf7, 0xf9, 0xfc);
const QColor kFrame(0x9d, 0xb3, 0xcf);

void paintBackground(QPainter& p) {
    QLinearGradient ground(0, 0, 0, kHeight);
    ground.setColorAt(0, QColor(0xe9, 0xef, 0xf6));
    ground.setColorAt(1, QColor(0xd5, 0xe0, 0xec));
    p.fillRect(0, 0, kWidth, kHeight, ground);
}

void paintBanner(QPainter& p) {
    const QRect banner(0, 0, kWidth, 200);
    QLinearGradient sky(banner.topLeft(), banner.topRight());
    sky.setColorAt(0, kDeep);
    sky.setColorAt(1, kDeepLight);
    p.fillRect(banner, sky);

    // Quiet rings in the background of the banner.
    p.setPen(QPen(QColor(255, 255, 255, 28), 2));
    p.setBrush(Qt::NoBrush);
    for (int r = 60; r <= 260; r += 40)
        p.drawEllipse(QPoint(760, 40), r, r);

    p.fillRect(0, 196, kWidth, 4, kAccent);

    p.setPen(Qt::white);
    QFont title = Fonts::tahomaBold(52);
    p.setFont(title);
    p.drawText(QRect(44, 34, 600, 70), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Нормакурс"));
    QFont subtitle = Fonts::tahomaBold(18);
    subtitle.setBold(false);
    p.setFont(subtitle);
    p.setPen(QColor(0xdc, 0xe7, 0xf5));
    p.drawText(QRect(48, 110, 600, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Электронный учебник и тестирование по курсу"));
    p.setPen(QColor(0xa9, 0xc3, 0xe3));
    QFont small = subtitle;
    small.setPixelSize(14);
    p.setFont(small);
    p.drawText(QRect(48, 142, 600, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Читайте лекции, смотрите материалы, проверяйте свои знания"));

    // An open book at the right of the banner.
    p.save();
    p.translate(700, 100);
    p.setPen(QPen(kDeep, 2));
    for (int side : {-1, 1}) {
        QPainterPath page;
        page.moveTo(0, -40);
        page.cubicTo(side * 30, -52, side * 70, -50, side * 92, -40);
        page.lineTo(side * 92, 48);
        page.cubicTo(side * 70, 38, side * 30, 40, 0, 52);
        page.closeSubpath();
        p.setBrush(kPaper);
        p.drawPath(page);
        p.setPen(QPen(kFrame, 2));
        for (int line = -22; line <= 30; line += 13)
            p.drawLine(QPointF(side * 14, line), QPointF(side * 78, line - 3));
        p.setPen(QPen(kDeep, 2));
    }
    p.restore();
}

void paintFramedPanel(QPainter& p, const QRect& area) {
    p.setPen(QPen(kFrame, 2));
    p.setBrush(kPaper);
    p.drawRoundedRect(area, 10, 10);
}

void paintBookIcon(QPainter& p, const QPoint& centre) {
    p.save();
    p.translate(centre);
    p.setPen(QPen(kDeep, 2));
    p.setBrush(kDeepLight);
    p.drawRoundedRect(QRect(-15, -18, 30, 36), 3, 3);
    p.setBrush(kPaper);
    p.drawRect(QRect(-9, -12, 18, 8));
    p.setPen(QPen(kAccent, 3));
    p.drawLine(-15, 14, 15, 14);
    p.restore();
}

void paintChecklistIcon(QPainter& p, const QPoint& centre) {
    p.save();
    p.translate(centre);
    p.setPen(QPen(kDeep, 2));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRect(-15, -18, 30, 36), 3, 3);
    for (int row = 0; row < 3; ++row) {
        const int y = -9 + row * 10;
        p.setPen(QPen(row == 2 ? kFrame : QColor(0x2e, 0x8b, 0x57), 2.5));
        p.drawLine(QPointF(-10, y), QPointF(-7, y + 3));
        p.drawLine(QPointF(-7, y + 3), QPointF(-2, y - 3));
        p.setPen(QPen(kFrame, 2));
        p.drawLine(2, y, 10, y);
    }
    p.restore();
}

void paintTeacherIcon(QPainter& p, const QPoint& centre) {
    p.save();
    p.translate(centre);
    p.setPen(QPen(kDeep, 2));
    p.setBrush(kDeepLight);
    const QPolygon board({QPoint(-20, -6), QPoint(0, -16), QPoint(20, -6), QPoint(0, 4)});
    p.drawPolygon(board);
    p.setBrush(kDeep);
    p.drawRect(QRect(-10, 0, 20, 10));
    p.setPen(QPen(kAccent, 2));
    p.drawLine(16, -4, 16, 12);
    p.setBrush(kAccent);
    p.drawEllipse(QPoint(16, 14), 3, 3);
    p.restore();
}

void paintDescription(QPainter& p, const QRect& area) {
    paintFramedPanel(p, area);
    const QRect inner = area.adjusted(18, 12, -18, -12);
    p.setPen(kDeep);
    p.setFont(Fonts::tahomaBold(16));
    p.drawText(inner, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Добро пожаловать!"));

    QFont body = Fonts::tahomaBold(13);
    body.setBold(false);
    p.setFont(body);
    p.setPen(QColor(0x26, 0x32, 0x40));
    const QStringList paragraphs = {
        QStringLiteral("«Учебник» — лекции курса по предметам, презентации и видео."),
        QStringLiteral("«Тесты» — выберите предмет и вариант и ответьте на вопросы; "
                       "результат сохранится в отчёте."),
        QStringLiteral("«Преподаватель» — редактор тестов, новые предметы и проверка отчётов."),
    };
    QRect line = inner.adjusted(0, 32, 0, 0);
    for (const QString& paragraph : paragraphs) {
        const QRect used = p.boundingRect(line, Qt::AlignLeft | Qt::TextWordWrap, paragraph);
        p.drawText(line, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, paragraph);
        line.setTop(used.bottom() + 8);
    }
}

} // namespace

QImage render() {
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    paintBackground(p);
    paintBanner(p);

    // The column of content buttons, with an icon beside each of them.
    paintFramedPanel(p, QRect(18, 228, 238, 192));
    paintBookIcon(p, QPoint(54, 266));
    paintChecklistIcon(p, QPoint(54, 330));
    paintTeacherIcon(p, QPoint(54, 384));

    paintDescription(p, QRect(284, 228, 566, 140));

    // The framed corner that holds "Выход".
    paintFramedPanel(p, QRect(586, 381, 193, 57));
    return image;
}

QByteArray toRaw(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QByteArray raw;
    raw.reserve(kRawBytes);
    for (int y = 0; y < rgb.height(); ++y)
        raw.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), qsizetype(kWidth) * 3);
    return raw;
}

QImage picture() {
    const QResource stored(QStringLiteral(":/launcher.rgb"));
    if (stored.isValid() && stored.compressionAlgorithm() == QResource::NoCompression &&
        stored.size() == kRawBytes) {
        // The resource lives as long as the program, so the image may point straight at it.
        return QImage(stored.data(), kWidth, kHeight, kWidth * 3, QImage::Format_RGB888);
    }
    return render();
}

} // namespace LauncherArtwork
