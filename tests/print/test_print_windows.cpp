// Printing from the program: the two items of the file menu and their
// enabled states, the print preview of each kind of window, the PDF and CSV
// exports, and the refusals.

#include "gui/GuiTestSupport.h"
#include "PopplerTools.h"
#include "app/sist.h"
#include "calc/CalcSist.h"
#include "calc/FieldReport.h"
#include "calc/uMapa.h"
#include "calc/uResult.h"
#include "contour/ContourLevels.h"
#include "contour/uDefMapa.h"
#include "contour/uShowCurvas.h"
#include "grid/datagrid.h"
#include "grid/uWinSurf.h"
#include "print/uPrint.h"

#include <QFile>
#include <QMdiArea>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTest>

using namespace nivora;
using namespace nivora::testing;

class TestPrintWindows : public QObject, public TFrameFixture {
    Q_OBJECT

private:
    // What the print preview showed; no pages when none opened.
    struct TPreview {
        int Pages = 0;
        QPageLayout::Orientation Orientation = QPageLayout::Portrait;
        QString Title;
    };

    // Ctrl+P as the user types it on the frame.
    TPreview PressCtrlP()
    {
        TPreview seen;
        recorder->OnExec = [&seen](QDialog* dialog) {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(dialog);
            if (!preview)
                return int(QDialog::Rejected);
            preview->show();  // the preview paints its pages when shown
            auto* pages = preview->findChild<QPrintPreviewWidget*>();
            if (pages && QTest::qWaitFor([pages] { return pages->pageCount() > 0; }, 10000)) {
                seen.Pages = pages->pageCount();
                seen.Orientation =
                    pages->orientation() == QPageLayout::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
            }
            seen.Title = preview->windowTitle();
            preview->hide();
            return int(QDialog::Rejected);
        };
        QTest::keyClick(frame.get(), Qt::Key_P, Qt::ControlModifier);
        recorder->OnExec = nullptr;
        return seen;
    }

    TForm2* FourStakes(bool systematize)
    {
        TForm2* doc = CreateDocument(frame.get(), QString(), 20, 20, 20.0f, 20.0f, 0.0f, 0.0f);
        doc->Terrain().SetCell(1, 1, 10.0f);
        doc->Terrain().SetCell(2, 1, 11.0f);
        doc->Terrain().SetCell(1, 2, 12.0f);
        doc->Terrain().SetCell(2, 2, 10.0f);
        frame->ActivateChild(doc);
        if (systematize)
            doc->Systematize(false, -1);
        frame->ActivateChild(doc);
        return doc;
    }

    TShowCurvas* AltimetricMap(TForm2& doc)
    {
        frame->State().ContourRequest = TContourRequest();
        frame->State().ContourRequest.Levels[0] = 10.5L;
        frame->State().ContourRequest.Levels[1] = 11.0L;
        frame->State().ContourRequest.LevelCount = 2;
        return OpenAltimetricMap(*frame, doc);
    }

private slots:
    void init()
    {
        QVERIFY(StartFrame(QLocale(QLocale::Portuguese, QLocale::Brazil)));
        CreateAltimetricDialogs(*frame);
        recorder->DialogsRun.clear();
    }
    void cleanup() { QVERIFY(CloseFrame()); }

    void itemsFollowSaveAsAndTheActiveWindow()
    {
        const QList<QAction*> items = Menu("File1")->actions();
        const int saveAs = items.indexOf(Item("mnSalvarComo"));
        QCOMPARE(items.value(saveAs + 1), Item("mnImprimir"));
        QCOMPARE(items.value(saveAs + 2), Item("mnExportarPDF"));
        QCOMPARE(Item("mnImprimir")->text(), QString("&Imprimir..."));
        QCOMPARE(Item("mnImprimir")->shortcut(), QKeySequence("Ctrl+P"));
        QCOMPARE(Item("mnExportarPDF")->text(), QString("&Exportar PDF..."));

        // No window, or a listing: nothing to print, and Ctrl+P opens nothing.
        QVERIFY(!Item("mnImprimir")->isEnabled() && !Item("mnExportarPDF")->isEnabled());
        QCOMPARE(PressCtrlP().Title, QString());
        TForm2* doc = FourStakes(true);
        QVERIFY(Item("mnImprimir")->isEnabled() && Item("mnExportarPDF")->isEnabled());
        doc->ExportWinSurf();
        QVERIFY(!Item("mnImprimir")->isEnabled() && !Item("mnExportarPDF")->isEnabled());
        QCOMPARE(PressCtrlP().Title, QString());
        QVERIFY(recorder->DialogsRun.isEmpty());
    }

