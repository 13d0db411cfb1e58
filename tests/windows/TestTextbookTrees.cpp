// The textbook's three trees, filled from fixture content trees; the presentation and video
// panels; opening presentations and videos with the desktop.

#include "LaterWork.h"
#include "support/TextbookTestSupport.h"
#include "support/WindowFixture.h"
#include "support/WindowTestSupport.h"
#include "TextbookTree.h"
#include "Unit2.h"

#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace TextbookTestSupport;

namespace {

// Lays out a fixture: every name is below "Content/"; a name ending in "/" is a folder.
void build(const TempContentTree& tree, const QStringList& names) {
    for (const QString& name : names) {
        const QString relative = QStringLiteral("Content/") + name;
        if (name.endsWith(QLatin1Char('/')))
            tree.makeFolder(relative);
        else
            tree.makeFile(relative, "<html></html>");
    }
}

} // namespace

class TestTextbookTrees : public QObject, protected WindowFixture {
    Q_OBJECT

private:
    void startWith(const QStringList& names);
    void showTextbook();

private slots:
    void init();
    void cleanup();

    void filledAtCreation_data();
    void filledAtCreation();
    void missingContentRoot();
    void sameSubjectOrderInAllTrees();
    void heldUntilShownOrPainted_data();
    void heldUntilShownOrPainted();
    void refreshTwiceDoublesNothing();
    void refreshPicksUpNewFiles();
    void showingDoesNotRefill();
    void openWithTheDesktop_data();
    void openWithTheDesktop();
    void clickOnEmptySpaceOpensSelectedAgain();
    void nothingSelectedOpensNothing();
    void editedLabelIsSent();
    void topicTreeIsReadOnly();
    void panelsToggle();
    void bothPanelsOpenAtOnceAboveTheirButtons();
    void panelsSurviveClosing();
};

void TestTextbookTrees::init() {
    QVERIFY(startFixture());
}

void TestTextbookTrees::cleanup() {
    LaterWork::drop(); // a failed check may leave it holding
    stopFixture();
}

void TestTextbookTrees::startWith(const QStringList& names) {
    build(*m_content, names);
    makeWindow(Form2);
}

void TestTextbookTrees::showTextbook() {
    Form2->showForm();
    QVERIFY(Form2->isVisible());
}

void TestTextbookTrees::filledAtCreation_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("topics");
    QTest::addColumn<QString>("presentations");
    QTest::addColumn<QString>("videos");

    QTest::newRow("content root with only files")
        << QStringList{"a.html", "b.txt", "Презентации.ppt"} << ""
        << ""
        << "";
    QTest::newRow("subjects without sub-folders or pages")
        << QStringList{"Алгебра/", "Физика/"} << "Алгебра: | Физика:"
        << "Алгебра: | Физика:"
        << "Алгебра: | Физика:";
    QTest::newRow("pages, presentations and videos")
        << QStringList{"Алгебра/01.html",
                       "Алгебра/02.html",
                       "Алгебра/style.css",
                       "Алгебра/Презентации/Лекция.ppt",
                       "Алгебра/Презентации/Новая.pptx",
                       "Алгебра/Презентации/notes.txt",
                       "Алгебра/Видео/Обзор.avi",
                       "Алгебра/Видео/clip.mp4"}
        << "Алгебра: 01.html, 02.html"
        << "Алгебра: Лекция.ppt, Новая.pptx"
        << "Алгебра: Обзор.avi";
    QTest::newRow("a folder named like a page is a page")
        << QStringList{"Алгебра/x.html/", "Алгебра/Презентации/old.ppt/"} << "Алгебра: x.html"
        << "Алгебра: old.ppt"
        << "Алгебра:";
    QTest::newRow("hidden entries skipped")
        << QStringList{".Скрытый/a.html", "Алгебра/.draft.html", "Алгебра/a.html",
                       "Алгебра/Презентации/.old.ppt", "Алгебра/Видео/.x.avi"}
        << "Алгебра: a.html"
        << "Алгебра:"
        << "Алгебра:";
    QTest::newRow("upper-case extensions")
        << QStringList{"Алгебра/A.HTML", "Алгебра/Видео/B.AVI"} << "Алгебра: A.HTML"
        << "Алгебра:"
        << "Алгебра: B.AVI";
    QTest::newRow("pages only directly in the subject")
        << QStringList{"Алгебра/img/x.html", "Алгебра/Тесты/y.html"} << "Алгебра:"
        << "Алгебра:"
        << "Алгебра:";
}

