#include "FindBar.h"

#include "BrowserView.h"
#include "ErrorGuard.h"
#include "Fonts.h"
#include "GuardedConnect.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& accessible, const QRect& place) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(accessible);
    button->setToolTip(accessible);
    button->setGeometry(place);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

} // namespace

FindBar::FindBar(QWidget* parent)
    : QFrame(parent) {
    setObjectName(QStringLiteral("findBar"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    setFont(Fonts::tahomaBold(11));
    resize(kWidth, kHeight);

    edtFind = new QLineEdit(this);
    edtFind->setObjectName(QStringLiteral("edtFind"));
    edtFind->setAccessibleName(QStringLiteral("Найти на странице"));
    edtFind->setPlaceholderText(QStringLiteral("Найти на странице"));
    edtFind->setGeometry(4, 4, 160, 24);

    lblFound = new QLabel(this);
    lblFound->setObjectName(QStringLiteral("lblFound"));
    lblFound->setTextFormat(Qt::PlainText);
    lblFound->setGeometry(168, 4, 72, 24);
    lblFound->setAlignment(Qt::AlignCenter);

    btnPrevious = makeButton(this, "btnPrevious", QStringLiteral("▲"),
                             QStringLiteral("Предыдущее совпадение"), QRect(242, 4, 26, 24));
    btnNext = makeButton(this, "btnNext", QStringLiteral("▼"),
                         QStringLiteral("Следующее совпадение"), QRect(270, 4, 26, 24));
    btnClose = makeButton(this, "btnClose", QStringLiteral("x"), QStringLiteral("Закрыть поиск"),
                          QRect(300, 4, 26, 24));

    onClick(btnNext, this, &FindBar::findNext);
    onClick(btnPrevious, this, &FindBar::findPrevious);
    onClick(btnClose, this, &FindBar::dismiss);
    guardedConnect(edtFind, &QLineEdit::returnPressed, this, [this] {
        if (QGuiApplication::keyboardModifiers() & Qt::ShiftModifier)
            findPrevious();
        else
            findNext();
    });
    hide();
}

void FindBar::open() {
    show();
    raise();
    edtFind->setFocus(Qt::ShortcutFocusReason);
    edtFind->selectAll();
}

void FindBar::dismiss() {
    if (BrowserView* page = m_source ? m_source() : nullptr)
        page->findText(QString(), false, nullptr); // clears the marks
    lblFound->clear();
    hide();
}

void FindBar::findNext() {
    find(false);
}

void FindBar::findPrevious() {
    find(true);
}

void FindBar::find(bool backward) {
    BrowserView* page = m_source ? m_source() : nullptr;
    if (!page) {
        lblFound->clear();
        return;
    }
    const QString text = edtFind->text();
    QPointer<QLabel> found = lblFound;
    const auto report = [found, text](int active, int total) {
        if (!found)
            return;
        if (text.isEmpty())
            found->clear();
        else if (total == 0)
            found->setText(QStringLiteral("нет"));
        else
            found->setText(QStringLiteral("%1 из %2").arg(active).arg(total));
    };
    page->findText(text, backward, report);
}

void FindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        guarded([this] { dismiss(); });
        event->accept();
        return;
    }
    QFrame::keyPressEvent(event);
}
