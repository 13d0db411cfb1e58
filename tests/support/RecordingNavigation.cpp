#include "RecordingNavigation.h"

#include "Form.h"

namespace {

QString nameOf(WindowId window) {
    switch (window) {
    case WindowId::Launcher:
        return QStringLiteral("Launcher");
    case WindowId::Textbook:
        return QStringLiteral("Textbook");
    case WindowId::Testing:
        return QStringLiteral("Testing");
    case WindowId::SignIn:
        return QStringLiteral("SignIn");
    case WindowId::Teacher:
        return QStringLiteral("Teacher");
    }
    return QString();
}

} // namespace

RecordingNavigation::RecordingNavigation() {
    setNavigation(this);
}

RecordingNavigation::~RecordingNavigation() {
    setNavigation(nullptr);
}

void RecordingNavigation::show(WindowId window) {
    requests.append(QStringLiteral("show ") + nameOf(window));
}

void RecordingNavigation::handOver(Form& source, WindowId target) {
    requests.append(source.objectName() + QStringLiteral(" to ") + nameOf(target));
}
