#include "Navigation.h"

namespace {

class NoNavigation : public Navigation {
public:
    void show(WindowId) override {}
    void handOver(Form&, WindowId) override {}
};

NoNavigation g_none;
Navigation* g_current = &g_none;

} // namespace

Navigation& navigation() {
    return *g_current;
}

void setNavigation(Navigation* navigation) {
    g_current = navigation ? navigation : &g_none;
}
