// The teacher's sign-in: the exact comparison of both fields, the hand-over to the teacher's
// control window, "Назад", and fields that keep their text for the whole run.

#include "support/ProgramTestSupport.h"
#include "support/TestHelpers.h"
#include "support/WidgetTestHelpers.h"
#include "support/WindowFixture.h"
#include "support/WindowTestSupport.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit5.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>

#include <memory>

namespace {

const QString kUserName = QStringLiteral("tutor");
const QString kPassword = QStringLiteral("lmn5827");

using WidgetTestHelpers::ShowCounter;

} // namespace

class TestSignIn : public QObject, protected WindowFixture {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void layout_data();
    void layout();
    void tabOrderAndFirstFocus();
    void passwordIsMasked_data();
    void passwordIsMasked();
    void centredWhenFirstShownThenStays();

    void signIn_data();
    void signIn();
    void enterDoesNotSignIn_data();
    void enterDoesNotSignIn();
    void backShowsLauncherAndKeepsFields_data();
    void backShowsLauncherAndKeepsFields();
    void credentialsNotInProgramFile_data();
    void credentialsNotInProgramFile();

private:
    // From the launcher to the sign-in window, by its "Преподаватель" button.
    void openSignIn();
};

void TestSignIn::initTestCase() {
    WindowFixture::prepareApplication();
}

void TestSignIn::init() {
    QVERIFY(startFixture());
    ProgramTestSupport::makeProgramWindows(*this);
}

void TestSignIn::cleanup() {
    stopFixture();
}

void TestSignIn::openSignIn() {
    Form1->showForm();
    QVERIFY(QTest::qWaitForWindowActive(Form1));
    QTest::mouseClick(Form1->btn3, Qt::LeftButton);
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form4"});
    QVERIFY(QTest::qWaitForWindowActive(Form4));
}

void TestSignIn::layout_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("edt1") << "edt1" << QString() << QRect(16, 32, 281, 24);
    QTest::newRow("edt2") << "edt2" << QString() << QRect(16, 72, 281, 24);
    QTest::newRow("btn1") << "btn1" << QStringLiteral("Войти") << QRect(152, 128, 113, 33);
    QTest::newRow("btn2") << "btn2" << QStringLiteral("Назад") << QRect(32, 128, 113, 33);
}

void TestSignIn::layout() {
    QFETCH(QString, control);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);

    QCOMPARE(Form4->size(), QSize(323, 183));
    QCOMPARE(Form4->minimumSize(), Form4->maximumSize());

    auto* widget = Form4->findChild<QWidget*>(control);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
    QVERIFY(widget->font().bold());
    QCOMPARE(widget->font().pixelSize(), 13);

    if (auto* field = qobject_cast<QLineEdit*>(widget)) {
        QVERIFY(caption.isEmpty());
        QVERIFY(field->text().isEmpty());
    } else {
        auto* button = qobject_cast<QPushButton*>(widget);
        QVERIFY(button);
        QCOMPARE(button->text(), caption);
        QVERIFY(!button->isDefault());
    }
}

void TestSignIn::tabOrderAndFirstFocus() {
    QStringList order;
    for (QWidget* widget = Form4->nextInFocusChain(); widget != Form4;
         widget = widget->nextInFocusChain()) {
        if (widget->focusPolicy() & Qt::TabFocus)
            order.append(widget->objectName());
    }
    QCOMPARE(order, (QStringList{"edt1", "edt2", "btn1", "btn2"}));

    STEP(openSignIn());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form4->edt1));
}

void TestSignIn::passwordIsMasked_data() {
    QTest::addColumn<QString>("skin");
    QTest::newRow("no skin") << QString();
    QTest::newRow("Deep skin") << QStringLiteral(NORMAKURS_SOURCE_DIR
                                                 "/sample/Source/Skin/Deep/deep.qss");
}

void TestSignIn::passwordIsMasked() {
    QFETCH(QString, skin);
    if (!skin.isEmpty()) {
        QFile sheet(skin);
        QVERIFY(sheet.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
    }
    const auto unskin = qScopeGuard([] { qApp->setStyleSheet(QString()); });
    QCOMPARE(Form4->edt2->echoMode(), QLineEdit::Password);
    QCOMPARE(Form4->edt1->echoMode(), QLineEdit::Normal);
    Form4->edt2->setText(kPassword);
    QCOMPARE(Form4->edt2->displayText(), QString(kPassword.size(), QLatin1Char('*')));
}

void TestSignIn::centredWhenFirstShownThenStays() {
    STEP(openSignIn());
    const QScreen* screen = Form4->screen();
    QVERIFY(screen);
    const QPoint offset = Form4->frameGeometry().center() - screen->availableGeometry().center();
    QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1,
             qPrintable(QStringLiteral("off centre by %1, %2").arg(offset.x()).arg(offset.y())));

    const QPoint place(25, 35);
    Form4->move(place);
    QTest::mouseClick(Form4->btn2, Qt::LeftButton);
    STEP(openSignIn());
    QCOMPARE(Form4->pos(), place);
}

