#include "Unit3.h"

#include "AnswerKeys.h"
#include "ApplicationTitle.h"
#include "ContentPaths.h"
#include "Controls.h"
#include "ErrorGuard.h"
#include "ExamClient.h"
#include "Failure.h"
#include "FolderListing.h"
#include "Fonts.h"
#include "GuardedConnect.h"
#include "LaterWork.h"
#include "Navigation.h"
#include "PlatformServices.h"
#include "ReportFile.h"
#include "StudentName.h"
#include "TestFormat.h"
#include "TestingLayout.h"
#include "TestTextHolder.h"
#include "WorkArea.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <utility>

TForm3* Form3 = nullptr;

namespace {

using Controls::named;

const QString kAnswered = QStringLiteral("(отвечен)");

// The question view and the report view wrap long lines, as text areas do: a question or an
// answer wider than the view is read without scrolling sideways.
QPlainTextEdit* makeMemo(QWidget* parent, const char* name, const QString& accessible) {
    auto* memo = named(new QPlainTextEdit(parent), name, accessible);
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    return memo;
}

} // namespace

TForm3::TForm3()
    : Form(QStringLiteral("Тесты")) {
    setObjectName(QStringLiteral("Form3"));
    setClientSize(1103, 645);
}

void TForm3::buildControls() {
    mmo1 = makeMemo(this, "mmo1", QStringLiteral("Вопрос"));
    mmo1->setReadOnly(true);
    mmo1->setFont(Fonts::timesNewRoman(16));
    mmo1->setGeometry(5, 5, 817, 273);
    mmo1->setEnabled(false);

    lst1 = named(new QListWidget(this), "lst1", QStringLiteral("Список вопросов"));
    lst1->setFont(Fonts::tahomaBold(13));
    lst1->setUniformItemSizes(true);
    // Every item 16 pixels high.
    lst1->setStyleSheet(QStringLiteral("QListView::item { height: 16px; }"));
    lst1->setGeometry(898, 5, 200, 635);
    lst1->setEnabled(false);

    buildRegistrationPanel();

    mmo2 = named(new TestTextHolder(this), "mmo2");

    buildAnswerPanel();

    btn7 =
        Controls::button(this, "btn7", QStringLiteral("Завершить тест"), QRect(762, 615, 131, 25));
    btn7->setEnabled(false);

    mmo3 = makeMemo(this, "mmo3", QStringLiteral("Отчёт"));
    mmo3->hide();
    btn9 = Controls::button(this, "btn9", QStringLiteral("Выход"), QRect(1018, 615, 75, 25));
    btn9->hide();
    btn8 =
        Controls::button(this, "btn8", QStringLiteral("Начать заново"), QRect(978, 585, 115, 25));
    btn8->hide();

    onClick(btn6, this, &TForm3::btn6Click);
    onClick(Button1, this, &TForm3::Button1Click);
    onClick(btn7, this, &TForm3::btn7Click);
    onClick(btn8, this, &TForm3::btn8Click);
    onClick(btn9, this, &TForm3::btn9Click);
    for (QPushButton* answer : {btn1, btn2, btn3, btn4, btn5}) {
        guardedConnect(answer, &QPushButton::clicked, this, [this, answer] { btn1Click(answer); });
        answer->setToolTip(AnswerKeys::keysOf(answer->text().toLatin1().front()));
    }
    qApp->installEventFilter(this);
    guardedConnect(cbb1, qOverload<int>(&QComboBox::activated), this, &TForm3::cbb1Select);
    guardedConnect(lst1, &QListWidget::currentRowChanged, this, &TForm3::lst1Click);
    fillSubjects();
}

