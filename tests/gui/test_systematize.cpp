// The systematization in the program: the dialog and its run, the results
// window with a plan of the user's, and the cut-and-fill map window.

#include "GuiTestSupport.h"
#include "app/sist.h"
#include "calc/ResultTable.h"
#include "data/NumberFormat.h"
#include "calc/uDefSist.h"
#include "calc/uMapa.h"
#include "calc/uResult.h"
#include "data/SaveOpenCommands.h"
#include "grid/datagrid.h"
#include "grid/uWinSurf.h"

#include <QApplication>
#include <QSignalSpy>
#include <QCheckBox>
#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include <memory>

using namespace nivora;
using namespace nivora::testing;

class TestSystematize : public QObject, public TFrameFixture {
    Q_OBJECT

private:
    // The four stakes 10, 11 / 12, 10, 20 m apart, origin at the first stake.
    TForm2* FourStakes()
    {
        TForm2* doc = CreateDocument(frame.get(), QString(), 20, 20, 20.0f, 20.0f, 0.0f, 0.0f);
        doc->Terrain().SetCell(1, 1, 10.0f);
        doc->Terrain().SetCell(2, 1, 11.0f);
        doc->Terrain().SetCell(1, 2, 12.0f);
        doc->Terrain().SetCell(2, 2, 10.0f);
        frame->ActivateChild(doc);
        return doc;
    }

    // The dialog as OK would run it, without the modal loop.
    void RunDialog(bool whole, bool withRatio, const QString& ratio = "1,3")
    {
        TDefSist* d = FrameControl<TDefSist>("DefSist");
        d->FormShow();
        Control<QRadioButton>(d, whole ? "rbSistematizaTudo" : "rbSistematizaSelecao")->setChecked(true);
        Control<QCheckBox>(d, "cbAjustaCA")->setChecked(withRatio);
        Control<QLineEdit>(d, "edRelCA")->setText(ratio);
        d->btOkSistematizaClick();
    }

    // Types a plan's slopes and ratio into its column of the results window
    // and leaves the row, so that the last entry is committed.
    [[nodiscard]] bool TypePlan(int column, const QString& sx, const QString& sy, const QString& ratio)
    {
        TResultado* r = Resultado();
        Control<QTableView>(r, "Grid")->setFocus();
        r->SetCurrentCell(column, rrSx);
        if (!Type(sx))
            return false;
        r->SetCurrentCell(column, rrSy);
        if (!Type(sy))
            return false;
        r->SetCurrentCell(column, rrRatio);
        if (!Type(ratio))
            return false;
        r->SetCurrentCell(column, rrSx);
        return true;
    }

private slots:
    void init() { QVERIFY(StartFrame(QLocale(QLocale::Portuguese, QLocale::Brazil))); }

    void cleanup() { QVERIFY(CloseFrame()); }

    void dialogRadioButtonsAndRatioField()
    {
        TForm2* doc = FourStakes();
        TDefSist* d = FrameControl<TDefSist>("DefSist");
        auto* edRelCA = Control<QLineEdit>(d, "edRelCA");
        auto* cbAjustaCA = Control<QCheckBox>(d, "cbAjustaCA");
        auto* rbSistematizaTudo = Control<QRadioButton>(d, "rbSistematizaTudo");
        auto* rbSistematizaSelecao = Control<QRadioButton>(d, "rbSistematizaSelecao");
        QCOMPARE(edRelCA->text(), QString("1,3"));
        d->FormShow();
        QVERIFY(!rbSistematizaSelecao->isEnabled());
        QVERIFY(rbSistematizaTudo->isChecked());
        doc->SetGridSelection({1, 1, 3, 2});
        d->FormShow();
        QVERIFY(rbSistematizaSelecao->isEnabled());
        QVERIFY(rbSistematizaSelecao->isChecked());

        cbAjustaCA->setChecked(true);
        QVERIFY(edRelCA->isEnabled());
        edRelCA->setText("1,3");
        edRelCA->setCursorPosition(0);
        d->edRelCAKeyPress('5');  // judged on 1,35, put at the caret
        QCOMPARE(edRelCA->text(), QString("51,3"));
        d->edRelCAKeyPress(',');  // a second separator
        QCOMPARE(edRelCA->text(), QString("51,3"));
        edRelCA->setText("0");
        d->edRelCAExit();
        QCOMPARE(edRelCA->text(), QString("0,01"));
        edRelCA->setText("250");
        d->edRelCAExit();
        QCOMPARE(edRelCA->text(), QString("100"));
        edRelCA->setText("palavra");
        d->edRelCAExit();
        QCOMPARE(edRelCA->text(), QString("1,3"));
        cbAjustaCA->setChecked(false);
        QVERIFY(!edRelCA->isEnabled());
    }

