#pragma once

#include "Form.h"

class LauncherPicture;
class QPushButton;

// The launcher: the first window the user sees, and the only one that ends the program.
class TForm1 : public Form {
    Q_OBJECT

public:
    TForm1();

    LauncherPicture* img1 = nullptr;
    QPushButton* btn4 = nullptr;    // "Учебник"
    QPushButton* btn6 = nullptr;    // "Тесты"
    QPushButton* btn3 = nullptr;    // "Преподаватель"
    QPushButton* Button1 = nullptr; // "Выход"

    void btn4Click();
    void btn6Click();
    void btn3Click();
    void Button1Click();

signals:
    // Emitted when the launcher is closed; the event loop ends once the handler has returned.
    void terminationRequested();

protected:
    void FormClose() override;
};

extern TForm1* Form1;