void TForm3::buildRegistrationPanel() {
    pnl1 = named(new QFrame(this), "pnl1");
    pnl1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnl1->setGeometry(327, 222, 449, 201);
    const QFont font = Fonts::tahomaBold(13);

    auto label = [&](const char* name, const QString& caption, int top) {
        auto* l = named(new QLabel(caption, pnl1), name);
        l->setFont(font);
        l->move(24, top);
        l->adjustSize();
        return l;
    };
    auto edit = [&](const char* name, const QString& accessible, int top) {
        auto* e = named(new QLineEdit(pnl1), name, accessible);
        e->setFont(font);
        e->setGeometry(120, top, 241, 24);
        return e;
    };
    auto combo = [&](const char* name, const QString& accessible, int top) {
        auto* c = named(new QComboBox(pnl1), name, accessible);
        c->setFont(font);
        c->setEditable(false);
        c->setGeometry(120, top, 241, 24);
        return c;
    };
    lbl1 = label("lbl1", QStringLiteral("Имя Фамилия"), 32);
    edt1 = edit("edt1", QStringLiteral("Имя Фамилия"), 32);
    lbl2 = label("lbl2", QStringLiteral("Группа"), 64);
    edt2 = edit("edt2", QStringLiteral("Группа"), 64);
    lbl3 = label("lbl3", QStringLiteral("Предмет"), 96);
    cbb1 = combo("cbb1", QStringLiteral("Предмет"), 96);
    lbl4 = label("lbl4", QStringLiteral("Вариант"), 128);
    cbb2 = combo("cbb2", QStringLiteral("Вариант"), 128);
    lbl1->setBuddy(edt1);
    lbl2->setBuddy(edt2);
    lbl3->setBuddy(cbb1);
    lbl4->setBuddy(cbb2);

    btn6 = Controls::button(pnl1, "btn6", QStringLiteral("Начать"), QRect(184, 160, 75, 25));
    btn6->setFont(font);
    Button1 = Controls::button(pnl1, "Button1", QStringLiteral("Отмена"), QRect(288, 160, 75, 25));

    setTabOrder(edt1, edt2);
    setTabOrder(edt2, cbb1);
    setTabOrder(cbb1, cbb2);
    setTabOrder(cbb2, btn6);
    setTabOrder(btn6, Button1);
    edt1->setFocus();
}

void TForm3::buildAnswerPanel() {
    pnl2 = named(new QFrame(this), "pnl2", QStringLiteral("Ответы"));
    pnl2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnl2->setGeometry(5, 283, 417, 49);
    const char* names[] = {"btn1", "btn2", "btn3", "btn4", "btn5"};
    QPushButton** buttons[] = {&btn1, &btn2, &btn3, &btn4, &btn5};
    for (int i = 0; i < 5; ++i) {
        const QString caption(QChar(u'A' + i));
        *buttons[i] = Controls::button(pnl2, names[i], caption, QRect(8 + 80 * i, 8, 75, 25));
        (*buttons[i])->setFont(Fonts::tahomaBold(13));
        (*buttons[i])->setAccessibleName(QStringLiteral("Ответ ") + caption);
    }
    pnl2->setEnabled(false);
}

TForm3::~TForm3() = default;

// Handlers -------------------------------------------------------------------------------

void TForm3::FormCreate() {
    m_attempt.ContentDir = ContentPaths::ContentDir();
    m_attempt.RightCount = 0;
    LoadAllTests();
}

void TForm3::LoadAllTests() {
    m_subjects = FolderListing::subjectsAsRead(m_attempt.ContentDir);
    m_subjectsRead = true;
    m_subjectsSorted = false;
    LaterWork::keep(this, [this] { completeSubjects(); });
}

void TForm3::completeSubjects() {
    if (m_subjectsRead && !std::exchange(m_subjectsSorted, true))
        FolderListing::sortNames(m_subjects);
    fillSubjects();
}

void TForm3::fillSubjects() {
    // A window not made yet fills the list as it is made; work still held waits for its turn.
    if (!m_subjectsRead || !m_subjectsSorted || !controlsMade())
        return;
    m_subjectsRead = false;
    cbb1->addItems(std::exchange(m_subjects, {}));
    cbb1->setCurrentIndex(-1);
}

void TForm3::cbb1Select() {
    cbb2->clear();
    if (cbb1->currentIndex() < 0)
        return;
    // The tests folder may be closed to the student's account: the keeper lists it.
    cbb2->addItems(keeper().variants(cbb1->currentText()));
    cbb2->setCurrentIndex(-1);
}

void TForm3::btn6Click() {
    if (edt1->text().isEmpty() || edt2->text().isEmpty()) {
        showNotice(QStringLiteral("Не все параметры указаны"));
        return;
    }
    QString nameProblem = StudentName::problem(edt1->text());
    if (nameProblem.isEmpty())
        nameProblem = StudentName::groupProblem(edt2->text());
    if (!nameProblem.isEmpty()) {
        showNotice(nameProblem);
        return;
    }

    // The keeper opens and checks the variant before anything changes on screen: a start that
    // fails leaves the student at the registration panel with everything typed still there.
    const QString subject = cbb1->currentIndex() < 0 ? QString() : cbb1->currentText();
    const QString variant = cbb2->currentIndex() < 0 ? QString() : cbb2->currentText();
    const ExamClient::Opened opened = keeper().open(edt1->text(), edt2->text(), subject, variant);
    if (!opened.refusal.isEmpty()) {
        showNotice(QStringLiteral("Этот вариант теста нельзя пройти: ") + opened.refusal +
                   QStringLiteral(" Выберите другой вариант или сообщите преподавателю."));
        return;
    }

    beginTest(edt1->text(), edt2->text(), subject, variant, opened);
    keepAttempt();
}

