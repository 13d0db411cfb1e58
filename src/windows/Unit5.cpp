#include "Unit5.h"

#include "ApplicationTitle.h"
#include "BrowserView.h"
#include "ContentPaths.h"
#include "Controls.h"
#include "DialogFilter.h"
#include "EditorClipboard.h"
#include "EditorFiles.h"
#include "EditorHotKeys.h"
#include "EditorStatus.h"
#include "ErrorGuard.h"
#include "Failure.h"
#include "Fonts.h"
#include "GuardedConnect.h"
#include "JournalPage.h"
#include "LaterWork.h"
#include "Navigation.h"
#include "PackedText.h"
#include "PlatformServices.h"
#include "Printing.h"
#include "QuestionBank.h"
#include "QuestionCountBox.h"
#include "ReportListing.h"
#include "ResultsSheet.h"
#include "SubjectCreation.h"
#include "TeacherLayout.h"
#include "TestSkeleton.h"
#include "TextLines.h"
#include "WorkArea.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>

#include <utility>

TForm5* Form5 = nullptr;

namespace {

using Controls::named;

// The dialogs' filters, in the form "description|patterns".
const QString kOpenFilter =
    QStringLiteral("изображения(.jpg,.jpeg,.png)|*.png, *.jpg, *.jepg|Все файлы|*.*");
const QString kSaveFilter = QStringLiteral("Тесты(.txt)|*.txt|Материалы(.html)|*.html");
const QString kSaveSuffix = QStringLiteral("txt");
const QString kBankFilter =
    QStringLiteral("Банки вопросов (Aiken, GIFT, Moodle XML)|*.txt, *.gift, *.xml|Все файлы|*.*");

// "Выход" lies over the row of tabs, at least this far from the left and this far from the tabs.
constexpr int kExitButtonLeft = 260;
constexpr int kExitButtonGap = 4;

// The status line waits for this pause in typing before it checks the text again.
constexpr int kStatusDelayMs = 300;

QPlainTextEdit* makeMemo(QWidget* parent, const char* name, const QString& accessible) {
    auto* memo = named(new QPlainTextEdit(parent), name, accessible);
    memo->setFont(Fonts::timesNewRoman(16));
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Both scroll bars, each there when the text needs it: a bar that is always on shows a
    // handle as long as the bar itself while there is nothing to scroll.
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return memo;
}

QFrame* makePanel(QWidget* parent, const char* name, const QString& accessible) {
    auto* panel = named(new QFrame(parent), name, accessible);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setAutoFillBackground(true);
    panel->setGeometry(QRect(QPoint(360, 192), TeacherLayout::kPanel));
    panel->hide();
    return panel;
}

// The document keeps line breaks as paragraph separators, and Shift+Enter makes a line
// separator; in the text both are line breaks. Blanks that do not break stay what they are.
QString asLines(QString text) {
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

QString memoText(const QPlainTextEdit* memo) {
    return asLines(memo->document()->toRawText());
}

// A memo is given a new text only when it differs from what the memo holds, so that reading
// the same file again leaves its selection and scroll position alone.
void setMemoText(QPlainTextEdit* memo, const QString& text) {
    if (memoText(memo) != text)
        memo->setPlainText(text);
}

bool isEnter(const QEvent* event) {
    const auto* key = static_cast<const QKeyEvent*>(event);
    return !key->isAutoRepeat() && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
}

} // namespace

TForm5::TForm5()
    : Form(QStringLiteral("Преподовательский контроль")) {
    setObjectName(QStringLiteral("Form5"));
    m_openFilterEntry = DialogFilter::entry(kOpenFilter, 2);
    setClientSize(TeacherLayout::kDesignClient.width(), TeacherLayout::kDesignClient.height());
}

void TForm5::buildControls() {
    pgc1 = named(new QTabWidget(this), "pgc1");
    pgc1->setGeometry(rect());
    ts1 = named(new QWidget, "ts1");
    ts2 = named(new QWidget, "ts2");
    ts3 = named(new QWidget, "ts3");
    pgc1->addTab(ts1, QStringLiteral("Редактор"));
    pgc1->addTab(ts2, QStringLiteral("Проверка отчетов"));
    pgc1->addTab(ts3, QStringLiteral("Справка"));
    // The journal shows a report the way the report page does, and then that page.
    ts4 = named(new JournalPage([this] { return contentDir(); },
                                [this](const QString& path) {
                                    OpenFromStream(path, mmo2);
                                    pgc1->setCurrentWidget(ts2);
                                }),
                "ts4", QStringLiteral("Журнал"));
    pgc1->addTab(ts4, QStringLiteral("Журнал"));
    pgc1->setCurrentIndex(0);
    for (QWidget* page : {ts1, ts2, ts3})
        page->resize(TeacherLayout::kDesignPage);

    buildEditorPage();
    buildReportPage();

    // A child of the window, not of a page: it lies over the row of tabs on every page.
    Button1 = Controls::button(this, "Button1", QStringLiteral("Выход"), QRect(260, 3, 65, 17));
    Button1->raise();
    btnPrintReport = Controls::button(this, "btnPrintReport", QStringLiteral("Печать отчёта"),
                                      QRect(0, 3, 110, 17));
    btnPrintReport->raise();
    btnPrintReport->setVisible(false);
    connect(pgc1, &QTabWidget::currentChanged, btnPrintReport,
            [this] { btnPrintReport->setVisible(pgc1->currentWidget() == ts2); });
    placeExitButton();

    m_hotKeys = new EditorHotKeys(
        this, [this](int id) { guarded([&] { WMHotkey(id); }); }, this);

    m_statusTimer = new QTimer(this);
    m_statusTimer->setSingleShot(true);
    m_statusTimer->setInterval(kStatusDelayMs);
    guardedConnect(m_statusTimer, &QTimer::timeout, this, &TForm5::updateStatus);
    connect(mmo1, &QPlainTextEdit::textChanged, m_statusTimer, qOverload<>(&QTimer::start));
    updateStatus();

    onClick(Button1, this, &TForm5::Button1Click);
    onClick(btn1, this, &TForm5::btn1Click);
    onClick(btn2, this, &TForm5::btn2Click);
    onClick(openfile, this, &TForm5::openfileClick);
    onClick(btn3, this, &TForm5::btn3Click);
    onClick(btn4, this, &TForm5::btn4Click);
    onClick(btn13, this, &TForm5::btn13Click);
    onClick(btn5, this, &TForm5::btn5Click);
    onClick(btnImport, this, &TForm5::btnImportClick);
    onClick(btnPrintReport, this, &TForm5::btnPrintReportClick);

    for (QObject* watched : {static_cast<QObject*>(ts1), static_cast<QObject*>(ts2),
                             static_cast<QObject*>(ts3), static_cast<QObject*>(se1),
                             static_cast<QObject*>(edt1), static_cast<QObject*>(tv1->viewport())})
        watched->installEventFilter(this);
    layOutPages();
    fillReportTree();
}

TForm5::~TForm5() = default;

void TForm5::buildEditorPage() {
    const TeacherLayout l = TeacherLayout::forPage(TeacherLayout::kDesignPage);
    mmo1 = makeMemo(ts1, "mmo1", QStringLiteral("Редактор"));
    mmo1->setGeometry(l.mmo1);

    lbl3 = named(new QLabel(ts1), "lbl3", QStringLiteral("Проверка теста"));
    lbl3->setGeometry(l.lbl3);
    lbl3->setIndent(4);
    lbl3->setTextFormat(Qt::PlainText);
    lbl3->setTextInteractionFlags(Qt::TextSelectableByMouse);

    btn3 = Controls::button(ts1, "btn3", QStringLiteral("Создать тест"), QRect(0, 16, 121, 25));
    btn13 = Controls::button(ts1, "btn13", QStringLiteral("Предмет"), QRect(0, 48, 121, 25));
    // Below the two request buttons, in the column's free room: every other control keeps its
    // place.
    btnImport = Controls::button(ts1, "btnImport", QStringLiteral("Импорт вопросов"),
                                 QRect(0, 80, 121, 25));
    btnImport->setToolTip(
        QStringLiteral("Вопросы из банка Aiken, GIFT или Moodle XML — в редактор, как тест"));
    openfile = Controls::button(ts1, "openfile", QStringLiteral("Открыть файл"), l.openfile);
    btn1 = Controls::button(ts1, "btn1", QStringLiteral("Открыть документ "), l.btn1);
    btn2 = Controls::button(ts1, "btn2", QStringLiteral("Сохранить файл"), l.btn2);

    buildSkeletonPanel();
    buildSubjectPanel(); // made second, so it lies above the skeleton panel
}

void TForm5::buildSkeletonPanel() {
    pnl1 = makePanel(ts1, "pnl1", QStringLiteral("Создание теста"));
    lbl1 = named(new QLabel(QStringLiteral("Укажите Кол-во вопросов:"), pnl1), "lbl1");
    lbl1->move(8, 24);
    lbl1->adjustSize();
    se1 = named(new QuestionCountBox(pnl1), "se1", QStringLiteral("Количество вопросов"));
    se1->setGeometry(168, 20, 121, 22);
    lbl1->setBuddy(se1);
    btn4 = Controls::button(pnl1, "btn4", QStringLiteral("Ок"), QRect(10, 56, 280, 25));
}

void TForm5::buildSubjectPanel() {
    pnl2 = makePanel(ts1, "pnl2", QStringLiteral("Новый предмет"));
    lbl2 = named(new QLabel(QStringLiteral("Укажите название предмета:"), pnl2), "lbl2");
    lbl2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lbl2->setGeometry(10, 8, 280, 16);
    edt1 = named(new QLineEdit(pnl2), "edt1", QStringLiteral("Название предмета"));
    edt1->setGeometry(10, 24, 280, 21);
    lbl2->setBuddy(edt1);
    btn5 = Controls::button(pnl2, "btn5", QStringLiteral("Создать"), QRect(10, 56, 280, 25));
}

void TForm5::buildReportPage() {
    const TeacherLayout l = TeacherLayout::forPage(TeacherLayout::kDesignPage);
    tv1 = named(new QTreeWidget(ts2), "tv1", QStringLiteral("Отчеты по предметам"));
    tv1->setColumnCount(1);
    tv1->setHeaderHidden(true);
    tv1->setIndentation(19);
    tv1->setUniformRowHeights(true);
    tv1->setSelectionMode(QAbstractItemView::SingleSelection);
    // Labels are edited in place as in any tree of the desktop: a click on the selected node,
    // or F2. Only the text shown changes.
    tv1->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    tv1->setGeometry(l.tv1);

    mmo2 = makeMemo(ts2, "mmo2", QStringLiteral("Отчёт"));
    mmo2->setGeometry(l.mmo2);
}

// Window ------------------------------------------------------------------------------------

void TForm5::FormCreate() {
    m_programDir = ContentPaths::ProgramDir();
    LoadReports();
}

void TForm5::LoadReports() {
    m_unlistedReports = ReportListing::read(contentDir());
    m_reportsRead = true;
    m_reportsSorted = false;
    LaterWork::keep(this, [this] { completeReportTree(); });
}

void TForm5::completeReportTree() {
    if (m_reportsRead && !std::exchange(m_reportsSorted, true))
        ReportListing::sort(m_unlistedReports);
    fillReportTree();
}

void TForm5::fillReportTree() {
    // A window not made yet fills its tree as it is made; work still held waits for its turn.
    if (!m_reportsRead || !m_reportsSorted || !controlsMade())
        return;
    m_reportsRead = false;
    const QVector<ReportListing::Subject> read = std::exchange(m_unlistedReports, {});
    QList<QTreeWidgetItem*> subjects;
    const Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
    for (const ReportListing::Subject& subject : std::as_const(read)) {
        auto* node = new QTreeWidgetItem(QStringList{subject.name});
        node->setFlags(flags);
        QList<QTreeWidgetItem*> reports;
        reports.reserve(subject.reports.size());
        for (const QString& report : subject.reports) {
            auto* child = new QTreeWidgetItem(QStringList{report});
            child->setFlags(flags);
            reports.append(child);
        }
        node->addChildren(reports);
        subjects.append(node);
    }
    tv1->addTopLevelItems(subjects);
}

QString TForm5::contentDir() const {
    return m_programDir + QStringLiteral("Content/");
}

void TForm5::FormShow() {
    completeReportTree();
    // Every showing fills the work area as it is then.
    fillWorkArea(LaterShows::FillAgain);
    pgc1->setGeometry(rect());
    placeExitButton();
    layOutPages();
    const QPoint place = TeacherLayout::panelPlace(size());
    pnl1->move(place);
    pnl2->move(place);
    m_clipboard = std::make_unique<EditorClipboard>();
    m_hotKeys->start();
}

void TForm5::Button1Click() {
    closeForm();
}

void TForm5::FormClose() {
    if (m_clipboard)
        m_clipboard->emptyIfOurs();
    m_clipboard.reset();
    m_hotKeys->stop();
    navigation().show(WindowId::Launcher);
}

bool TForm5::hotKeysStarted() const {
    return m_hotKeys->isStarted();
}

void TForm5::resizeEvent(QResizeEvent* event) {
    if (controlsMade()) {
        pgc1->setGeometry(rect());
        placeExitButton();
    }
    Form::resizeEvent(event);
}

void TForm5::placeExitButton() {
    // Drawn at 260, 3, just right of the tabs. Where the desktop's font makes the tabs wider
    // than that, the button moves right so that it covers none of them.
    const QTabBar* tabs = pgc1->tabBar();
    const int tabsEnd = tabs->x() + tabs->tabRect(tabs->count() - 1).right() + 1;
    Button1->move(qMax(kExitButtonLeft, tabsEnd + kExitButtonGap), Button1->y());
    btnPrintReport->move(Button1->geometry().right() + 1 + kExitButtonGap, Button1->y());
}

void TForm5::layOutPages() {
    const TeacherLayout editor = TeacherLayout::forPage(ts1->size());
    mmo1->setGeometry(editor.mmo1);
    lbl3->setGeometry(editor.lbl3);
    openfile->setGeometry(editor.openfile);
    btn1->setGeometry(editor.btn1);
    btn2->setGeometry(editor.btn2);
    const TeacherLayout report = TeacherLayout::forPage(ts2->size());
    tv1->setGeometry(report.tv1);
    mmo2->setGeometry(report.mmo2);
    if (wb1)
        wb1->place(0, 0, ts3->width(), ts3->height());
}

bool TForm5::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == ts1 || watched == ts2 || watched == ts3)
            layOutPages();
        break;
    case QEvent::Show:
        if (watched == ts3)
            guarded([this] { ts3Show(); });
        break;
    case QEvent::KeyPress:
        if ((watched == se1 || watched == edt1) && isEnter(event))
            m_enterPressedIn = watched;
        break;
    case QEvent::KeyRelease:
        // se1KeyUp and edt1KeyUp: the release of Enter does what the panel's button does. Only
        // a release whose press the field saw counts: the Enter that closes a notice about the
        // name must not ask again as its release reaches the field.
        if ((watched == se1 || watched == edt1) && isEnter(event)) {
            const bool pressedHere = m_enterPressedIn == watched;
            m_enterPressedIn = nullptr;
            if (pressedHere && watched == se1)
                guarded([this] { btn4Click(); });
            else if (pressedHere && watched == edt1)
                guarded([this] { btn5Click(); });
        }
        break;
    case QEvent::MouseButtonRelease:
        // A click anywhere in the tree opens the selected report, also on empty space or on
        // another node's expand button.
        if (watched == tv1->viewport() &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            guarded([this] { tv1Click(); });
        break;
    default:
        break;
    }
    return Form::eventFilter(watched, event);
}

