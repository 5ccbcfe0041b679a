// "Superfície Otimizada...": its place in the menu, the limits typed into the
// dialog's boxes (percent, decimal comma) giving the sine field's optimum in
// the chosen plan column, "Refinar" halving the step, refusals that change
// nothing, and a cancel in the middle of a solve that leaves the document as
// it was.

#include "GuiTestSupport.h"
#include "SineField.h"
#include "app/sist.h"
#include "calc/CalcSist.h"
#include "calc/ResultTable.h"
#include "calc/uResult.h"
#include "data/SaveOpenCommands.h"
#include "data/DesignSurface.h"
#include "grid/datagrid.h"
#include "optimize/uOtimizar.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace nivora;
using namespace nivora::testing;

namespace {

double D(const Real48& r) { return double(static_cast<long double>(r)); }

}  // namespace

class TestOptimizeDialog : public QObject, public TFrameFixture {
    Q_OBJECT

private:
    TOtimizar* Dialog() const { return FrameControl<TOtimizar>("Otimizar"); }
    QLineEdit* Box(const char* name) const { return Control<QLineEdit>(Dialog(), name); }

    // A document holding the sine test field at 5 m.
    TForm2* SineDocument(int cols, int rows)
    {
        CreateDocument(frame.get(), QString(), cols, rows, 5, 5, 0, 0);
        TForm2* doc = ActiveDocument();
        const TSurfaceField f = test::SineField(cols, rows);
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= cols; ++c)
                doc->Terrain().SetCell(c, r, f.At(c, r));
        doc->Terrain().UpdateUsedRect();
        doc->Terrain().SetSelection(doc->Terrain().UsedRect());
        doc->Terrain().SetSaved(true);
        return doc;
    }

    int Run(const std::function<void()>& user)
    {
        Menu("mnCalcular")->aboutToShow();
        return RunDialog(Item("mnOtimizar"), user);
    }

    // Fall 0,05 to 0,3 % along X, cross slope within 0,1 %, ratio 1,2, typed
    // as a person would.
    void TypeSineLimits()
    {
        Control<QRadioButton>(Dialog(), "rbEixos")->click();
        Retype(Box("edPrincipalMin"), "-0,3");
        Retype(Box("edPrincipalMax"), "-0,05");
        Retype(Box("edTransversalMin"), "-0,1");
        Retype(Box("edTransversalMax"), "0,1");
        Retype(Box("edRelacao"), "1,2");
        for (const char* name : {"edCorteMax", "edAterroMax"})
            Retype(Box(name), "");
    }

