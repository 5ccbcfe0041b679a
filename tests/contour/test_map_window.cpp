// The altimetric map window in the program: its zoom and the frame's zoom
// box, its scroll ranges and keys, the copy to the clipboard, and the map
// command from the dialog to the window.

#include "gui/GuiTestSupport.h"
#include "app/sist.h"
#include "calc/FourStakes.h"
#include "calc/DesignTerrain.h"
#include "calc/uMapa.h"
#include "contour/uDefMapa.h"
#include "contour/uShowCurvas.h"
#include "grid/datagrid.h"
#include "calc/FieldReport.h"
#include "print/PrintDocument.h"
#include "print/uPrint.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMdiArea>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>

using namespace nivora;
using namespace nivora::testing;

namespace {

// A picture shown 1250 x 625 pixels at 100 %: a frame and a diagonal over
// map units 10000 x 5000.
TAltimetricMap WidePicture(QSize display = {1250, 625})
{
    TAltimetricMap map;
    map.Ppi = 96;
    map.Geometry.W = 10000;
    map.Geometry.H = 5000;
    // Physical size in hundredths of a millimetre, as the display size comes
    // back from it.
    map.PhysicalSize =
        QSize(int(std::lround(display.width() * 2540.0 / 96)), int(std::lround(display.height() * 2540.0 / 96)));
    QPainter p(&map.Picture);
    p.setPen(QPen(Qt::black, 40));
    p.drawRect(0, 0, 9999, 4999);
    p.drawLine(0, 0, 9999, 4999);
    p.end();
    map.Picture.setBoundingRect(QRect(0, 0, 10000, 5000));
    return map;
}

bool HasInk(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return true;
    return false;
}

// Counts the paints of a widget that cover all of it.
class TWholePaints : public QObject {
public:
    explicit TWholePaints(QWidget* widget) : Widget(widget) { widget->installEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject* object, QEvent* e) override
    {
        if (object == Widget && e->type() == QEvent::Paint
            && static_cast<QPaintEvent*>(e)->rect().contains(Widget->rect()))
            ++Count;
        return false;
    }

private:
    QWidget* Widget;
};

}  // namespace

class TestMapWindow : public QObject, public TFrameFixture {
    Q_OBJECT

private:
    TShowCurvas* Open(int zoom, QSize display = {1250, 625})
    {
        FrameControl<QSpinBox>("seZoom")->setValue(zoom);
        TShowCurvas* w = CreateMapWindow(frame.get(), WidePicture(display));
        frame->State().ActiveMapWindow = w;
        return w;
    }

    static TCurvasView* View(TShowCurvas* w) { return Control<TCurvasView>(w, "CurvasView"); }
    QSize Client(TShowCurvas* w) const { return View(w)->viewport()->size(); }
    int H(TShowCurvas* w) const { return View(w)->horizontalScrollBar()->value(); }
    int V(TShowCurvas* w) const { return View(w)->verticalScrollBar()->value(); }

    // A 4 x 3 field rising from 100 to 111 along its stakes.
    TForm2* Field()
    {
        TForm2* doc = CreateDocument(frame.get(), QString(), 20, 20, 10.0f, 10.0f, 0.0f, 0.0f);
        for (int r = 1; r <= 3; ++r)
            for (int c = 1; c <= 4; ++c)
                doc->Terrain().SetCell(c, r, 100.0f + float((r - 1) * 4 + (c - 1)));
        frame->ActivateChild(doc);
        return doc;
    }

private slots:
    void init()
    {
        QVERIFY(StartFrame(QLocale(QLocale::Portuguese, QLocale::Brazil)));
        CreateAltimetricDialogs(*frame);
        recorder->DialogsRun.clear();  // the opening screen of the frame
    }

    void cleanup() { QVERIFY(CloseFrame()); }

