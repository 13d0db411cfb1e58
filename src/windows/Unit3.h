#pragma once

#include "ExamClient.h"
#include "Form.h"
#include "SavedAttempt.h"
#include "TestAttempt.h"

#include <QLocale>
#include <QStringList>

#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TestTextHolder;

// The testing window: registration, one question at a time beside the question list, and the
// report over the whole window at the end.
class TForm3 : public Form {
    Q_OBJECT

public:
    TForm3();
    ~TForm3() override;

    enum class State { Registration, Testing, Report };
    State state() const { return m_state; }

    // The attempt in progress (or the last one).
    const TestAttempt& attempt() const { return m_attempt; }
    // The questions as shown, each between two "---" lines: the exam keeper hands over nothing
    // else of the variant (no key line outside a question, no grave accent).
    const QStringList& testLines() const;

    // Whose date, time and number formats the report is written in.
    void setLocale(const QLocale& locale) { m_locale = locale; }

    // Controls, back to front.
    QPlainTextEdit* mmo1 = nullptr; // question view
    QListWidget* lst1 = nullptr;    // question list
    QFrame* pnl1 = nullptr;         // registration panel
    QLabel* lbl1 = nullptr;
    QLineEdit* edt1 = nullptr; // name
    QLabel* lbl2 = nullptr;
    QLineEdit* edt2 = nullptr; // group
    QLabel* lbl3 = nullptr;
    QComboBox* cbb1 = nullptr; // subject
    QLabel* lbl4 = nullptr;
    QComboBox* cbb2 = nullptr;      // variant
    QPushButton* btn6 = nullptr;    // "Начать"
    QPushButton* Button1 = nullptr; // "Отмена"
    TestTextHolder* mmo2 = nullptr; // the test text, never shown
    QFrame* pnl2 = nullptr;         // answer buttons
    QPushButton* btn1 = nullptr;    // "A"
    QPushButton* btn2 = nullptr;    // "B"
    QPushButton* btn3 = nullptr;    // "C"
    QPushButton* btn4 = nullptr;    // "D"
    QPushButton* btn5 = nullptr;    // "E"
    QPushButton* btn7 = nullptr;    // "Завершить тест"
    QPlainTextEdit* mmo3 = nullptr; // report view
    QPushButton* btn9 = nullptr;    // "Выход"
    QPushButton* btn8 = nullptr;    // "Начать заново"

    void FormCreate();
    void LoadAllTests();
    void cbb1Select();
    void btn6Click();
    void lst1Click();
    void NextQuest(int index);
    void SelectQuest();
    void WhoSelect(char letter);
    void btn1Click(QPushButton* clicked);
    void ClickButton(char letter);
    void btn7Click();
    void QuestEnd();
    void btn8Click();
    void btn9Click();
    void Button1Click();

protected:
    void buildControls() override;
    void FormShow() override;
    void FormClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A test in progress is left only by finishing it.
    bool refusesWindowSystemClose() const override { return m_state == State::Testing; }

private:
    void buildRegistrationPanel();
    void buildAnswerPanel();
    void completeSubjects();
    void fillSubjects();
    void ReadAndLoadTest(const QList<QStringList>& questions, int keys);
    void LoadInList();
    void setTestControlsEnabled(bool enabled);
    void layOut();
    // The keeper of this attempt, started when first needed and let go when the attempt ends.
    ExamClient& keeper();
    void letKeeperGo();
    void beginTest(const QString& name, const QString& group, const QString& subject,
                   const QString& variant, const ExamClient::Opened& opened);
    void keepAttempt();
    void endAttempt();
    void offerResume();
    void speakQuestion(int index, const QString& lead = QString());

    TestAttempt m_attempt;
    // Read at start-up, put in order once the launcher has painted, in the subject list once
    // the controls are made.
    QStringList m_subjects;
    bool m_subjectsRead = false;
    bool m_subjectsSorted = false;
    State m_state = State::Registration;
    QLocale m_locale = QLocale::system();
    std::unique_ptr<ExamClient> m_keeper;
    QString m_version; // of the variant file the questions came from
    std::unique_ptr<AttemptStore::Claim> m_claim;
    bool m_keeping = false; // whether this attempt is kept for a resume
    QString m_spokenLead;   // said before the next question a screen reader reads
};

extern TForm3* Form3;
