#include "Unit2.h"

#include "content/ContentPaths.h"
#include "shell/GuardedConnect.h"
#include "shell/Unit1.h"

#include <QPushButton>

TForm2* Form2 = nullptr;

TForm2::TForm2()
    : Form(QStringLiteral("Электронный учебник ")) {
    setObjectName(QStringLiteral("Form2"));
    setClientSize(800, 560);
    centreWhenFirstShown();

    Button1 = new QPushButton(QStringLiteral("Выход"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(800 - 16 - 120, 560 - 16 - 33, 120, 33);
    Button1->setAutoDefault(true);
    onClick(Button1, this, &TForm2::Button1Click);
}

void TForm2::FormCreate() { m_rootDir = ContentPaths::ContentDir(); }

void TForm2::Button1Click() { closeForm(); }

void TForm2::FormClose() { Form1->showForm(); }
