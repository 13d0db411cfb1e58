#include "Unit3.h"

#include "content/ContentPaths.h"
#include "shell/GuardedConnect.h"
#include "shell/Unit1.h"

#include <QPushButton>

TForm3* Form3 = nullptr;

TForm3::TForm3()
    : Form(QStringLiteral("Тесты")) {
    setObjectName(QStringLiteral("Form3"));
    setClientSize(800, 560);
    centreWhenFirstShown();

    Button1 = new QPushButton(QStringLiteral("Выход"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(800 - 16 - 120, 560 - 16 - 33, 120, 33);
    Button1->setAutoDefault(true);
    onClick(Button1, this, &TForm3::Button1Click);
}

void TForm3::FormCreate() { m_rootDir = ContentPaths::ContentDir(); }

void TForm3::Button1Click() { closeForm(); }

void TForm3::FormClose() { Form1->showForm(); }
