#include "WindowTestSupport.h"

#include "shell/Form.h"
#include "shell/Unit1.h"
#include "shell/Unit4.h"
#include "teacher/Unit5.h"
#include "testing/Unit3.h"
#include "textbook/BrowserView.h"
#include "textbook/Unit2.h"

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

} // namespace WindowTestSupport
