#include "Unit2.h"

#include "BrowserView.h"
#include "ContentPaths.h"
#include "Controls.h"
#include "ErrorGuard.h"
#include "FindBar.h"
#include "Fonts.h"
#include "GuardedConnect.h"
#include "LaterWork.h"
#include "myTabPanel.h"
#include "Navigation.h"
#include "PlatformServices.h"
#include "PlusLabel.h"
#include "SystemColours.h"
#include "TextbookLayout.h"
#include "TextbookLog.h"
#include "TextbookTree.h"
#include "WorkArea.h"

#include <QDateTime>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

TForm2* Form2 = nullptr;

namespace {
// Time for the window to appear before the engine starts beside it.
constexpr int kEngineWarmUpDelayMs = 300;
} // namespace

namespace {

using Controls::named;

using Strip = TabStrip<TmyTabPanel>;
using TopicTrees::Tree;

const QString kNewTab = QStringLiteral("Новая вкладка");

QFrame* makePanel(QWidget* parent, const char* name, const QRect& place) {
    auto* panel = named(new QFrame(parent), name);
    panel->setFrameShape(QFrame::NoFrame);
    panel->setGeometry(place);
    return panel;
}

} // namespace

TForm2::TForm2()
    : Form(QStringLiteral("Электронный учебник ")) {
    setObjectName(QStringLiteral("Form2"));
    setClientSize(1172, 563);
}

void TForm2::buildControls() {
    // Created bottom to top: pgc1, tv1, pnl1, pnl2, btn1, pnl3. The fold button thus lies over
    // the tree and the content panel, and the list panels over the browser views.
    pgc1 = makePanel(this, "pgc1", QRect(200, 0, 321, 161));
    pnl4 = makePanel(pgc1, "pnl4", QRect(0, 0, 321, TextbookLayout::kStripHeight));
    SystemColours::setBackground(*pnl4, SystemColours::clMenuHighlight());

    auto* plus = new PlusLabel(QStringLiteral("+"), pnl4);
    addpage = named(static_cast<QLabel*>(plus), "addpage", QStringLiteral("Новая вкладка"));
    addpage->setTextFormat(Qt::PlainText);
    addpage->setFont(Fonts::tahomaBold(27));
    SystemColours::setFontColour(*addpage, SystemColours::clWhite());
    addpage->setCursor(Qt::PointingHandCursor);
    addpage->adjustSize();
    addpage->move(0, 0);
    guardedConnect(plus, &PlusLabel::clicked, this, &TForm2::addpageClick);

    tv1 = named(new TextbookTree(this, false), "tv1", QStringLiteral("Темы"));
    tv1->setFont(Fonts::tahomaBold(13));
    tv1->setGeometry(0, 0, TextbookLayout::kTreeWidth, 553);
    guardedConnect(tv1, &TextbookTree::clicked, this, &TForm2::tv1Click);

    buildButtonBar();
    buildListPanels();

    findBar = new FindBar(this);
    findBar->setPageSource([this] { return activeBrowser(); });
    auto* find = new QShortcut(QKeySequence::Find, this);
    guardedConnect(find, &QShortcut::activated, this, &TForm2::findInPage);
    fillSortedTrees();
}

TForm2::~TForm2() {
    // The views go before the window's own widgets, while the engine is certainly there.
    if (controlsMade())
        closeAllTabs();
}

void TForm2::buildButtonBar() {
    pnl1 = makePanel(this, "pnl1", QRect(372, 448, 705, TextbookLayout::kBarHeight));
    SystemColours::setBackground(*pnl1, SystemColours::clMenuHighlight());

    btn2 = Controls::button(pnl1, "btn2", QStringLiteral("Тесты"), QRect(16, 8, 169, 33));
    btn3 = Controls::button(pnl1, "btn3", QStringLiteral("Мультимедиа"), QRect(200, 8, 169, 33));
    btn4 = Controls::button(pnl1, "btn4", QStringLiteral("Презентации"), QRect(384, 8, 169, 33));
    for (QPushButton* button : {btn2, btn3, btn4})
        button->setFont(Fonts::tahomaBold(13));
    btn6 = Controls::button(pnl1, "btn6", QStringLiteral("Обновить"), QRect(544, 8, 75, 33));
    Button1 = Controls::button(pnl1, "Button1", QStringLiteral("Выход"), QRect(624, 8, 75, 33));

    onClick(btn2, this, &TForm2::btn2Click);
    onClick(btn3, this, &TForm2::btn3Click);
    onClick(btn4, this, &TForm2::btn4Click);
    onClick(btn6, this, &TForm2::btn6Click);
    onClick(Button1, this, &TForm2::Button1Click);
}

