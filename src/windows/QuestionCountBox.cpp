#include "QuestionCountBox.h"

#include "TestSkeleton.h"

QuestionCountBox::QuestionCountBox(QWidget* parent)
    : QSpinBox(parent) {
    setRange(TestSkeleton::kMinQuestions, TestSkeleton::kMaxQuestions);
    setSingleStep(1);
    setValue(TestSkeleton::kStartQuestions);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

QValidator::State QuestionCountBox::validate(QString& text, int& pos) const {
    // Whatever the spin box itself would refuse stays in the field until fixup() turns it into
    // a count.
    const QValidator::State state = QSpinBox::validate(text, pos);
    return state == QValidator::Invalid ? QValidator::Intermediate : state;
}

void QuestionCountBox::fixup(QString& text) const {
    text = QString::number(TestSkeleton::questionCount(text));
}
