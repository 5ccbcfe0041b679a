// The import dialog on large surveys and what it shows before OK: typing in
// the spacing box never waits for the summary, reading a large file can be
// cancelled without losing the file already open, the coordinate system is
// proposed and checked, and the picture shows the stakes a gap leaves empty.

#include "GuiTestSupport.h"
#include "app/sist.h"
#include "calc/CalcSist.h"
#include "grid/datagrid.h"
#include "survey/PointGrid.h"
#include "survey/uImportaPontos.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <cstdint>
#include <ctime>

using namespace nivora;
using namespace nivora::testing;

namespace {

// Processor time this thread has used, in milliseconds. Unlike the clock on
// the wall it does not grow while other programs hold the processors, so a
// busy machine cannot make a window that keeps answering look held.
qint64 ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

QString Write(const QString& name, const QByteArray& text)
{
    // A folder of this run's own: the survey of a million points is large,
    // and another run of the tests must not remove it midway.
    static const QString folder =
        TempFolder("import_responsive_" + QString::number(QCoreApplication::applicationPid()));
    const QString path = folder + "/" + name;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
    return path;
}

// A million points, 1 m apart with a jitter, on a tilted plane, in UTM
// metres; about 40 MB.
QString MillionPoints()
{
    static QString path;
    if (!path.isEmpty())
        return path;
    QByteArray text;
    text.reserve(42 << 20);
    std::uint32_t seed = 12345;
    const auto jitter = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return double(seed >> 8) / double(1u << 24) * 0.4 - 0.2;
    };
    char line[96];
    for (int j = 0; j < 1000; ++j)
        for (int i = 0; i < 1000; ++i) {
            const double e = 400000 + i + jitter(), n = 7450000 + j + jitter();
            const int size =
                std::snprintf(line, sizeof line, "P%d;%.3f;%.3f;%.3f\n", j * 1000 + i, e, n, 500 + 0.01 * i - 0.02 * j);
            text.append(line, size);
        }
    path = Write("milhao.csv", text);
    return path;
}

// Presses Cancel in the reading's progress window as soon as it shows.
class TCancelReading : public QObject {
public:
    TCancelReading()
    {
        Poll.setInterval(5);
        connect(&Poll, &QTimer::timeout, this, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* progress = qobject_cast<QProgressDialog*>(w);
                if (!progress || progress->objectName() != "pdLeitura" || !progress->isVisible())
                    continue;
                if (auto* button = progress->findChild<QPushButton*>()) {
                    QTest::mouseClick(button, Qt::LeftButton);
                    ++Cancelled;
                    Poll.stop();
                }
            }
        });
        Poll.start();
    }
    int Cancelled = 0;

private:
    QTimer Poll;
};

}  // namespace

class TestImportResponsive : public QObject, public TFrameFixture {
    Q_OBJECT

private:
    std::unique_ptr<TImportaPontos> dialog;

    QLineEdit* Field(const char* name) const { return Control<QLineEdit>(dialog.get(), name); }
    QString Summary() const { return Control<QPlainTextEdit>(dialog.get(), "memResumo")->toPlainText(); }

