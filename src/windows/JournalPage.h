#pragma once

#include "ReportRecord.h"

#include <QString>
#include <QVector>
#include <QWidget>

#include <functional>

class AnalysisView;
class JournalModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QSplitter;
class QTableView;

// The teacher's journal: every report of every subject in one sortable table, filtered by
// subject, group and test and searched by name, saved as CSV for the spreadsheet, with the
// item analysis of the test chosen in the filters. The folders are read when the page is first
// shown and on "Обновить"; a double click on a row shows that report.
class JournalPage : public QWidget {
    Q_OBJECT

public:
    // `contentDir` gives the content folder (ending in "/") when the page reads; `showReport`
    // shows the report file at the path it is given. A load that runs longer than
    // `progressDelayMs` shows its progress.
    JournalPage(std::function<QString()> contentDir, std::function<void(const QString&)> showReport,
                QWidget* parent = nullptr, int progressDelayMs = kProgressDelayMs);
    ~JournalPage() override;

    // The controls exist from the page's first showing on.
    QComboBox* cbbSubject = nullptr; // "Все предметы" or a report's "Предмет: "
    QComboBox* cbbGroup = nullptr;   // "Все группы" or a "Группа: "
    QComboBox* cbbTest = nullptr;    // "Все тесты" or a "Тест: " of the subject chosen
    QLineEdit* edtSearch = nullptr;  // part of a name
    QPushButton* btnRefresh = nullptr;
    QPushButton* btnSaveCsv = nullptr;
    QTableView* grdJournal = nullptr;
    QLabel* lblCount = nullptr; // "Показано N из M"
    QSplitter* splJournal = nullptr;
    AnalysisView* analysis = nullptr;

    void btnRefreshClick();
    void btnSaveCsvClick();
    void grdJournalDblClick(const QModelIndex& index);

    // Has the page read the folders yet?
    bool isLoaded() const { return m_loaded; }
    // Every row read, in listing order, and the rows shown, in the table's order.
    const QVector<ReportRecord>& allRows() const { return m_rows; }
    QVector<ReportRecord> shownRows() const;

    // How long a load may run before it shows its progress, in milliseconds.
    static constexpr int kProgressDelayMs = 500;

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void load();
    void fillChoices();
    void fillTests();
    void applyFilter();
    void updateAnalysis();
    void updateCount();

    std::function<QString()> m_contentDir;
    std::function<void(const QString&)> m_showReport;
    JournalModel* m_model = nullptr;
    QVector<ReportRecord> m_rows;
    bool m_loaded = false;
    bool m_loading = false;
    bool m_cancelled = false;
    bool m_filling = false;
    int m_progressDelayMs;
};
