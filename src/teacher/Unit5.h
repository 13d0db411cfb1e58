#pragma once

#include "shell/Form.h"

class QPushButton;

// The teacher's control window: editor, report review and help.
class TForm5 : public Form {
    Q_OBJECT

public:
    TForm5();

    // The creation handler, run once at start-up.
    void FormCreate();

    QPushButton* Button1 = nullptr; // "Выход"
    void Button1Click();

protected:
    void FormClose() override;

private:
    QString m_rootDir;
};

extern TForm5* Form5;
