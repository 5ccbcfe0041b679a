// "Distância de Transporte...": its place in the menu, the haul of the
// worked grid's plan shown when the thread ends, the costs following the
// prices typed with a decimal comma, and the window's copy and printout.

#include "GuiTestSupport.h"
#include "app/sist.h"
#include "calc/CalcSist.h"
#include "calc/FieldReport.h"
#include "calc/uTransporte.h"
#include "grid/datagrid.h"
#include "print/uPrint.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QRegularExpression>
#include <QTest>

using namespace nivora;
using namespace nivora::testing;

namespace {

constexpr float kWorked[4][5] = {{8.26f, 8.75f, 9.30f, 9.52f, 10.44f},
                                 {7.94f, 8.12f, 8.90f, 8.80f, 9.62f},
                                 {7.12f, 7.86f, 8.35f, 8.60f, 8.42f},
                                 {6.74f, 7.28f, 7.94f, 8.16f, 7.80f}};

}  // namespace

class TestHaulWindow : public QObject, public TFrameFixture {
    Q_OBJECT

private:
    TForm2* WorkedDocument(float ly = 25)
    {
        CreateDocument(frame.get(), QString(), 20, 20, 25, ly, 0, 0);
        TForm2* doc = ActiveDocument();
        for (int r = 1; r <= 4; ++r)
            for (int c = 1; c <= 5; ++c)
                doc->Terrain().SetCell(c, r, kWorked[r - 1][c - 1]);
        doc->Terrain().UpdateUsedRect();
        return doc;
    }

    THaulWindow* Open()
    {
        Menu("mnCalcular")->aboutToShow();
        if (!Item("mnTransporte")->isEnabled())
            return nullptr;
        Item("mnTransporte")->trigger();
        auto* w = qobject_cast<THaulWindow*>(frame->findChild<QMdiArea*>()->activeSubWindow());
        if (w && !QTest::qWaitFor([w] { return w->Ready(); }, 20000))
            return nullptr;
        return w;
    }

    static QString Text(const THaulWindow* w, const char* name) { return Control<QLabel>(w, name)->text(); }

private slots:
    void init() { QVERIFY(StartFrame(QLocale(QLocale::Portuguese, QLocale::Brazil))); }
    void cleanup() { QVERIFY(CloseFrame()); }

    void theItemFollowsTheOptimisedSurfaceAndWaitsForAPlan()
    {
        const QList<QAction*> items = Menu("mnCalcular")->actions();
        QCOMPARE(items.value(items.indexOf(Item("mnTransporte")) - 1), Item("mnOtimizar"));
        QCOMPARE(Item("mnTransporte")->text(), QString("Distância de &Transporte..."));
        QCOMPARE(Item("mnTransporte")->property("HelpContext").toInt(), 110);
        WorkedDocument();
        QVERIFY(Open() == nullptr);
        QVERIFY(Systematize(ActiveDocument()->Terrain(), false, -1).Computed);
        QVERIFY(Open() != nullptr);
    }

    void theWorkedPlanAndItsCosts()
    {
        // clang-format off
        const struct {
            const char* what;
            float ly;
            long double ratio;
            const char *cut, *moment, *mean, *volumePrice, *haulPrice, *total;
        } cases[] = {
            {"best plane", 25, -1, "1313,06 m³", "55648,4 m³·m", "42,38 m", "8,5", "3", "R$ 11327,98"},
            {"at 1,3", 25, 1.3L, "1503,95 m³", "60939,7 m³·m", "40,52 m", "10", "", "R$ 15039,48"},
            {"a price that is no number", 25, -1, "1313,06 m³", "55648,4 m³·m", "42,38 m", "8,5x", "1", "-"},
        };
        // clang-format on
        for (const auto& c : cases) {
            TForm2* doc = WorkedDocument(c.ly);
            QVERIFY(Systematize(doc->Terrain(), false, c.ratio).Computed);
            THaulWindow* w = Open();
            QVERIFY2(w, c.what);
            QCOMPARE(Text(w, "lbCorte"), QString(c.cut));
            QCOMPARE(Text(w, "lbMomento"), QString(c.moment));
            QCOMPARE(Text(w, "lbDistancia"), QString(c.mean));
            QTest::keyClicks(Control<QLineEdit>(w, "edPrecoVolume"), c.volumePrice);
            QTest::keyClicks(Control<QLineEdit>(w, "edPrecoTransporte"), c.haulPrice);
            QCOMPARE(Text(w, "lbCustoTotal"), QString(c.total));
            w->close();
        }
    }

    void copiesAndPrintsTheFigures()
    {
        QVERIFY(Systematize(WorkedDocument()->Terrain(), false, -1).Computed);
        THaulWindow* w = Open();
        QVERIFY(w);
        QTest::keyClicks(Control<QLineEdit>(w, "edPrecoVolume"), "3");
        Item("mnCopiar")->trigger();
        const QString copied = QApplication::clipboard()->text();
        QVERIFY2(copied.contains("Distância média de transporte (m)\t42,38\r\n"), qPrintable(copied));
        QVERIFY(copied.contains("Custo total (R$)\t3939,19\r\n"));
        // -278,125 and +288,125 sit on a rounding edge: the grid's singles
        // decide them.
        QVERIFY(copied.contains(QRegularExpression(
            "\r\nCurva de massa ao longo de X \\(m³\\)\t-263,75\t-278,1[23]\t288,1[23]\t253,75\r\n")));
        QVERIFY(copied.contains("Curva de massa ao longo de Y (m³)\t48,75\t46,25\t-95,00\r\n"));
        QCOMPARE(PrintKindOf(w), TPrintKind::Haul);
        const TPrintRequest r = PrintRequestFor(w);
        QVERIFY(r.Document);
        QCOMPARE(r.Document->Title(), QString("Distância de Transporte"));
    }
};

QTEST_MAIN(TestHaulWindow)
#include "test_haul_window.moc"
