#pragma once

#include <QSpinBox>

// The question count field. Unlike a plain spin box it lets the teacher type any number, also
// one beyond its range; on Enter or when it loses the focus the text becomes the count it
// stands for (500 becomes 200, a text that is no number becomes 1).
class QuestionCountBox : public QSpinBox {
    Q_OBJECT

public:
    explicit QuestionCountBox(QWidget* parent = nullptr);

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& text) const override;
};
