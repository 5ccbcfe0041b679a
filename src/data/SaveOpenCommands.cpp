#include "SaveOpenCommands.h"

#include "app/Platform.h"
#include "app/sist.h"
#include "data/SaveOpen.h"
#include "grid/datagrid.h"

#include <QFileInfo>

#include <filesystem>

namespace nivora {

namespace {

std::filesystem::path ToPath(const QString& name) { return std::filesystem::path(name.toStdString()); }

// The file is written first; only then does the document take its name and
// become saved. A failed write throws and leaves the document as it was.
bool WriteDocumentFile(TForm2* document, const QString& name)
{
    document->Document().Save(name.toStdString(), document->ViewState());
    document->SetFileName(name);
    return true;
}

bool SaveWithDialog(TForm2* document)
{
    const QString name = Dialogs().SaveProjectName(document, document->windowTitle());
    if (name.isEmpty())
        return false;
    return WriteDocumentFile(document, name);
}

}  // namespace

void OpenProject(TForm1& frame)
{
    QString path = Dialogs().OpenProjectName(&frame);
    if (path.isEmpty())
        return;
    path = path.left(255);
    const QString shortName = QFileInfo(path).fileName();
    try {
        TLoadedProject project = LoadProjectFile(ToPath(path));
        const TViewState view = project.View;
        const bool damaged = project.ExtensionState == TExtensionState::Damaged;
        TForm2* doc = CreateDocument(&frame, path, std::move(project));
        doc->RestoreView(view);
        doc->UpdateStatusText();
        if (damaged)
            Messages().Warning(doc, QString::fromStdString(DamagedExtensionMessage(shortName.toStdString())));
    } catch (const TNotNivora&) {
        Messages().Error(&frame, QString("O arquivo %1 não foi gerado pelo Nivora ou teve sua estrutura alterada.")
                                     .arg(shortName));
    }
}

bool SaveProject(TForm2* document)
{
    if (!document)
        return false;
    if (document->FileName().isEmpty())
        return SaveWithDialog(document);
    return WriteDocumentFile(document, document->FileName());
}

bool SaveProjectAs(TForm2* document)
{
    if (!document)
        return false;
    return SaveWithDialog(document);
}

}  // namespace nivora
