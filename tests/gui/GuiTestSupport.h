#pragma once
// What the window tests share: a recorder that stands in for the message
// boxes and the file and font dialogs, answering as scripted.

#include "app/Platform.h"
#include "app/sist.h"

#include <QAction>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QObject>

#include <memory>

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace nivora::testing {

struct TShownMessage {
    QString Kind;  // "Error", "Warning" or "Confirm"
    QString Text;
};

class TRecorder : public IMessages, public IFileDialogs {
public:
    std::vector<TShownMessage> Shown;
    std::deque<TAnswer> ConfirmAnswers;  // Cancel when empty
    // Called as a confirmation is asked, before it is answered.
    std::function<void(const QString& text)> OnConfirm;
    std::deque<QString> OpenNames;  // cancelled when empty
    std::deque<QString> SaveNames;
    QStringList ProposedSaveNames;
    int Beeps = 0;

    void Error(QWidget*, const QString& text) override { Shown.push_back({"Error", text}); }
    void Warning(QWidget*, const QString& text) override { Shown.push_back({"Warning", text}); }
    TAnswer Confirm(QWidget*, const QString& text) override;
    void Beep() override { ++Beeps; }
    QString OpenProjectName(QWidget*) override;
    QString OpenPointsName(QWidget* parent) override { return OpenProjectName(parent); }
    QString SaveProjectName(QWidget*, const QString& proposed) override;
    bool ChooseFont(QWidget*, QFont&) override { return false; }
    // The program's own dialogs are not run: their names are recorded, and
    // OnExec, when set, may look at the dialog (show it, read it) and gives
    // the result.
    QStringList DialogsRun;
    std::function<int(QDialog*)> OnExec;
    int ExecDialog(QDialog* dialog) override;
    // The export dialog: the names to answer (cancelled when empty), the
    // filter chosen (the first one when empty), and what was offered.
    std::deque<QString> ExportNames;
    QString ExportFilter;
    QStringList ProposedExportNames;
    QStringList ExportFilters;
    QString SaveExportName(QWidget*, const QString& proposed, const QStringList& filters, QString* selected) override;
};

// The control of `window` with the given object name. A control that is not
// there ends the test run with its name: a renamed control must not pass.
template <class T>
T* Control(const QObject* window, const char* name)
{
    T* control = window ? window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    if (!control)
        qFatal("no control named %s", name);
    return control;
}

// Installs a fresh recorder as the platform's messages and dialogs; the
// platform owns it, the pointer stays valid until the next Install.
TRecorder* InstallRecorder();

// A folder of its own for one test's files.
QString TempFolder(const QString& name);

// A frame shown for each test function, with a fresh recorder, and closed
// after it without questions. The test classes derive from it.
class TFrameFixture {
protected:
    // Each says whether it went as it should; the caller checks it, so that a
    // failure stops the test where it happens.
    [[nodiscard]] bool StartFrame(const QLocale& locale);
    // Closes every window and the frame, whatever it finds: false when a
    // document or a window was still known to the frame.
    [[nodiscard]] bool CloseFrame();
    // Types keys where the keyboard focus is, as a person would.
    [[nodiscard]] static bool Type(const QString& keys);
    [[nodiscard]] static bool Key(Qt::Key key);
    // Replaces the box's text by typing, as a person would.
    static void Retype(QLineEdit* edit, const QString& text);
    // Triggers `item` and lets `user` act in the dialog of ours it shows,
    // shown and active; the dialog's result.
    int RunDialog(QAction* item, const std::function<void()>& user);

    // The windows the frame's state holds, as the tests read them.
    TForm2* ActiveDocument() const;
    TResultado* Resultado() const;
    TMapa* CutFillMapWindow() const;
    TShowCurvas* ActiveMapWindow() const;
    TWinSurf* WinSurf() const;

    // The frame's menu items, menus and controls, by their object names.
    QAction* Item(const char* name) const { return Control<QAction>(frame.get(), name); }
    QMenu* Menu(const char* name) const { return Control<QMenu>(frame.get(), name); }
    template <class T>
    T* FrameControl(const char* name) const
    {
        return Control<T>(frame.get(), name);
    }

    std::unique_ptr<TForm1> frame;
    TRecorder* recorder = nullptr;
};

}  // namespace nivora::testing
