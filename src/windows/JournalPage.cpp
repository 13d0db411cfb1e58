#include "JournalPage.h"

#include "AnalysisView.h"
#include "ApplicationTitle.h"
#include "ContentPaths.h"
#include "Controls.h"
#include "DialogFilter.h"
#include "DurableFile.h"
#include "EditorFiles.h"
#include "ErrorGuard.h"
#include "Failure.h"
#include "GuardedConnect.h"
#include "ItemAnalysis.h"
#include "JournalCache.h"
#include "JournalCsv.h"
#include "JournalDates.h"
#include "JournalFilter.h"
#include "JournalSheetButton.h"
#include "PlatformServices.h"
#include "ReportJournal.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCollator>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIODevice>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <map>
#include <memory>
#include <numeric>
#include <vector>

namespace {

using Controls::named;

const QString kCsvFilter = QStringLiteral("Таблица CSV(.csv)|*.csv");
const QString kCsvSuffix = QStringLiteral("csv");

// The progress dialog is brought up to date at most this often, in milliseconds.
constexpr int kProgressStepMs = 40;

// The columns by their names, in the journal's order.
using JournalCsv::ColumnCount;
using JournalCsv::Date;
using JournalCsv::File;
using JournalCsv::Percent;
using JournalCsv::Right;
using JournalCsv::Time;
using JournalCsv::Total;

int compareNumbers(const std::optional<int>& a, const std::optional<int>& b) {
    if (!a || !b)
        return 0; // blanks are put last apart from the order
    return *a < *b ? -1 : (*b < *a ? 1 : 0);
}

// A cell's text, as the CSV has it, with the system's decimal separator.
QString fieldText(const ReportRecord& row, int column) {
    return JournalCsv::columnText(row, column, QLocale::system().decimalPoint().at(0));
}

// What a choice in a filter's list stands for: the first entry lets every row through.
QString chosen(const QComboBox* box) {
    return box->currentIndex() > 0 ? box->currentText() : QString();
}

// Fills `box` with `all` and then `values`, keeping the value chosen before when it is there.
void refill(QComboBox* box, const QString& all, const QStringList& values) {
    const QString before = chosen(box);
    box->clear();
    box->addItem(all);
    box->addItems(values);
    const int index = before.isEmpty() ? 0 : int(values.indexOf(before)) + 1;
    box->setCurrentIndex(std::max(0, index));
}

QComboBox* makeChoice(QWidget* parent, const char* name, const QString& accessible) {
    auto* box = named(new QComboBox(parent), name, accessible);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(12);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return box;
}

} // namespace