    void fourStakesThroughTheDialog()
    {
        FourStakes();
        RunDialog(true, false, "texto ignorado");
        QCOMPARE(frame->State().RequestedRatio, -1.0L);
        QVERIFY(Resultado());
        const QStringList expected = {"-0,025000", "0,025000", "10,750", "3750,0", "3750,0", "1,000", "0,750", "0,750"};
        for (int row = 1; row <= 8; ++row)
            QCOMPARE(Resultado()->CellText(1, row), expected[row - 1]);
        QCOMPARE(Resultado()->CellText(0, 0), QString("Parâmetro"));
        QCOMPARE(Resultado()->CellText(1, 0), QString("Melhor Plano"));
        QCOMPARE(Resultado()->CellText(3, 0), QString("Plano 2"));
        QCOMPARE(Resultado()->CellText(0, 4), QString("Vol. de Corte (m³/ha)"));
        QVERIFY(Item("mnExibirResultados")->isChecked());
        QCOMPARE(Resultado()->widget()->width(), 445);
        QVERIFY(Resultado()->widget()->height() >= 248);
        QCOMPARE(ActiveDocument()->Terrain().LastArea(), (TUsedRect{1, 1, 2, 2}));

        // With a ratio: one step to 2.
        RunDialog(true, true, "2");
        QCOMPARE(Resultado()->CellText(1, rrRatio), QString("2,000"));
        QCOMPARE(Resultado()->CellText(1, rrOrigin), QString("10,500"));
    }

    void noBlockNoResults()
    {
        TForm2* doc = CreateDocument(frame.get(), QString(), 20, 20, 10.0f, 10.0f, 0.0f, 0.0f);
        frame->ActivateChild(doc);
        for (int c = 1; c <= 5; ++c)
            doc->Terrain().SetCell(c, 1, 10.0f + c);
        RunDialog(true, false);
        QCOMPARE(recorder->Shown.back().Kind, QString("Warning"));
        QCOMPARE(recorder->Shown.back().Text, QString("É impossivel calcular a sistematização por falta de cotas."));
        QVERIFY(Resultado() == nullptr);
        frame->UpdateViewMenu();
        QVERIFY(!Item("mnExibirMapa")->isEnabled());  // no results, no map
    }