void TestTextbookTrees::filledAtCreation() {
    QFETCH(QStringList, names);
    QFETCH(QString, topics);
    QFETCH(QString, presentations);
    QFETCH(QString, videos);

    startWith(names);
    QCOMPARE(dump(*Form2->tv1), topics);
    QCOMPARE(dump(*Form2->tv2), presentations);
    QCOMPARE(dump(*Form2->tv3), videos);
    QVERIFY(m_services->errors.isEmpty());
}

void TestTextbookTrees::missingContentRoot() {
    QVERIFY(QDir(m_content->contentDir()).removeRecursively());
    makeWindow(Form2);
    QCOMPARE(Form2->tv1->topLevelItemCount(), 0);
    QCOMPARE(Form2->tv2->topLevelItemCount(), 0);
    QCOMPARE(Form2->tv3->topLevelItemCount(), 0);
    showTextbook();
    Form2->btn6Click();
    QCOMPARE(Form2->tv1->topLevelItemCount(), 0);
    QVERIFY(m_services->errors.isEmpty());
}

void TestTextbookTrees::sameSubjectOrderInAllTrees() {
    startWith({"бета/", "Альфа/", "alpha/", "Beta/", "гамма/"});
    QStringList orders;
    for (const TextbookTree* tree : {Form2->tv1, Form2->tv2, Form2->tv3}) {
        QStringList subjects;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            subjects.append(tree->topLevelItem(i)->text(0));
        orders.append(subjects.join(QLatin1Char(',')));
    }
    QCOMPARE(orders.value(0), QStringLiteral("Альфа,бета,гамма,alpha,Beta"));
    QCOMPARE(orders.value(1), orders.value(0));
    QCOMPARE(orders.value(2), orders.value(0));
}

void TestTextbookTrees::heldUntilShownOrPainted_data() {
    QTest::addColumn<bool>("refreshFirst");  // "Обновить" while the trees still wait
    QTest::addColumn<bool>("showFirst");     // shown before the launcher has painted
    QTest::addColumn<bool>("madeWhenShown"); // controls made when first shown, as in the program
    QTest::newRow("launcher painted") << false << false << false;
    QTest::newRow("shown before") << false << true << false;
    QTest::newRow("refreshed, then launcher painted") << true << false << false;
    QTest::newRow("refreshed, then shown") << true << true << false;
    QTest::newRow("made when shown, after the launcher painted") << false << false << true;
    QTest::newRow("made when shown, before the launcher painted") << false << true << true;
}

// Start-up reads the folders at creation and fills the trees once the launcher has painted, or
// when the textbook is shown before that: never a tree half made, never one filled twice.
void TestTextbookTrees::heldUntilShownOrPainted() {
    QFETCH(bool, refreshFirst);
    QFETCH(bool, showFirst);
    QFETCH(bool, madeWhenShown);
    build(*m_content,
          {"бета/Видео/b.avi", "Альфа/2.html", "Альфа/10.html", "Альфа/Презентации/a.ppt"});
    LaterWork::hold();
    makeWindow(Form2, madeWhenShown ? WindowTestSupport::Controls::WhenShown
                                    : WindowTestSupport::Controls::AtOnce);
    if (refreshFirst)
        Form2->btn6Click();
    const auto trees = [] {
        return QStringList{dump(*Form2->tv1), dump(*Form2->tv2), dump(*Form2->tv3)};
    };
    QCOMPARE(Form2->controlsMade(), !madeWhenShown);
    if (!madeWhenShown)
        QCOMPARE(trees(), QStringList({"", "", ""}));
    const QStringList complete{
        "Альфа: 2.html, 10.html | бета:", "Альфа: a.ppt | бета:", "Альфа: | бета: b.avi"};
    if (showFirst) {
        showTextbook();
        QCOMPARE(trees(), complete);
    }
    LaterWork::run();
    if (!showFirst)
        showTextbook();
    QCOMPARE(trees(), complete);
    QVERIFY(!LaterWork::holding());
}

