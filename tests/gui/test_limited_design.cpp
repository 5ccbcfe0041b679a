// "Projeto com Restrições...": its place in the menu, the design typed into
// the dialog's boxes (percent, decimal comma, a bearing from north on a
// georeferenced project) landing in the chosen plan column, and limits that
// cannot be met refused with nothing changed.

#include "GuiTestSupport.h"
#include "app/sist.h"
#include "calc/CalcSist.h"
#include "calc/LimitedPlane.h"
#include "calc/ResultTable.h"
#include "calc/uRestricoes.h"
#include "calc/uResult.h"
#include "data/SaveOpenCommands.h"
#include "grid/datagrid.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include <functional>

using namespace nivora;
using namespace nivora::testing;

namespace {

constexpr float kWorked[4][5] = {{8.26f, 8.75f, 9.30f, 9.52f, 10.44f},
                                 {7.94f, 8.12f, 8.90f, 8.80f, 9.62f},
                                 {7.12f, 7.86f, 8.35f, 8.60f, 8.42f},
                                 {6.74f, 7.28f, 7.94f, 8.16f, 7.80f}};

double D(const Real48& r) { return double(static_cast<long double>(r)); }

}  // namespace

class TestLimitedDesign : public QObject, public TFrameFixture {
    Q_OBJECT

private:
    TRestricoes* Dialog() const { return FrameControl<TRestricoes>("Restricoes"); }
    QLineEdit* Field(const char* name) const { return Control<QLineEdit>(Dialog(), name); }

    TForm2* WorkedDocument()
    {
        CreateDocument(frame.get(), QString(), 20, 20, 25, 25, 0, 0);
        TForm2* doc = ActiveDocument();
        for (int r = 1; r <= 4; ++r)
            for (int c = 1; c <= 5; ++c)
                doc->Terrain().SetCell(c, r, kWorked[r - 1][c - 1]);
        doc->Terrain().UpdateUsedRect();
        doc->Terrain().SetSelection(doc->Terrain().UsedRect());
        return doc;
    }

    // Runs the command, its menu opened first as a click would (which enables
    // it); `user` acts in the shown dialog. The dialog's result.
    int Run(const std::function<void()>& user)
    {
        Menu("mnCalcular")->aboutToShow();
        return RunDialog(Item("mnRestricoes"), user);
    }

private slots:
    void init() { QVERIFY(StartFrame(QLocale(QLocale::Portuguese, QLocale::Brazil))); }
    void cleanup() { QVERIFY(CloseFrame()); }

    void theItemFollowsSistematizarAndIsEnabledWithIt()
    {
        const QList<QAction*> items = Menu("mnCalcular")->actions();
        const qsizetype at = items.indexOf(Item("mnRestricoes"));
        QCOMPARE(items.value(at - 1), Item("mnSistematizar"));
        QCOMPARE(Item("mnRestricoes")->statusTip(),
                 QString("Calcula um plano com declividades limitadas, importação ou exportação de terra e "
                         "compensação de recalque."));
        QCOMPARE(Item("mnRestricoes")->property("HelpContext").toInt(), 95);
        Menu("mnCalcular")->aboutToShow();
        QVERIFY(!Item("mnRestricoes")->isEnabled());
        CreateDocument(frame.get(), QString(), 20, 20, 10, 10, 0, 0);
        ActiveDocument()->Terrain().SetCell(1, 1, 100);
        Menu("mnCalcular")->aboutToShow();
        QCOMPARE(Item("mnRestricoes")->isEnabled(), Item("mnSistematizar")->isEnabled());
        QVERIFY(!Item("mnRestricoes")->isEnabled());
        WorkedDocument();
        Menu("mnCalcular")->aboutToShow();
        QVERIFY(Item("mnRestricoes")->isEnabled());
    }

    void limitsTypedInPercentDesignTheChosenPlan()
    {
        TForm2* doc = WorkedDocument();
        // Sx at most 1 %, ratio 1, into "Plano 3"; the decimal comma.
        QCOMPARE(Run([&] {
                     Control<QRadioButton>(Dialog(), "rbEixos")->click();
                     Retype(Field("edPrincipalMax"), "1");
                     QCOMPARE(Control<QLabel>(Dialog(), "lbPrincipalMm")->text(), QString("… a 0,01 m/m"));
                     Retype(Field("edRelacao"), "1,0");
                     auto* plan = Control<QComboBox>(Dialog(), "cbPlano");
                     plan->setFocus();
                     QTest::keyClick(plan, Qt::Key_Down);
                     QTest::keyClick(plan, Qt::Key_Down);
                     QCOMPARE(plan->currentText(), QString("Plano 3"));
                     QTest::keyClick(Field("edRelacao"), Qt::Key_Return);
                 }),
                 int(QDialog::Accepted));
        QVERIFY(recorder->Shown.empty());
        const TPlano& p = doc->Terrain().Plans()[4];
        QVERIFY(p.Valid);
        QCOMPARE(D(p.Sx), 0.01);
        QVERIFY(std::fabs(D(p.Sy) - -0.022464) < 1e-6);
        QVERIFY(std::fabs(D(p.OriginElevation) - 8.7384) < 1e-4);
        QVERIFY(std::fabs(D(p.CutVolume) - 1671.0) < 1e-3);
        QCOMPARE(QString::fromStdString(p.SxText.Str()), QString("0,01"));
        // The results window shows it, at its column.
        QVERIFY(Resultado());
        QCOMPARE(Resultado()->CurrentColumn(), 4);
        QVERIFY(!doc->Terrain().Plans()[2].Valid);
    }