void TForm2::buildListPanels() {
    const auto listPanel = [this](const char* name, const char* treeName, const QString& title,
                                  const QRect& place, TextbookTree*& tree) {
        QFrame* panel = makePanel(this, name, place);
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        panel->setLineWidth(1);
        auto* layout = new QVBoxLayout(panel);
        layout->setContentsMargins(0, 0, 0, 0);
        tree = named(new TextbookTree(panel, true), treeName, title);
        layout->addWidget(tree);
        panel->hide();
        return panel;
    };

    pnl2 = listPanel("pnl2", "tv2", QStringLiteral("Презентации"), QRect(744, 136, 185, 305), tv2);
    guardedConnect(tv2, &TextbookTree::clicked, this, &TForm2::tv2Click);

    btn1 = Controls::button(this, "btn1", QStringLiteral("<"), QRect(184, 264, 33, 25));
    btn1->setAccessibleName(QStringLiteral("Свернуть темы"));
    btn1->setFont(Fonts::tahomaBold(13));
    onClick(btn1, this, &TForm2::btn1Click);

    pnl3 = listPanel("pnl3", "tv3", QStringLiteral("Видео"), QRect(560, 136, 185, 305), tv3);
    guardedConnect(tv3, &TextbookTree::clicked, this, &TForm2::tv3Click);
}

// Creation and trees ------------------------------------------------------------------------

void TForm2::FormCreate() {
    m_treeShown = true;
    m_contentDir = ContentPaths::ContentDir();
    LoadInTree();
    // Once the launcher is on screen, the engine's libraries load beside it, so that a page
    // opened as soon as the textbook appears does not wait for them (they cost the idle launcher
    // about 7 MB of its own memory). Nobody opens a page of the offscreen platform.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        LaterWork::keep(this, [] { BrowserView::loadEngineAhead(); });
}

void TForm2::fillTree(Tree kind) {
    m_unfilled.erase(
        std::remove_if(m_unfilled.begin(), m_unfilled.end(),
                       [kind](const UnfilledTree& unfilled) { return unfilled.kind == kind; }),
        m_unfilled.end());
    m_unfilled.push_back({kind, TopicTrees::read(m_contentDir, kind), false});
    LaterWork::keep(this, [this] { completeTrees(); });
}

TextbookTree* TForm2::treeOf(Tree kind) const {
    switch (kind) {
    case Tree::Topics:
        return tv1;
    case Tree::Presentations:
        return tv2;
    case Tree::Videos:
        return tv3;
    }
    return nullptr;
}

void TForm2::completeTrees() {
    for (UnfilledTree& unfilled : m_unfilled)
        if (!std::exchange(unfilled.sorted, true))
            TopicTrees::sort(unfilled.branches);
    fillSortedTrees();
}

void TForm2::fillSortedTrees() {
    // A window not made yet fills its trees as it is made; work still held waits for its turn.
    if (!controlsMade())
        return;
    const auto sorted = [](const UnfilledTree& unfilled) { return unfilled.sorted; };
    for (const UnfilledTree& unfilled : m_unfilled) {
        if (!sorted(unfilled))
            continue;
        TextbookTree* tree = treeOf(unfilled.kind);
        for (const TopicTrees::Branch& branch : unfilled.branches)
            tree->addBranch(branch.subject, branch.entries);
    }
    m_unfilled.erase(std::remove_if(m_unfilled.begin(), m_unfilled.end(), sorted),
                     m_unfilled.end());
}

