// "Exibir → Mapa de Escoamento": its place in the menu, the map of the 5 x 5
// field with a hollow, the surface and the least fall chosen in the window,
// outlets marked by clicking stakes, the readout under the pointer, copying
// and printing, and the line of the results window.

#include "GuiTestSupport.h"
#include "app/sist.h"
#include "calc/CalcSist.h"
#include "calc/uEscoamento.h"
#include "calc/uResult.h"
#include "grid/datagrid.h"
#include "print/uPrint.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

using namespace nivora;
using namespace nivora::testing;

class TestDrainageMap : public QObject, public TFrameFixture {
    Q_OBJECT

private:
    // The 5 x 5 field at 20 m, all 10,00 but (3,3) = 9,00, (4,3) = 9,40 and
    // (5,3) at `east`.
    TForm2* Hollow(float east = 10.0f)
    {
        CreateDocument(frame.get(), QString(), 20, 20, 20, 20, 0, 0);
        TForm2* doc = ActiveDocument();
        for (int r = 1; r <= 5; ++r)
            for (int c = 1; c <= 5; ++c)
                doc->Terrain().SetCell(c, r,
                                       r == 3 && c == 3   ? 9.0f
                                       : r == 3 && c == 4 ? 9.4f
                                       : r == 3 && c == 5 ? east
                                                          : 10.0f);
        doc->Terrain().UpdateUsedRect();
        return doc;
    }

    TMapaEscoamento* Open()
    {
        Menu("mnExibir")->aboutToShow();
        if (!Item("mnEscoamento")->isEnabled())
            return nullptr;
        Item("mnEscoamento")->trigger();
        return qobject_cast<TMapaEscoamento*>(frame->ActiveChild());
    }

    // The middle of stake (col, row) in the map's view.
    static QPoint StakePoint(const TMapaEscoamento& w, int col, int row)
    {
        const TDrainageLayout l = DrainageLayout(w.Map());
        return QPoint(l.Map.left() + (col - w.Map().Result.Area.FirstCol) * l.CellWidth + l.CellWidth / 2,
                      l.Map.top() + (row - w.Map().Result.Area.FirstRow) * l.CellHeight + l.CellHeight / 2);
    }

private slots:
    void init() { QVERIFY(StartFrame(QLocale(QLocale::Portuguese, QLocale::Brazil))); }
    void cleanup() { QVERIFY(CloseFrame()); }

    void theItemFollowsTheAltimetricMapAndNeedsElevations()
    {
        const QList<QAction*> items = Menu("mnExibir")->actions();
        // With the maps, after the altimetric ones.
        QCOMPARE(items.value(items.indexOf(Item("mnEscoamento")) - 1), Item("mnCurvasProjeto"));
        QCOMPARE(Item("mnEscoamento")->text(), QString("Mapa de &Escoamento"));
        QCOMPARE(Item("mnEscoamento")->property("HelpContext").toInt(), 100);
        Menu("mnExibir")->aboutToShow();
        QVERIFY(!Item("mnEscoamento")->isEnabled());
        CreateDocument(frame.get(), QString(), 20, 20, 20, 20, 0, 0);
        Menu("mnExibir")->aboutToShow();
        QVERIFY(!Item("mnEscoamento")->isEnabled());
        Hollow();
        QVERIFY(Open());
    }

    void theHollowHoldsItsWaterOnTheNaturalGround()
    {
        Hollow();
        TMapaEscoamento* w = Open();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QString("Mapa de Escoamento"));
        QCOMPARE(w->cbSuperficie->currentIndex(), 0);
        QVERIFY(std::abs(w->Map().Result.Volume - 640) < 1e-3);
        QCOMPARE(w->Map().Result.WetCount, 2);
        QCOMPARE(PrintKindOf(w), TPrintKind::DrainageMap);
        QVERIFY(!w->Image().isNull());

        // The readout under the pointer, in the user's numbers.
        QTest::mouseMove(w->View(), StakePoint(*w, 3, 3));
        QVERIFY2(w->View()->statusTip().startsWith(
                     "Piquete (3, 3): lâmina 1,00 m, cota da água 10,00 m; contribuição de "),
                 qPrintable(w->View()->statusTip()));
        QTest::mouseMove(w->View(), StakePoint(*w, 2, 3));
        QVERIFY2(w->View()->statusTip().startsWith("Piquete (2, 3): contribuição de "),
                 qPrintable(w->View()->statusTip()));