// Editor ------------------------------------------------------------------------------------

QString TForm5::editorText() const {
    return memoText(mmo1);
}

void TForm5::updateStatus() {
    m_statusTimer->stop();
    const QString status = EditorStatus::describe(editorText());
    lbl3->setText(status);
    lbl3->setToolTip(status);
}

void TForm5::OpenFromStream(const QString& fileName, QPlainTextEdit* memo) {
    setMemoText(memo, EditorFiles::openPacked(fileName));
}

void TForm5::SaveToStream(const QString& fileName, QPlainTextEdit* memo) {
    EditorFiles::savePacked(fileName, memoText(memo));
}

void TForm5::btn1Click() {
    const QString path = services().askOpenFileName(
        this, contentDir(), DialogFilter::toDialog(kOpenFilter), &m_openFilterEntry);
    if (path.isEmpty())
        return;
    OpenFromStream(path, mmo1);
}

void TForm5::btn2Click() {
    // Said before the dialog, so that a teacher who would rather mend the text has not chosen a
    // file for nothing.
    const QString loss = EditorFiles::lossQuestion(editorText());
    if (!loss.isEmpty() && !services().askYesNo(applicationTitle(), loss))
        return;
    const QString path = services().askSaveFileName(
        this, contentDir(), DialogFilter::toDialog(kSaveFilter), kSaveSuffix);
    if (path.isEmpty())
        return;
    const QString replace = EditorFiles::replaceQuestion(path);
    if (!replace.isEmpty() && !services().askYesNo(applicationTitle(), replace))
        return;
    SaveToStream(path, mmo1);
}

