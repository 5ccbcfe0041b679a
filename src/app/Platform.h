#pragma once
// What the toolkit does not give us in the program's own terms: message
// boxes with the program's titles and buttons, the file and font dialogs, the
// user's decimal separator and the generic error report around commands.
// Each service sits behind an interface so that tests answer it as scripted
// and never block on a modal window.

#include <QFont>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QAbstractScrollArea;
class QLocale;
class QBoxLayout;
class QDialog;
class QPushButton;
class QMdiSubWindow;
class QWidget;

namespace nivora {

enum class TAnswer { Ok, Yes, No, Cancel };

class IMessages {
public:
    virtual ~IMessages() = default;
    // Title "Error", one "OK" button.
    virtual void Error(QWidget* parent, const QString& text) = 0;
    // Title "Warning", one "OK" button.
    virtual void Warning(QWidget* parent, const QString& text) = 0;
    // Title "Confirm", buttons "&Yes", "&No" and "Cancel".
    virtual TAnswer Confirm(QWidget* parent, const QString& text) = 0;
    virtual void Beep() = 0;
};

class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    // Empty when cancelled. The open dialog accepts existing files only; the
    // save dialog proposes `proposed` and asks before overwriting.
    virtual QString OpenProjectName(QWidget* parent) = 0;
    virtual QString SaveProjectName(QWidget* parent, const QString& proposed) = 0;
    // False when cancelled; sizes are limited to 6..20 points.
    virtual bool ChooseFont(QWidget* parent, QFont& font) = 0;
    // The save dialog of an export: `proposed` as the name, one filter a
    // file type (the first one chosen at the start), the chosen filter in
    // `selectedFilter`. Empty when cancelled; asks before replacing a file.
    virtual QString SaveExportName(QWidget* parent, const QString& proposed, const QStringList& filters,
                                   QString* selectedFilter);
    // Runs one of the program's own modal dialogs; its result code. A dialog
    // with a parent blocks only its parent's window, not the help window.
    virtual int ExecDialog(QDialog* dialog);
    // An existing survey points file (text); empty when cancelled.
    virtual QString OpenPointsName(QWidget* parent);
};

// The program's filter for project files.
QString ProjectFileFilter();

struct TPlatform {
    std::unique_ptr<IMessages> Messages;
    std::unique_ptr<IFileDialogs> Dialogs;
};

// The services in use; the Qt ones unless a test installed others.
TPlatform& Platform();
IMessages& Messages();
IFileDialogs& Dialogs();
void InstallQtPlatform();
// Loads Qt's own translations for `locale` (its file, print and font dialogs,
// the number boxes' messages) from Qt's translations folder, so they speak the
// user's language. The program's own texts are not translated: they are
// written in Portuguese. False when Qt has no translation for the locale.
bool InstallQtTranslations(const QLocale& locale);

// The user's decimal separator, read in this one place.
char DecimalSeparator();

// Shrinks a scrolling child window so that its client area is no larger
// than its content. A scroll bar that comes or goes on the way changes the
// client area, so the fit takes a few passes; updateScrollRanges sets the
// view's ranges for its current size.
void FitClientToContent(QMdiSubWindow* window, QAbstractScrollArea* view, QSize content,
                        const std::function<void()>& updateScrollRanges);

struct TDialogButtons {
    QPushButton* Ok = nullptr;
    QPushButton* Cancel = nullptr;
    QPushButton* Help = nullptr;
};
// The OK, "Cancelar" and help buttons of a dialog, OK the default button,
// each named as given: a row pushed to the right (Qt::Horizontal) or a
// column at the top (Qt::Vertical), added to `parent`.
TDialogButtons AddDialogButtons(QDialog* dialog, QBoxLayout* parent, Qt::Orientation orientation, const char* okName,
                                const char* cancelName, const char* helpName,
                                const QString& helpCaption = QStringLiteral("Ajuda"));

// The generic error report: runs a command; an exception that escapes it is
// shown in an error box with its text and the program carries on. Returns
// false when the command failed.
bool RunCommand(QWidget* parent, const std::function<void()>& command);

}  // namespace nivora