// The rows the filters let through, in the order the table is sorted by.
class JournalModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    // The journal's rows. Their sort keys are made when a column is first sorted by.
    void setRows(const QVector<ReportRecord>* rows) {
        m_all = rows;
        m_dateKeys.clear();
        m_timeKeys.clear();
        m_textKeys.clear();
        m_fileRank.clear();
    }

    // Shows the rows at `shown` (indexes into the journal), sorted as the table is.
    void show(QVector<int> shown) {
        beginResetModel();
        m_shown = std::move(shown);
        order();
        endResetModel();
    }

    const ReportRecord& rowAt(int row) const { return m_all->at(m_shown.at(row)); }
    int shownCount() const { return int(m_shown.size()); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : int(m_shown.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : ColumnCount;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= m_shown.size())
            return QVariant();
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return fieldText(rowAt(index.row()), index.column());
        if (role == Qt::TextAlignmentRole && index.column() >= Right && index.column() <= Percent)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return JournalCsv::columnNames().value(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    void sort(int column, Qt::SortOrder order) override {
        m_column = column;
        m_order = order;
        emit layoutAboutToBeChanged();
        this->order();
        emit layoutChanged();
    }

private:
    // -1, 0 or 1 for journal rows a and b in column m_column.
    int compare(int a, int b) const {
        const ReportRecord& x = m_all->at(a);
        const ReportRecord& y = m_all->at(b);
        switch (m_column) {
        case Date: {
            const JournalDates::SortKey& p = m_dateKeys.at(size_t(a));
            const JournalDates::SortKey& q = m_dateKeys.at(size_t(b));
            return p < q ? -1 : (q < p ? 1 : 0);
        }
        case Time: {
            const int order = compareNumbers(m_timeKeys.at(size_t(a)), m_timeKeys.at(size_t(b)));
            return order != 0 ? order : textOrder(a, b);
        }
        case Right:
            return compareNumbers(x.right, y.right);
        case Total:
            return compareNumbers(x.total, y.total);
        case Percent:
            return compareNumbers(x.percentTenths(), y.percentTenths());
        default:
            return textOrder(a, b);
        }
    }

    // Text order of rows a and b in m_column, by the collator's keys.
    int textOrder(int a, int b) const {
        const int order =
            m_textKeys.at(m_column).at(size_t(a)).compare(m_textKeys.at(m_column).at(size_t(b)));
        return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }

    // Makes the keys that sorting by m_column needs, once for each column: collation keys of
    // its texts, the dates and times read back, and every row's place in file order (which
    // breaks ties).
    void makeKeys() {
        const QLocale locale = QLocale::system();
        const auto textKeys = [&](int column) {
            if (m_textKeys.count(column) != 0)
                return;
            std::vector<QCollatorSortKey>& keys = m_textKeys[column];
            keys.reserve(size_t(m_all->size()));
            for (const ReportRecord& row : *m_all)
                keys.push_back(m_collator.sortKey(fieldText(row, column)));
        };
        if (m_fileRank.isEmpty() && !m_all->isEmpty()) {
            textKeys(File);
            const std::vector<QCollatorSortKey>& keys = m_textKeys[File];
            QVector<int> byFile(m_all->size());
            std::iota(byFile.begin(), byFile.end(), 0);
            std::stable_sort(byFile.begin(), byFile.end(), [&](int a, int b) {
                return keys.at(size_t(a)).compare(keys.at(size_t(b))) < 0;
            });
            m_fileRank.resize(m_all->size());
            for (int place = 0; place < byFile.size(); ++place)
                m_fileRank[byFile.at(place)] = place;
        }
        if (m_column == Date && m_dateKeys.empty()) {
            m_dateKeys.reserve(size_t(m_all->size()));
            for (const ReportRecord& row : *m_all)
                m_dateKeys.push_back(JournalDates::sortKey(row.date, row.time, locale));
        } else if (m_column == Time && m_timeKeys.empty()) {
            m_timeKeys.reserve(size_t(m_all->size()));
            for (const ReportRecord& row : *m_all) {
                const QTime time = JournalDates::parseTime(row.time, locale);
                m_timeKeys.push_back(time.isValid()
                                         ? std::optional<int>(time.msecsSinceStartOfDay())
                                         : std::nullopt);
            }
        }
        if (m_column != Date && m_column != Right && m_column != Total && m_column != Percent)
            textKeys(m_column);
    }

    // Does journal row `a` have nothing to sort by in m_column (an unreadable field, a date
    // that does not parse)? Such rows come last in either direction, in text order.
    bool blank(int a) const {
        const ReportRecord& x = m_all->at(a);
        switch (m_column) {
        case Date:
            return !m_dateKeys.at(size_t(a)).parsed;
        case Time:
            return !m_timeKeys.at(size_t(a));
        case Right:
            return !x.right;
        case Total:
            return !x.total;
        case Percent:
            return !x.percentTenths();
        default:
            return fieldText(x, m_column).isEmpty();
        }
    }

    // Listing order when no column is chosen; equal rows keep it.
    void order() {
        std::sort(m_shown.begin(), m_shown.end());
        if (m_column < 0 || m_column >= ColumnCount)
            return;
        makeKeys();
        const bool ascending = m_order == Qt::AscendingOrder;
        std::stable_sort(m_shown.begin(), m_shown.end(), [&](int a, int b) {
            const bool blankA = blank(a);
            const bool blankB = blank(b);
            if (blankA || blankB) {
                if (blankA != blankB)
                    return blankB;
                if (m_column == Date) // dates that do not parse, in text order
                    return m_dateKeys.at(size_t(a)) < m_dateKeys.at(size_t(b));
                return m_fileRank.at(a) < m_fileRank.at(b);
            }
            const int order = compare(a, b);
            if (order == 0) // equal rows by file, so that the order does not hang on the listing
                return m_fileRank.at(a) < m_fileRank.at(b);
            return ascending ? order < 0 : order > 0;
        });
    }

    const QVector<ReportRecord>* m_all = nullptr;
    QCollator m_collator{QLocale::system()};
    std::vector<JournalDates::SortKey> m_dateKeys;
    std::vector<std::optional<int>> m_timeKeys;
    std::map<int, std::vector<QCollatorSortKey>> m_textKeys; // by column
    QVector<int> m_fileRank;
    QVector<int> m_shown;
    int m_column = -1;
    Qt::SortOrder m_order = Qt::AscendingOrder;
};

JournalPage::JournalPage(std::function<QString()> contentDir,
                         std::function<void(const QString&)> showReport, QWidget* parent,
                         int progressDelayMs)
    : QWidget(parent)
    , m_contentDir(std::move(contentDir))
    , m_showReport(std::move(showReport))
    , m_progressDelayMs(progressDelayMs) {}

// The page's controls are made when it is first shown: the teacher's window is made at start-up,
// and a table, its header and the analysis under a style sheet are a good part of its cost,
// paid by every start whether or not the journal is ever opened.
void JournalPage::setVisible(bool visible) {
    if (visible && !m_model)
        build();
    QWidget::setVisible(visible);
}

void JournalPage::build() {
    cbbSubject = makeChoice(this, "cbbSubject", QStringLiteral("Предмет"));
    cbbGroup = makeChoice(this, "cbbGroup", QStringLiteral("Группа"));
    cbbTest = makeChoice(this, "cbbTest", QStringLiteral("Тест"));
    edtSearch = named(new QLineEdit(this), "edtSearch", QStringLiteral("Поиск по имени"));
    edtSearch->setPlaceholderText(QStringLiteral("Поиск по имени"));
    edtSearch->setClearButtonEnabled(true);
    btnRefresh = named(new QPushButton(QStringLiteral("Обновить"), this), "btnRefresh",
                       QStringLiteral("Обновить"));
    btnSaveCsv = named(new QPushButton(QStringLiteral("Сохранить CSV"), this), "btnSaveCsv",
                       QStringLiteral("Сохранить CSV"));
    for (QPushButton* button : {btnRefresh, btnSaveCsv}) {
        button->setAutoDefault(true);
        // Room around the caption, and the height of the fields beside it.
        button->setMinimumWidth(button->fontMetrics().horizontalAdvance(button->text()) + 28);
        button->setMinimumHeight(edtSearch->sizeHint().height());
    }
    refill(cbbSubject, QStringLiteral("Все предметы"), {});
    refill(cbbGroup, QStringLiteral("Все группы"), {});
    refill(cbbTest, QStringLiteral("Все тесты"), {});

    m_model = new JournalModel(this);
    m_model->setRows(&m_rows);
    grdJournal = named(new QTableView(this), "grdJournal", QStringLiteral("Журнал результатов"));
    grdJournal->setModel(m_model);
    grdJournal->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdJournal->setSelectionMode(QAbstractItemView::SingleSelection);
    grdJournal->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdJournal->setWordWrap(false);
    grdJournal->verticalHeader()->hide();
    grdJournal->verticalHeader()->setDefaultSectionSize(grdJournal->fontMetrics().height() + 6);
    grdJournal->horizontalHeader()->setStretchLastSection(true);
    grdJournal->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    grdJournal->setSortingEnabled(true);
    const QFontMetrics metrics = grdJournal->fontMetrics();
    const int widths[ColumnCount] = {22, 18, 12, 8, 16, 14, 10, 8, 10, 14, 8, 10};
    for (int c = 0; c < ColumnCount; ++c)
        grdJournal->setColumnWidth(c, metrics.averageCharWidth() * widths[c] + 12);

    lblCount = named(new QLabel(this), "lblCount", QStringLiteral("Число отчетов"));
    lblCount->setTextFormat(Qt::PlainText);
    analysis = named(new AnalysisView(this), "analysis", QStringLiteral("Анализ теста"));

    auto* filters = new QHBoxLayout;
    const auto addLabelled = [&](const QString& caption, QWidget* field, int stretch) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        filters->addWidget(label);
        filters->addWidget(field, stretch);
    };
    addLabelled(QStringLiteral("Предмет:"), cbbSubject, 3);
    addLabelled(QStringLiteral("Группа:"), cbbGroup, 2);
    addLabelled(QStringLiteral("Тест:"), cbbTest, 3);
    filters->addWidget(edtSearch, 3);
    filters->addWidget(btnRefresh);
    filters->addWidget(btnSaveCsv);
    JournalSheetButton::add(this, filters, [this] { return shownRows(); });

    auto* table = new QWidget(this);
    auto* tableColumn = new QVBoxLayout(table);
    tableColumn->setContentsMargins(0, 0, 0, 0);
    tableColumn->addWidget(grdJournal, 1);
    tableColumn->addWidget(lblCount);

    splJournal = named(new QSplitter(Qt::Vertical, this), "splJournal");
    splJournal->setChildrenCollapsible(false);
    splJournal->addWidget(table);
    splJournal->addWidget(analysis);
    splJournal->setStretchFactor(0, 3);
    splJournal->setStretchFactor(1, 2);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->addLayout(filters);
    page->addWidget(splJournal, 1);

    onClick(btnRefresh, this, &JournalPage::btnRefreshClick);
    onClick(btnSaveCsv, this, &JournalPage::btnSaveCsvClick);
    guardedConnect(grdJournal, &QAbstractItemView::doubleClicked, this,
                   &JournalPage::grdJournalDblClick);
    guardedConnect(cbbSubject, &QComboBox::currentIndexChanged, this, [this] {
        if (m_filling)
            return;
        fillTests();
        applyFilter();
    });
    for (QComboBox* box : {cbbGroup, cbbTest})
        guardedConnect(box, &QComboBox::currentIndexChanged, this, [this] {
            if (!m_filling)
                applyFilter();
        });
    guardedConnect(edtSearch, &QLineEdit::textChanged, this, [this] { applyFilter(); });
    applyFilter();
}