    void aPlanOfTheUsersOwn()
    {
        FourStakes();
        RunDialog(true, false);
        TResultado* r = Resultado();
        auto* btRecalc = Control<QPushButton>(r, "btRecalc");
        auto* grid = Control<QTableView>(r, "Grid");
        const QAbstractItemModel* model = grid->model();
        QVERIFY(!btRecalc->isEnabled());
        // Fixed cells are neither selectable nor editable; computed rows not editable.
        QCOMPARE(model->flags(model->index(1, 1)), Qt::NoItemFlags);
        QCOMPARE(model->flags(model->index(1, 0)), Qt::NoItemFlags);
        QVERIFY(!(model->flags(model->index(rrOrigin, 2)) & Qt::ItemIsEditable));
        QVERIFY(model->flags(model->index(rrRatio, 2)) & Qt::ItemIsEditable);

        grid->setFocus();
        r->SetCurrentCell(2, rrSx);
        QVERIFY(Type("-"));  // a lone minus is kept while editing
        QCOMPARE(ActiveDocument()->Terrain().Plans()[2].SxText.Str(), std::string("-"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(ActiveDocument()->Terrain().Plans()[2].SxText.Str(), std::string());  // emptied at commit
        r->SetCurrentCell(2, rrSx);
        QVERIFY(Type("0.01"));  // the point becomes the comma
        r->SetCurrentCell(2, rrSy);
        QVERIFY(Type("0x"));  // a letter never enters
        r->SetCurrentCell(2, rrRatio);
        QVERIFY(Type("500"));
        r->SetCurrentCell(2, rrSx);
        QCOMPARE(r->CellText(2, rrSx), QString("0,01"));
        QCOMPARE(r->CellText(2, rrSy), QString("0"));
        QCOMPARE(r->CellText(2, rrRatio), QString("100"));  // brought to the bound at commit
        QVERIFY(btRecalc->isEnabled());
        r->SetCurrentCell(2, rrRatio);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        QVERIFY(Type("2"));
        r->SetCurrentCell(2, rrSx);
        QCOMPARE(r->CellText(2, rrRatio), QString("2"));
        btRecalc->click();
        const TTerreno& t = ActiveDocument()->Terrain();
        QVERIFY(t.Plans()[2].Valid);
        QCOMPARE(t.CurrentPlan(), 2);
        QCOMPARE(r->CellText(2, rrRatio), QString("2,000"));
        QCOMPARE(r->CellText(2, rrSx), QString("0,010000"));
        QCOMPARE(r->CellText(1, rrRatio), QString("1,000"));  // the best plan stays
        // The document's computed views now show this plan.
        QVERIFY(ActiveDocument()->SelectView(1));
        QCOMPARE(ActiveDocument()->CellText(1, 1),
                 QString::fromStdString(FormatFixed(t.DesignElevation(1, 1), 3, 10, ',')));
    }

    // Plans are part of the document: computing or typing them is a change to
    // save. A systematization stores only into "Melhor Plano"; a plan
    // recalculated after an elevation edit still meets its typed ratio.
    void plansAreChangesAndStayInTheirColumns()
    {
        TForm2* doc = FourStakes();
        doc->Terrain().SetSaved(true);
        RunDialog(true, false);
        doc->close();
        QVERIFY(!recorder->Shown.empty());
        QCOMPARE(recorder->Shown.back().Kind, QString("Confirm"));  // answered Cancel

        doc->Terrain().SetSaved(true);
        QVERIFY(TypePlan(2, "0,01", "0", "2"));
        QVERIFY(!doc->Terrain().Saved());
        Control<QPushButton>(Resultado(), "btRecalc")->click();
        QCOMPARE(Resultado()->CellText(2, rrRatio), QString("2,000"));

        RunDialog(true, true, "1,5");
        QCOMPARE(Resultado()->CellText(1, rrRatio), QString("1,500"));
        QCOMPARE(Resultado()->CellText(2, rrRatio), QString("2,000"));
        QCOMPARE(Resultado()->CellText(2, rrSx), QString("0,010000"));

        doc->Terrain().SetCell(2, 2, 10.5f);
        const std::size_t shown = recorder->Shown.size();
        QVERIFY(TypePlan(3, "0", "0", "1,5"));
        Resultado()->SetCurrentCell(3, rrSx);
        Control<QPushButton>(Resultado(), "btRecalc")->click();
        QCOMPARE(Resultado()->CellText(3, rrRatio), QString("1,500"));
        QCOMPARE(recorder->Shown.size(), shown);
    }

    // A reopened project with current results shows its plan at once: in the
    // computed views and on the map, over the used area.
    void reopenedResultsAreShown()
    {
        TForm2* doc = FourStakes();
        RunDialog(true, false);
        const QString file = TempFolder("reopened") + "/QUATRO.NVR";
        recorder->SaveNames = {file};
        QVERIFY(SaveProject(doc));
        QVERIFY(doc->close());
        QTRY_COMPARE(frame->OpenDocumentCount(), 0);
        recorder->OpenNames = {file};
        OpenProject(*frame);
        QVERIFY(ActiveDocument());
        QCOMPARE(ActiveDocument()->Terrain().LastArea(), (TUsedRect{1, 1, 2, 2}));
        QVERIFY(ActiveDocument()->SelectView(1));
        QCOMPARE(ActiveDocument()->CellText(2, 1), QString("10,250"));
        QVERIFY(ActiveDocument()->SelectView(2));
        QCOMPARE(ActiveDocument()->CellText(1, 2), QString("-0,750"));
        ActiveDocument()->ShowCutFillMap();
        QVERIFY(CutFillMapWindow());
        QCOMPARE(CutFillMapWindow()->Map().Bitmap.size(), QSize(16, 16));
        QCOMPARE(CutFillMapWindow()->Map().Bitmap.pixelIndex(15, 15), 255);
    }

    // The caption row and the first two columns stay where they are while
    // the plans scroll, and every caption shows whole.
    void fixedCellsStayInView()
    {
        FourStakes();
        RunDialog(true, false);
        TResultado* r = Resultado();
        auto* grid = Control<QTableView>(r, "Grid");
        for (int row = 0; row < kResultRows; ++row) {
            const QString caption = r->CellText(0, row);
            QVERIFY2(grid->fontMetrics().horizontalAdvance(caption) + 20 <= grid->columnWidth(0), qPrintable(caption));
        }
        const QRect area = grid->viewport()->geometry();
        const int fixedWidth = grid->columnWidth(0) + grid->columnWidth(1);
        const QRect fixedColumns(area.left(), area.top(), fixedWidth, area.height());
        const QRect captionRow(area.left(), area.top(), area.width(), grid->rowHeight(0));
        const QImage before = grid->grab().toImage();

        // Sideways to the last plan: the fixed columns look the same.
        grid->setFocus();
        r->SetCurrentCell(2, rrSx);
        for (int i = 0; i < 8; ++i)
            QTest::keyClick(grid, Qt::Key_Right);
        QCOMPARE(r->CurrentColumn(), 10);
        QVERIFY(grid->horizontalScrollBar()->value() > 0);
        QVERIFY(grid->visualRect(grid->currentIndex()).left() >= fixedWidth);
        QCOMPARE(grid->grab().toImage().copy(fixedColumns), before.copy(fixedColumns));

        // Down in a short window: the caption row looks the same.
        r->SetCurrentCell(2, rrSx);
        grid->horizontalScrollBar()->setValue(0);
        grid->setMinimumHeight(0);
        r->resize(r->width(), r->height() - 4 * grid->rowHeight(1));
        QTRY_VERIFY(grid->verticalScrollBar()->maximum() > 0);
        for (int i = 0; i < 8; ++i)
            QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(r->CurrentRow(), rrMaxFill);
        QVERIFY(grid->verticalScrollBar()->value() > 0);
        const QRect shortRow = captionRow.intersected(grid->viewport()->geometry());
        QCOMPARE(grid->grab().toImage().copy(shortRow), before.copy(shortRow));
    }

    void undefinedRatioIsShownAsSuch()
    {
        // A ground that is exactly a plane: nothing below the best plane.
        TForm2* doc = CreateDocument(frame.get(), QString(), 20, 20, 1.0f, 1.0f, 0.0f, 0.0f);
        frame->ActivateChild(doc);
        for (int r = 1; r <= 3; ++r)
            for (int c = 1; c <= 3; ++c)
                doc->Terrain().SetCell(c, r, 10.0f + 0.5f * (c - 1) + 0.25f * (r - 1));
        RunDialog(true, true, "1,3");
        QVERIFY(Resultado());
        QCOMPARE(Resultado()->CellText(1, rrRatio), QString("indefinida"));
        QCOMPARE(Resultado()->CellText(1, rrSx), QString("0,500000"));
        // The adjustment could not reach the ratio, and says so.
        QVERIFY(recorder->Shown.back().Text.startsWith("Não foi possível ajustar o plano"));
    }

    void resultsFollowTheActiveDocumentAndCloseWithTheLast()
    {
        TForm2* a = FourStakes();
        RunDialog(true, false);
        TForm2* b = CreateDocument(frame.get(), QString(), 20, 20, 10.0f, 10.0f, 0.0f, 0.0f);
        frame->ActivateChild(b);
        QCOMPARE(ActiveDocument(), b);
        QCOMPARE(Resultado()->CellText(1, rrSx), QString());  // b has no results
        frame->ActivateChild(a);
        QCOMPARE(Resultado()->CellText(1, rrSx), QString("-0,025000"));
        a->Terrain().SetSaved(true);
        b->Terrain().SetSaved(true);
        a->close();
        b->close();
        QTRY_VERIFY(Resultado() == nullptr);
        QCOMPARE(ResultCellText(nullptr, 1, 1, ','), std::string());  // no document: no text at all
        QCOMPARE(ResultCellText(nullptr, 0, 0, ','), std::string());
    }

    // Closing the active document leaves the results window on the document
    // activated before it, even when the frame activates the results window
    // next.
    void resultsFollowWhenTheActiveDocumentCloses()
    {
        TForm2* a = FourStakes();
        RunDialog(true, false);
        TForm2* b = FourStakes();
        b->Terrain().SetCell(2, 2, 11.0f);
        RunDialog(true, false);
        const QString bSx = Resultado()->CellText(1, rrSx);
        QVERIFY(bSx != "-0,025000");
        frame->ActivateChild(a);
        QCOMPARE(Resultado()->CellText(1, rrSx), QString("-0,025000"));
        a->Terrain().SetSaved(true);
        QVERIFY(a->close());
        QTRY_COMPARE(ActiveDocument(), b);
        QCOMPARE(frame->OpenDocumentCount(), 1);
        QCOMPARE(Resultado()->CellText(1, rrSx), bSx);
    }

    // The frame's commands act on the document the window in front shows: a
    // map or a listing names the document it was made for, the results
    // window none of its own; a map whose document has closed names none.
    void commandsActOnTheDocumentOfTheWindowInFront()
    {
        TForm2* a = FourStakes();
        RunDialog(true, false);
        const QString aSx = Resultado()->CellText(1, rrSx);
        a->ShowCutFillMap();
        QPointer<TMapa> mapOfA = CutFillMapWindow();
        TForm2* b = FourStakes();
        b->Terrain().SetCell(2, 2, 11.0f);
        RunDialog(true, false);
        const QString bSx = Resultado()->CellText(1, rrSx);
        QVERIFY(aSx != bSx);
        b->ExportWinSurf();
        TWinSurf* listingOfB = WinSurf();
        QVERIFY(mapOfA && listingOfB);

        struct TCase {
            QMdiSubWindow* Front;
            TForm2* Document;
        };
        // clang-format off
        const TCase cases[] = {
            {mapOfA, a}, {Resultado(), a}, {b, b}, {mapOfA, a}, {listingOfB, b}, {Resultado(), b}, {a, a},
            {listingOfB, b}, {mapOfA, a},
        };
        // clang-format on
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            frame->ActivateChild(cases[i].Front);
            const QByteArray where = QByteArray::number(qulonglong(i)) + ": " + cases[i].Front->windowTitle().toUtf8();
            QVERIFY2(ActiveDocument() == cases[i].Document, where.constData());
            // The results window shows the same document.
            QCOMPARE(Resultado()->CellText(1, rrSx), cases[i].Document == a ? aSx : bSx);
        }

        // With a's map in front, the menu's row command edits a, not b.
        frame->ActivateChild(mapOfA);
        frame->UpdateEditMenu();  // as the menu opens
        QVERIFY(Item("mnInsRow")->isEnabled());
        Item("mnInsRow")->trigger();
        QCOMPARE(a->History().UndoText(), std::string("Inserir Linha"));
        QCOMPARE(b->History().Count(), std::size_t(0));
        frame->UpdateEditMenu();
        Item("mnDesfazer")->trigger();
        QCOMPARE(a->History().RedoText(), std::string("Inserir Linha"));

        a->Terrain().SetSaved(true);
        QVERIFY(a->close());
        QVERIFY(mapOfA);  // the map stays open
        frame->ActivateChild(mapOfA);
        QCOMPARE(ActiveDocument(), b);
        QCOMPARE(Resultado()->CellText(1, rrSx), bSx);
    }

    // A computation changes the document's plans: its views are told, and
    // the document is no longer its file.
    void aComputationTellsTheDocumentsViews()
    {
        TForm2* a = FourStakes();
        a->Document().MarkSaved();
        QSignalSpy plans(a->DocumentObject(), &TDocumentObject::PlansChanged);
        QSignalSpy saved(a->DocumentObject(), &TDocumentObject::SavedChanged);
        RunDialog(true, false);
        QCOMPARE(plans.count(), 1);
        QVERIFY(!saved.isEmpty());
        QCOMPARE(saved.last().at(0).toBool(), false);
        QVERIFY(!a->Document().IsSaved());
        // A plan's text typed in the results window, and its recalculation,
        // are told too.
        TResultado* r = Resultado();
        Control<QTableView>(r, "Grid")->setFocus();
        r->SetCurrentCell(2, rrSx);
        QVERIFY(Type("0.01"));
        r->SetCurrentCell(2, rrSy);
        QCOMPARE(plans.count(), 2);  // committed on leaving the cell
        QVERIFY(Type("0"));
        r->SetCurrentCell(2, rrRatio);
        QVERIFY(Type("1"));
        r->SetCurrentCell(2, rrSx);
        QCOMPARE(plans.count(), 4);
        auto* btRecalc = Control<QPushButton>(r, "btRecalc");
        QVERIFY(btRecalc->isEnabled());
        btRecalc->click();
        QCOMPARE(plans.count(), 5);
    }

    // A closed window is no longer the program's, even before it is deleted:
    // asking for the results at once opens a results window that stays, and
    // the old one's deletion does not clear the menu's mark.
    void aClosedWindowIsNotReachedAgain()
    {
        FourStakes();
        RunDialog(true, false);
        QPointer<TResultado> closed = Resultado();
        QVERIFY(closed->close());
        QVERIFY(closed);  // deleted later
        QVERIFY(!Resultado());
        auto* show = frame->findChild<QAction*>("mnExibirResultados");
        frame->UpdateViewMenu();  // as the menu opens
        QVERIFY(show->isEnabled() && !show->isChecked());
        show->trigger();
        QTRY_VERIFY(!closed);
        QVERIFY(Resultado() && Resultado()->isVisible());
        QCOMPARE(Resultado()->CellText(1, rrSx), QString("-0,025000"));
        QVERIFY(show->isChecked());
        // A closed document is no longer the active one.
        TForm2* doc = ActiveDocument();
        doc->Terrain().SetSaved(true);
        QVERIFY(doc->close());
        QVERIFY(!ActiveDocument());
        QVERIFY(!Resultado());  // closed with the last document
    }

    void cutFillMapWindow()
    {
        FourStakes();
        frame->UpdateViewMenu();
        QVERIFY(!Item("mnExibirMapa")->isEnabled());
        RunDialog(true, false);
        frame->UpdateViewMenu();
        QVERIFY(Item("mnExibirMapa")->isEnabled());
        Control<QPushButton>(Resultado(), "BitBtn4")->click();
        QCOMPARE(frame->MapCount(), 1);
        QVERIFY(CutFillMapWindow());
        const QImage& bitmap = CutFillMapWindow()->Map().Bitmap;
        QCOMPARE(bitmap.size(), QSize(16, 16));
        QCOMPARE(bitmap.pixelIndex(0, 0), 255);
        QCOMPARE(bitmap.pixelIndex(8, 0), 1);
        QCOMPARE(bitmap.pixelIndex(0, 8), 1);
        QCOMPARE(bitmap.pixelIndex(15, 15), 255);
        // The bitmap went to the clipboard; the window shrank to it.
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(16, 16));
        QCOMPARE(Control<TMapView>(CutFillMapWindow(), "MapView")->viewport()->width(), 16);
        // The frame's side strip: its bar for the stake under the mouse,
        // red below the zero line for a cut, blue above it for a fill.
        QWidget* strip = FrameControl<QWidget>("Panel1");
        QFrame* bar = Control<QFrame>(strip, "Shape1");
        QFrame* zeroLine = Control<QFrame>(strip, "Bevel1");
        QVERIFY(!strip->isHidden());
        // The readout over stake (2, 1).
        CutFillMapWindow()->FormMouseMove(10, 3);
        QCOMPARE(FrameControl<QLabel>("Panel0")->text(), QString("  X = 20    Y = 0   Corte = 0,750"));
        QVERIFY(!bar->isHidden());
        QVERIFY(bar->y() > zeroLine->y());
        QCOMPARE(bar->palette().color(QPalette::Window), QColor(255, 0, 0));
        CutFillMapWindow()->FormMouseMove(3, 3);
        QCOMPARE(FrameControl<QLabel>("Panel0")->text(), QString("  X = 0    Y = 0   Aterro = 0,750"));
        QVERIFY(bar->y() + bar->height() < zeroLine->y() + 1);
        QCOMPARE(bar->palette().color(QPalette::Window), QColor(0, 0, 255));
        // Copy from the frame copies the map when its window is active.
        QGuiApplication::clipboard()->clear();
        frame->ActivateChild(CutFillMapWindow());
        QVERIFY(Item("mnCopiar")->isEnabled());
        Item("mnCopiar")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(16, 16));
        CutFillMapWindow()->close();
        QTRY_COMPARE(frame->MapCount(), 0);
        QVERIFY(strip->isHidden());
    }

    // A map window reads what it drew: a later plan, another document
    // active or its own document closed change nothing in its readout.
    void mapReadsItsOwnPlanAndArea()
    {
        TForm2* a = FourStakes();
        RunDialog(true, false);
        a->ShowCutFillMap();
        TMapa* map = CutFillMapWindow();
        const QString stake21 = "  X = 20    Y = 0   Corte = 0,750";
        RunDialog(true, true, "2");  // the plane moves
        map->FormMouseMove(10, 3);
        QCOMPARE(FrameControl<QLabel>("Panel0")->text(), stake21);
        TForm2* b = CreateDocument(frame.get(), QString(), 20, 20, 7.0f, 7.0f, 0.0f, 0.0f);
        frame->ActivateChild(b);
        map->FormMouseMove(10, 3);
        QCOMPARE(FrameControl<QLabel>("Panel0")->text(), stake21);
        a->Terrain().SetSaved(true);
        QVERIFY(a->close());
        QTRY_COMPARE(frame->OpenDocumentCount(), 1);
        map->FormMouseMove(10, 3);
        QCOMPARE(FrameControl<QLabel>("Panel0")->text(), stake21);
        QWidget* strip = FrameControl<QWidget>("Panel1");
        QVERIFY(!Control<QFrame>(strip, "Shape1")->isHidden());
        QVERIFY(Control<QFrame>(strip, "Shape1")->y() > Control<QFrame>(strip, "Bevel1")->y());  // still a cut
    }

    // Children opened while a document is maximized open framed, at their
    // own size and movable; the document stays as it was behind them.
    void childrenOfAMaximizedDocumentHaveFrames()
    {
        TForm2* doc = FourStakes();
        doc->showMaximized();
        QVERIFY(doc->isMaximized());
        RunDialog(true, false);
        doc->ShowCutFillMap();
        frame->ActivateChild(doc);
        doc->ExportWinSurf();
        const QList<QMdiSubWindow*> children = {Resultado(), CutFillMapWindow(), frame->ActiveChild()};
        const QSize viewport = FrameControl<QMdiArea>("MdiArea")->viewport()->size();
        for (QMdiSubWindow* w : children) {
            QVERIFY(w && w != doc);
            QVERIFY2(!w->isMaximized(), qPrintable(w->windowTitle()));
            QVERIFY(!(w->windowFlags() & Qt::FramelessWindowHint));
            QVERIFY(w->size().width() < viewport.width() && w->size().height() < viewport.height());
            QVERIFY(w->widget()->y() > 0);  // below its title bar
            const QPoint at = w->pos();
            w->move(at + QPoint(7, 5));
            QCOMPARE(w->pos(), at + QPoint(7, 5));
        }
        QCOMPARE(Resultado()->widget()->width(), 445);
        QVERIFY(doc->isMaximized());
    }

    void narrowMapShrinksItsWindow()
    {
        // Three stakes wide, 8 pixels a stake: 24 pixels.
        TForm2* doc = CreateDocument(frame.get(), QString(), 20, 20, 10.0f, 10.0f, 0.0f, 0.0f);
        frame->ActivateChild(doc);
        for (int r = 1; r <= 30; ++r)
            for (int c = 1; c <= 3; ++c)
                doc->Terrain().SetCell(c, r, 10.0f + 0.1f * c + 0.3f * ((r * c) % 5));
        RunDialog(true, false);
        doc->ShowCutFillMap();
        QCOMPARE(CutFillMapWindow()->Map().Bitmap.width(), 24);
        QCOMPARE(Control<TMapView>(CutFillMapWindow(), "MapView")->viewport()->width(), 24);
        QVERIFY(Control<TMapView>(CutFillMapWindow(), "MapView")->verticalScrollBar()->maximum()
                > 0);  // 240 pixels tall: it scrolls
    }
};

QTEST_MAIN(TestSystematize)
#include "test_systematize.moc"
