#include "myTabPanel.h"

#include "BrowserView.h"
#include "SystemColours.h"

#include <QMouseEvent>

TmyCloseLabel::TmyCloseLabel(QWidget* owner)
    : QLabel(owner) {
    setTextFormat(Qt::PlainText);
}

void TmyCloseLabel::mousePressEvent(QMouseEvent* event) {
    // Taken here, so that the header underneath sees no click.
    event->accept();
}

void TmyCloseLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    const QPoint at = event->position().toPoint();
    emit mouseUp(this, event->button(), event->modifiers(), at.x(), at.y());
}

TmyTabPanel::TmyTabPanel(QWidget* owner)
    : QLabel(owner) {
    setTextFormat(Qt::PlainText);
    setFrameShape(QFrame::NoFrame);

    Img = new QLabel(this);
    Img->setGeometry(1, 11, 30, 30);
    Img->setObjectName(QStringLiteral("Img"));
    Img->setScaledContents(true);
    // The picture box stays empty but still takes the clicks that land on it.
    Img->setAttribute(Qt::WA_NoMousePropagation);
}

TmyTabPanel::~TmyTabPanel() {
    delete m_browser.data();
    m_browser = nullptr;
    delete but;
    but = nullptr;
    delete Img;
    Img = nullptr;
}

void TmyTabPanel::Start() {
    but = new TmyCloseLabel(this);
    SystemColours::setFontColour(*but, SystemColours::clWhite());
    but->setText(QStringLiteral("x"));
    but->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Held to the header's top and right edges; the header never changes its width.
    but->resize(15, 15);
    but->Tag = Tag;
    but->move(width() - 15, 0);
    but->setObjectName(QStringLiteral("but"));
    connect(but, &TmyCloseLabel::mouseUp, this, &TmyTabPanel::ClosePage);
    but->show();
}

void TmyTabPanel::setCaption(const QString& caption) {
    setText(caption);
    const int room = contentsRect().width() - indent() - 2 * margin();
    setToolTip(fontMetrics().horizontalAdvance(caption) > room ? caption : QString());
}

void TmyTabPanel::ClosePage(TmyCloseLabel*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}

void TmyTabPanel::closeSoon() {
    delete m_browser.data();
    m_browser = nullptr;
    hide();
    deleteLater();
}

void TmyTabPanel::setColor(const QColor& colour) {
    m_color = colour;
    SystemColours::setBackground(*this, colour);
}

void TmyTabPanel::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TmyTabPanel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit clicked(this);
}