void TForm3::beginTest(const QString& name, const QString& group, const QString& subject,
                       const QString& variant, const ExamClient::Opened& opened) {
    m_attempt.StudentName = name;
    m_attempt.GroupName = group;
    m_attempt.SubjectName = subject;
    m_attempt.VariantName = variant;
    m_attempt.clearLoaded();
    m_version = opened.version;
    // Only the one copy of the program that holds the account's attempt keeps it.
    if (!m_claim)
        m_claim = std::make_unique<AttemptStore::Claim>();
    m_keeping = m_claim->held();

    pnl1->hide();
    setTestControlsEnabled(true);
    m_state = State::Testing;
    ReadAndLoadTest(opened.questions, opened.keys);
    lst1->setFocus();
}

// After every answer the attempt goes to the account's own state folder, written whole, so a
// crash or a power cut costs at most the answer being given.
void TForm3::keepAttempt() {
    if (!m_keeping)
        return;
    try {
        AttemptStore::save({m_attempt.ContentDir, m_attempt.StudentName, m_attempt.GroupName,
                            m_attempt.SubjectName, m_attempt.VariantName, m_version,
                            m_attempt.Answers, m_attempt.CurQuest});
    } catch (const Failure& failure) {
        // The test itself goes on; the student is told once that it is not being kept.
        m_keeping = false;
        showNotice(QStringLiteral("Ход теста не сохраняется, и после сбоя его придётся начать "
                                  "заново: ") +
                   failure.message());
    }
}

void TForm3::endAttempt() {
    if (m_claim && m_claim->held())
        AttemptStore::discard();
    m_claim.reset();
    m_keeping = false;
}

// A test that a crash or a power cut interrupted, kept by this account for this course, is
// offered when the window is shown; it goes on where it stood, or it is given up.
void TForm3::offerResume() {
    if (m_state != State::Registration || !isVisible())
        return;
    const std::optional<SavedAttempt> saved = AttemptStore::load();
    if (!saved || saved->contentDir != m_attempt.ContentDir)
        return;
    auto claim = std::make_unique<AttemptStore::Claim>();
    if (!claim->held())
        return; // another copy of the program goes on with it
    const QString question =
        QStringLiteral("Тест «%1» по предмету «%2» (%3, %4) не был завершён. Продолжить его?")
            .arg(saved->variant, saved->subject, saved->student, saved->group);
    if (!services().askYesNo(applicationTitle(), question)) {
        AttemptStore::discard();
        return;
    }
    m_claim = std::move(claim);
    edt1->setText(saved->student);
    edt2->setText(saved->group);
    cbb1->setCurrentIndex(cbb1->findText(saved->subject));
    ExamClient::Opened opened;
    try {
        opened = keeper().open(saved->student, saved->group, saved->subject, saved->variant);
    } catch (const Failure& failure) {
        endAttempt();
        showNotice(QStringLiteral("Продолжить тест нельзя: ") + failure.message() +
                   QStringLiteral(" Начните тест заново."));
        return;
    }
    if (!opened.refusal.isEmpty()) {
        endAttempt();
        showNotice(QStringLiteral("Этот вариант теста нельзя пройти: ") + opened.refusal +
                   QStringLiteral(" Выберите другой вариант или сообщите преподавателю."));
        return;
    }
    beginTest(saved->student, saved->group, saved->subject, saved->variant, opened);
    if (opened.version != saved->version || opened.keys != saved->answers.size()) {
        showNotice(QStringLiteral("Вариант «%1» изменился с тех пор, как тест был начат: "
                                  "прежние ответы к нему не подходят. Тест начинается заново.")
                       .arg(saved->variant));
        keepAttempt();
        return;
    }
    m_attempt.Answers = saved->answers;
    for (int i = 0; i < qMin<int>(lst1->count(), m_attempt.Answers.size()); ++i) {
        if (m_attempt.Answers.at(i) != 0)
            lst1->item(i)->setText(lst1->item(i)->text() + kAnswered);
    }
    if (saved->current >= 0 && saved->current < lst1->count())
        NextQuest(saved->current);
    keepAttempt();
}

