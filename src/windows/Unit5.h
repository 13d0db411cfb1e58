#pragma once

#include "Form.h"
#include "ReportListing.h"

#include <memory>

class BrowserView;
class EditorClipboard;
class EditorHotKeys;
class JournalPage;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTimer;
class QTreeWidget;
class QuestionCountBox;

// The teacher's control window: the editor for tests and materials, the review of the students'
// reports and the course's help page, on three pages. The editor's keys Ctrl+A, Ctrl+C and
// Ctrl+V act on the editor from every page while this window is the active one.
class TForm5 : public Form {
    Q_OBJECT

public:
    TForm5();
    ~TForm5() override;

    // The creation handler, run once at start-up: takes the program's folder and fills the
    // report tree.
    void FormCreate();

    QTabWidget* pgc1 = nullptr;
    QWidget* ts1 = nullptr;         // "Редактор"
    QWidget* ts2 = nullptr;         // "Проверка отчетов"
    QWidget* ts3 = nullptr;         // "Справка"
    JournalPage* ts4 = nullptr;     // "Журнал"
    QPushButton* Button1 = nullptr; // "Выход", over the row of page tabs
    // "Печать отчёта", over the row of tabs beside "Выход" while the report page is in front
    QPushButton* btnPrintReport = nullptr;

    // Editor page
    QPlainTextEdit* mmo1 = nullptr;  // the editor
    QLabel* lbl3 = nullptr;          // status line: the editor's text read as a test
    QPushButton* btn3 = nullptr;     // "Создать тест"
    QPushButton* btn13 = nullptr;    // "Предмет"
    QPushButton* openfile = nullptr; // "Открыть файл"
    QPushButton* btn1 = nullptr;     // "Открыть документ "
    QPushButton* btn2 = nullptr;     // "Сохранить файл"
    QPushButton* btnImport = nullptr; // "Импорт вопросов": a question bank into the editor
    QFrame* pnl1 = nullptr;           // test skeleton request
    QLabel* lbl1 = nullptr;
    QuestionCountBox* se1 = nullptr; // question count
    QPushButton* btn4 = nullptr;     // "Ок"
    QFrame* pnl2 = nullptr;          // new subject request
    QLabel* lbl2 = nullptr;
    QLineEdit* edt1 = nullptr;   // subject name
    QPushButton* btn5 = nullptr; // "Создать"

    // Report page
    QTreeWidget* tv1 = nullptr;     // subjects and their reports
    QPlainTextEdit* mmo2 = nullptr; // the report opened last

    // Help page: made when the page is first shown, so that the browser engine starts only then.
    BrowserView* wb1 = nullptr;

    void Button1Click();
    void btn1Click();
    void btn2Click();
    void openfileClick();
    void btn3Click();
    void btn4Click();
    void btn13Click();
    void btn5Click();
    void btnImportClick();
    void tv1Click();
    void btnPrintReportClick();
    void ts3Show();
    // One of the editor's keys, by id (EditorHotKeys::Id).
    void WMHotkey(int id);

    // The editor's text, lines separated by "\n", exactly as the editor holds it.
    QString editorText() const;
    // The clipboard accessor: there from each show to the following close.
    EditorClipboard* editorClipboard() const { return m_clipboard.get(); }
    // Are the editor's keys being taken (from each show to the following close)?
    bool hotKeysStarted() const;
    // Brings the status line up to date at once (it otherwise follows typing after a pause).
    void updateStatus();

signals:
    // The help page was navigated to `path`.
    void helpNavigated(const QString& path);

protected:
    void buildControls() override;
    void FormShow() override;
    void FormClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildEditorPage();
    void buildSkeletonPanel();
    void buildSubjectPanel();
    void buildReportPage();
    void LoadReports();
    void completeReportTree();
    void fillReportTree();
    void layOutPages();
    void placeExitButton();
    QString contentDir() const;

    // The window's packed text operations (the memo is the one to read into or write from).
    void OpenFromStream(const QString& fileName, QPlainTextEdit* memo);
    void SaveToStream(const QString& fileName, QPlainTextEdit* memo);

    QString m_programDir;
    // The report tree as read, until it is made (start-up makes it once the launcher has painted).
    QVector<ReportListing::Subject> m_unlistedReports;
    bool m_reportsRead = false;
    bool m_reportsSorted = false;
    // The open dialog's filter entry: "Все файлы" at first, then the one last confirmed.
    QString m_openFilterEntry;
    std::unique_ptr<EditorClipboard> m_clipboard;
    EditorHotKeys* m_hotKeys = nullptr;
    QTimer* m_statusTimer = nullptr;
    // The field (se1 or edt1) in which Enter went down last, until it comes up again.
    QObject* m_enterPressedIn = nullptr;
};

extern TForm5* Form5;