private slots:
    void init() { QVERIFY(StartFrame(QLocale(QLocale::Portuguese, QLocale::Brazil))); }
    void cleanup() { QVERIFY(CloseFrame()); }

    void theItemFollowsRestricoesAndIsEnabledWithIt()
    {
        const QList<QAction*> items = Menu("mnCalcular")->actions();
        QCOMPARE(items.value(items.indexOf(Item("mnOtimizar")) - 1), Item("mnRestricoes"));
        QCOMPARE(Item("mnOtimizar")->text(), QString("Superfície &Otimizada..."));
        QCOMPARE(Item("mnOtimizar")->property("HelpContext").toInt(), 96);
        Menu("mnCalcular")->aboutToShow();
        QVERIFY(!Item("mnOtimizar")->isEnabled());
        SineDocument(4, 3);
        Menu("mnCalcular")->aboutToShow();
        QVERIFY(Item("mnOtimizar")->isEnabled());
    }

    void limitsTypedInPercentDesignTheChosenPlan()
    {
        TForm2* doc = SineDocument(30, 20);
        QCOMPARE(Run([&] {
                     TypeSineLimits();
                     QCOMPARE(Control<QLabel>(Dialog(), "lbPrincipalMm")->text(), QString("-0,003 m/m a -0,0005 m/m"));
                     QCOMPARE(Control<QSpinBox>(Dialog(), "sePasso")->value(), 1);
                     QCOMPARE(Control<QLabel>(Dialog(), "lbNos")->text(), QString("600 nós"));
                     auto* plan = Control<QComboBox>(Dialog(), "cbPlano");
                     plan->setFocus();
                     QTest::keyClick(plan, Qt::Key_Down);
                     QCOMPARE(plan->currentText(), QString("Plano 2"));
                     QTest::keyClick(Box("edRelacao"), Qt::Key_Return);
                 }),
                 int(QDialog::Accepted));
        QVERIFY2(recorder->Shown.empty(), qPrintable(recorder->Shown.empty() ? "" : recorder->Shown[0].Text));
        const TTerreno& t = doc->Terrain();
        const TPlano& p = t.Plans()[3];
        QVERIFY(p.Valid);
        QVERIFY(std::fabs(D(p.CutVolume) - 177.49) < 0.18);
        QVERIFY(std::fabs(D(p.FillVolume) - 147.91) < 0.15);
        QVERIFY(std::fabs(D(p.CutFillRatio) - 1.2) < 1e-6);
        QVERIFY(t.DesignSurface(3) && t.DesignSurface(3)->Kind == TDesignSurface::TKind::Optimised);
        QCOMPARE(t.CurrentPlan(), 3);
        QVERIFY(!t.Saved());
        QCOMPARE(QString::fromStdString(ResultCellText(&t, 3, 0, ',')), QString("Plano 2 (Superfície otimizada)"));
        QVERIFY(Resultado());
        QCOMPARE(Resultado()->CurrentColumn(), 3);
    }

    void aBearingFromNorthIsTurnedOntoTheGrid_data()
    {
        QTest::addColumn<bool>("georeferenced");
        QTest::addColumn<bool>("south");
        QTest::addColumn<QString>("bearing");
        QTest::addColumn<double>("syMin");
        QTest::addColumn<double>("syMax");
        // Facing east (+X), the cross slope rising 0 to 0,1 % to the right:
        // towards +Y when the rows run south, towards -Y when they run north.
        // Without a georeference the bearing is from X, the cross towards +Y.
        QTest::newRow("rows south") << true << true << "90" << 0.0 << 0.001;
        QTest::newRow("rows north") << true << false << "90" << -0.001 << 0.0;
        QTest::newRow("no georeference") << false << true << "0" << 0.0 << 0.001;
    }

    void aBearingFromNorthIsTurnedOntoTheGrid()
    {
        QFETCH(bool, georeferenced);
        QFETCH(bool, south);
        QFETCH(QString, bearing);
        QFETCH(double, syMin);
        QFETCH(double, syMax);
        TForm2* doc = SineDocument(30, 20);
        if (georeferenced) {
            TGeoreference g;
            g.Epsg = 31982;
            g.CornerEasting = 500000;
            g.CornerNorthing = 7000000;
            g.RowsRunSouth = south;
            doc->Document().SetGeoreference(g);
        }
        QCOMPARE(Run([&] {
                     TypeSineLimits();
                     Control<QRadioButton>(Dialog(), "rbDirecao")->click();
                     QCOMPARE(Control<QLabel>(Dialog(), "lbDirecao")->text().contains("norte"), georeferenced);
                     Retype(Box("edDirecao"), bearing);
                     Retype(Box("edTransversalMin"), "0");
                     QTest::keyClick(Box("edTransversalMax"), Qt::Key_Return);
                 }),
                 int(QDialog::Accepted));
        QVERIFY(recorder->Shown.empty());
        TSurfaceOptions along = test::SineOptions(1);
        along.Limits.Cross = {syMin, syMax};
        const TSurfaceResult expected = OptimizeSurface(test::SineField(30, 20), along);
        QVERIFY(expected.Solved());
        const double cut = D(doc->Terrain().Plans()[2].CutVolume);
        QVERIFY2(std::fabs(cut - double(expected.CutVolume)) < 1e-3, qPrintable(QString::number(cut)));
    }

    // A key in the surface's slope cell, then Esc, gives the plan back as it
    // was: its surface, its figures and its saved state; a slope typed and
    // committed makes it a plane again. The saved file keeps the surface.
    void escInTheResultsWindowKeepsTheSurface()
    {
        TForm2* doc = SineDocument(30, 20);
        QCOMPARE(Run([&] {
                     TypeSineLimits();
                     QTest::keyClick(Box("edRelacao"), Qt::Key_Return);
                 }),
                 int(QDialog::Accepted));
        const TTerreno& t = doc->Terrain();
        QVERIFY(t.DesignSurface(2));
        const TDesignSurface surface = *t.DesignSurface(2);
        const TPlano plan = t.Plans()[2];
        const QString file = TempFolder("otimizada") + "/OTIMIZADA.NVR";
        recorder->SaveNames = {file};
        QVERIFY(SaveProject(doc));
        TResultado* r = Resultado();
        QVERIFY(r);
        QCOMPARE(r->CellText(2, 0), QString("Plano 1 (Superfície otimizada)"));
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        Control<QTableView>(r, "Grid")->setFocus();
        r->SetCurrentCell(2, rrSx);
        QVERIFY(Type("2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(t.DesignSurface(2));
        QVERIFY(*t.DesignSurface(2) == surface);
        QVERIFY(t.Plans()[2] == plan);
        QCOMPARE(r->CellText(2, 0), QString("Plano 1 (Superfície otimizada)"));
        QVERIFY(t.Saved());

        r->SetCurrentCell(2, rrSx);
        QVERIFY(Type("2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(!t.DesignSurface(2));
        QCOMPARE(r->CellText(2, 0), QString("Plano 1"));

        recorder->ConfirmAnswers = {TAnswer::No};
        QVERIFY(doc->close());
        QTRY_COMPARE(frame->OpenDocumentCount(), 0);
        recorder->OpenNames = {file};
        OpenProject(*frame);
        TForm2* back = ActiveDocument();
        QVERIFY(back);
        QVERIFY(back->Terrain().DesignSurface(2) && *back->Terrain().DesignSurface(2) == surface);
        QVERIFY(back->Terrain().Plans()[2] == plan);
    }

    void refinarHalvesTheStepAndSolves()
    {
        TForm2* doc = SineDocument(30, 20);
        QCOMPARE(Run([&] {
                     TypeSineLimits();
                     auto* step = Control<QSpinBox>(Dialog(), "sePasso");
                     step->setFocus();
                     step->selectAll();
                     QTest::keyClicks(step, "8");
                     QCOMPARE(Control<QLabel>(Dialog(), "lbNos")->text(), QString("20 nós"));
                     QTest::mouseClick(Control<QPushButton>(Dialog(), "btRefinar"), Qt::LeftButton);
                 }),
                 int(QDialog::Accepted));
        QVERIFY(recorder->Shown.empty());
        QCOMPARE(Control<QSpinBox>(Dialog(), "sePasso")->value(), 4);
        const TPlano& p = doc->Terrain().Plans()[2];
        QVERIFY(p.Valid);
        QVERIFY(std::fabs(D(p.CutFillRatio) - 1.2) < 1e-6);
        // Coarser than every stake: more earth than the optimum, not much.
        QVERIFY(D(p.CutVolume) > 177.49 && D(p.CutVolume) < 177.49 * 1.3);
        // The same document keeps the step for the next "Refinar", down to 1.
        for (const int halved : {2, 1})
            QCOMPARE(Run([&] {
                         QCOMPARE(Control<QSpinBox>(Dialog(), "sePasso")->value(), halved * 2);
                         QTest::mouseClick(Control<QPushButton>(Dialog(), "btRefinar"), Qt::LeftButton);
                     }),
                     int(QDialog::Accepted));
        QCOMPARE(Control<QSpinBox>(Dialog(), "sePasso")->value(), 1);
        QVERIFY(!Control<QPushButton>(Dialog(), "btRefinar")->isEnabled());
        QVERIFY(std::fabs(D(doc->Terrain().Plans()[2].CutVolume) - 177.49) < 0.18);
    }

    void refusalsChangeNothing()
    {
        TForm2* doc = SineDocument(12, 8);
        const TTerreno before = doc->Terrain();
        QCOMPARE(
            Run([&] {
                for (const char* name : {"edPrincipalMin", "edPrincipalMax", "edTransversalMin", "edTransversalMax"})
                    Retype(Box(name), "");
                QTest::keyClick(Box("edRelacao"), Qt::Key_Return);
                QVERIFY(Dialog()->isVisible());
                TypeSineLimits();
                Retype(Box("edCorteMax"), "0");
                Retype(Box("edAterroMax"), "0");
                QTest::keyClick(Box("edRelacao"), Qt::Key_Return);
                QVERIFY(Dialog()->isVisible());
                QTest::keyClick(Dialog(), Qt::Key_Escape);
            }),
            int(QDialog::Rejected));
        QCOMPARE(recorder->Shown.size(), std::size_t(2));
        QVERIFY(recorder->Shown[0].Text.startsWith("Dê ao menos um limite de declividade"));
        QVERIFY(recorder->Shown[1].Text.startsWith("Nenhuma superfície atende"));
        QVERIFY(doc->Terrain().Plans() == before.Plans());
        QVERIFY(doc->Terrain().Extension() == before.Extension());
        QVERIFY(doc->Terrain().Saved());
    }

    void cancelDuringTheSolveLeavesTheDocumentAsItWas()
    {
        // 15 000 stakes at K = 1: seconds of solving, time to cancel.
        TForm2* doc = SineDocument(150, 100);
        const TTerreno before = doc->Terrain();
        qint64 answered = -1;
        QCOMPARE(Run([&] {
                     TypeSineLimits();
                     QCOMPARE(Control<QSpinBox>(Dialog(), "sePasso")->value(), 1);
                     auto* cancel = Control<QPushButton>(Dialog(), "BitBtn2");
                     QElapsedTimer clock;
                     QTimer::singleShot(300, cancel, [&] {
                         QVERIFY(Dialog()->Running());
                         QVERIFY(!Box("edRelacao")->isEnabled());
                         clock.start();
                         QTest::mouseClick(cancel, Qt::LeftButton);
                     });
                     QTest::keyClick(Box("edRelacao"), Qt::Key_Return);
                     answered = clock.isValid() ? clock.elapsed() : -1;
                     // The dialog stays, its boxes back, for another try.
                     QVERIFY(Dialog()->isVisible());
                     QVERIFY(!Dialog()->Running());
                     QVERIFY(Box("edRelacao")->isEnabled());
                     QTest::keyClick(Dialog(), Qt::Key_Escape);
                 }),
                 int(QDialog::Rejected));
        QVERIFY(answered >= 0);
        QVERIFY2(answered < 1000, qPrintable(QString::number(answered)));
        QVERIFY(recorder->Shown.empty());
        QVERIFY(doc->Terrain().Plans() == before.Plans());
        QVERIFY(doc->Terrain().Extension() == before.Extension());
        QVERIFY(doc->Terrain().Saved());
        QVERIFY(!doc->Terrain().DesignSurface(2));
    }
};

QTEST_MAIN(TestOptimizeDialog)
#include "test_gui_optimize.moc"
