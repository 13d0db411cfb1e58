#pragma once

#include <QByteArray>

#include <functional>
#include <memory>

// The testing window's line to the exam keeper.
class ExamChannel {
public:
    virtual ~ExamChannel() = default;

    // Sends one request line (with its line feed) and gives the reply line without its line
    // feed. Throws Failure when the keeper cannot be reached or ends without a reply.
    virtual QByteArray exchange(const QByteArray& request) = 0;
};

namespace ExamChannels {

using Maker = std::function<std::unique_ptr<ExamChannel>()>;

// A new line to a keeper: the program "normakurs-exam" beside the running executable, started
// on the first request.
std::unique_ptr<ExamChannel> make();

// Where the lines come from instead (a keeper in the same process, for tests); an empty maker
// restores the program beside the executable.
void setMaker(Maker maker);

} // namespace ExamChannels