    void aBearingFromNorthIsTurnedOntoTheGrid_data()
    {
        QTest::addColumn<bool>("georeferenced");
        QTest::addColumn<bool>("south");
        QTest::addColumn<QString>("bearing");
        // The same direction on the grid, 120 degrees from X towards Y
        // (rows grow southwards: 210 from north; northwards: 330).
        QTest::newRow("rows south") << true << true << "210";
        QTest::newRow("rows north") << true << false << "330";
        QTest::newRow("no georeference") << false << true << "120";
    }

    void aBearingFromNorthIsTurnedOntoTheGrid()
    {
        QFETCH(bool, georeferenced);
        QFETCH(bool, south);
        QFETCH(QString, bearing);
        TForm2* doc = WorkedDocument();
        if (georeferenced) {
            TGeoreference g;
            g.Epsg = 31982;
            g.CornerEasting = 500000;
            g.CornerNorthing = 7000000;
            g.RowsRunSouth = south;
            doc->Document().SetGeoreference(g);
        }
        QCOMPARE(Run([&] {
                     Control<QRadioButton>(Dialog(), "rbDirecao")->click();
                     QCOMPARE(Control<QLabel>(Dialog(), "lbDirecao")->text().contains("norte"), georeferenced);
                     Retype(Field("edDirecao"), bearing);
                     Retype(Field("edPrincipalMin"), "");
                     Retype(Field("edPrincipalMax"), "-3");
                     Retype(Field("edTransversalMin"), "-0,5");
                     Retype(Field("edTransversalMax"), "0,5");
                     Retype(Field("edRelacao"), "1");
                     QTest::keyClick(Field("edTransversalMax"), Qt::Key_Return);
                 }),
                 int(QDialog::Accepted));
        QVERIFY(recorder->Shown.empty());
        const TPlano& p = doc->Terrain().Plans()[2];
        QVERIFY2(std::fabs(D(p.Sx) - 0.016472) < 1e-6, qPrintable(QString::number(D(p.Sx))));
        QVERIFY2(std::fabs(D(p.Sy) - -0.025131) < 1e-6, qPrintable(QString::number(D(p.Sy))));
    }

    // The settlement allowance typed into its boxes (decimal comma): both or
    // neither; the plan raised and balanced, marked in the results window.
    void aSettlementAllowanceRaisesTheDeepFills()
    {
        TForm2* doc = WorkedDocument();
        const TTerreno::TPlans before = doc->Terrain().Plans();
        QCOMPARE(Run([&] {
                     Control<QRadioButton>(Dialog(), "rbEixos")->click();
                     for (const char* box :
                          {"edPrincipalMin", "edPrincipalMax", "edTransversalMin", "edTransversalMax", "edQuedaMin"})
                         Retype(Field(box), "");
                     Retype(Field("edRelacao"), "1,3");
                     Retype(Field("edRecalqueProfundidade"), "0,30");
                     Retype(Field("edRecalquePercentual"), "");
                     QTest::keyClick(Field("edRecalqueProfundidade"), Qt::Key_Return);
                     QVERIFY(Dialog()->isVisible());
                     QCOMPARE(recorder->Shown.size(), std::size_t(1));
                     QVERIFY(recorder->Shown[0].Text.startsWith("Para compensar o recalque informe"));
                     QVERIFY(doc->Terrain().Plans() == before);
                     Retype(Field("edRecalquePercentual"), "100");
                     QTest::keyClick(Field("edRecalquePercentual"), Qt::Key_Return);
                     QVERIFY(Dialog()->isVisible());
                     QCOMPARE(recorder->Shown.size(), std::size_t(2));
                     Retype(Field("edRecalquePercentual"), "10");
                     QTest::keyClick(Field("edRecalquePercentual"), Qt::Key_Return);
                 }),
                 int(QDialog::Accepted));
        const TTerreno& t = doc->Terrain();
        const int slot = Resultado()->CurrentColumn();
        const TPlano& p = t.Plans()[std::size_t(slot)];
        QVERIFY(t.DesignSurface(slot));
        QCOMPARE(t.DesignSurface(slot)->SettlePercent, 10.0);
        QVERIFY(std::fabs(D(p.CutVolume) - 1541.1263) < 1e-3);
        QVERIFY(std::fabs(D(p.FillVolume) - 1185.4817) < 1e-3);
        QVERIFY(QString::fromStdString(ResultCellText(&t, slot, 0, ',')).endsWith("recalque)"));
        // The working plan is the settled one: the grid's design is built.
        QVERIFY(std::fabs(double(t.DesignElevation(5, 3)) - 8.9018) < 1e-3);
    }