JournalPage::~JournalPage() = default;

void JournalPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_loaded)
        guarded([this] { load(); });
}

void JournalPage::btnRefreshClick() {
    load();
}

// Reads every report. A load that runs longer than the delay shows its progress in a dialog
// whose "Отмена" stops it; a cancelled load leaves the rows that were shown before.
void JournalPage::load() {
    if (m_loading)
        return;
    m_loading = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_loading};

    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProgressDialog> dialog;
    qint64 shownAt = 0;
    const auto progress = [&](int read, int total) {
        if (!dialog) {
            if (clock.elapsed() < m_progressDelayMs)
                return true;
            dialog = std::make_unique<QProgressDialog>(
                QStringLiteral("Чтение отчетов..."), QStringLiteral("Отмена"), 0, total, window());
            dialog->setObjectName(QStringLiteral("dlgJournalProgress"));
            dialog->setAccessibleName(QStringLiteral("Чтение отчетов"));
            dialog->setWindowTitle(QStringLiteral("Журнал"));
            dialog->setWindowModality(Qt::WindowModal);
            dialog->setMinimumDuration(0);
            dialog->setAutoClose(false);
            dialog->setAutoReset(false);
            dialog->show();
            shownAt = -kProgressStepMs;
        }
        if (clock.elapsed() - shownAt >= kProgressStepMs || read == total) {
            shownAt = clock.elapsed();
            dialog->setValue(read);
            QCoreApplication::processEvents();
        }
        return !dialog->wasCanceled();
    };
    const QString contentDir = m_contentDir();
    ReportJournal::Load loaded =
        ReportJournal::load(contentDir, progress, JournalCache::fileFor(contentDir));
    dialog.reset();
    m_loaded = true;
    m_cancelled = loaded.cancelled;
    if (!loaded.cancelled) {
        m_rows = std::move(loaded.rows);
        m_model->setRows(&m_rows);
        fillChoices();
    }
    applyFilter();
}