// The questions the keeper handed over become the test text, each between two "---" lines, with
// one answer slot for each key entry the keeper keeps.
void TForm3::ReadAndLoadTest(const QList<QStringList>& questions, int keys) {
    QStringList lines{TestFormat::kSeparator};
    for (const QStringList& question : questions) {
        m_attempt.QuestStarts.append(qint32(lines.size() - 1));
        lines += question;
        lines.append(TestFormat::kSeparator);
    }
    m_attempt.QuestStarts.append(qint32(lines.size() - 1));
    if (questions.isEmpty())
        m_attempt.QuestStarts.clear();
    m_attempt.Answers = QByteArray(keys, char(0));
    mmo2->setLines(lines);
    LoadInList();
}

void TForm3::LoadInList() {
    const QSignalBlocker quiet(lst1);
    lst1->clear();
    const int questions = m_attempt.questionCount();
    QStringList items;
    items.reserve(questions);
    for (int k = 1; k <= questions; ++k)
        items.append(QStringLiteral("Вопрос №") + QString::number(k));
    lst1->addItems(items);
    if (questions > 0)
        NextQuest(0);
}

const QStringList& TForm3::testLines() const {
    return mmo2->lines();
}

void TForm3::lst1Click() {
    SelectQuest();
}

void TForm3::NextQuest(int index) {
    {
        const QSignalBlocker quiet(lst1); // a selection made here raises no selection event
        lst1->setCurrentRow(index);
    }
    SelectQuest();
}

void TForm3::SelectQuest() {
    const int index = lst1->currentRow();
    if (index < 0 || index >= m_attempt.questionCount())
        return;
    m_attempt.CurQuest = index;
    mmo1->setPlainText(
        TestFormat::questionLines(mmo2->lines(), m_attempt, index).join(QLatin1Char('\n')));
    WhoSelect(index < m_attempt.Answers.size() ? m_attempt.Answers.at(index) : char(0));
    speakQuestion(index, std::exchange(m_spokenLead, QString()));
}

// What a screen reader says of a question's list item: its number, its whole text with the
// options and the answer given, after `lead` (what just happened). The list item itself only
// shows the number.
void TForm3::speakQuestion(int index, const QString& lead) {
    QListWidgetItem* item = lst1->item(index);
    if (!item)
        return;
    QString spoken =
        lead + QStringLiteral("Вопрос №%1: ").arg(index + 1) +
        TestFormat::questionLines(mmo2->lines(), m_attempt, index).join(QLatin1Char('\n'));
    if (index < m_attempt.Answers.size() && m_attempt.Answers.at(index) != 0)
        spoken += QStringLiteral("\nДан ответ: ") + QChar(m_attempt.Answers.at(index));
    item->setData(Qt::AccessibleTextRole, spoken);
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(lst1, QAccessible::NameChanged);
        changed.setChild(index);
        QAccessible::updateAccessibility(&changed);
    }
}

void TForm3::WhoSelect(char letter) {
    QPushButton* buttons[] = {btn1, btn2, btn3, btn4, btn5};
    for (int i = 0; i < 5; ++i)
        buttons[i]->setEnabled(letter != char('A' + i));
}

void TForm3::btn1Click(QPushButton* clicked) {
    const QByteArray caption = clicked->text().toLatin1();
    if (!caption.isEmpty())
        ClickButton(caption.front());
}

void TForm3::ClickButton(char letter) {
    const int index = m_attempt.CurQuest;
    if (index < 0 || index >= m_attempt.Answers.size() || index >= lst1->count())
        return;
    m_attempt.Answers[index] = letter;
    QListWidgetItem* item = lst1->item(index);
    item->setText(item->text() + kAnswered);
    speakQuestion(index);
    const QString accepted = QStringLiteral("Ответ %1 принят. ").arg(QChar(letter));
    if (index + 1 < lst1->count()) {
        m_spokenLead = accepted;
        NextQuest(index + 1);
    } else {
        speakQuestion(index, accepted);
    }
    keepAttempt();
}

void TForm3::btn7Click() {
    QuestEnd();
}

void TForm3::QuestEnd() {
    // The keeper scores the answers and stores the report before anything is shown: a score
    // is never seen without its report kept, and a report that cannot be stored leaves the
    // student in the test, answers and all, to finish again.
    ExamClient::Finished finished;
    try {
        finished = keeper().finish(m_locale.name(), m_attempt.Answers);
    } catch (const Failure&) {
        // The next try starts with a keeper of its own: this one may have ended.
        letKeeperGo();
        throw;
    }
    if (finished.full) {
        showNotice(QStringLiteral("Отчёт не сохранён: для имени «%1» по этому предмету уже есть "
                                  "%2 отчётов. Сообщите преподавателю.")
                       .arg(m_attempt.StudentName)
                       .arg(ReportFile::kMaxReports));
        return;
    }

    mmo3->clear();
    mmo3->setGeometry(rect());
    mmo3->show();
    mmo3->raise();
    mmo3->setPlainText(finished.report);

    btn8->show();
    btn9->show();
    btn8->raise();
    btn9->raise();
    // The finish button lies under the report now: neither Enter, the space bar nor Tab may
    // reach it and write a second report.
    mmo3->setFocus();
    btn7->setEnabled(false);
    m_state = State::Report;
    endAttempt(); // the report is stored: nothing is left to continue
}

