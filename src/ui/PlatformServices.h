#pragma once

#include <QString>

class QPrinter;
class QWidget;

// What the windows ask of the desktop: message boxes, file dialogs and opening documents.
// The program uses QtPlatformServices; tests install a recorder that answers without a person.
class PlatformServices {
public:
    virtual ~PlatformServices() = default;

    // An error box: error icon, one OK button.
    virtual void showError(const QString& title, const QString& message) = 0;
    // A plain notice: no icon, one OK button, centred on the screen.
    virtual void showNotice(const QString& title, const QString& message) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool askYesNo(const QString& title, const QString& question) = 0;

    // File dialogs; an empty result means the user cancelled. `selectedFilter`, when given,
    // names the filter entry selected as the dialog opens and receives the one confirmed.
    virtual QString askOpenFileName(QWidget* parent, const QString& folder, const QString& filter,
                                    QString* selectedFilter = nullptr) = 0;
    virtual QString askSaveFileName(QWidget* parent, const QString& folder, const QString& filter,
                                    const QString& defaultSuffix) = 0;

    // The print dialog for `printer`: a printer of the desktop, or a PDF file. False when the
    // user cancelled; otherwise `printer` is set up as the user chose.
    virtual bool askPrinter(QWidget* parent, QPrinter& printer) = 0;

    // Opens a document with the desktop's default application; the result is not examined.
    // `path` is spelled as the program shows it; the document is found by its bytes on disk.
    virtual void openDocument(const QString& path) = 0;
};

// The services in use. Never null: the Qt implementation until something else is installed.
PlatformServices& services();

// Installs other services (not owned); nullptr restores the Qt implementation.
void setServices(PlatformServices* replacement);