void JournalPage::fillChoices() {
    m_filling = true;
    refill(cbbSubject, QStringLiteral("Все предметы"), JournalChoices::subjects(m_rows));
    refill(cbbGroup, QStringLiteral("Все группы"), JournalChoices::groups(m_rows));
    fillTests();
    m_filling = false;
}

void JournalPage::fillTests() {
    const bool filling = m_filling;
    m_filling = true;
    JournalFilter ofSubject;
    ofSubject.subject = chosen(cbbSubject);
    refill(cbbTest, QStringLiteral("Все тесты"), JournalChoices::tests(ofSubject.apply(m_rows)));
    m_filling = filling;
}

void JournalPage::applyFilter() {
    JournalFilter filter;
    filter.subject = chosen(cbbSubject);
    filter.group = chosen(cbbGroup);
    filter.test = chosen(cbbTest);
    filter.search = edtSearch->text();
    QVector<int> shown;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (filter.matches(m_rows.at(i)))
            shown.append(i);
    }
    m_model->show(std::move(shown));
    updateCount();
    updateAnalysis();
}

void JournalPage::updateCount() {
    QString text =
        QStringLiteral("Показано %1 из %2").arg(m_model->shownCount()).arg(m_rows.size());
    if (m_cancelled)
        text += QStringLiteral(" (обновление прервано)");
    lblCount->setText(text);
}