    void limitsThatCannotBeMetChangeNothing()
    {
        TForm2* doc = WorkedDocument();
        const TTerreno::TPlans before = doc->Terrain().Plans();
        QCOMPARE(Run([&] {
                     Control<QRadioButton>(Dialog(), "rbEixos")->click();
                     Retype(Field("edPrincipalMin"), "2");
                     Retype(Field("edPrincipalMax"), "1");
                     QTest::keyClick(Field("edPrincipalMax"), Qt::Key_Return);
                     QVERIFY(Dialog()->isVisible());
                     QCOMPARE(recorder->Shown.size(), std::size_t(1));
                     QCOMPARE(recorder->Shown[0].Text, QString("A declividade mínima é maior que a máxima."));
                     // A least fall that no slope within 1 % to 2 % ... can
                     // reach when the slope must stay within -1 % to 1 %.
                     Retype(Field("edPrincipalMin"), "-1");
                     Retype(Field("edQuedaMin"), "2");
                     QTest::keyClick(Field("edQuedaMin"), Qt::Key_Return);
                     QVERIFY(Dialog()->isVisible());
                     QCOMPARE(recorder->Shown.size(), std::size_t(2));
                     QCOMPARE(recorder->Shown[1].Text,
                              QString("Nenhuma declividade dentro dos limites alcança a queda mínima."));
                     QTest::keyClick(Field("edQuedaMin"), Qt::Key_Escape);
                 }),
                 int(QDialog::Rejected));
        QVERIFY(doc->Terrain().Plans() == before);
        QVERIFY(!Resultado());
    }
    // The mark in the results window: the caption shows whole, Esc in a
    // slope's cell keeps the plan's limits, a slope typed and committed drops
    // them; what was kept comes back from the file.
    void theMarkFollowsTheKeysAndTheFile()
    {
        TForm2* doc = WorkedDocument();
        QCOMPARE(Run([&] {
                     Control<QRadioButton>(Dialog(), "rbEixos")->click();
                     Retype(Field("edPrincipalMax"), "1");
                     Retype(Field("edRelacao"), "1,3");
                     auto* plan = Control<QComboBox>(Dialog(), "cbPlano");
                     plan->setFocus();
                     for (int i = 0; i < 8; ++i)
                         QTest::keyClick(plan, Qt::Key_Down);
                     QCOMPARE(plan->currentText(), QString("Plano 9"));
                     QTest::keyClick(Field("edRelacao"), Qt::Key_Return);
                 }),
                 int(QDialog::Accepted));
        TResultado* r = Resultado();
        QVERIFY(r);
        auto* grid = Control<QTableView>(r, "Grid");
        QCOMPARE(r->CellText(10, 0), QString("Plano 9 (limitado)"));
        QVERIFY(grid->columnWidth(10) > grid->fontMetrics().horizontalAdvance("Plano 9 (limitado)"));

        const QString file = TempFolder("limitado") + "/LIMITADO.NVR";
        recorder->SaveNames = {file};
        QVERIFY(SaveProject(doc));
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        grid->setFocus();
        r->SetCurrentCell(10, rrSx);
        QVERIFY(Type("2"));
        QVERIFY(!doc->Terrain().LimitedPlan(10));  // the typed slope is no longer the design's
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(doc->Terrain().LimitedPlan(10));
        QCOMPARE(r->CellText(10, 0), QString("Plano 9 (limitado)"));
        QCOMPARE(doc->Terrain().Plans()[10].SxText.Str(), std::string("0,01"));
        QVERIFY(doc->Terrain().Saved());

        r->SetCurrentCell(10, rrSx);
        QVERIFY(Type("2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(!doc->Terrain().LimitedPlan(10));
        QCOMPARE(r->CellText(10, 0), QString("Plano 9"));

        // The file saved before keeps the plan designed under limits.
        recorder->ConfirmAnswers = {TAnswer::No};
        QVERIFY(doc->close());
        QTRY_COMPARE(frame->OpenDocumentCount(), 0);
        recorder->OpenNames = {file};
        OpenProject(*frame);
        TForm2* back = ActiveDocument();
        QVERIFY(back);
        const TPlanLimits* limits = back->Terrain().LimitedPlan(10);
        QVERIFY(limits);
        QVERIFY(limits->MainMax && std::fabs(*limits->MainMax - 0.01) < 1e-12);
        QVERIFY(!limits->MainMin && !limits->Bearing);
        QVERIFY(std::fabs(D(back->Terrain().Plans()[10].CutVolume) - 1893.3040) < 1e-3);
    }
};

QTEST_MAIN(TestLimitedDesign)
#include "test_limited_design.moc"