        // Copy gives the picture and its SVG.
        QApplication::clipboard()->clear();
        Item("mnCopiar")->trigger();
        const QMimeData* copied = QApplication::clipboard()->mimeData();
        QVERIFY(copied && copied->hasImage());
        QVERIFY(copied->data("image/svg+xml").contains("<svg"));
    }

    void theDesignNeedsAPlanAndIsCheckedForItsFall()
    {
        TForm2* doc = Hollow();
        TMapaEscoamento* w = Open();
        QVERIFY(w);
        w->cbSuperficie->setFocus();
        QTest::keyClick(w->cbSuperficie, Qt::Key_Down);
        QCOMPARE(recorder->Shown.size(), std::size_t(1));
        QVERIFY(recorder->Shown[0].Text.startsWith("Não há plano calculado"));
        QCOMPARE(w->cbSuperficie->currentIndex(), 0);
        QCOMPARE(w->Map().Surface, TDrainSurface::Natural);

        doc->Systematize(false, -1);
        QTest::keyClick(w->cbSuperficie, Qt::Key_Down);
        QCOMPARE(w->Map().Surface, TDrainSurface::Design);
        QCOMPARE(w->Map().Result.Volume, 0.0);
        QVERIFY(w->Map().Fall.has_value());

        // 0,5 % typed: every stake of this nearly level plane falls less.
        Retype(w->edQuedaMinima, "0,5");
        QTest::keyClick(w->edQuedaMinima, Qt::Key_Return);
        QVERIFY(std::abs(w->Map().Fall->MinFall - 0.005) < 1e-12);
        QCOMPARE(w->Map().Fall->Stakes.size(), std::size_t(25));
        // Not a number: a beep and the last value back.
        const int beeps = recorder->Beeps;
        Retype(w->edQuedaMinima, "x");
        QTest::keyClick(w->edQuedaMinima, Qt::Key_Return);
        QCOMPARE(recorder->Beeps, beeps + 1);
        QCOMPARE(w->edQuedaMinima->text(), QString("0,5"));
    }

    void clickedStakesAreTheOutlets()
    {
        Hollow(9.7f);
        TMapaEscoamento* w = Open();
        QVERIFY(w);
        QVERIFY(std::abs(w->Map().Result.Volume - 400) < 1e-3);
        QVERIFY(!w->btBorda->isEnabled());
        // Only (1,1) lets water out: the hollow still spills at 9,70 over
        // (5,3), which now holds water up to 10.
        QTest::mouseClick(w->View(), Qt::LeftButton, {}, StakePoint(*w, 1, 1));
        QCOMPARE(w->Map().UserOutlets.size(), std::size_t(1));
        QCOMPARE(w->Map().Result.OutletCount, 1);
        QVERIFY(std::abs(w->Map().Result.Volume - (1.0 + 0.6 + 0.3) * 400) < 1e-3);
        QVERIFY(w->btBorda->isEnabled());
        // A second click on it takes the mark away: the border again.
        QTest::mouseClick(w->View(), Qt::LeftButton, {}, StakePoint(*w, 1, 1));
        QVERIFY(w->Map().UserOutlets.empty());
        QCOMPARE(w->Map().Result.OutletCount, 16);
        QTest::mouseClick(w->View(), Qt::LeftButton, {}, StakePoint(*w, 5, 5));
        QCOMPARE(w->Map().Result.OutletCount, 1);
        QTest::mouseClick(w->btBorda, Qt::LeftButton);
        QCOMPARE(w->Map().Result.OutletCount, 16);
        QVERIFY(std::abs(w->Map().Result.Volume - 400) < 1e-3);
    }

    void theResultsWindowTellsThePondingBeforeAndAfter()
    {
        TForm2* doc = Hollow();
        doc->Systematize(false, -1);
        Item("mnExibirResultados")->trigger();
        QVERIFY(Resultado());
        const auto* line = Control<QLabel>(Resultado(), "lbEscoamento");
        QCOMPARE(line->text(), QString("Área alagável: terreno natural 0,0800 ha, 640,0 m³; plano 0,0000 ha, 0,0 m³"));
        // An edit leaves the plan out of date: the line empties.
        QVERIFY(doc->Document().SetElevation(2, 2, 9.5f));
        Resultado()->Repaint();
        QVERIFY(line->text().isEmpty());
    }
};

QTEST_MAIN(TestDrainageMap)
#include "test_drainage_map.moc"