void JournalPage::updateAnalysis() {
    const QString subject = chosen(cbbSubject);
    const QString test = chosen(cbbTest);
    if (subject.isEmpty() || test.isEmpty()) {
        analysis->showMessage(
            QStringLiteral("Выберите предмет и тест, чтобы увидеть анализ вопросов."));
        return;
    }
    analysis->showResult(subject, test, ItemAnalysis::analyse(m_rows, subject, test));
}

QVector<ReportRecord> JournalPage::shownRows() const {
    QVector<ReportRecord> rows;
    if (!m_model)
        return rows;
    rows.reserve(m_model->shownCount());
    for (int i = 0; i < m_model->shownCount(); ++i)
        rows.append(m_model->rowAt(i));
    return rows;
}

// The rows shown, in the table's order, with one column per question when a test is chosen.
void JournalPage::btnSaveCsvClick() {
    const QString path = services().askSaveFileName(this, m_contentDir(),
                                                    DialogFilter::toDialog(kCsvFilter), kCsvSuffix);
    if (path.isEmpty())
        return;
    const QString replace = EditorFiles::replaceQuestion(path);
    if (!replace.isEmpty() && !services().askYesNo(applicationTitle(), replace))
        return;
    const QByteArray csv =
        JournalCsv::write(shownRows(), JournalCsv::Dialect::ExcelRu, !chosen(cbbTest).isEmpty());
    DurableFile::replace(path, [&csv](QIODevice& device) {
        if (device.write(csv) != csv.size())
            throw Failure(QStringLiteral("Stream write error"));
    });
}

void JournalPage::grdJournalDblClick(const QModelIndex& index) {
    if (!index.isValid() || index.row() >= m_model->shownCount())
        return;
    const ReportRecord& row = m_model->rowAt(index.row());
    m_showReport(ContentPaths::reportsDir(m_contentDir(), row.subjectFolder) + QLatin1Char('/') +
                 row.reportName);
}
