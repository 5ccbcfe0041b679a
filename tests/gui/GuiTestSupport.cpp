#include "GuiTestSupport.h"

#include "calc/uMapa.h"
#include "calc/uResult.h"
#include "contour/uShowCurvas.h"
#include "grid/datagrid.h"
#include "grid/uWinSurf.h"

#include <QApplication>
#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QDir>
#include <QTemporaryDir>

#include <memory>

namespace nivora::testing {

namespace {

// The platform holds two owning pointers; one recorder serves as both.
class TMessagesForward : public IMessages {
public:
    explicit TMessagesForward(TRecorder* r) : R(r) {}
    void Error(QWidget* p, const QString& t) override { R->Error(p, t); }
    void Warning(QWidget* p, const QString& t) override { R->Warning(p, t); }
    TAnswer Confirm(QWidget* p, const QString& t) override { return R->Confirm(p, t); }
    void Beep() override { R->Beep(); }

private:
    TRecorder* R;
};

}  // namespace

TAnswer TRecorder::Confirm(QWidget*, const QString& text)
{
    Shown.push_back({"Confirm", text});
    if (OnConfirm)
        OnConfirm(text);
    if (ConfirmAnswers.empty())
        return TAnswer::Cancel;
    const TAnswer a = ConfirmAnswers.front();
    ConfirmAnswers.pop_front();
    return a;
}

QString TRecorder::OpenProjectName(QWidget*)
{
    if (OpenNames.empty())
        return {};
    QString n = OpenNames.front();
    OpenNames.pop_front();
    return n;
}

QString TRecorder::SaveProjectName(QWidget*, const QString& proposed)
{
    ProposedSaveNames << proposed;
    if (SaveNames.empty())
        return {};
    QString n = SaveNames.front();
    SaveNames.pop_front();
    return n;
}

int TRecorder::ExecDialog(QDialog* dialog)
{
    DialogsRun << dialog->objectName();
    return OnExec ? OnExec(dialog) : QDialog::Rejected;
}

QString TRecorder::SaveExportName(QWidget*, const QString& proposed, const QStringList& filters, QString* selected)
{
    ProposedExportNames << proposed;
    ExportFilters = filters;
    if (selected)
        *selected = ExportFilter.isEmpty() && !filters.isEmpty() ? filters.first() : ExportFilter;
    if (ExportNames.empty())
        return {};
    const QString name = ExportNames.front();
    ExportNames.pop_front();
    return name;
}

TRecorder* InstallRecorder()
{
    auto recorder = std::make_unique<TRecorder>();
    TRecorder* raw = recorder.get();
    Platform().Messages = std::make_unique<TMessagesForward>(raw);
    Platform().Dialogs = std::move(recorder);
    return raw;
}

bool TFrameFixture::StartFrame(const QLocale& locale)
{
    QLocale::setDefault(locale);
    recorder = InstallRecorder();
    frame = std::make_unique<TForm1>();
    frame->show();
    return QTest::qWaitForWindowActive(frame.get());
}

bool TFrameFixture::CloseFrame()
{
    for (QMdiSubWindow* w : frame->ChildWindows()) {
        if (auto* doc = qobject_cast<TForm2*>(w))
            doc->Terrain().SetSaved(true);  // no questions on the way out
        delete w;
    }
    // Windows closed earlier are deleted by now; gone windows are gone from
    // the frame's state too.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const TProgramState& state = frame->State();
    const bool clean = frame->OpenDocumentCount() == 0 && !frame->ActiveDocument() && !state.Resultado
                       && !state.CutFillMapWindow && !state.ActiveMapWindow;
    frame.reset();
    QLocale::setDefault(QLocale::c());
    return clean;
}

TForm2* TFrameFixture::ActiveDocument() const { return frame->ActiveDocument(); }

TResultado* TFrameFixture::Resultado() const { return frame->State().Resultado; }

TMapa* TFrameFixture::CutFillMapWindow() const { return frame->State().CutFillMapWindow; }

TShowCurvas* TFrameFixture::ActiveMapWindow() const { return frame->State().ActiveMapWindow; }

TWinSurf* TFrameFixture::WinSurf() const { return frame->State().WinSurf; }

bool TFrameFixture::Type(const QString& keys)
{
    for (QChar c : keys) {
        QWidget* target = QApplication::focusWidget();
        if (!target)
            return false;
        QTest::keyClick(target, c.toLatin1());
    }
    return true;
}

bool TFrameFixture::Key(Qt::Key key)
{
    QWidget* target = QApplication::focusWidget();
    if (!target)
        return false;
    QTest::keyClick(target, key);
    return true;
}

QString TempFolder(const QString& name)
{
    // One folder for the process, removed as it ends: the same test may run
    // in several build trees at once.
    static const QTemporaryDir base(QDir::tempPath() + "/nivora_gui_XXXXXX");
    const QString path = QDir(base.path()).filePath(name);
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

void TFrameFixture::Retype(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

int TFrameFixture::RunDialog(QAction* item, const std::function<void()>& user)
{
    int result = -1;
    recorder->OnExec = [&](QDialog* d) {
        d->setResult(0);
        d->show();
        d->activateWindow();
        if (!QTest::qWaitForWindowActive(d))
            qWarning("the dialog did not become active");
        user();
        result = d->result();
        d->hide();
        return result;
    };
    item->trigger();
    recorder->OnExec = nullptr;
    return result;
}

}  // namespace nivora::testing
