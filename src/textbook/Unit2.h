#pragma once

#include "shell/Form.h"

class QPushButton;

// The textbook: topic, presentation and video trees beside the browser tabs.
class TForm2 : public Form {
    Q_OBJECT

public:
    TForm2();

    // The creation handler, run once at start-up.
    void FormCreate();

    QPushButton* Button1 = nullptr; // "Выход"
    void Button1Click();

protected:
    void FormClose() override;

private:
    QString m_rootDir;
};

extern TForm2* Form2;
