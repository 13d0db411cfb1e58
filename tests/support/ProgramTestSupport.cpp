#include "ProgramTestSupport.h"

#include "Forms.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit5.h"
#include "WindowFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace ProgramTestSupport {

void makeProgramWindows(WindowFixture& fixture) {
    createForms();
    fixture.atStop([] { destroyForms(); });
    for (Form* window : std::initializer_list<Form*>{Form1, Form2, Form3, Form4, Form5})
        window->makeControls();
}

bool clickThroughTo(const QString& window) {
    if (window == QLatin1String("Form2")) {
        QTest::mouseClick(Form1->btn4, Qt::LeftButton);
    } else if (window == QLatin1String("Form3")) {
        QTest::mouseClick(Form1->btn6, Qt::LeftButton);
    } else if (window == QLatin1String("Form4")) {
        QTest::mouseClick(Form1->btn3, Qt::LeftButton);
    } else if (window == QLatin1String("Form5")) {
        QTest::mouseClick(Form1->btn3, Qt::LeftButton);
        Form4->edt1->setText(QStringLiteral("tutor"));
        Form4->edt2->setText(QStringLiteral("lmn5827"));
        QTest::mouseClick(Form4->btn1, Qt::LeftButton);
    } else {
        return false;
    }
    return true;
}

} // namespace ProgramTestSupport
