#pragma once

#include "ContentPaths.h"
#include "ExamChannel.h"
#include "ExamKeeper.h"
#include "Failure.h"

#include <QDateTime>

#include <functional>
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

    // The next request's keeper ends unanswered, as if killed: it and all later ones fail.
    static void endNextKeeper() { endNext() = true; }
    KeeperInThisProcess(const KeeperInThisProcess&) = delete;
    KeeperInThisProcess& operator=(const KeeperInThisProcess&) = delete;

private:
    class Channel : public ExamChannel {
    public:
        Channel(const QString& contentDir, std::function<QDateTime()> clock)
            : m_keeper(contentDir, std::move(clock)) {}
        QByteArray exchange(const QByteArray& request) override {
            if (std::exchange(endNext(), false))
                m_ended = true;
            if (m_ended)
                throw Failure(QStringLiteral("the keeper has ended"));
            QByteArray reply = m_keeper.handle(request.chopped(1));
            reply.chop(1);
            return reply;
        }

    private:
        ExamKeeper m_keeper;
        bool m_ended = false;
    };
    static bool& endNext() {
        static bool end = false;
        return end;
    }
};