void TestTextbookTrees::refreshTwiceDoublesNothing() {
    startWith({"Алгебра/01.html", "Алгебра/Презентации/a.ppt", "Физика/Видео/b.avi"});
    const QString topics = dump(*Form2->tv1);
    const QString presentations = dump(*Form2->tv2);
    const QString videos = dump(*Form2->tv3);
    showTextbook();
    QTest::mouseClick(Form2->btn6, Qt::LeftButton);
    QTest::mouseClick(Form2->btn6, Qt::LeftButton);
    QCOMPARE(dump(*Form2->tv1), topics);
    QCOMPARE(dump(*Form2->tv2), presentations);
    QCOMPARE(dump(*Form2->tv3), videos);
    QCOMPARE(topics, QStringLiteral("Алгебра: 01.html | Физика:"));
}

void TestTextbookTrees::refreshPicksUpNewFiles() {
    startWith({"Алгебра/01.html"});
    build(*m_content, {"Алгебра/02.html", "Физика/Видео/b.avi"});
    QCOMPARE(dump(*Form2->tv1), QStringLiteral("Алгебра: 01.html"));
    Form2->btn6Click();
    QCOMPARE(dump(*Form2->tv1), QStringLiteral("Алгебра: 01.html, 02.html | Физика:"));
    QCOMPARE(dump(*Form2->tv3), QStringLiteral("Алгебра: | Физика: b.avi"));
}

void TestTextbookTrees::showingDoesNotRefill() {
    startWith({"Алгебра/01.html"});
    build(*m_content, {"Алгебра/02.html"});
    showTextbook();
    QCOMPARE(dump(*Form2->tv1), QStringLiteral("Алгебра: 01.html"));
}

void TestTextbookTrees::openWithTheDesktop_data() {
    QTest::addColumn<QString>("tree");
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("opened"); // below the content root; empty: nothing opened

    QTest::newRow("presentation") << "tv2"
                                  << "Алгебра/Лекция 1.ppt"
                                  << "Алгебра/Презентации/Лекция 1.ppt";
    QTest::newRow("a longer extension") << "tv2"
                                        << "Алгебра/Новая.pptx"
                                        << "Алгебра/Презентации/Новая.pptx";
    QTest::newRow("video") << "tv3"
                           << "Алгебра/Обзор.avi"
                           << "Алгебра/Видео/Обзор.avi";
    QTest::newRow("presentation subject node") << "tv2"
                                               << "Алгебра"
                                               << "";
    QTest::newRow("video subject node") << "tv3"
                                        << "Алгебра"
                                        << "";
}

void TestTextbookTrees::openWithTheDesktop() {
    QFETCH(QString, tree);
    QFETCH(QString, node);
    QFETCH(QString, opened);

    startWith({"Алгебра/Презентации/Лекция 1.ppt", "Алгебра/Презентации/Новая.pptx",
               "Алгебра/Видео/Обзор.avi"});
    showTextbook();
    Form2->btn4Click();
    Form2->btn3Click();
    auto* view = Form2->findChild<TextbookTree*>(tree);
    QVERIFY(view);
    QTreeWidgetItem* item = TextbookTestSupport::node(*view, node);
    QVERIFY(item);
    clickNode(*view, item);

    const QStringList expected =
        opened.isEmpty() ? QStringList() : QStringList{m_content->contentDir() + opened};
    QCOMPARE(m_services->openedDocuments, expected);
    QVERIFY(m_services->errors.isEmpty());
}

void TestTextbookTrees::clickOnEmptySpaceOpensSelectedAgain() {
    startWith({"Алгебра/Видео/Обзор.avi"});
    showTextbook();
    Form2->btn3Click();
    QTreeWidgetItem* item = node(*Form2->tv3, QStringLiteral("Алгебра/Обзор.avi"));
    QVERIFY(item);
    clickNode(*Form2->tv3, item);
    clickEmptySpace(*Form2->tv3);
    const QString path = m_content->contentDir() + QStringLiteral("Алгебра/Видео/Обзор.avi");
    QCOMPARE(m_services->openedDocuments, (QStringList{path, path}));
}

void TestTextbookTrees::nothingSelectedOpensNothing() {
    startWith({"Алгебра/Презентации/a.ppt"});
    showTextbook();
    Form2->btn4Click();
    Form2->tv2->clearSelection();
    clickEmptySpace(*Form2->tv2);
    Form2->tv2Click();
    QVERIFY(m_services->openedDocuments.isEmpty());
}