    // Each kind of window, and what it prints: the menu items, the print
    // command's pages and the kind all agree.
    void eachKindOfWindowPrintsOneThing()
    {
        TForm2* doc = FourStakes(true);
        QMdiSubWindow* results = Resultado();
        QVERIFY(results);
        doc->ShowCutFillMap();
        QMdiSubWindow* cutFill = CutFillMapWindow();
        QMdiSubWindow* altimetric = AltimetricMap(*doc);
        doc->ExportWinSurf();
        QMdiSubWindow* listing = WinSurf();
        QVERIFY(results && cutFill && altimetric && listing);
        auto* other = new QMdiSubWindow;
        other->setWindowTitle("Outra");
        frame->AddChild(other);
        const struct {
            const char* Name;
            QMdiSubWindow* Window;
            TPrintKind Kind;
            const char* Title;  // of the pages, none when nothing prints
        } cases[] = {
            {"grid", doc, TPrintKind::FieldReport, "Relatório de Campo"},
            {"results", results, TPrintKind::Results, "Resultados da Sistematização"},
            {"cut-and-fill map", cutFill, TPrintKind::CutFillMap, "Mapa de Cortes e Aterros"},
            {"altimetric map", altimetric, TPrintKind::AltimetricMap, "Mapa Altimétrico"},
            {"WinSurf listing", listing, TPrintKind::None, ""},
            {"another window", other, TPrintKind::None, ""},
        };
        for (const auto& c : cases) {
            frame->ActivateChild(c.Window);
            QVERIFY2(frame->ActiveChild() == c.Window, c.Name);
            QVERIFY2(PrintKindOf(c.Window) == c.Kind, c.Name);
            const bool prints = c.Kind != TPrintKind::None;
            QVERIFY2(Item("mnImprimir")->isEnabled() == prints, c.Name);
            QVERIFY2(Item("mnExportarPDF")->isEnabled() == prints, c.Name);
            const TPrintRequest r = PrintRequestFor(c.Window);
            QCOMPARE(r.Document ? r.Document->Title() : QString(), QString::fromUtf8(c.Title));
            QCOMPARE(r.Report != nullptr, c.Kind == TPrintKind::FieldReport);
        }
        QVERIFY(PrintKindOf(nullptr) == TPrintKind::None);
        QVERIFY(recorder->Shown.empty());
    }

    void previewOpensForEachKindOfWindow()
    {
        TForm2* doc = FourStakes(true);
        QMdiSubWindow* results = Resultado();
        QVERIFY(results);
        doc->ShowCutFillMap();
        QMdiSubWindow* cutFill = CutFillMapWindow();
        QMdiSubWindow* altimetric = AltimetricMap(*doc);
        const struct {
            QMdiSubWindow* Window;
            const char* Title;
            QPageLayout::Orientation Orientation;
        } cases[] = {
            {doc, "Imprimir - Relatório de Campo", QPageLayout::Portrait},
            {results, "Imprimir - Resultados da Sistematização", QPageLayout::Portrait},
            // A square map: beside its legend it comes out larger across.
            {cutFill, "Imprimir - Mapa de Cortes e Aterros", QPageLayout::Landscape},
            // Square too, above its title block: larger upright.
            {altimetric, "Imprimir - Mapa Altimétrico", QPageLayout::Portrait},
        };
        for (const auto& c : cases) {
            frame->ActivateChild(c.Window);
            const TPreview seen = PressCtrlP();
            QCOMPARE(seen.Title, QString::fromUtf8(c.Title));
            QCOMPARE(seen.Pages, 1);
            QCOMPARE(seen.Orientation, c.Orientation);
        }
        QCOMPARE(recorder->DialogsRun, QStringList(4, "PrintPreview"));
        QVERIFY(recorder->Shown.empty());
    }

