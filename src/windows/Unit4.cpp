#include "Unit4.h"

#include "Fonts.h"
#include "GuardedConnect.h"
#include "Navigation.h"
#include "PasswordMaskStyle.h"
#include "TeacherCredentials.h"

#include <QLineEdit>
#include <QPushButton>

TForm4* Form4 = nullptr;

TForm4::TForm4()
    : Form(QStringLiteral("Авторизация")) {
    setObjectName(QStringLiteral("Form4"));
    centreWhenFirstShown();
    setClientSize(323, 183);
}

void TForm4::buildControls() {
    const QFont font = Fonts::tahomaBold(13);

    edt1 = new QLineEdit(this);
    edt1->setObjectName(QStringLiteral("edt1"));
    edt1->setAccessibleName(QStringLiteral("Имя пользователя"));
    edt1->setGeometry(16, 32, 281, 24);
    edt1->setFont(font);

    edt2 = new QLineEdit(this);
    edt2->setObjectName(QStringLiteral("edt2"));
    edt2->setAccessibleName(QStringLiteral("Пароль"));
    edt2->setGeometry(16, 72, 281, 24);
    edt2->setFont(font);
    edt2->setEchoMode(QLineEdit::Password);
    edt2->setStyle(new PasswordMaskStyle(edt2));

    btn1 = new QPushButton(QStringLiteral("Войти"), this);
    btn1->setObjectName(QStringLiteral("btn1"));
    btn1->setGeometry(152, 128, 113, 33);
    btn1->setFont(font);
    btn1->setAutoDefault(true);

    btn2 = new QPushButton(QStringLiteral("Назад"), this);
    btn2->setObjectName(QStringLiteral("btn2"));
    btn2->setGeometry(32, 128, 113, 33);
    btn2->setFont(font);
    btn2->setAutoDefault(true);

    setTabOrder(edt1, edt2);
    setTabOrder(edt2, btn1);
    setTabOrder(btn1, btn2);
    edt1->setFocus();

    onClick(btn1, this, &TForm4::btn1Click);
    onClick(btn2, this, &TForm4::btn2Click);
}

void TForm4::btn1Click() {
    if (!TeacherCredentials::userNameMatches(edt1->text()))
        return;
    if (!TeacherCredentials::passwordMatches(edt2->text()))
        return;
    AllRight();
}

void TForm4::AllRight() {
    navigation().handOver(*this, WindowId::Teacher);
}

void TForm4::btn2Click() {
    closeForm();
}

void TForm4::FormClose() {
    navigation().show(WindowId::Launcher);
}
