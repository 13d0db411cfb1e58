#include "LaterWork.h"

#include <QPointer>

#include <utility>
#include <vector>

namespace LaterWork {
namespace {

struct Kept {
    QPointer<QObject> owner;
    std::function<void()> work;
};

bool g_holding = false;
std::vector<Kept> g_kept;

} // namespace

void hold() {
    g_holding = true;
}

bool holding() {
    return g_holding;
}

void keep(QObject* owner, std::function<void()> work) {
    if (g_holding)
        g_kept.push_back(Kept{owner, std::move(work)});
    else
        work();
}

void run() {
    g_holding = false;
    for (const Kept& kept : std::exchange(g_kept, {})) {
        if (kept.owner)
            kept.work();
    }
}

void drop() {
    g_holding = false;
    g_kept.clear();
}

} // namespace LaterWork
