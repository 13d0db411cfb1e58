#pragma once

#include <QImage>
#include <QWidget>

// The launcher's picture, painted straight from the artwork the program carries: no converted
// copy of it is kept in memory beside the stored one.
class LauncherPicture : public QWidget {
    Q_OBJECT

public:
    explicit LauncherPicture(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};
