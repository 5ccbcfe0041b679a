#include "uPrint.h"

#include "app/Platform.h"
#include "app/sist.h"
#include "calc/FieldReport.h"
#include "calc/uEscoamento.h"
#include "calc/uMapa.h"
#include "calc/uPerfil.h"
#include "calc/uResult.h"
#include "calc/uTransporte.h"
#include "contour/uShowCurvas.h"
#include "grid/datagrid.h"
#include "print/AltimetricPages.h"
#include "print/CutFillPages.h"
#include "print/DrainagePages.h"
#include "print/FieldReportPages.h"
#include "print/ProfilePages.h"
#include "print/HaulPages.h"
#include "print/ResultsPages.h"

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

// A grid document's field report, once the terrain is systematized.
void FieldReportRequest(TForm2& doc, TPrintRequest& r)
{
    if (!HasFieldReport(doc.Terrain())) {
        Messages().Warning(&doc, "É impossível gerar o relatório de campo antes de sistematizar o terreno.");
        return;
    }
    r.Report = std::make_unique<TFieldReport>(BuildFieldReport(doc.Terrain()));
    r.Decimals = doc.Decimals();
    r.Document = FieldReportDocument(*r.Report, doc.Decimals(), Heading(doc.windowTitle()));
    r.ProposedName = Proposed(doc.windowTitle(), "Relatório de Campo");
}

// The results window's table of computed plans.
void ResultsRequest(TResultado& window, TPrintRequest& r)
{
    // The plans of the document the window shows.
    const TForm2* document = window.ActiveDocument();
    bool anyPlan = false;
    if (document)
        for (int k = 1; k < TTerreno::kPlanCount; ++k)
            anyPlan = anyPlan || document->Terrain().Plans()[std::size_t(k)].Valid;
    if (!anyPlan) {
        Messages().Warning(&window, "Não há planos calculados para imprimir.");
        return;
    }
    r.Document = ResultsDocument(document->Terrain(), Heading(document->windowTitle()));
    r.ProposedName = Proposed(document->windowTitle(), "Resultados");
}

}  // namespace

TPrintKind PrintKindOf(const QMdiSubWindow* w)
{
    if (qobject_cast<const TForm2*>(w))
        return TPrintKind::FieldReport;
    if (qobject_cast<const TResultado*>(w))
        return TPrintKind::Results;
    if (qobject_cast<const TMapa*>(w))
        return TPrintKind::CutFillMap;
    if (qobject_cast<const TShowCurvas*>(w))
        return TPrintKind::AltimetricMap;
    if (qobject_cast<const TPerfil*>(w))
        return TPrintKind::Profile;
    if (qobject_cast<const TMapaEscoamento*>(w))
        return TPrintKind::DrainageMap;
    if (qobject_cast<const THaulWindow*>(w))
        return TPrintKind::Haul;
    return TPrintKind::None;
}

TPrintRequest PrintRequestFor(QMdiSubWindow* window)
{
    TPrintRequest r;
    switch (PrintKindOf(window)) {
    case TPrintKind::None: return r;
    case TPrintKind::FieldReport: FieldReportRequest(*static_cast<TForm2*>(window), r); break;
    case TPrintKind::Results: ResultsRequest(*static_cast<TResultado*>(window), r); break;
    case TPrintKind::CutFillMap: {
        const auto* map = static_cast<const TMapa*>(window);
        // Depths with three decimals, as the map's readout gives them.
        r.Document = CutFillDocument(map->Map(), 3, Heading(map->ProjectName()));
        r.ProposedName = Proposed(map->ProjectName(), "Mapa de Cortes e Aterros");
        break;
    }
    case TPrintKind::AltimetricMap: {
        const auto* curvas = static_cast<const TShowCurvas*>(window);
        r.Document = AltimetricDocument(curvas->Picture(), Heading(curvas->ProjectName()));
        r.ProposedName = Proposed(curvas->ProjectName(),
                                  curvas->Picture().Design ? "Mapa Altimétrico do Projeto" : "Mapa Altimétrico");
        break;
    }
    case TPrintKind::Profile: {
        const auto* perfil = static_cast<const TPerfil*>(window);
        r.Document = ProfileDocument(perfil->Profile(), perfil->Exaggeration(), Heading(perfil->ProjectName()));
        r.ProposedName = Proposed(perfil->ProjectName(), "Perfil");
        break;
    }
    case TPrintKind::DrainageMap: {
        const auto* drainage = static_cast<const TMapaEscoamento*>(window);
        r.Document = DrainageDocument(drainage->Map(), Heading(drainage->ProjectName()));
        r.ProposedName = Proposed(drainage->ProjectName(), "Mapa de Escoamento");
        break;
    }
    case TPrintKind::Haul: {
        const auto* haul = static_cast<const THaulWindow*>(window);
        if (!haul->Ready()) {
            Messages().Warning(window, "A distância de transporte ainda não foi calculada.");
            break;
        }
        // The figures as the window's copy gives them, one pair a line.
        std::vector<std::pair<std::string, std::string>> figures;
        for (const QString& line : haul->FiguresText().split("\r\n", Qt::SkipEmptyParts)) {
            const qsizetype tab = line.indexOf('\t');
            if (!line.startsWith("Curva de massa"))
                figures.emplace_back(line.left(tab).toStdString(), line.mid(tab + 1).toStdString());
        }
        r.Document = HaulDocument(haul->Result(), std::move(figures), Heading(haul->ProjectName()));
        r.ProposedName = Proposed(haul->ProjectName(), "Distância de Transporte");
        break;
    }
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
