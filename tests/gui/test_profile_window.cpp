// "Exibir → Perfil...": the line typed in its dialog (from the grid's used
// area or selection), or drawn on the cut-and-fill map with the mouse (a
// drag, clicks ended by a double click, Esc to cancel); the profile window's
// sections table, copy and printout.

#include "GuiTestSupport.h"
#include "app/sist.h"
#include "calc/CalcSist.h"
#include "calc/CutFillMap.h"
#include "calc/FieldReport.h"
#include "calc/uMapa.h"
#include "calc/uPerfil.h"
#include "contour/uDefMapa.h"
#include "contour/uShowCurvas.h"
#include "data/NumberFormat.h"
#include "grid/datagrid.h"
#include "print/PrintDocument.h"
#include "print/uPrint.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>

#include <cmath>

using namespace nivora;
using namespace nivora::testing;

namespace {

constexpr float kWorked[4][5] = {{8.26f, 8.75f, 9.30f, 9.52f, 10.44f},
                                 {7.94f, 8.12f, 8.90f, 8.80f, 9.62f},
                                 {7.12f, 7.86f, 8.35f, 8.60f, 8.42f},
                                 {6.74f, 7.28f, 7.94f, 8.16f, 7.80f}};

}  // namespace

class TestProfileWindow : public QObject, public TFrameFixture {
    Q_OBJECT

private:
    // The worked grid at 25 m, stake (1, 1) at 0, 0, systematized.
    TForm2* WorkedDocument()
    {
        CreateDocument(frame.get(), QString(), 20, 20, 25, 25, 0, 0);
        TForm2* doc = ActiveDocument();
        for (int r = 1; r <= 4; ++r)
            for (int c = 1; c <= 5; ++c)
                doc->Terrain().SetCell(c, r, kWorked[r - 1][c - 1]);
        doc->Terrain().UpdateUsedRect();
        if (!Systematize(doc->Terrain(), false, -1).Computed)
            qFatal("the worked grid did not systematize");
        return doc;
    }

    TPerfil* ActiveProfile() const { return qobject_cast<TPerfil*>(frame->ActiveChild()); }

    TMapa* CutFillMap(TForm2* doc)
    {
        TMapa* map = OpenMapWindow(frame.get(), BuildCutFillMap(doc->Terrain(), nullptr), doc->DocumentObject());
        map->resize(600, 500);
        frame->ActivateChild(map);
        return map;
    }

    // The centre of a stake's block on the map, in its view's coordinates.
    static QPoint StakePixel(TMapa* map, int col, int row)
    {
        const TCutFillMap& m = map->Map();
        return map->Shown().Offset
               + QPoint((col - m.Area.FirstCol) * m.CellWidth + m.CellWidth / 2,
                        (row - m.Area.FirstRow) * m.CellHeight + m.CellHeight / 2);
    }

    static QWidget* MapViewport(TMapa* map) { return Control<TMapView>(map, "MapView")->viewport(); }

private slots:
    void init() { QVERIFY(StartFrame(QLocale(QLocale::Portuguese, QLocale::Brazil))); }
    void cleanup() { QVERIFY(CloseFrame()); }

    void theItemFollowsTheMapsAndNeedsElevations()
    {
        const QList<QAction*> items = Menu("mnExibir")->actions();
        QVERIFY(items.indexOf(Item("mnPerfil")) > items.indexOf(Item("mnCurvas")));
        QCOMPARE(Item("mnPerfil")->text(), QString("&Perfil..."));
        QCOMPARE(Item("mnPerfil")->property("HelpContext").toInt(), 120);
        emit Menu("mnExibir")->aboutToShow();
        QVERIFY(!Item("mnPerfil")->isEnabled());
        CreateDocument(frame.get(), QString(), 20, 20, 10, 10, 0, 0);
        emit Menu("mnExibir")->aboutToShow();
        QVERIFY(!Item("mnPerfil")->isEnabled());
        ActiveDocument()->Terrain().SetCell(1, 1, 100);
        emit Menu("mnExibir")->aboutToShow();
        QVERIFY(Item("mnPerfil")->isEnabled());
    }

