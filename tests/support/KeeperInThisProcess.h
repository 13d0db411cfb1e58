#pragma once

#include "ContentPaths.h"
#include "ExamChannel.h"
#include "ExamKeeper.h"
#include "Failure.h"

#include <memory>
#include <utility>

// While one lives, the testing window's keeper runs in the test process, with the test's clock.
class KeeperInThisProcess {
public:
    explicit KeeperInThisProcess(std::function<QDateTime()> clock = [] {
        return QDateTime::currentDateTime();
    }) {
        ExamChannels::setMaker(
            [clock] { return std::make_unique<Channel>(ContentPaths::ContentDir(), clock); });
    }
    ~KeeperInThisProcess() { ExamChannels::setMaker({}); }
    KeeperInThisProcess(const KeeperInThisProcess&) = delete;
    KeeperInThisProcess& operator=(const KeeperInThisProcess&) = delete;

    // The next request's keeper ends unanswered, as if killed: it and all later ones fail.
    static void endNextKeeper() { s_endNext = true; }

private:
    inline static bool s_endNext = false;

    struct Channel : ExamChannel {
        Channel(const QString& contentDir, std::function<QDateTime()> clock)
            : keeper(contentDir, std::move(clock)) {}
        QByteArray exchange(const QByteArray& request) override {
            ended |= std::exchange(s_endNext, false);
            if (ended)
                throw Failure(QStringLiteral("the keeper has ended"));
            return keeper.handle(request.chopped(1)).chopped(1);
        }
        ExamKeeper keeper;
        bool ended = false;
    };
};
