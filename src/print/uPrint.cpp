#include "uPrint.h"

#include "app/Platform.h"
#include "app/sist.h"
#include "calc/uMapa.h"
#include "calc/uResult.h"
#include "contour/uShowCurvas.h"
#include "grid/datagrid.h"

#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>

#include <stdexcept>

namespace nivora {

namespace {

TPrintHeading Heading(const QString& project)
{
    TPrintHeading h;
    h.Project = project;
    h.Date = PrintDate();
    h.DecimalSeparator = DecimalSeparator();
    return h;
}

// "PEQUENO.NVR" and " - Relatório de Campo" give "PEQUENO - Relatório de Campo.pdf".
QString Proposed(const QString& project, const QString& what)
{
    const QString base = QFileInfo(project).completeBaseName();
    return (base.isEmpty() ? what : base + " - " + what) + ".pdf";
}

void Save(const QString& name, const std::function<bool(QIODevice&)>& write)
{
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || !write(file) || !file.commit())
        throw std::runtime_error(("Não foi possível gravar o arquivo " + name + ".").toStdString());
}

}  // namespace

bool CanPrint(const QMdiSubWindow* w)
{
    return qobject_cast<const TForm2*>(w) || qobject_cast<const TResultado*>(w) || qobject_cast<const TMapa*>(w)
           || qobject_cast<const TShowCurvas*>(w);
}

TPrintRequest PrintRequestFor(QMdiSubWindow* window)
{
    TPrintRequest r;
    if (auto* doc = qobject_cast<TForm2*>(window)) {
        if (!HasFieldReport(doc->Terrain())) {
            Messages().Warning(window, "É impossível gerar o relatório de campo antes de sistematizar o terreno.");
            return r;
        }
        r.Report = std::make_unique<TFieldReport>(BuildFieldReport(doc->Terrain()));
        r.Decimals = doc->Decimals();
        r.Document = FieldReportDocument(*r.Report, doc->Decimals(), Heading(doc->windowTitle()));
        r.ProposedName = Proposed(doc->windowTitle(), "Relatório de Campo");
    } else if (qobject_cast<TResultado*>(window)) {
        // The results window always shows the active document.
        const TForm1* frame = FrameOf(window);
        const TForm2* document = frame ? frame->State().ActiveDocument.data() : nullptr;
        bool anyPlan = false;
        if (document)
            for (int k = 1; k < TTerreno::kPlanCount; ++k)
                anyPlan = anyPlan || document->Terrain().Plans()[std::size_t(k)].Valid;
        if (!anyPlan) {
            Messages().Warning(window, "Não há planos calculados para imprimir.");
            return r;
        }
        r.Document = ResultsDocument(document->Terrain(), Heading(document->windowTitle()));
        r.ProposedName = Proposed(document->windowTitle(), "Resultados");
    } else if (auto* map = qobject_cast<TMapa*>(window)) {
        // Depths with three decimals, as the map's readout gives them.
        r.Document = CutFillDocument(map->Map(), 3, Heading(map->ProjectName()));
        r.ProposedName = Proposed(map->ProjectName(), "Mapa de Cortes e Aterros");
    } else if (auto* curvas = qobject_cast<TShowCurvas*>(window)) {
        r.Document = AltimetricDocument(curvas->Picture(), Heading(curvas->ProjectName()));
        r.ProposedName = Proposed(curvas->ProjectName(), "Mapa Altimétrico");
    }
    if (r.Document)
        r.Document->Progress = FrameOf(window);
    return r;
}

void PrintWindow(QMdiSubWindow* window)
{
    TPrintRequest r = PrintRequestFor(window);
    if (!r.Document)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(r.Document->Title());
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), r.Document->Orientation(),
                                      QMarginsF(kPageMarginMm, kPageMarginMm, kPageMarginMm, kPageMarginMm),
                                      QPageLayout::Millimeter));
    QPrintPreviewDialog preview(&printer, FrameOf(window));
    preview.setObjectName("PrintPreview");
    preview.setWindowTitle("Imprimir - " + r.Document->Title());
    TPrintDocument* document = r.Document.get();
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [document](QPrinter* device) {
        QPainter painter(device);
        document->Paint(painter, *device);
    });
    Dialogs().ExecDialog(&preview);
}

void ExportWindowPdf(QMdiSubWindow* window)
{
    TPrintRequest r = PrintRequestFor(window);
    if (!r.Document)
        return;
    const QString pdfFilter = "Documento PDF (*.pdf)";
    const QString csvFilter = "Planilha CSV (*.csv)";
    QStringList filters{pdfFilter};
    if (r.Report)
        filters << csvFilter;
    QString filter;
    const QString name = Dialogs().SaveExportName(FrameOf(window), r.ProposedName, filters, &filter);
    if (name.isEmpty())
        return;
    // The name's extension decides; without one, the type chosen in the dialog.
    const bool csv = r.Report
                     && (name.endsWith(".csv", Qt::CaseInsensitive)
                         || (!name.endsWith(".pdf", Qt::CaseInsensitive) && filter == csvFilter));
    if (csv) {
        const std::string text = FieldReportCsv(*r.Report, r.Decimals, DecimalSeparator());
        Save(name, [&](QIODevice& f) { return f.write(text.data(), qint64(text.size())) == qint64(text.size()); });
    } else {
        Save(name, [&](QIODevice& f) { return WritePdf(*r.Document, f) > 0; });
    }
}

}  // namespace nivora