    void Retype(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    void WaitForSummary(int timeout = 30000) { QTRY_VERIFY_WITH_TIMEOUT(!dialog->SummaryPending(), timeout); }

    // The grid the fields give, as the summary must say it.
    QString ExpectedGrid() const
    {
        const TGridSize n = ExpectedSize();
        return QString("Grade de %1 × %2 piquetes;").arg(n.Cols).arg(n.Rows);
    }
    TGridSize ExpectedSize() const
    {
        TGridParams p;
        const auto number = [&](const char* name) { return Field(name)->text().replace(',', '.').toDouble(); };
        p.Lx = number("edLx"), p.Ly = number("edLy");
        p.OriginX = number("edOrigemX"), p.OriginY = number("edOrigemY");
        p.MaxDistance = number("edDistancia"), p.MaxEdge = number("edLado");
        return CheckGridParams(*dialog->Prepared()->Triangulation, p, ',');
    }

private slots:
    void init()
    {
        QVERIFY(StartFrame(QLocale(QLocale::Portuguese, QLocale::Brazil)));
        dialog = std::make_unique<TImportaPontos>(frame.get());
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }

    void cleanup()
    {
        dialog.reset();
        QVERIFY(CloseFrame());
    }

    void cleanupTestCase() { QDir(QFileInfo(Write("fim.txt", {})).path()).removeRecursively(); }

    // With a million points each summary takes a second or more; the keys
    // typed meanwhile must not wait for it.
    void typingTheSpacingNeverWaitsForTheSummary()
    {
        QElapsedTimer clock;
        clock.start();
        QVERIFY(dialog->LoadFile(MillionPoints()));
        qInfo("read and triangulated a million points in %lld ms", clock.elapsed());
        QCOMPARE(dialog->Prepared()->Set.Points.size(), std::size_t(1000000));
        clock.restart();
        WaitForSummary();
        qInfo("the first summary came %lld ms later", clock.elapsed());
        QVERIFY2(Summary().contains(ExpectedGrid()), qPrintable(Summary()));

        // Each key, then a pause long enough for the summary to start: the
        // window answers within the pause all the same.
        QLineEdit* lx = Field("edLx");
        lx->setFocus();
        lx->selectAll();
        qint64 slowestKey = 0, slowestPause = 0, windowWork = 0;
        for (const char key : QByteArray("1,15")) {
            const qint64 cpu = ThreadCpuMs();
            clock.restart();
            QTest::keyClick(lx, key);
            slowestKey = std::max(slowestKey, clock.elapsed());
            clock.restart();
            QTest::qWait(400);
            slowestPause = std::max(slowestPause, clock.elapsed() - 400);
            windowWork = std::max(windowWork, ThreadCpuMs() - cpu);
        }
        qInfo(
            "slowest key %lld ms; the window was held at most %lld ms past a pause and worked at most %lld ms of "
            "processor time for a key and its pause",
            slowestKey, slowestPause, windowWork);
        QCOMPARE(lx->text(), QString("1,15"));
        // A summary of 1 m (about a million stakes) takes a quarter of a
        // second of processor time or more; none of it may fall on the
        // window's thread. The wall clock only says how it felt: on a busy
        // machine it also counts the time other programs had.
        QVERIFY2(windowWork < 100, qPrintable(QString::number(windowWork)));

        // Typed without pauses, only the last spacing is summed up.
        Retype(lx, "2,5");
        QVERIFY(Summary().endsWith("Calculando a grade..."));
        WaitForSummary();
        QVERIFY2(Summary().contains(ExpectedGrid()), qPrintable(Summary()));
        const TGridSize size = ExpectedSize();
        QVERIFY(size.Cols > 300 && size.Rows > 300);

        // OK takes the summary's grid.
        clock.restart();
        QTest::mouseClick(Control<QPushButton>(dialog.get(), "BitBtn1"), Qt::LeftButton);
        qInfo("OK made the document in %lld ms", clock.elapsed());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY(ActiveDocument());
        QCOMPARE(ActiveDocument()->Terrain().ColCount(), size.Cols);
        QCOMPARE(ActiveDocument()->Terrain().RowCount(), size.Rows);
    }

    void cancellingTheReadingKeepsTheFileAlreadyOpen()
    {
        const QString small = Write("pequeno.txt", "P1;0;0;10\nP2;100;0;11\nP3;0;100;12\nP4;100;100;13\n");
        QVERIFY(dialog->LoadFile(small));
        WaitForSummary();
        const QString before = Summary();

        // "Procurar..." on the large file, cancelled while it is read.
        {
            TCancelReading cancel;
            recorder->OpenNames = {MillionPoints()};
            QTest::mouseClick(Control<QPushButton>(dialog.get(), "btArquivo"), Qt::LeftButton);
            QCOMPARE(cancel.Cancelled, 1);
        }
        QVERIFY(recorder->Shown.empty());
        QVERIFY(dialog->isVisible());
        QCOMPARE(Field("edArquivo")->text(), QString("pequeno.txt"));
        QCOMPARE(dialog->Prepared()->Set.Points.size(), std::size_t(4));
        WaitForSummary();
        QCOMPARE(Summary(), before);

        // A layout changed and cancelled: the points and their layout stay.
        QVERIFY(dialog->LoadFile(MillionPoints()));
        QCOMPARE(dialog->Prepared()->Set.Points.size(), std::size_t(1000000));
        {
            TCancelReading cancel;
            auto* header = Control<QSpinBox>(dialog.get(), "spCabecalho");
            header->setFocus();
            QTest::keyClick(header, Qt::Key_Up);
            QCOMPARE(cancel.Cancelled, 1);
            QCOMPARE(header->value(), 0);
        }
        QCOMPARE(dialog->Prepared()->Set.Points.size(), std::size_t(1000000));

        // The dialog is still usable: the small file imports.
        QVERIFY(dialog->LoadFile(small));
        WaitForSummary();
        QTest::mouseClick(Control<QPushButton>(dialog.get(), "BitBtn1"), Qt::LeftButton);
        QCOMPARE(frame->OpenDocumentCount(), 1);

        // From the menu: cancelled, no dialog and no document.
        const qsizetype dialogs = recorder->DialogsRun.size();
        {
            TCancelReading cancel;
            recorder->OpenNames = {MillionPoints()};
            Item("mnImportarPontos")->trigger();
            QCOMPARE(cancel.Cancelled, 1);
        }
        QCOMPARE(recorder->DialogsRun.size(), dialogs);
        QCOMPARE(frame->OpenDocumentCount(), 1);
        QVERIFY(recorder->Shown.empty());
    }

    void theSystemIsProposedAndChecked()
    {
        // Metres: no system unless the user names one.
        QVERIFY(dialog->LoadFile(Write("metros.txt",
                                       "P1;500000;7000000;10\nP2;500100;7000000;11\n"
                                       "P3;500000;7000100;12\nP4;500100;7000100;13\n")));
        QCOMPARE(Field("edEpsg")->text(), QString());
        QVERIFY(Control<QLabel>(dialog.get(), "lbSistema")->text().startsWith("Não informado"));
        Retype(Field("edEpsg"), "4326");
        const QString refusal =
            "EPSG:4326 (WGS 84) não é um sistema projetado em metros; escolha um sistema UTM, por "
            "exemplo SIRGAS 2000 / UTM.";
        QCOMPARE(Control<QLabel>(dialog.get(), "lbSistema")->text(), refusal);
        QTest::keyClick(Field("edEpsg"), Qt::Key_Return);
        QCOMPARE(recorder->Shown.size(), std::size_t(1));
        QCOMPARE(recorder->Shown[0].Text, refusal);
        QVERIFY(dialog->isVisible());
        QCOMPARE(frame->OpenDocumentCount(), 0);
        Retype(Field("edEpsg"), "123456");
        QTest::keyClick(Field("edEpsg"), Qt::Key_Return);
        QCOMPARE(recorder->Shown.back().Text, QString("EPSG:123456 não é um sistema de coordenadas conhecido."));
        QCOMPARE(frame->OpenDocumentCount(), 0);

        // The code typed stays when the layout is changed, and goes with the grid.
        Retype(Field("edEpsg"), "31983");
        Control<QComboBox>(dialog.get(), "cmbDecimal")->setCurrentIndex(1);
        QCOMPARE(Field("edEpsg")->text(), QString("31983"));
        QTest::keyClick(Field("edEpsg"), Qt::Key_Return);
        QCOMPARE(recorder->Shown.size(), std::size_t(2));
        QVERIFY(ActiveDocument());
        QCOMPARE(ActiveDocument()->Terrain().Extension().Georeference->Epsg, 31983);

        // Degrees in southern Brazil: SIRGAS 2000 of their zone, with its name.
        QByteArray degrees = "Nome;Longitude;Latitude;Cota\n";
        for (int i = 0; i < 5; ++i)
            for (int j = 0; j < 5; ++j)
                degrees += QString("P%1;%2;%3;%4\n")
                               .arg(i * 5 + j)
                               .arg(-51.5 + 0.0005 * i, 0, 'f', 6)
                               .arg(-25.0 + 0.0005 * j, 0, 'f', 6)
                               .arg(100 + i)
                               .toLatin1();
        dialog->show();  // OK closed it
        QVERIFY(dialog->LoadFile(Write("graus.txt", degrees)));
        QCOMPARE(Field("edEpsg")->text(), QString("31982"));
        QCOMPARE(Control<QLabel>(dialog.get(), "lbSistema")->text(), QString("SIRGAS 2000 / UTM zone 22S"));
        const double zone22 = Field("edOrigemX")->text().replace(',', '.').toDouble();
        QVERIFY(zone22 > 440000 && zone22 < 460000);

        // Another system named: the points are projected into it, so that
        // the project's coordinates are that system's. At -51,5° zone 23S
        // puts them some 650 km west of its central meridian.
        Retype(Field("edEpsg"), "31983");
        QTest::keyClick(Field("edEpsg"), Qt::Key_Return);
        QCOMPARE(recorder->Shown.size(), std::size_t(2));
        QCOMPARE(frame->OpenDocumentCount(), 2);
        const auto georeference = ActiveDocument()->Terrain().Extension().Georeference;
        QVERIFY(georeference);
        QCOMPARE(georeference->Epsg, 31983);
        QVERIFY2(georeference->CornerEasting < -100000 && georeference->CornerEasting > -200000,
                 qPrintable(QString::number(georeference->CornerEasting, 'f', 3)));
    }

    // Without a header the import guesses which column is the longitude; a
    // choice the user makes in the lists is not guessed over.
    void theCoordinateColumnsTheUserPicksAreKept()
    {
        QByteArray degrees;
        for (int i = 0; i < 5; ++i)
            for (int j = 0; j < 5; ++j)
                degrees += QString("P%1;%2;%3;%4\n")
                               .arg(i * 5 + j)
                               .arg(-25.0 + 0.0005 * j, 0, 'f', 6)
                               .arg(-51.5 + 0.0005 * i, 0, 'f', 6)
                               .arg(100 + i)
                               .toLatin1();
        QVERIFY(dialog->LoadFile(Write("lat-lon.txt", degrees)));
        // Latitude first: turned round, as the survey lies in Brazil.
        QCOMPARE(dialog->Prepared()->Format.ColE, 2);
        QCOMPARE(Control<QComboBox>(dialog.get(), "cmbE")->currentData().toInt(), 2);
        QCOMPARE(Field("edEpsg")->text(), QString("31982"));
        // The user says otherwise: so be it.
        Control<QComboBox>(dialog.get(), "cmbN")->setCurrentIndex(3);
        Control<QComboBox>(dialog.get(), "cmbE")->setCurrentIndex(2);
        QCOMPARE(dialog->Prepared()->Format.ColE, 1);
        QCOMPARE(dialog->Prepared()->Format.ColN, 2);
        QCOMPARE(Field("edEpsg")->text(), QString("32726"));
    }

    // A survey of a 200 m square with an 80 m gap north of its middle: the
    // stakes in the gap stay empty, and the picture shows them so, where
    // they are, before OK.
    void thePictureShowsTheStakesAGapLeavesEmpty()
    {
        QByteArray text;
        int k = 0;
        for (int e = 0; e <= 200; e += 10)
            for (int n = 0; n <= 200; n += 10)
                if (e < 60 || e > 140 || n < 100 || n > 180)
                    text += QString("%1\t%2\t%3\t%4\n")
                                .arg(++k)
                                .arg(300000 + e)
                                .arg(7000000 + n)
                                .arg(50 + 0.1 * e)
                                .toLatin1();
        QVERIFY(dialog->LoadFile(Write("buraco.txt", text)));
        Retype(Field("edLx"), "10");
        Retype(Field("edOrigemX"), "300000");
        Retype(Field("edOrigemY"), "7000000");
        Retype(Field("edDistancia"), "15");
        Retype(Field("edLado"), "30");
        WaitForSummary();
        QVERIFY2(Summary().contains("Grade de 21 × 21 piquetes;"), qPrintable(Summary()));
        // The summary says so too: the stakes of the gap lie in triangles
        // that bridge it.
        QVERIFY2(Summary().contains("piquetes entre os pontos (dentro do seu contorno convexo) ficarão sem cota: em "
                                    "triângulos com lado maior que o máximo (30 m)"),
                 qPrintable(Summary()));

        const TPointsPicture& picture = Control<TPreviaPontos>(dialog.get(), "imPrevia")->Picture();
        QVERIFY(!picture.Image.isNull());
        const auto colour = [&](double e, double n) {
            const QPoint at = picture.PixelOf(300000 + e, 7000000 + n);
            return picture.Image.pixel(at);
        };
        // The middle of the gap, and stakes inside it off the middle.
        for (const auto& [e, n] : {std::pair{100.0, 140.0}, {80.0, 160.0}, {120.0, 120.0}})
            QCOMPARE(colour(e + 3, n + 3), TPointsPicture::kEmptyStake);
        // Stakes of the surveyed ring, between their points, the one just
        // south of the gap and the one north of it among them.
        for (const auto& [e, n] : {std::pair{20.0, 20.0}, {180.0, 100.0}, {100.0, 60.0}, {100.0, 190.0}})
            QCOMPARE(colour(e + 3, n + 3), TPointsPicture::kStakeWithElevation);
        // North is up: the image's top row is the north.
        QVERIFY(picture.PixelOf(300000, 7000200).y() < picture.PixelOf(300000, 7000000).y());
        // The points are drawn: a point's pixel is darkened.
        QVERIFY(colour(20, 20) != TPointsPicture::kStakeWithElevation);
    }
};

QTEST_MAIN(TestImportResponsive)
#include "test_import_responsive.moc"