    // The cut-and-fill window of a georeferenced project shows its bitmap
    // framed with the real coordinates; the readout names the stake under
    // the pointer at its easting and northing (rows run south), and the copy
    // is the framed picture.
    void georeferencedCutFillMapIsFramed()
    {
        TTerreno t = nivora::testing::SystematizedFourStakes();
        t.SetGeoreference(TGeoreference{31983, 700000.0, 7400000.0, true});
        TMapa* w = OpenMapWindow(frame.get(), BuildCutFillMap(t, nullptr));
        const QPoint at = w->Shown().Offset;
        QVERIFY(at.x() > 0 && at.y() > 0);
        QVERIFY(QString::fromStdString(w->Map().CrsName).startsWith("EPSG:31983"));
        QCOMPARE(Control<TMapView>(w, "MapView")->viewport()->width(), w->Shown().Image.width());
        w->FormMouseMove(at.x() + 10, at.y() + 3);  // stake (2, 1)
        QCOMPARE(FrameControl<QLabel>("Panel0")->text(), QString("  X = 700020    Y = 7400000   Corte = 0,750"));
        w->FormMouseMove(at.x() + 3, at.y() + 11);  // stake (1, 2)
        QCOMPARE(FrameControl<QLabel>("Panel0")->text(), QString("  X = 700000    Y = 7399980   Corte = 0,750"));
        w->CopyMap();
        QCOMPARE(QGuiApplication::clipboard()->image().size(), w->Shown().Image.size());
        w->close();
    }

    void scaledSizeRoundsHalvesAway()
    {
        TShowCurvas* w = Open(50);
        QCOMPARE(w->windowTitle(), QString("Mapa Altimétrico"));
        QCOMPARE(w->Zoom(), 50);
        QCOMPARE(w->ScaledSize().width(), 625);
        QCOMPARE(w->ScaledSize().height(), 313);
        w->ShowZoom(25);
        QCOMPARE(w->ScaledSize().width(), 313);  // 312.5
        QCOMPARE(w->ScaledSize().height(), 156);
        w->ShowZoom(400);
        QCOMPARE(w->ScaledSize().width(), 5000);
        QCOMPARE(w->ScaledSize().height(), 2500);
    }

