#pragma once

#include "ContentPaths.h"
#include "ExamChannel.h"
#include "ExamKeeper.h"
#include "Failure.h"

#include <QDateTime>

#include <functional>
#include <memory>
#include <utility>

// While one of these lives, the testing window's keeper runs inside the test process over the
// content tree the test points the program at, with the test's clock: the same keeper the
// program "normakurs-exam" runs, without a program beside the test.
class KeeperInThisProcess {
public:
    explicit KeeperInThisProcess(std::function<QDateTime()> clock = [] {
        return QDateTime::currentDateTime();
    }) {
        ExamChannels::setMaker(
            [clock] { return std::make_unique<Channel>(ContentPaths::ContentDir(), clock); });
    }
    ~KeeperInThisProcess() { ExamChannels::setMaker({}); }

    // The keeper of the next request ends before it answers, as a program that is killed: that
    // request and every later one on the same line fail.
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
