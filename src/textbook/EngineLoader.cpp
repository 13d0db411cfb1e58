#include "EngineView.h"

#include "content/Failure.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QStringList>

namespace {

using Factory = EngineView* (*)(QWidget*);

// The module lies beside the program; a build also finds it in its own root, where the tests,
// which live one folder down, look for it.
Factory loadFactory(QString& problem) {
    QStringList folders{QCoreApplication::applicationDirPath()};
#ifdef NORMAKURS_MODULE_DIR
    folders.append(QStringLiteral(NORMAKURS_MODULE_DIR));
#endif
    for (const QString& folder : folders) {
        QLibrary module(folder + QStringLiteral("/libnormakurs-web"));
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

EngineView* createEngineView(QWidget* parent) {
    static QString problem;
    static const Factory factory = loadFactory(problem);
    if (!factory)
        throw Failure(QStringLiteral("Cannot load the browser engine. %1").arg(problem));
    return factory(parent);
}