    // The dialog proposes the used area's first and last stakes; sections
    // typed with a decimal comma; the window shows the line of the worked
    // example, its sections and their earth, copies and prints.
    void typedLineOpensTheProfile()
    {
        WorkedDocument();
        emit Menu("mnExibir")->aboutToShow();
        const int result = RunDialog(Item("mnPerfil"), [&] {
            auto* d = FrameControl<TDefPerfil>("DefPerfil");
            QCOMPARE(Control<QLineEdit>(d, "edDeX")->text(), QString("0"));
            QCOMPARE(Control<QLineEdit>(d, "edDeY")->text(), QString("0"));
            QCOMPARE(Control<QLineEdit>(d, "edAteX")->text(), QString("100"));
            QCOMPARE(Control<QLineEdit>(d, "edAteY")->text(), QString("75"));
            Retype(Control<QLineEdit>(d, "edEstacas"), "62,5");
            Retype(Control<QLineEdit>(d, "edSecoes"), "25");
            Retype(Control<QLineEdit>(d, "edLargura"), "30");
            QTest::mouseClick(Control<QPushButton>(d, "btOk"), Qt::LeftButton);
        });
        QCOMPARE(result, int(QDialog::Accepted));
        TPerfil* w = ActiveProfile();
        QVERIFY(w);
        const TProfile& p = w->Profile();
        QCOMPARE(double(p.Length), 125.0);
        QVERIFY(std::fabs(double(*p.Legs[0].DesignSlope) + 0.0010704) < 1e-7);
        QCOMPARE(p.Stations.size(), std::size_t(3));
        QVERIFY(std::fabs(double(*p.Stations[1].Natural) - 8.625) < 1e-6);
        // Sections at 0, 25, ..., 125 and the total.
        auto* table = Control<QTableWidget>(w, "sgSecoes");
        QCOMPARE(p.Sections.size(), std::size_t(6));
        QCOMPARE(table->rowCount(), 7);
        QCOMPARE(table->item(6, 0)->text(), QString("Total"));
        QCOMPARE(table->item(6, 3)->text(), QString::fromStdString(FormatFixed(p.CutVolume, 2, 15, ',')));
        QVERIFY(std::fabs(double(p.Sections[2].Covered) - 30) < 1e-9);

        frame->mnCopiarClick();
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        QVERIFY(mime->hasFormat("image/svg+xml"));
        QVERIFY(mime->hasImage());
        QVERIFY(mime->text().startsWith("Distância (m);X;Y;"));

        QCOMPARE(PrintKindOf(w), TPrintKind::Profile);
        TPrintRequest request = PrintRequestFor(w);
        QVERIFY(request.Document);
        QVERIFY(request.ProposedName.endsWith(" - Perfil.pdf"));
        QBuffer pdf;
        pdf.open(QIODevice::WriteOnly);
        // The chart, then the sections.
        QCOMPARE(WritePdf(*request.Document, pdf), 2);
        QVERIFY(pdf.data().startsWith("%PDF"));
    }

