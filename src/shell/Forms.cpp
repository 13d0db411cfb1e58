#include "Forms.h"

#include "ErrorGuard.h"
#include "teacher/Unit5.h"
#include "testing/Unit3.h"
#include "textbook/Unit2.h"
#include "Unit1.h"
#include "Unit4.h"

namespace {

std::function<void(const QString&)>& creationHook() {
    static std::function<void(const QString&)> hook;
    return hook;
}

// The global instance is set before the creation handler runs, so the handler may use it.
template <typename T> void createForm(T*& instance) {
    instance = new T();
    T* form = instance;
    guarded([form] {
        if (creationHook())
            creationHook()(form->objectName());
        form->FormCreate();
    });
}

template <typename T> void destroyForm(T*& form) {
    delete form;
    form = nullptr;
}

} // namespace

void createForms() {
    Form1 = new TForm1();
    createForm(Form2);
    createForm(Form3);
    Form4 = new TForm4();
    createForm(Form5);
}

void setCreationHook(std::function<void(const QString& windowName)> hook) {
    creationHook() = std::move(hook);
}

void destroyForms() {
    destroyForm(Form5);
    destroyForm(Form4);
    destroyForm(Form3);
    destroyForm(Form2);
    destroyForm(Form1);
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
