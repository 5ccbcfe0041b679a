#include "Platform.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QAbstractScrollArea>
#include <QBoxLayout>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <exception>

namespace nivora {

namespace {

// A modal dialog blocks the frame it belongs to, not every window: the help
// window stays usable beside it. Without a parent it blocks the program, and
// so does a dialog opened over another modal one that is not its parent (the
// equidistant levels over the map dialog), which must wait for it too.
void BlockOwnWindowOnly(QDialog& dialog)
{
    const QWidget* open = QApplication::activeModalWidget();
    const bool nested = open && open != &dialog && !open->isAncestorOf(&dialog);
    dialog.setWindowModality(dialog.parentWidget() && !nested ? Qt::WindowModal : Qt::ApplicationModal);
}

class TQtMessages : public IMessages {
public:
    void Error(QWidget* parent, const QString& text) override { Show(parent, QMessageBox::Critical, "Error", text); }
    void Warning(QWidget* parent, const QString& text) override { Show(parent, QMessageBox::Warning, "Warning", text); }
    TAnswer Confirm(QWidget* parent, const QString& text) override
    {
        QMessageBox box(QMessageBox::Question, "Confirm", text, QMessageBox::NoButton, parent);
        QPushButton* yes = box.addButton("&Yes", QMessageBox::YesRole);
        QPushButton* no = box.addButton("&No", QMessageBox::NoRole);
        QPushButton* cancel = box.addButton("Cancel", QMessageBox::RejectRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(cancel);
        BlockOwnWindowOnly(box);
        box.exec();
        if (box.clickedButton() == yes)
            return TAnswer::Yes;
        if (box.clickedButton() == no)
            return TAnswer::No;
        return TAnswer::Cancel;
    }
    void Beep() override { QApplication::beep(); }

private:
    static void Show(QWidget* parent, QMessageBox::Icon icon, const char* title, const QString& text)
    {
        QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
        box.addButton("OK", QMessageBox::AcceptRole);
        BlockOwnWindowOnly(box);
        box.exec();
    }
};

class TQtDialogs : public IFileDialogs {
public:
    QString OpenProjectName(QWidget* parent) override
    {
        QFileDialog d(parent, "Abrir");
        d.setAcceptMode(QFileDialog::AcceptOpen);
        d.setFileMode(QFileDialog::ExistingFile);
        d.setNameFilter(ProjectFileFilter());
        d.setDefaultSuffix("NVR");
        BlockOwnWindowOnly(d);
        if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
            return {};
        return d.selectedFiles().first();
    }
    QString SaveProjectName(QWidget* parent, const QString& proposed) override
    {
        QFileDialog d(parent, "Salvar Como");
        d.setAcceptMode(QFileDialog::AcceptSave);
        d.setFileMode(QFileDialog::AnyFile);
        d.setNameFilter(ProjectFileFilter());
        d.setDefaultSuffix("NVR");
        d.selectFile(proposed);
        // The dialog asks before replacing an existing file.
        d.setOption(QFileDialog::DontConfirmOverwrite, false);
        BlockOwnWindowOnly(d);
        if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
            return {};
        return d.selectedFiles().first();
    }
    bool ChooseFont(QWidget* parent, QFont& font) override
    {
        QFontDialog d(font, parent);
        d.setWindowTitle("Fonte");
        BlockOwnWindowOnly(d);
        if (d.exec() != QDialog::Accepted)
            return false;
        QFont chosen = d.selectedFont();
        // The font dialog has no size limits of its own.
        if (chosen.pointSizeF() > 0)
            chosen.setPointSizeF(std::clamp(chosen.pointSizeF(), 6.0, 20.0));
        else if (chosen.pixelSize() > 0)
            chosen.setPixelSize(std::clamp(chosen.pixelSize(), 6, 20));
        font = chosen;
        return true;
    }
};

TPlatform& Storage()
{
    static TPlatform platform;
    return platform;
}

}  // namespace

int IFileDialogs::ExecDialog(QDialog* dialog)
{
    BlockOwnWindowOnly(*dialog);
    return dialog->exec();
}

QString IFileDialogs::OpenPointsName(QWidget* parent)
{
    QFileDialog d(parent, "Importar Pontos");
    d.setAcceptMode(QFileDialog::AcceptOpen);
    d.setFileMode(QFileDialog::ExistingFile);
    d.setNameFilters({"Arquivos de pontos (*.csv *.txt *.xyz *.pts *.dat)", "Todos os arquivos (*)"});
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return {};
    return d.selectedFiles().first();
}

QString IFileDialogs::SaveExportName(QWidget* parent, const QString& proposed, const QStringList& filters,
                                     QString* selectedFilter)
{
    QFileDialog d(parent, "Exportar");
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setFileMode(QFileDialog::AnyFile);
    d.setNameFilters(filters);
    d.selectFile(proposed);
    d.setOption(QFileDialog::DontConfirmOverwrite, false);
    // A name typed without extension takes that of the chosen type.
    const auto suffix = [&d](const QString& filter) {
        const int star = filter.lastIndexOf("*.");
        d.setDefaultSuffix(star < 0 ? QString() : filter.mid(star + 2).chopped(1));
    };
    if (!filters.isEmpty())
        suffix(filters.first());
    QObject::connect(&d, &QFileDialog::filterSelected, &d, suffix);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return {};
    if (selectedFilter)
        *selectedFilter = d.selectedNameFilter();
    return d.selectedFiles().first();
}

// The dialog matches name filters without regard to case, so "*.NVR" also
// shows files ending in ".nvr".
QString ProjectFileFilter() { return "Arquivos do Nivora (*.NVR)"; }

TPlatform& Platform() { return Storage(); }

void InstallQtPlatform()
{
    Storage().Messages = std::make_unique<TQtMessages>();
    Storage().Dialogs = std::make_unique<TQtDialogs>();
}

bool InstallQtTranslations(const QLocale& locale)
{
    // Owned by the application, which keeps it installed for its lifetime.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(locale, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

IMessages& Messages()
{
    if (!Storage().Messages)
        Storage().Messages = std::make_unique<TQtMessages>();
    return *Storage().Messages;
}

IFileDialogs& Dialogs()
{
    if (!Storage().Dialogs)
        Storage().Dialogs = std::make_unique<TQtDialogs>();
    return *Storage().Dialogs;
}

char DecimalSeparator()
{
    // The default locale is the user's unless a test chose another.
    const QString point = QLocale().decimalPoint();
    return point == "," ? ',' : '.';
}

TDialogButtons AddDialogButtons(QDialog* dialog, QBoxLayout* parent, Qt::Orientation orientation, const char* okName,
                                const char* cancelName, const char* helpName, const QString& helpCaption)
{
    const bool row = orientation == Qt::Horizontal;
    auto* layout = new QBoxLayout(row ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    if (row)
        layout->addStretch(1);
    TDialogButtons b;
    b.Ok = new QPushButton(QStringLiteral("OK"), dialog);
    b.Ok->setObjectName(okName);
    b.Ok->setDefault(true);
    b.Cancel = new QPushButton(QStringLiteral("Cancelar"), dialog);
    b.Cancel->setObjectName(cancelName);
    b.Help = new QPushButton(helpCaption, dialog);
    b.Help->setObjectName(helpName);
    for (QPushButton* button : {b.Ok, b.Cancel, b.Help})
        layout->addWidget(button);
    if (!row)
        layout->addStretch(1);
    parent->addLayout(layout);
    return b;
}

void FitClientToContent(QMdiSubWindow* w, QAbstractScrollArea* view, QSize content,
                        const std::function<void()>& updateScrollRanges)
{
    updateScrollRanges();
    const QSize start = view->viewport()->size();
    const QSize wanted(std::min(start.width(), content.width()), std::min(start.height(), content.height()));
    for (int pass = 0; pass < 3; ++pass) {
        const QSize client = view->viewport()->size();
        if (client == wanted)
            break;
        w->resize(w->width() - (client.width() - wanted.width()), w->height() - (client.height() - wanted.height()));
        updateScrollRanges();
    }
}

bool RunCommand(QWidget* parent, const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (const std::bad_alloc&) {
        Messages().Error(parent, "Memória insuficiente.");
    } catch (const std::exception& e) {
        Messages().Error(parent, QString::fromUtf8(e.what()));
    }
    return false;
}

}  // namespace nivora
