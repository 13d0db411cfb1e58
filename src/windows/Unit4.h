#pragma once

#include "Form.h"

class QLineEdit;
class QPushButton;

// The teacher's sign-in, between the launcher and the teacher's control window.
class TForm4 : public Form {
    Q_OBJECT

public:
    TForm4();

    QLineEdit* edt1 = nullptr;   // user name
    QLineEdit* edt2 = nullptr;   // password
    QPushButton* btn1 = nullptr; // "Войти"
    QPushButton* btn2 = nullptr; // "Назад"

    void btn1Click();
    void btn2Click();
    void AllRight();

protected:
    void buildControls() override;
    void FormClose() override;
};

extern TForm4* Form4;