void TForm3::btn8Click() {
    letKeeperGo(); // the attempt is over; the next one starts with a keeper of its own
    mmo3->hide();
    btn9->hide();
    btn8->hide();
    pnl1->show();
    setTestControlsEnabled(false);
    mmo1->clear();
    mmo2->clear();
    {
        const QSignalBlocker quiet(lst1);
        lst1->clear();
    }
    m_attempt.StudentName.clear();
    m_attempt.GroupName.clear();
    m_attempt.SubjectName.clear();
    m_attempt.VariantName.clear();
    edt1->clear();
    edt2->clear();
    // The variant list always belongs to the subject shown above it.
    cbb1->setCurrentIndex(cbb1->count() > 0 ? 0 : -1);
    cbb1Select();
    cbb2->setCurrentIndex(cbb2->count() > 0 ? 0 : -1);
    m_attempt.clearLoaded();
    m_state = State::Registration;
    edt1->setFocus();
}

void TForm3::btn9Click() {
    closeForm();
}

void TForm3::Button1Click() {
    edt1->clear();
    edt2->clear();
    cbb1->setCurrentIndex(-1);
    cbb2->clear();
    letKeeperGo();
    closeForm();
}

void TForm3::FormShow() {
    completeSubjects();
    fillWorkArea();
    layOut();
    // Asked once the window is on screen, over it.
    QMetaObject::invokeMethod(
        this, [this] { guarded([this] { offerResume(); }); }, Qt::QueuedConnection);
}

// While a test is in progress, the answer keys answer the question on screen from wherever the
// focus is in this window, exactly as the buttons do.
bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || m_state != State::Testing || !isActiveWindow())
        return Form::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!widget || widget->window() != this ||
        (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return Form::eventFilter(watched, event);
    const char letter = AnswerKeys::letterFor(key->text());
    if (letter == 0)
        return Form::eventFilter(watched, event);
    QPushButton* buttons[] = {btn1, btn2, btn3, btn4, btn5};
    QPushButton* button = buttons[letter - 'A'];
    if (button->isEnabled() && pnl2->isEnabled())
        guarded([this, button] { btn1Click(button); });
    return true;
}

void TForm3::FormClose() {
    navigation().show(WindowId::Launcher);
}

// Helpers --------------------------------------------------------------------------------

void TForm3::setTestControlsEnabled(bool enabled) {
    pnl2->setEnabled(enabled);
    mmo1->setEnabled(enabled);
    lst1->setEnabled(enabled);
    btn7->setEnabled(enabled);
}

void TForm3::layOut() {
    const TestingLayout l = TestingLayout::forClient(width(), height());
    pnl1->setGeometry(l.pnl1);
    lst1->setGeometry(l.lst1);
    mmo1->setGeometry(l.mmo1);
    pnl2->setGeometry(l.pnl2);
    btn7->setGeometry(l.btn7);
    btn9->setGeometry(l.btn9);
    btn8->setGeometry(l.btn8);
    if (m_state == State::Report)
        mmo3->setGeometry(rect());
}

ExamClient& TForm3::keeper() {
    if (m_keeper)
        return *m_keeper;
    m_keeper = std::make_unique<ExamClient>(ExamChannels::make());
    if (m_state != State::Testing)
        return *m_keeper;
    // A keeper started in the middle of a test (the one before ended without a word) opens the
    // same variant again; it must still be the version the questions came from.
    const ExamClient::Opened opened = m_keeper->open(m_attempt.StudentName, m_attempt.GroupName,
                                                     m_attempt.SubjectName, m_attempt.VariantName);
    if (!opened.refusal.isEmpty() || opened.version != m_version ||
        opened.keys != m_attempt.Answers.size()) {
        m_keeper.reset();
        throw Failure(
            QStringLiteral("Вариант «%1» изменился во время теста, и ответы к нему уже не "
                           "подходят. Сообщите преподавателю.")
                .arg(m_attempt.VariantName));
    }
    return *m_keeper;
}

void TForm3::letKeeperGo() {
    m_keeper.reset();
}