void TForm2::LoadInTree() {
    fillTree(Tree::Topics);
    LoadInSTree();
}

void TForm2::LoadInSTree() {
    fillTree(Tree::Presentations);
    LoadInTTree();
}

void TForm2::LoadInTTree() {
    fillTree(Tree::Videos);
}

void TForm2::btn6Click() {
    tv1->clear();
    tv2->clear();
    tv3->clear();
    LoadInTree();
}

void TForm2::btn4Click() {
    pnl2->setHidden(!pnl2->isHidden());
}

void TForm2::btn3Click() {
    pnl3->setHidden(!pnl3->isHidden());
}

void TForm2::openSelected(TextbookTree& tree, Tree kind) {
    const QTreeWidgetItem* node = tree.selectedNode();
    if (!node || !node->parent())
        return;
    services().openDocument(
        TopicTrees::pathOf(m_contentDir, kind, node->parent()->text(0), node->text(0)));
}

void TForm2::tv2Click() {
    openSelected(*tv2, Tree::Presentations);
}

void TForm2::tv3Click() {
    openSelected(*tv3, Tree::Videos);
}

// Tabs ----------------------------------------------------------------------------------------

void TForm2::paintHeader(TmyTabPanel* header, bool active) {
    header->setColor(active ? SystemColours::clScrollBar() : SystemColours::cl3DDkShadow());
}

BrowserView* TForm2::activeBrowser() const {
    return ActiveTab() ? ActiveTab()->GetBros() : nullptr;
}

void TForm2::NewPage() {
    if (m_tabs.isFull())
        return;

    auto* header = new TmyTabPanel(pnl4); // owned by the strip and lying in it
    header->setObjectName(QStringLiteral("tab"));
    SystemColours::setFontColour(*header, SystemColours::clWhite());
    header->setAlignment(Qt::AlignCenter);
    if (TmyTabPanel* previous = ActiveTab())
        paintHeader(previous, false);
    const int slot = m_tabs.open(header);
    paintHeader(header, true);
    header->setGeometry(Strip::leftOf(slot), 0, Strip::kHeaderWidth, Strip::kHeight);
    header->setCaption(kNewTab);
    header->Tag = slot;
    header->Start();
    addpage->move(m_tabs.plusLeft(), 0);

    guardedConnect(header, &TmyTabPanel::clicked, this, &TForm2::PClick);
    if (auto* label = header->findChild<TmyCloseLabel*>(QStringLiteral("but")))
        guardedConnect(label, &TmyCloseLabel::mouseUp, this, &TForm2::Tabclose);
    header->show();

    // Should the view fail to come up, the header stays, active and without a view.
    auto* browser = new BrowserView(pgc1, pgc1);
    browser->place(0, Strip::kHeight, pgc1->width(), pgc1->height() - Strip::kHeight);
    header->SetBrows(browser);
}

void TForm2::addpageClick() {
    NewPage();
}

void TForm2::PClick(TmyTabPanel* sender) {
    if (sender == ActiveTab())
        return;
    if (TmyTabPanel* previous = ActiveTab())
        paintHeader(previous, false);
    m_tabs.activate(sender);
    paintHeader(sender, true);
    if (BrowserView* browser = sender->GetBros())
        browser->bringToFront();
}

void TForm2::Tabclose(TmyCloseLabel* sender, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    // The label's Tag is its header's slot; the strip forgets the header there (and the active
    // tab with it, when it was that one) and moves the later headers one slot down.
    const Strip::Closed closed = m_tabs.close(sender->Tag);
    if (!closed.tab)
        return;
    // This runs inside the label's own mouse event: the header is hidden and its view destroyed
    // now, the header and the label a moment later.
    closed.tab->closeSoon();
    for (const Strip::Move& move : closed.moves) {
        move.tab->Tag = move.to;
        if (auto* label = move.tab->findChild<TmyCloseLabel*>(QStringLiteral("but")))
            label->Tag = move.to;
        move.tab->move(Strip::leftOf(move.to), 0);
    }
    addpage->move(m_tabs.plusLeft(), 0);
}

