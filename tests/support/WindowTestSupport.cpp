#include "WindowTestSupport.h"

#include "BrowserView.h"
#include "Form.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit5.h"

#include <QApplication>
#include <QtGlobal>
#include <QWebEngineView>

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

int liveViews() {
    int count = 0;
    for (QWidget* widget : QApplication::allWidgets())
        count += qobject_cast<QWebEngineView*>(widget) ? 1 : 0;
    return count;
}

} // namespace WindowTestSupport