    void newWindowNeverLargerThanTheMap()
    {
        // 400 x 200 at 25 %: 100 x 50, smaller than the window's start.
        TShowCurvas* small = Open(25, {400, 200});
        QCOMPARE(Client(small), QSize(100, 50));
        QCOMPARE(View(small)->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(View(small)->verticalScrollBar()->maximum(), 0);

        // 313 x 156: only the height is cut down to the map.
        TShowCurvas* wide = Open(25);
        QCOMPARE(Client(wide).height(), 156);
        QVERIFY(Client(wide).width() < 313);
        QCOMPARE(View(wide)->horizontalScrollBar()->maximum(), 313 - Client(wide).width());
    }

    void zoomKeepsTheClientAndRescalesTheRanges()
    {
        TShowCurvas* w = Open(100);
        const QSize client = Client(w);
        QVERIFY(client.width() < 1250 && client.height() < 625);
        QCOMPARE(View(w)->horizontalScrollBar()->maximum(), 1250 - client.width());
        QCOMPARE(View(w)->verticalScrollBar()->maximum(), 625 - client.height());
        w->ShowZoom(200);
        QCOMPARE(Client(w), client);
        QCOMPARE(View(w)->horizontalScrollBar()->maximum(), 2500 - client.width());
        QCOMPARE(View(w)->verticalScrollBar()->maximum(), 1250 - client.height());
    }

    void keysScrollByPixelsPagesAndEnds()
    {
        TShowCurvas* w = Open(200);
        const QSize client = Client(w);
        QScrollBar* hb = View(w)->horizontalScrollBar();
        QScrollBar* vb = View(w)->verticalScrollBar();
        hb->setValue(1000);
        vb->setValue(500);

        QTest::keyClick(View(w), Qt::Key_Right);
        QCOMPARE(H(w), 1008);
        QTest::keyClick(View(w), Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(H(w), 976);
        QTest::keyClick(View(w), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(V(w), 532);
        QTest::keyClick(View(w), Qt::Key_Up);
        QCOMPARE(V(w), 524);
        QTest::keyClick(View(w), Qt::Key_End);
        QCOMPARE(H(w), 976 + client.width() - 16);
        QTest::keyClick(View(w), Qt::Key_PageUp);
        QCOMPARE(V(w), 524 - (client.height() - 16));
        // Other modifiers do nothing.
        QTest::keyClick(View(w), Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(View(w), Qt::Key_Right, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(H(w), 976 + client.width() - 16);

        // Ctrl+Home brings the left edge in view and leaves the height.
        const int v = V(w);
        QTest::keyClick(View(w), Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(H(w), 0);
        QCOMPARE(V(w), v);
        QTest::keyClick(View(w), Qt::Key_Home);  // no further than the start
        QCOMPARE(H(w), 0);
        QTest::keyClick(View(w), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(H(w), 2500 - client.width());
        QTest::keyClick(View(w), Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(V(w), 1250 - client.height());
        QTest::keyClick(View(w), Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(V(w), 0);
    }

    void zoomBoxFollowsTheActiveWindow()
    {
        QSpinBox* zoomBox = FrameControl<QSpinBox>("seZoom");
        TShowCurvas* a = Open(50);
        TShowCurvas* b = Open(50);
        QCOMPARE(frame->ActiveChild(), b);
        QCOMPARE(ActiveMapWindow(), b);

        zoomBox->setValue(75);
        seZoomChange(*frame, 75);
        QCOMPARE(b->Zoom(), 75);
        QCOMPARE(b->ScaledSize().width(), 938);  // 937.5
        QCOMPARE(a->Zoom(), 50);

        // A value outside 25..400 changes nothing.
        seZoomChange(*frame, 500);
        QCOMPARE(b->Zoom(), 75);

        frame->ActivateChild(a);
        QCOMPARE(ActiveMapWindow(), a);
        QCOMPARE(zoomBox->value(), 50);
        frame->ActivateChild(b);
        QCOMPARE(zoomBox->value(), 75);

        // Entering the box shows the active window's zoom.
        {
            const QSignalBlocker quiet(zoomBox);
            zoomBox->setValue(200);
        }
        seZoomEnter(*frame);
        QCOMPARE(zoomBox->value(), 75);
        QCOMPARE(a->Zoom(), 50);
        // The frame's box is wired: a change of its value zooms the active map.
        zoomBox->setValue(100);
        QCOMPARE(b->Zoom(), 100);
        QCOMPARE(a->Zoom(), 50);
        QVERIFY(zoomBox->isEnabled());
    }

    void closingForgetsTheActiveWindow()
    {
        TShowCurvas* a = Open(50);
        TShowCurvas* b = Open(100);
        QCOMPARE(ActiveMapWindow(), b);
        delete a;  // not the active one: the reference stays
        QCOMPARE(ActiveMapWindow(), b);
        b->close();
        QTRY_VERIFY(ActiveMapWindow() == nullptr);
        QVERIFY(frame->ChildWindows().isEmpty());
        seZoomChange(*frame, 100);  // no window: nothing to do
        seZoomEnter(*frame);
    }

    void copyPutsTheFullSizePictureOnTheClipboard()
    {
        TShowCurvas* w = Open(200);
        QGuiApplication::clipboard()->clear();
        w->CopyMap();
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data);
        QVERIFY(data->hasFormat("image/svg+xml"));
        const QByteArray svg = data->data("image/svg+xml");
        QVERIFY(svg.contains("<svg"));
        QVERIFY(svg.contains("viewBox=\"0 0 1250 625\""));
        QVERIFY(svg.contains("Mapa Altimétrico"));
        QVERIFY(data->hasImage());
        const QImage image = qvariant_cast<QImage>(data->imageData());
        QCOMPARE(image.size(), QSize(1250, 625));  // not the zoomed 2500 x 1250
        QVERIFY(HasInk(image));
        // The picture is drawn to the corners: the diagonal ends at both.
        QVERIFY(image.pixel(3, 3) != qRgb(255, 255, 255));
        QVERIFY(image.pixel(1246, 621) != qRgb(255, 255, 255));
    }

    void windowPaintsTheScrolledMap()
    {
        TShowCurvas* w = Open(100);
        QVERIFY(HasInk(View(w)->viewport()->grab().toImage()));
        // Scrolled into the middle of the diagonal's empty side the corner
        // of the client area is white.
        View(w)->horizontalScrollBar()->setValue(View(w)->horizontalScrollBar()->maximum());
        View(w)->verticalScrollBar()->setValue(0);
        const QImage scrolled = View(w)->viewport()->grab().toImage();
        QCOMPARE(scrolled.pixel(scrolled.width() / 2, scrolled.height() - 5), qRgb(255, 255, 255));
    }

    // Once the map is drawn at the window's zoom, scrolling paints from that
    // drawing and never replays the picture; what shows is what a replay at
    // the scroll position would give, at every zoom and on to the map's ends.
    void scrollingPaintsTheDrawnMap()
    {
        TShowCurvas* w = Open(100);
        View(w)->setFocus();
        struct Case {
            int zoom;
            int h, v;  // -1: the end of the range
        };
        const Case cases[] = {{100, 0, 0}, {100, 333, 127}, {25, 0, 0}, {400, 2017, 981}, {400, -1, -1}, {50, -1, 0}};
        for (const Case& k : cases) {
            w->ShowZoom(k.zoom);
            QTRY_VERIFY(w->MapRendered());
            const int replays = w->Replays();
            QScrollBar* hb = View(w)->horizontalScrollBar();
            QScrollBar* vb = View(w)->verticalScrollBar();
            hb->setValue(k.h < 0 ? hb->maximum() : k.h);
            vb->setValue(k.v < 0 ? vb->maximum() : k.v);
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(View(w), Qt::Key_Down);
            QCoreApplication::processEvents();
            const QImage shown = View(w)->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(w->Replays(), replays);

            QImage replayed(shown.size(), QImage::Format_RGB32);
            replayed.fill(Qt::white);
            {
                QPainter p(&replayed);
                p.setRenderHint(QPainter::Antialiasing);
                DrawMapPicture(p, w->Picture(),
                               QRectF(-H(w), -V(w), w->ScaledSize().width(), w->ScaledSize().height()));
            }
            int worst = 0;
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x)
                    worst = std::max(worst, std::abs(qGray(shown.pixel(x, y)) - qGray(replayed.pixel(x, y))));
            QVERIFY2(worst <= 2,
                     qPrintable(QString("zoom %1 at %2, %3: %4").arg(k.zoom).arg(H(w)).arg(V(w)).arg(worst)));
            QVERIFY(HasInk(shown) || k.zoom == 400);
        }
    }

    // While the map is being drawn at a new zoom, a scroll step paints only
    // the strip it uncovers and leaves it for the drawing, which repaints
    // the client area when it arrives: the picture is replayed for whole
    // paints alone. The drawing is handed over through the event loop, so it
    // cannot arrive while only the paint requests are delivered.
    void scrollWhileDrawingReplaysNothing()
    {
        TShowCurvas* w = Open(100);
        QTRY_VERIFY(w->MapRendered());
        QWidget* viewport = View(w)->viewport();
        TWholePaints wholePaints(viewport);
        struct Case {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            int replays;  // paints that replayed the picture
        };
        // A page is the client area less 16 pixels: a strip still. The end
        // of the map uncovers the whole client area.
        const Case cases[] = {{Qt::Key_Down, Qt::NoModifier, 0},
                              {Qt::Key_Right, Qt::ControlModifier, 0},
                              {Qt::Key_PageDown, Qt::NoModifier, 0},
                              {Qt::Key_End, Qt::ControlModifier, 1}};
        for (const Case& k : cases) {
            w->ShowZoom(400);
            viewport->repaint();
            QVERIFY(!w->MapRendered());
            const int replays = w->Replays();
            QTest::keyClick(View(w), k.key, k.modifiers);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
            QCOMPARE(w->Replays() - replays, k.replays);
            const int before = wholePaints.Count;
            QTRY_VERIFY(w->MapRendered());
            if (k.replays == 0)
                QTRY_VERIFY(wholePaints.Count > before);
            QCOMPARE(w->Replays() - replays, k.replays);
            w->ShowZoom(100);
            QTRY_VERIFY(w->MapRendered());
        }
    }

    void mapCommandRunsTheDialogAndOpensAWindow()
    {
        // No document: no dialog, no window.
        ShowAltimetricMap(*frame);
        QVERIFY(recorder->DialogsRun.isEmpty());

        // The dialog cancelled: no window.
        TForm2* doc = Field();
        ShowAltimetricMap(*frame);
        QCOMPARE(recorder->DialogsRun, QStringList{"DefMapa"});
        QCOMPARE(frame->ChildWindows().size(), 1);

        // Levels chosen in the dialog, the window at the zoom box's value.
        TDefMapa* d = frame->State().DefMapa.data();
        d->FormShow();
        for (const char* level : {"102,5", "105", "108,5"}) {
            Control<QLineEdit>(d, "edCurva")->setText(level);
            d->btAddCurvaClick();
        }
        d->btOkExibeMapaClick();
        QCOMPARE(frame->State().ContourRequest.LevelCount, 3);
        FrameControl<QSpinBox>("seZoom")->setValue(75);
        TShowCurvas* w = OpenAltimetricMap(*frame, *doc);
        QCOMPARE(ActiveMapWindow(), w);
        QCOMPARE(frame->ActiveChild(), w);
        QCOMPARE(w->Zoom(), 75);
        const QSize display = w->Picture().DisplaySize();
        QCOMPARE(std::max(display.width(), display.height()), 1250);
        QCOMPARE(w->ScaledSize().width(), int(std::lround(display.width() * 0.75)));
        QVERIFY(HasInk(w->MapImage()));
        QVERIFY(Client(w).width() <= w->ScaledSize().width() && Client(w).height() <= w->ScaledSize().height());
    }
    // "Mapa Altimétrico do Projeto": enabled once the document has a plan,
    // its dialog proposes levels within the design's elevations (not the
    // ground's), draws the design's contours under that title and prints
    // under that name; the natural map's dialog reads the ground again after.
    void designMapDrawsTheDesignSurface()
    {
        TForm2* doc = Field();
        doc->Terrain().SetCell(1, 1, 104.0f);  // no longer a plane: the design is not the ground
        emit Menu("mnExibir")->aboutToShow();
        QVERIFY(!Item("mnCurvasProjeto")->isEnabled());
        ShowDesignAltimetricMap(*frame);
        QVERIFY(recorder->DialogsRun.isEmpty());
        QCOMPARE(recorder->Shown.size(), std::size_t(1));
        QCOMPARE(recorder->Shown[0].Text, "É impossível desenhar o mapa do projeto antes de sistematizar o terreno.");

        QVERIFY(Systematize(doc->Terrain(), false, -1).Computed);
        emit Menu("mnExibir")->aboutToShow();
        QVERIFY(Item("mnCurvasProjeto")->isEnabled());
        std::optional<TTerreno> design = DesignTerrain(doc->Terrain());
        QVERIFY(design);
        float lowest = 0, highest = 0;
        design->SelectionExtremes(lowest, highest);
        QVERIFY(lowest > 100.0f && highest < 111.0f);

        TDefMapa* d = frame->State().DefMapa.data();
        const int result = RunDialog(Item("mnCurvasProjeto"), [&] {
            QCOMPARE(frame->State().ContourRequest.MinElevation, lowest);
            QCOMPARE(frame->State().ContourRequest.MaxElevation, highest);
            QVERIFY(!Control<QRadioButton>(d, "rbMapaParcial")->isEnabled());
            Retype(Control<QLineEdit>(d, "edCurva"), "105");
            d->btAddCurvaClick();
            d->btOkExibeMapaClick();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        TShowCurvas* w = ActiveMapWindow();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QString("Mapa Altimétrico do Projeto"));
        QVERIFY(w->Picture().Design);
        QVERIFY(HasInk(w->MapImage()));
        QVERIFY(PrintRequestFor(w).ProposedName.endsWith(" - Mapa Altimétrico do Projeto.pdf"));

        frame->ActivateChild(doc);
        d->FormShow();
        QCOMPARE(frame->State().ContourRequest.MinElevation, 101.0f);
        QCOMPARE(frame->State().ContourRequest.MaxElevation, 111.0f);
    }
};

QTEST_MAIN(TestMapWindow)
#include "test_map_window.moc"