    void badNumbersAreRefusedInTheDialog()
    {
        WorkedDocument();
        emit Menu("mnExibir")->aboutToShow();
        const int result = RunDialog(Item("mnPerfil"), [&] {
            auto* d = FrameControl<TDefPerfil>("DefPerfil");
            Retype(Control<QLineEdit>(d, "edDeX"), "1,2,3");
            QTest::mouseClick(Control<QPushButton>(d, "btOk"), Qt::LeftButton);
            QVERIFY(d->isVisible());
            Retype(Control<QLineEdit>(d, "edDeX"), "100");
            Retype(Control<QLineEdit>(d, "edDeY"), "75");
            QTest::mouseClick(Control<QPushButton>(d, "btOk"), Qt::LeftButton);
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(recorder->Shown.size(), std::size_t(2));
        QCOMPARE(recorder->Shown[0].Text, QString("'1,2,3' não é um número válido."));
        QCOMPARE(recorder->Shown[1].Text, QString("O perfil precisa de uma linha com dois pontos distintos."));
        QVERIFY(!ActiveProfile());
    }

    // A drag on the map from stake (1, 1) to stake (5, 4) is the worked line.
    void dragOnTheMapDrawsAStraightLine()
    {
        TMapa* map = CutFillMap(WorkedDocument());
        emit Menu("mnExibir")->aboutToShow();
        QVERIFY(Item("mnPerfil")->isEnabled());
        Item("mnPerfil")->trigger();
        QVERIFY(map->DrawingProfile());
        QWidget* view = MapViewport(map);
        QTest::mousePress(view, Qt::LeftButton, {}, StakePixel(map, 1, 1));
        QTest::mouseMove(view, StakePixel(map, 3, 2));
        QCOMPARE(map->ProfileLine().size(), std::size_t(1));
        QTest::mouseRelease(view, Qt::LeftButton, {}, StakePixel(map, 5, 4));
        QVERIFY(!map->DrawingProfile());
        TPerfil* w = ActiveProfile();
        QVERIFY(w);
        QCOMPARE(double(w->Profile().Length), 125.0);
        QVERIFY(std::fabs(double(*w->Profile().Samples.front().Natural) - 8.26) < 1e-6);
        QVERIFY(std::fabs(double(*w->Profile().Samples.back().Natural) - 7.80) < 1e-6);
    }

    // The same drag on the altimetric map, whose pixels are map units at
    // its zoom: the line from stake (2, 2) to stake (4, 3) to a pixel's width.
    void dragOnTheAltimetricMap()
    {
        TForm2* doc = WorkedDocument();
        CreateAltimetricDialogs(*frame);
        frame->State().ContourRequest.TakeLimits(doc->Terrain().MapLimits());
        std::vector<std::string> levels = {"8", "9", "10"};
        QVERIFY(SetRequestLevels(frame->State().ContourRequest, levels, ','));
        TShowCurvas* map = OpenAltimetricMap(*frame, *doc);
        map->resize(700, 500);
        emit Menu("mnExibir")->aboutToShow();
        QVERIFY(Item("mnPerfil")->isEnabled());
        Item("mnPerfil")->trigger();
        QVERIFY(map->DrawingProfile());
        const TMapGeometry& g = map->Picture().Geometry;
        const auto pixel = [&](int col, int row) {
            const QSize s = map->ScaledSize();
            return QPoint(int(std::lround(double(g.MapX(doc->Terrain().StakeX(col))) * s.width() / g.W)),
                          int(std::lround(double(g.MapY(doc->Terrain().StakeY(row))) * s.height() / g.H)));
        };
        QWidget* view = Control<QAbstractScrollArea>(map, "CurvasView")->viewport();
        QTest::mousePress(view, Qt::LeftButton, {}, pixel(2, 2));
        QTest::mouseRelease(view, Qt::LeftButton, {}, pixel(4, 3));
        TPerfil* w = ActiveProfile();
        QVERIFY(w);
        const TProfile& p = w->Profile();
        QVERIFY(std::fabs(double(p.Length) - std::hypot(50.0, 25.0)) < 0.5);
        QVERIFY(p.Samples.front().Natural && p.Samples.back().Natural);
        QVERIFY(std::fabs(double(*p.Samples.front().Natural) - 8.12) < 0.02);
        QVERIFY(std::fabs(double(*p.Samples.back().Natural) - 8.60) < 0.02);
        QVERIFY(!map->DrawingProfile());
    }

    // Clicks set a polyline's points, a double click ends it; Esc drops a
    // line being drawn.
    void clicksDrawAPolylineAndEscCancels()
    {
        TMapa* map = CutFillMap(WorkedDocument());
        QWidget* view = MapViewport(map);
        ShowProfile(*frame);
        QTest::mouseClick(view, Qt::LeftButton, {}, StakePixel(map, 1, 1));
        QTest::mouseClick(view, Qt::LeftButton, {}, StakePixel(map, 2, 3));
        QCOMPARE(map->ProfileLine().size(), std::size_t(2));
        QTest::keyClick(Control<TMapView>(map, "MapView"), Qt::Key_Escape);
        QVERIFY(!map->DrawingProfile());
        QVERIFY(!ActiveProfile());

        ShowProfile(*frame);
        QTest::mouseClick(view, Qt::LeftButton, {}, StakePixel(map, 1, 1));
        QTest::mouseClick(view, Qt::LeftButton, {}, StakePixel(map, 5, 1));
        QTest::mouseDClick(view, Qt::LeftButton, {}, StakePixel(map, 5, 4));
        TPerfil* w = ActiveProfile();
        QVERIFY(w);
        const TProfile& p = w->Profile();
        QCOMPARE(p.Legs.size(), std::size_t(2));
        QCOMPARE(double(p.Length), 175.0);
        QCOMPARE(double(p.Legs[1].Start), 100.0);
        QVERIFY(std::fabs(double(*p.Stations[5].Natural) - 10.44) < 1e-6);
    }
};

QTEST_MAIN(TestProfileWindow)
#include "test_profile_window.moc"
