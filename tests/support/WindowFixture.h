#pragma once

#include "RecordingNavigation.h"
#include "RecordingServices.h"
#include "support/TempContentTree.h"
#include "WindowTestSupport.h"

#include <functional>
#include <memory>
#include <vector>

// What nearly every window and program test sets up anew for each test function: a fresh
// content tree, services that record every box and answer dialogs from queues, and the windows.
// Derive from it after QObject; startFixture() in init(), stopFixture() in cleanup().
class WindowFixture {
public:
    // For initTestCase(): as in the program, only the launcher ends a run; the offscreen
    // platform's notes on raising windows stay out of the output.
    static void prepareApplication();

    // A new tree and new services; false when the tree cannot be made.
    bool startFixture();
    // Takes down the windows, then what they left for the event loop to delete, the rest.
    void stopFixture();

    // Makes one window the way start-up does, on its own: what it asks of other windows is only
    // recorded (m_navigation->requests). The window goes at stopFixture().
    template <typename T>
    void makeWindow(T*& global,
                    WindowTestSupport::Controls controls = WindowTestSupport::Controls::AtOnce) {
        if (!m_navigation)
            m_navigation = std::make_unique<RecordingNavigation>();
        WindowTestSupport::makeWindow(global, controls);
        atStop([&global] { WindowTestSupport::destroyWindow(global); });
    }
    // Something stopFixture() undoes before all that was made earlier (the program's windows).
    void atStop(std::function<void()> undo) { m_undo.push_back(std::move(undo)); }

    std::unique_ptr<TempContentTree> m_content;
    std::unique_ptr<RecordingServices> m_services;
    std::unique_ptr<RecordingNavigation> m_navigation; // only while a window is made alone

private:
    std::vector<std::function<void()>> m_undo;
};