void TForm2::closeAllTabs() {
    for (TmyTabPanel* header : m_tabs.closeAll())
        delete header;
    addpage->move(0, 0);
}

// The window ----------------------------------------------------------------------------------

void TForm2::FormShow() {
    qCDebug(lcTextbook, "show handler at %lld", QDateTime::currentMSecsSinceEpoch());
    completeTrees();
    fillWorkArea();
    const TextbookLayout l = TextbookLayout::forClient(width(), height());
    tv1->setGeometry(l.tv1);
    btn1->setGeometry(l.btn1);
    placeContentPanel(l.pgc1);
    pnl1->setGeometry(l.pnl1);
    btn2->setGeometry(l.btn2);
    btn3->setGeometry(l.btn3);
    btn4->setGeometry(l.btn4);
    btn6->setGeometry(l.btn6);
    Button1->setGeometry(l.Button1);
    pnl2->setGeometry(l.pnl2);
    pnl3->setGeometry(l.pnl3);
    m_tabs.setCapacity(l.tabCapacity);

    // A window closed with its tree folded opens folded, exactly as folding leaves it.
    if (!m_treeShown)
        TreeUnShow();
}

void TForm2::showEvent(QShowEvent* event) {
    Form::showEvent(event);
    qCDebug(lcTextbook, "window shown at %lld", QDateTime::currentMSecsSinceEpoch());
    // Once the window is on screen and the student looks for a topic, the engine gets ready
    // for the first page. Should it fail, the page that is then opened reports it. Nobody looks
    // at a window of the offscreen platform, so nobody waits for a page there.
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    QTimer::singleShot(kEngineWarmUpDelayMs, this, [this] {
        if (!isVisible())
            return;
        try {
            BrowserView::prepareSpare(pgc1, m_contentDir);
        } catch (...) {
        }
    });
}

void TForm2::placeContentPanel(const QRect& place) {
    pgc1->setGeometry(place);
    // The strip is held to the panel's left, top and right edges.
    pnl4->setGeometry(0, 0, place.width(), TextbookLayout::kStripHeight);
    // The find bar keeps to the content panel's top right corner, under the strip.
    findBar->move(place.right() + 1 - FindBar::kWidth - 24,
                  place.top() + TextbookLayout::kStripHeight + 6);
}

void TForm2::btn1Click() {
    if (m_treeShown)
        TreeUnShow();
    else
        TreeShow();
}

void TForm2::TreeShow() {
    tv1->show();
    m_treeShown = true;
    btn1->move(TextbookLayout::unfoldedButtonLeft(), btn1->y());
    btn1->setText(QStringLiteral("<"));
    btn1->setAccessibleName(QStringLiteral("Свернуть темы"));
    placeContentPanel(TextbookLayout::unfoldedContent(width(), height()));
    pnl1->show();
}

void TForm2::TreeUnShow() {
    tv1->hide();
    m_treeShown = false;
    btn1->move(TextbookLayout::foldedButton(btn1->geometry()));
    btn1->setText(QStringLiteral(">"));
    btn1->setAccessibleName(QStringLiteral("Показать темы"));
    placeContentPanel(TextbookLayout::foldedContent(width(), height()));
    pnl1->hide();
    pnl2->hide();
    pnl3->hide();
}

void TForm2::tv1Click() {
    const QTreeWidgetItem* node = tv1->selectedNode();
    if (!node || !node->parent())
        return;
    if (!activeBrowser()) {
        // No tab to show it in: open one as "+" does, then take the same click again.
        addpageClick();
        if (!activeBrowser())
            return;
    }
    ActiveTab()->setCaption(node->text(0));
    activeBrowser()->navigate(
        TopicTrees::pathOf(m_contentDir, Tree::Topics, node->parent()->text(0), node->text(0)));
}

void TForm2::btn2Click() {
    navigation().handOver(*this, WindowId::Testing);
}

void TForm2::Button1Click() {
    closeForm();
}

void TForm2::findInPage() {
    findBar->open();
}

void TForm2::FormClose() {
    navigation().show(WindowId::Launcher);
    findBar->dismiss();
    closeAllTabs();
}