void TForm5::openfileClick() {
    const QString path = services().askOpenFileName(
        this, contentDir(), DialogFilter::toDialog(kOpenFilter), &m_openFilterEntry);
    if (path.isEmpty())
        return;
    setMemoText(mmo1, EditorFiles::openPlain(path));
}

void TForm5::btn3Click() {
    pnl1->show();
    se1->setFocus(Qt::OtherFocusReason);
    se1->selectAll();
}

void TForm5::btn4Click() {
    pnl1->hide();
    const int questions = TestSkeleton::questionCount(se1->text());
    se1->setValue(questions);
    mmo1->setPlainText(TestSkeleton::text(questions));
}

void TForm5::btn13Click() {
    pnl2->show();
    edt1->setFocus(Qt::OtherFocusReason);
}

void TForm5::btn5Click() {
    const QString refusal = SubjectCreation::create(contentDir(), edt1->text());
    if (!refusal.isEmpty()) {
        // The panel stays, so that the teacher can put the name right.
        showNotice(refusal);
        edt1->setFocus(Qt::OtherFocusReason);
        return;
    }
    pnl2->hide();
}

// A question bank becomes the editor's text, unsaved: the teacher reads it, the status line
// checks it, and "Сохранить файл" stores it as a variant.
void TForm5::btnImportClick() {
    const QString path =
        services().askOpenFileName(this, contentDir(), DialogFilter::toDialog(kBankFilter));
    if (path.isEmpty())
        return;
    const QuestionBank::Bank bank = QuestionBank::read(path, EditorFiles::readPlainBytes(path));
    if (bank.questions.isEmpty())
        throw Failure(QuestionBank::importSummary(bank));
    mmo1->setPlainText(QuestionBank::variantText(bank.questions));
    updateStatus();
    services().showNotice(applicationTitle(), QuestionBank::importSummary(bank));
}

