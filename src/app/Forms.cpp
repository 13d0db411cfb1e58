#include "Forms.h"

#include "ErrorGuard.h"
#include "Navigation.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit5.h"

namespace {

Form* formOf(WindowId window) {
    switch (window) {
    case WindowId::Launcher:
        return Form1;
    case WindowId::Textbook:
        return Form2;
    case WindowId::Testing:
        return Form3;
    case WindowId::SignIn:
        return Form4;
    case WindowId::Teacher:
        return Form5;
    }
    return nullptr;
}

// The hand-overs the windows ask for, carried out on the program's five windows.
class FormsNavigation : public Navigation {
public:
    void show(WindowId window) override {
        if (Form* form = formOf(window))
            form->showForm();
    }
    void handOver(Form& source, WindowId target) override {
        if (Form* form = formOf(target))
            ::handOver(source, *form);
    }
};

FormsNavigation g_navigation;

// The global instance is set before the creation handler runs, so the handler may use it.
template <typename T> Form* make(T*& instance) {
    instance = new T();
    return instance;
}

template <typename T> void destroyForm(T*& form) {
    delete form;
    form = nullptr;
}

} // namespace

std::vector<WindowMaker> programWindows() {
    return {
        {[] { return make(Form1); }, {}},
        {[] { return make(Form2); }, [](Form&) { Form2->FormCreate(); }},
        {[] { return make(Form3); }, [](Form&) { Form3->FormCreate(); }},
        {[] { return make(Form4); }, {}},
        {[] { return make(Form5); }, [](Form&) { Form5->FormCreate(); }},
    };
}

void createForms(const std::vector<WindowMaker>& windows) {
    setNavigation(&g_navigation);
    for (const WindowMaker& maker : windows) {
        Form* window = maker.make();
        if (maker.create)
            guarded([&maker, window] { maker.create(*window); });
    }
}

void destroyForms() {
    destroyForm(Form5);
    destroyForm(Form4);
    destroyForm(Form3);
    destroyForm(Form2);
    destroyForm(Form1);
    setNavigation(nullptr);
}

void handOver(Form& source, Form& target) {
    target.showForm();
    source.closeForm();
    if (Form1)
        Form1->hide();
    // The source's close handler showed the launcher and made it the active window; hiding it
    // leaves no active window, so the target takes the activation back.
    target.raise();
    target.activateWindow();
}
