#include "Unit1.h"

#include "Controls.h"
#include "GuardedConnect.h"
#include "LauncherArtwork.h"
#include "LauncherPicture.h"
#include "Navigation.h"

#include <QPushButton>

TForm1* Form1 = nullptr;

TForm1::TForm1()
    : Form(QStringLiteral("Нормакурс")) {
    setObjectName(QStringLiteral("Form1"));
    centreWhenFirstShown();
    setClientSize(869, 447);

    img1 = new LauncherPicture(this);
    img1->setObjectName(QStringLiteral("img1"));
    img1->setGeometry(0, 0, LauncherArtwork::kWidth, LauncherArtwork::kHeight);

    btn4 = Controls::button(this, "btn4", QStringLiteral("Учебник"), QRect(94, 248, 139, 36));
    btn6 = Controls::button(this, "btn6", QStringLiteral("Тесты"), QRect(96, 312, 137, 36));
    btn3 = Controls::button(this, "btn3", QStringLiteral("Преподаватель"), QRect(96, 363, 137, 41));
    Button1 = Controls::button(this, "Button1", QStringLiteral("Выход"), QRect(598, 392, 169, 35));

    setTabOrder(btn3, btn4);
    setTabOrder(btn4, btn6);
    setTabOrder(btn6, Button1);
    btn3->setFocus();

    onClick(btn4, this, &TForm1::btn4Click);
    onClick(btn6, this, &TForm1::btn6Click);
    onClick(btn3, this, &TForm1::btn3Click);
    onClick(Button1, this, &TForm1::Button1Click);
}

void TForm1::btn4Click() {
    navigation().show(WindowId::Textbook);
    hide();
}

void TForm1::btn6Click() {
    navigation().show(WindowId::Testing);
    hide();
}

void TForm1::btn3Click() {
    navigation().show(WindowId::SignIn);
    hide();
}

void TForm1::Button1Click() {
    closeForm();
}

void TForm1::FormClose() {
    emit terminationRequested();
}