// Report review -----------------------------------------------------------------------------

void TForm5::tv1Click() {
    const QList<QTreeWidgetItem*> selected = tv1->selectedItems();
    if (selected.isEmpty())
        return;
    const QTreeWidgetItem* node = selected.constFirst();
    if (!node->parent())
        return; // a subject
    const QString path = ContentPaths::reportsDir(contentDir(), node->parent()->text(0)) +
                         QLatin1Char('/') + node->text(0);
    OpenFromStream(path, mmo2);
}

// The report shown, on paper or in a PDF file.
void TForm5::btnPrintReportClick() {
    const QString text = memoText(mmo2);
    const QList<QTreeWidgetItem*> selected = tv1->selectedItems();
    const QString name = selected.isEmpty() ? QString() : selected.constFirst()->text(0);
    if (text.isEmpty()) {
        showNotice(QStringLiteral("Печатать нечего: откройте отчёт щелчком в дереве"));
        return;
    }
    const std::optional<QString> where =
        Printing::print(this, ResultsSheet::reportHtml(text), name);
    if (where)
        showNotice(ResultsSheet::printedLine(QStringLiteral("отчёт «%1»").arg(name), *where));
}

// Help page and keys ------------------------------------------------------------------------

void TForm5::ts3Show() {
    if (!wb1) {
        wb1 = new BrowserView(this, ts3);
        wb1->place(0, 0, ts3->width(), ts3->height());
    }
    const QString path = ContentPaths::helpPage(ContentPaths::ProgramDir());
    wb1->navigate(path);
    emit helpNavigated(path);
}

void TForm5::WMHotkey(int id) {
    switch (id) {
    case EditorHotKeys::SelectAll:
        mmo1->selectAll();
        break;
    case EditorHotKeys::Copy:
        if (m_clipboard)
            m_clipboard->put(asLines(mmo1->textCursor().selectedText()));
        break;
    case EditorHotKeys::Paste:
        if (m_clipboard) {
            QString text = m_clipboard->text();
            text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
            QTextCursor cursor = mmo1->textCursor();
            cursor.insertText(text); // in place of the selection, or at the caret
            mmo1->setTextCursor(cursor);
        }
        break;
    default: // Ctrl+N and Ctrl+R are taken and do nothing
        break;
    }
}
