#include "Unit5.h"

#include "content/ContentPaths.h"
#include "shell/GuardedConnect.h"
#include "shell/Unit1.h"

#include <QPushButton>

TForm5* Form5 = nullptr;

TForm5::TForm5()
    : Form(QStringLiteral("Преподовательский контроль")) {
    setObjectName(QStringLiteral("Form5"));
    setClientSize(800, 560);
    centreWhenFirstShown();

    Button1 = new QPushButton(QStringLiteral("Выход"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(800 - 16 - 120, 560 - 16 - 33, 120, 33);
    Button1->setAutoDefault(true);
    onClick(Button1, this, &TForm5::Button1Click);
}

void TForm5::FormCreate() { m_rootDir = ContentPaths::ProgramDir(); }

void TForm5::Button1Click() { closeForm(); }

void TForm5::FormClose() { Form1->showForm(); }