void TestSignIn::signIn_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("signsIn");

    QTest::newRow("stored account") << kUserName << kPassword << true;
    QTest::newRow("capital first letter") << "Tutor" << kPassword << false;
    QTest::newRow("capitals") << "TUTOR" << kPassword << false;
    QTest::newRow("blank before user") << " tutor" << kPassword << false;
    QTest::newRow("blank after user") << "tutor " << kPassword << false;
    QTest::newRow("user one letter short") << "tuto" << kPassword << false;
    QTest::newRow("password off by one") << kUserName << "lmn5828" << false;
    QTest::newRow("password one short") << kUserName << "lmn582" << false;
    QTest::newRow("password one long") << kUserName << "lmn58271" << false;
    QTest::newRow("password in capitals") << kUserName << "LMN5827" << false;
    QTest::newRow("blank before password") << kUserName << " lmn5827" << false;
    QTest::newRow("blank after password") << kUserName << "lmn5827 " << false;
    QTest::newRow("empty password") << kUserName << QString() << false;
    QTest::newRow("both empty") << QString() << QString() << false;
    QTest::newRow("fields swapped") << kPassword << kUserName << false;
    QTest::newRow("both in the user field") << kUserName + kPassword << QString() << false;
}

void TestSignIn::signIn() {
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(bool, signsIn);

    STEP(openSignIn());
    Form4->edt1->setText(user);
    Form4->edt2->setText(password);
    ShowCounter launcherShows;
    Form1->installEventFilter(&launcherShows);
    QTest::mouseClick(Form4->btn1, Qt::LeftButton);
    Form1->removeEventFilter(&launcherShows);

    // Closing the sign-in shows the launcher a moment; the hand-over hides it again.
    QCOMPARE(launcherShows.shows, signsIn ? 1 : 0);
    QVERIFY(m_services->errors.isEmpty());
    QVERIFY(m_services->notices.isEmpty());
    QVERIFY(m_services->questions.isEmpty());
    QCOMPARE(Form4->edt1->text(), user);
    QCOMPARE(Form4->edt2->text(), password);
    if (signsIn) {
        QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form5"});
        QVERIFY(QTest::qWaitForWindowActive(Form5));
    } else {
        QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form4"});
        // As many attempts as the teacher likes: the right texts still sign in afterwards.
        Form4->edt1->setText(kUserName);
        Form4->edt2->setText(kPassword);
        Form4->btn1Click();
        QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form5"});
    }
}

void TestSignIn::enterDoesNotSignIn_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("key");

    QTest::newRow("Return in user") << "edt1" << int(Qt::Key_Return);
    QTest::newRow("Return in password") << "edt2" << int(Qt::Key_Return);
    QTest::newRow("Enter in user") << "edt1" << int(Qt::Key_Enter);
    QTest::newRow("Enter in password") << "edt2" << int(Qt::Key_Enter);
}

void TestSignIn::enterDoesNotSignIn() {
    QFETCH(QString, field);
    QFETCH(int, key);

    STEP(openSignIn());
    QTest::keyClicks(Form4->edt1, kUserName);
    QTest::keyClicks(Form4->edt2, kPassword);
    QCOMPARE(Form4->edt1->text(), kUserName);
    QCOMPARE(Form4->edt2->text(), kPassword);

    auto* edit = Form4->findChild<QLineEdit*>(field);
    QVERIFY(edit);
    edit->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(edit));
    QTest::keyClick(edit, static_cast<Qt::Key>(key));

    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form4"});
    QCOMPARE(Form4->edt1->text(), kUserName);
    QCOMPARE(Form4->edt2->text(), kPassword);

    // The same texts do sign in with "Войти".
    QTest::mouseClick(Form4->btn1, Qt::LeftButton);
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form5"});
}

void TestSignIn::backShowsLauncherAndKeepsFields_data() {
    QTest::addColumn<int>("way"); // 0: "Назад", 1: the window system, 2: signed in, then "Выход"

    QTest::newRow("Назад") << 0;
    QTest::newRow("window system") << 1;
    QTest::newRow("from the teacher window") << 2;
}

void TestSignIn::backShowsLauncherAndKeepsFields() {
    QFETCH(int, way);

    STEP(openSignIn());
    QTest::keyClicks(Form4->edt1, kUserName);
    QTest::keyClicks(Form4->edt2, kPassword);

    if (way == 1)
        QVERIFY(Form4->close());
    else
        QTest::mouseClick(way == 0 ? Form4->btn2 : Form4->btn1, Qt::LeftButton);
    if (way == 2) {
        QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form5"});
        QTest::mouseClick(Form5->Button1, Qt::LeftButton);
    }
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form1"});
    QCOMPARE(Form4->edt1->text(), kUserName);
    QCOMPARE(Form4->edt2->text(), kPassword);

    STEP(openSignIn());
    QCOMPARE(Form4->edt1->text(), kUserName);
    QCOMPARE(Form4->edt2->text(), kPassword);
    QVERIFY(m_services->errors.isEmpty());
    QVERIFY(m_services->notices.isEmpty());
    // The kept texts sign in again.
    QTest::mouseClick(Form4->btn1, Qt::LeftButton);
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form5"});
}

void TestSignIn::credentialsNotInProgramFile_data() {
    QTest::addColumn<QByteArray>("needle");

    const auto utf16 = [](const QString& text) {
        return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    };
    QTest::newRow("password, 8-bit") << kPassword.toLatin1();
    QTest::newRow("password, UTF-16") << utf16(kPassword);
    QTest::newRow("user, 8-bit") << kUserName.toLatin1();
    QTest::newRow("user, UTF-16") << utf16(kUserName);
}

void TestSignIn::credentialsNotInProgramFile() {
    QFETCH(QByteArray, needle);

    QFile program(QStringLiteral(NORMAKURS_BUILD_DIR "/normakurs"));
    QVERIFY2(program.open(QIODevice::ReadOnly), qPrintable(program.fileName()));
    const QByteArray bytes = program.readAll();
    // The whole program, not an empty or cut-off file.
    QVERIFY(bytes.size() > 100000);
    QVERIFY(!bytes.contains(needle));
}

QTEST_MAIN(TestSignIn)
#include "TestSignIn.moc"
