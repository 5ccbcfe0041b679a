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

bool WriteDocumentFile(TForm2* document)
{
    SaveProjectFile(ToPath(document->FileName), document->Terrain(), document->ViewState());
    document->DocumentSaved();
    return true;
}

bool SaveWithDialog(TForm2* document)
{
    const QString name = Dialogs().SaveProjectName(document, document->windowTitle());
    if (name.isEmpty())
        return false;
    document->SetFileName(name);
    return WriteDocumentFile(document);
}

}  // namespace

void OpenProject()
{
    QString path = Dialogs().OpenProjectName(Form1());
    if (path.isEmpty())
        return;
    path = path.left(255);
    const QString shortName = QFileInfo(path).fileName();
    try {
        TLoadedProject project = LoadProjectFile(ToPath(path));
        const TViewState view = project.View;
        TForm2* doc = CreateDocument(path, std::move(project));
        doc->RestoreView(view);
        doc->UpdateStatusText();
    } catch (const TNotNivora&) {
        Messages().Error(Form1(), QString("O arquivo %1 não foi gerado pelo Nivora ou teve sua estrutura alterada.")
                                      .arg(shortName));
    }
}

bool SaveProject(TForm2* document)
{
    if (!document)
        return false;
    if (document->FileName.isEmpty())
        return SaveWithDialog(document);
    return WriteDocumentFile(document);
}

bool SaveProjectAs(TForm2* document)
{
    if (!document)
        return false;
    return SaveWithDialog(document);
}

}  // namespace nivora