void TestTextbookTrees::editedLabelIsSent() {
    startWith({"Алгебра/Презентации/Лекция.ppt"});
    showTextbook();
    Form2->btn4Click();
    QTreeWidgetItem* item = node(*Form2->tv2, QStringLiteral("Алгебра/Лекция.ppt"));
    QVERIFY(item);
    item->parent()->setExpanded(true);
    Form2->tv2->setCurrentItem(item);

    // F2 edits the label in place, as the user does it.
    QTest::keyClick(Form2->tv2, Qt::Key_F2);
    auto* editor = Form2->tv2->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("Другая.ppt"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(item->text(0), QStringLiteral("Другая.ppt"));

    clickNode(*Form2->tv2, item);
    QCOMPARE(
        m_services->openedDocuments,
        QStringList{m_content->contentDir() + QStringLiteral("Алгебра/Презентации/Другая.ppt")});
    // The file itself is untouched, and nothing is reported about the missing one.
    QVERIFY(
        QFile::exists(m_content->contentDir() + QStringLiteral("Алгебра/Презентации/Лекция.ppt")));
    QVERIFY(m_services->errors.isEmpty());
}

void TestTextbookTrees::topicTreeIsReadOnly() {
    startWith({"Алгебра/01.html"});
    showTextbook();
    QTreeWidgetItem* item = node(*Form2->tv1, QStringLiteral("Алгебра"));
    Form2->tv1->setCurrentItem(item);
    QTest::keyClick(Form2->tv1, Qt::Key_F2);
    QVERIFY(!Form2->tv1->viewport()->findChild<QLineEdit*>());
    QCOMPARE(Form2->tv1->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(!(item->flags() & Qt::ItemIsEditable));
}

void TestTextbookTrees::panelsToggle() {
    startWith({"Алгебра/"});
    showTextbook();
    QVERIFY(Form2->pnl2->isHidden());
    QVERIFY(Form2->pnl3->isHidden());

    QTest::mouseClick(Form2->btn4, Qt::LeftButton);
    QVERIFY(Form2->pnl2->isVisible());
    QTest::mouseClick(Form2->btn4, Qt::LeftButton);
    QVERIFY(Form2->pnl2->isHidden());

    QTest::mouseClick(Form2->btn3, Qt::LeftButton);
    QVERIFY(Form2->pnl3->isVisible());
    QTest::mouseClick(Form2->btn3, Qt::LeftButton);
    QVERIFY(Form2->pnl3->isHidden());
}

void TestTextbookTrees::bothPanelsOpenAtOnceAboveTheirButtons() {
    startWith({"Алгебра/"});
    showTextbook();
    QTest::mouseClick(Form2->btn4, Qt::LeftButton);
    QTest::mouseClick(Form2->btn3, Qt::LeftButton);
    QVERIFY(Form2->pnl2->isVisible() && Form2->pnl3->isVisible());

    const auto aboveButton = [](const QFrame* panel, const QPushButton* button) {
        const QPoint buttonAt = button->mapTo(Form2, QPoint(0, 0));
        return panel->x() == buttonAt.x() && panel->geometry().bottom() + 1 == Form2->pnl1->y();
    };
    QVERIFY(aboveButton(Form2->pnl2, Form2->btn4));
    QVERIFY(aboveButton(Form2->pnl3, Form2->btn3));
    QCOMPARE(Form2->pnl2->size(), QSize(185, 305));
    // Each tree fills its panel inside the one-pixel bevel.
    QCOMPARE(Form2->tv2->geometry(), Form2->pnl2->rect().adjusted(1, 1, -1, -1));
    QCOMPARE(Form2->tv3->geometry(), Form2->pnl3->rect().adjusted(1, 1, -1, -1));
}

void TestTextbookTrees::panelsSurviveClosing() {
    startWith({"Алгебра/Презентации/a.ppt"});
    showTextbook();
    Form2->btn4Click();
    QTreeWidgetItem* item = node(*Form2->tv2, QStringLiteral("Алгебра/a.ppt"));
    item->parent()->setExpanded(true);
    Form2->tv2->setCurrentItem(item);

    QTest::mouseClick(Form2->Button1, Qt::LeftButton);
    QVERIFY(Form2->isHidden());
    showTextbook();
    QVERIFY(Form2->pnl2->isVisible());
    QVERIFY(Form2->pnl3->isHidden());
    QCOMPARE(Form2->tv2->selectedNode(), item);
}

NORMAKURS_TEXTBOOK_TEST_MAIN(TestTextbookTrees)
#include "TestTextbookTrees.moc"
