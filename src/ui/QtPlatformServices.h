#pragma once

#include "PlatformServices.h"

class QtPlatformServices : public PlatformServices {
public:
    void showError(const QString& title, const QString& message) override;
    void showNotice(const QString& title, const QString& message) override;
    bool askYesNo(const QString& title, const QString& question) override;
    QString askOpenFileName(QWidget* parent, const QString& folder, const QString& filter,
                            QString* selectedFilter = nullptr) override;
    QString askSaveFileName(QWidget* parent, const QString& folder, const QString& filter,
                            const QString& defaultSuffix) override;
    bool askPrinter(QWidget* parent, QPrinter& printer) override;
    void openDocument(const QString& path) override;
};
