#include "EngineView.h"

#include "Failure.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QStringList>
#include <QThreadPool>

#include <mutex>

namespace {

using Factory = EngineView* (*)(QWidget*);

// The module lies beside the program's real file (a symbolic link to the program does not
// count). Elsewhere the system's library search finds it, as for any library; that is how the
// tests, which live one folder down, are given the build's copy.
QStringList moduleCandidates() {
    return {QCoreApplication::applicationDirPath() + QStringLiteral("/libnormakurs-web"),
            QStringLiteral("normakurs-web")};
}

Factory loadFactory(QString& problem) {
    for (const QString& candidate : moduleCandidates()) {
        QLibrary module(candidate);
        if (!module.load()) {
            problem = module.errorString();
            continue;
        }
        if (auto factory = reinterpret_cast<Factory>(module.resolve(kEngineViewFactory)))
            return factory;
        problem = module.errorString();
    }
    return nullptr;
}

} // namespace

void loadEngineModuleAhead() {
    static std::once_flag started;
    std::call_once(started, [] {
        QThreadPool::globalInstance()->start([candidates = moduleCandidates()] {
            // Only the loading: whatever fails here is found and reported by the first page.
            for (const QString& candidate : candidates) {
                if (QLibrary(candidate).load())
                    return;
            }
        });
    });
}

EngineView* createEngineView(QWidget* parent) {
    static QString problem;
    static const Factory factory = loadFactory(problem);
    if (!factory)
        throw Failure(QStringLiteral("Cannot load the browser engine. %1").arg(problem));
    return factory(parent);
}
