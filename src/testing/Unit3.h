#pragma once

#include "shell/Form.h"

class QPushButton;

// The testing window: registration, questions and the report.
class TForm3 : public Form {
    Q_OBJECT

public:
    TForm3();

    // The creation handler, run once at start-up.
    void FormCreate();

    QPushButton* Button1 = nullptr; // "Выход"
    void Button1Click();

protected:
    void FormClose() override;

private:
    QString m_rootDir;
};

extern TForm3* Form3;
