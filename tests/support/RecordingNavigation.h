#pragma once

#include "Navigation.h"

#include <QStringList>

// The navigation for a window tested on its own: notes every request and carries none out.
// A request reads "show Launcher" or, for a hand-over, "Form2 to Testing". Installs itself for
// its lifetime.
class RecordingNavigation : public Navigation {
public:
    RecordingNavigation();
    ~RecordingNavigation() override;

    void show(WindowId window) override;
    void handOver(Form& source, WindowId target) override;

    QStringList requests;
};
