#include "WindowTestSupport.h"

#include <QTest>

#include <QPushButton>

#include <QLineEdit>

#include "BrowserView.h"
#include "Form.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit5.h"

#include <QWebEngineView>

#include <QtGlobal>

namespace WindowTestSupport {
namespace {

QtMessageHandler g_previous = nullptr;

// The offscreen platform says so every time a window is raised; that is no finding of ours.
void filter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (g_previous)
        g_previous(type, context, message);
}

} // namespace

QStringList visibleWindows() {
    QStringList names;
    for (Form* form : QList<Form*>{Form1, Form2, Form3, Form4, Form5}) {
        if (form && form->isVisible())
            names.append(form->objectName());
    }
    return names;
}

void quietOffscreenWarnings() {
    if (!g_previous)
        g_previous = qInstallMessageHandler(filter);
}

QWebEngineView* webView(const BrowserView* browser) {
    return browser ? qobject_cast<QWebEngineView*>(browser->view()) : nullptr;
}

bool clickThroughTo(const QString& window) {
    if (window == QLatin1String("Form2")) {
        QTest::mouseClick(Form1->btn4, Qt::LeftButton);
    } else if (window == QLatin1String("Form3")) {
        QTest::mouseClick(Form1->btn6, Qt::LeftButton);
    } else if (window == QLatin1String("Form4")) {
        QTest::mouseClick(Form1->btn3, Qt::LeftButton);
    } else if (window == QLatin1String("Form5")) {
        QTest::mouseClick(Form1->btn3, Qt::LeftButton);
        Form4->edt1->setText(QStringLiteral("tutor"));
        Form4->edt2->setText(QStringLiteral("lmn5827"));
        QTest::mouseClick(Form4->btn1, Qt::LeftButton);
    } else {
        return false;
    }
    return true;
}

} // namespace WindowTestSupport
