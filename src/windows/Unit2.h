#pragma once

#include "Form.h"
#include "TabStrip.h"
#include "TopicTrees.h"

#include <vector>

class BrowserView;
class FindBar;
class QFrame;
class QLabel;
class QPushButton;
class TextbookTree;
class TmyCloseLabel;
class TmyTabPanel;

// The textbook: the topic tree on the left, the content panel with the tab strip and the tabs'
// browser views, the button bar under it, and the small presentation and video panels that
// stand above their buttons.
class TForm2 : public Form {
    Q_OBJECT

public:
    TForm2();
    ~TForm2() override;

    // Controls, bottom to top as they are stacked.
    QFrame* pgc1 = nullptr;         // content panel
    QFrame* pnl4 = nullptr;         // tab strip, in pgc1
    QLabel* addpage = nullptr;      // "+", in pnl4
    TextbookTree* tv1 = nullptr;    // topics
    QFrame* pnl1 = nullptr;         // button bar
    QPushButton* btn2 = nullptr;    // "Тесты"
    QPushButton* btn3 = nullptr;    // "Мультимедиа"
    QPushButton* btn4 = nullptr;    // "Презентации"
    QPushButton* btn6 = nullptr;    // "Обновить"
    QPushButton* Button1 = nullptr; // "Выход"
    QFrame* pnl2 = nullptr;         // presentations panel
    TextbookTree* tv2 = nullptr;
    QPushButton* btn1 = nullptr; // fold button
    QFrame* pnl3 = nullptr;      // video panel
    TextbookTree* tv3 = nullptr;
    FindBar* findBar = nullptr; // Ctrl+F, above everything

    // The creation handler, run once at start-up: it reads the trees, which the window fills
    // once its controls are made.
    void FormCreate();

    // Trees.
    void LoadInTree();
    void LoadInSTree();
    void LoadInTTree();
    void btn6Click();
    void btn4Click();
    void btn3Click();
    void tv2Click();
    void tv3Click();

    // Tabs.
    void NewPage();
    void addpageClick();
    void PClick(TmyTabPanel* sender);
    void Tabclose(TmyCloseLabel* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                  int y);
    void closeAllTabs();

    // The window.
    void btn1Click();
    void TreeShow();
    void TreeUnShow();
    void tv1Click();
    void btn2Click();
    void Button1Click();
    void findInPage(); // Ctrl+F

    // State.
    const QString& ContentDir() const { return m_contentDir; }
    bool TreeShown() const { return m_treeShown; }
    TmyTabPanel* TabList(int slot) const { return m_tabs.at(slot); }
    int TabCount() const { return m_tabs.count(); }
    int TabCapacity() const { return m_tabs.capacity(); }
    TmyTabPanel* ActiveTab() const { return m_tabs.active(); }
    // The page of the active tab, or null.

protected:
    void buildControls() override;
    void FormShow() override;
    void FormClose() override;
    void showEvent(QShowEvent* event) override;

private:
    void buildButtonBar();
    void buildListPanels();
    void fillTree(TopicTrees::Tree kind);
    TextbookTree* treeOf(TopicTrees::Tree kind) const;
    void completeTrees();
    void fillSortedTrees();
    void openSelected(TextbookTree& tree, TopicTrees::Tree kind);
    void placeContentPanel(const QRect& place);
    void paintHeader(TmyTabPanel* header, bool active);
    BrowserView* activeBrowser() const;

    QString m_contentDir;
    // Trees read but not yet filled: start-up puts them in order once the launcher has painted,
    // and fills them then or, when the window is made later, as it is made.
    struct UnfilledTree {
        TopicTrees::Tree kind;
        QVector<TopicTrees::Branch> branches;
        bool sorted;
    };
    std::vector<UnfilledTree> m_unfilled;
    bool m_treeShown = true;
    TabStrip<TmyTabPanel> m_tabs;
};

extern TForm2* Form2;
