#pragma once

#include "RecordingNavigation.h"
#include "RecordingServices.h"
#include "support/TempContentTree.h"
#include "WindowTestSupport.h"

#include <functional>
#include <memory>
#include <vector>

// The set-up nearly every window and program test repeats, made anew for each test function: a
// fresh content tree for the windows to read, platform services that record every box and
// answer the dialogs from queues, and the windows under test. stop() takes it all down again:
// the windows first, then what they left for the event loop to delete, the services, the tree.
class WindowFixture {
public:
    // For initTestCase(): as in the program, only the launcher ends a run; the offscreen
    // platform's notes on raising windows stay out of the output.
    static void prepareApplication();

    // For init(): a new tree and new services. False when the tree cannot be made.
    bool start();
    // For cleanup().
    void stop();

    // Makes one window the way start-up does, on its own: what it asks of other windows is only
    // recorded (navigation->requests). The window goes at stop().
    template <typename T> void makeWindow(T*& global) {
        if (!navigation)
            navigation = std::make_unique<RecordingNavigation>();
        WindowTestSupport::makeWindow(global);
        atStop([&global] { WindowTestSupport::destroyWindow(global); });
    }
    // Something stop() undoes before all that was made earlier (the program's windows).
    void atStop(std::function<void()> undo) { m_undo.push_back(std::move(undo)); }

    std::unique_ptr<TempContentTree> content;
    std::unique_ptr<RecordingServices> services;
    std::unique_ptr<RecordingNavigation> navigation;

private:
    std::vector<std::function<void()>> m_undo;
};