    void nothingToPrintIsExplained()
    {
        // A document never systematized has no field report.
        TForm2* doc = FourStakes(false);
        QCOMPARE(PressCtrlP().Title, QString());
        QCOMPARE(recorder->Shown.size(), size_t(1));
        QCOMPARE(recorder->Shown[0].Text,
                 QString("É impossível gerar o relatório de campo antes de sistematizar o terreno."));
        // After a change to the elevations the plan no longer holds.
        doc->Systematize(false, -1);
        frame->ActivateChild(doc);
        doc->Terrain().SetCell(1, 1, 10.5f);
        Item("mnExportarPDF")->trigger();
        QCOMPARE(recorder->Shown.size(), size_t(2));
        QVERIFY(recorder->ProposedExportNames.isEmpty());
        QVERIFY(recorder->DialogsRun.isEmpty());
    }

    void exportsTheReportAsPdfOrCsv()
    {
        const QString folder = TempFolder("print");
        TForm2* doc = FourStakes(true);
        recorder->ExportNames = {folder + "/relatorio.pdf", folder + "/relatorio.csv", folder + "/sem/lugar.pdf"};
        Item("mnExportarPDF")->trigger();
        QCOMPARE(recorder->ExportFilters, QStringList({"Documento PDF (*.pdf)", "Planilha CSV (*.csv)"}));
        QVERIFY(recorder->ProposedExportNames.first().endsWith("Relatório de Campo.pdf"));
        const QString text = PdfText(folder + "/relatorio.pdf");
        QVERIFY2(text.contains("\n 1 1 1 0 0 10,000 10,750 A 0,750\n 2 2 1 20 0 11,000 10,250 C 0,750"),
                 qPrintable(text));
        QVERIFY(text.contains(doc->windowTitle()));

        Item("mnExportarPDF")->trigger();
        QFile csv(folder + "/relatorio.csv");
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QString rows = QString::fromUtf8(csv.readAll());
        QVERIFY2(rows.contains("\r\n4;1;2;0;20;12,000;11,250;C;0,750;-0,750\r\n"), qPrintable(rows));

        // A place that cannot be written: the error, and no file.
        Item("mnExportarPDF")->trigger();
        QCOMPARE(recorder->Shown.size(), size_t(1));
        QCOMPARE(recorder->Shown[0].Kind, QString("Error"));
        QVERIFY(recorder->Shown[0].Text.startsWith("Não foi possível gravar"));
        QVERIFY(!QFile::exists(folder + "/sem/lugar.pdf"));
    }

    void exportsTheMapsWithTheirFigures()
    {
        const QString folder = TempFolder("print_maps");
        TForm2* doc = FourStakes(true);
        doc->ShowCutFillMap();
        recorder->ExportNames = {folder + "/cortes.pdf", folder + "/curvas.pdf"};
        Item("mnExportarPDF")->trigger();
        QCOMPARE(recorder->ExportFilters, QStringList({"Documento PDF (*.pdf)"}));
        QString text = PdfText(folder + "/cortes.pdf");
        QVERIFY2(text.contains("Legenda") && text.contains("Cota da Origem (m): 10,750")
                     && text.contains(doc->windowTitle()),
                 qPrintable(text));

        AltimetricMap(*doc);
        Item("mnExportarPDF")->trigger();
        text = PdfText(folder + "/curvas.pdf");
        QVERIFY2(text.contains("Curvas de nível (m): 10,5; 11") && text.contains("Escala 1:")
                     && text.contains("Projeto: " + doc->windowTitle()),
                 qPrintable(text));

        // The results window: the computed plans of the active document.
        recorder->ExportNames = {folder + "/resultados.pdf"};
        frame->ActivateChild(Resultado());
        Item("mnExportarPDF")->trigger();
        text = PdfText(folder + "/resultados.pdf");
        QVERIFY2(text.contains("Melhor Plano") && text.contains("Cota da Origem (m) 10,750")
                     && !text.contains("Plano 1"),
                 qPrintable(text));
        QVERIFY(recorder->Shown.empty());
    }
};

QTEST_MAIN(TestPrintWindows)
#include "test_print_windows.moc"
