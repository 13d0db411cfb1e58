#pragma once

#include <QProxyStyle>

// The look of a password field: every character shows as "*", whatever the desktop's style or
// the program's skin would draw (a style sheet cannot say it once a skin is loaded).
class PasswordMaskStyle : public QProxyStyle {
    Q_OBJECT

public:
    // `owner` deletes the style with itself; the style follows the application's own style.
    explicit PasswordMaskStyle(QObject* owner);

    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};
