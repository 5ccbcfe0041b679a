// "Exportar...": the item after "Exportar PDF...", enabled for a document
// with elevations; the dialog names the format by the file's type, offers
// what that format holds, names the coordinate system or warns that there is
// none, and writes the file through the safe save, typed to as a person would.

#include "GuiTestSupport.h"
#include "app/sist.h"
#include "calc/CalcSist.h"
#include "export/uExportar.h"
#include "grid/datagrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <functional>
#include <vector>

using namespace nivora;
using namespace nivora::testing;

namespace {

// The worked field: 4 x 5 stakes 25 m apart.
constexpr float kRows[4][5] = {{8.26f, 8.75f, 9.30f, 9.52f, 10.44f},
                               {7.94f, 8.12f, 8.90f, 8.80f, 9.62f},
                               {7.12f, 7.86f, 8.35f, 8.60f, 8.42f},
                               {6.74f, 7.28f, 7.94f, 8.16f, 7.80f}};

QByteArray Contents(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestExportDialog : public QObject, public TFrameFixture {
    Q_OBJECT

private:
    TExportar* Dialog() const { return FrameControl<TExportar>("Exportar"); }
    template <class T>
    T* In(const char* name) const
    {
        return Control<T>(Dialog(), name);
    }

    TForm2* Field(float ly, bool systematized, bool georeferenced)
    {
        CreateDocument(frame.get(), QString(), 10, 10, 25.0f, ly, 0, 0);
        TForm2* doc = ActiveDocument();
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 5; ++c)
                doc->Terrain().SetCell(c + 1, r + 1, kRows[r][c]);
        if (georeferenced)
            doc->Terrain().SetGeoreference(TGeoreference{31982, 500000, 7000000, false});
        if (systematized && !Systematize(doc->Terrain(), false, -1).Computed)
            return nullptr;
        frame->UpdateMenuItems();
        return doc;
    }

    // Runs the command; `user` acts in the shown dialog. The dialog's result.
    int Run(const std::function<void()>& user) { return RunDialog(Item("mnExportar"), user); }

private slots:
    void init() { QVERIFY(StartFrame(QLocale(QLocale::Portuguese, QLocale::Brazil))); }
    void cleanup() { QVERIFY(CloseFrame()); }

    void theItemFollowsExportPdfAndNeedsElevations()
    {
        const QList<QAction*> items = Menu("File1")->actions();
        QCOMPARE(items.indexOf(Item("mnExportar")), items.indexOf(Item("mnExportarPDF")) + 1);
        QCOMPARE(Item("mnExportar")->text(), QString("E&xportar..."));
        QCOMPARE(Item("mnExportar")->statusTip(),
                 QString("Exporta o terreno e o projeto para outros programas (LandXML, GeoTIFF, GeoPackage, DXF)."));
        QVERIFY(!Item("mnExportar")->isEnabled());
        CreateDocument(frame.get(), QString(), 10, 10, 25.0f, 25.0f, 0, 0);
        frame->UpdateMenuItems();
        QVERIFY(!Item("mnExportar")->isEnabled());  // no elevation yet
        Item("mnExportar")->trigger();
        QVERIFY(!recorder->DialogsRun.contains("Exportar"));
        ActiveDocument()->Terrain().SetCell(2, 2, 10.0f);
        emit Menu("File1")->aboutToShow();
        QVERIFY(Item("mnExportar")->isEnabled());
    }

    void theFileTypeNamesTheFormatAndWhatItHolds()
    {
        QVERIFY(Field(25.0f, true, true));
        const QString folder = TempFolder("export_types");
        struct TCase {
            const char* name;
            const char* format;
            bool natural, design, cutFill, contours, outline;
        };
        // clang-format off
        const TCase cases[] = {
            {"a.xml",  "LandXML 1.2",     true,  true,  false, false, false},
            {"a.TIF",  "GeoTIFF",         true,  true,  true,  false, false},
            {"a.gpkg", "GeoPackage",      false, false, false, true,  true},
            {"a.dxf",  "DXF R12",         true,  true,  true,  true,  true},
            {"a.asc",  "ESRI ASCII Grid", false, false, false, false, false},
        };
        // clang-format on
        Run([&] {
            QVERIFY(In<QLabel>("lbSistema")->text().contains("EPSG:31982"));
            QVERIFY(In<QLabel>("lbSistema")->text().contains("SIRGAS 2000 / UTM zone 22S"));
            QVERIFY(In<QLabel>("lbCurvas")->text().contains("7,5"));
            for (const TCase& c : cases) {
                Retype(In<QLineEdit>("edArquivo"), folder + "/" + c.name);
                const QString what = c.name;
                QVERIFY2(In<QLabel>("lbFormato")->text().startsWith(QString("Formato: ") + c.format), qPrintable(what));
                QCOMPARE(In<QCheckBox>("cbNatural")->isEnabled(), c.natural);
                QCOMPARE(In<QCheckBox>("cbProjeto")->isEnabled(), c.design);
                QCOMPARE(In<QCheckBox>("cbCorteAterro")->isEnabled(), c.cutFill);
                QCOMPARE(In<QCheckBox>("cbCurvas")->isEnabled(), c.contours);
                QCOMPARE(In<QCheckBox>("cbContorno")->isEnabled(), c.outline);
                QVERIFY(In<QPushButton>("BitBtn1")->isEnabled());
            }
            Retype(In<QLineEdit>("edArquivo"), folder + "/a.txt");
            QVERIFY(!In<QPushButton>("BitBtn1")->isEnabled());
        });
    }

    void okWritesTheFileAndEnterDoesToo()
    {
        QVERIFY(Field(25.0f, true, true));
        const QString file = TempFolder("export_ok") + "/campo.xml";
        QCOMPARE(Run([&] {
                     Retype(In<QLineEdit>("edArquivo"), file);
                     // Only the design surface.
                     auto* natural = In<QCheckBox>("cbNatural");
                     QTest::mouseClick(natural, Qt::LeftButton, {}, QPoint(6, natural->height() / 2));
                     QVERIFY(!natural->isChecked());
                     QTest::keyClick(In<QLineEdit>("edArquivo"), Qt::Key_Return);
                 }),
                 int(QDialog::Accepted));
        QVERIFY(recorder->Shown.empty());
        const QByteArray xml = Contents(file);
        QVERIFY(xml.contains("<CoordinateSystem name=\"SIRGAS 2000 / UTM zone 22S\" epsgCode=\"31982\"/>"));
        QVERIFY(xml.contains("<Surface name=\"Projeto\""));
        QVERIFY(!xml.contains("<Surface name=\"Natural\""));
        QVERIFY(xml.contains("<P id=\"1\">7000000.000 500000.000 8.4629</P>"));
        // The gauge is gone once the file is written.
        QVERIFY(!FrameControl<QProgressBar>("Gauge1")->isVisible());
    }

    void browsingTakesTheTypeChosen()
    {
        QVERIFY(Field(25.0f, true, true));
        const QString folder = TempFolder("export_browse");
        recorder->ExportNames = {folder + "/desenho"};
        recorder->ExportFilter = "DXF R12 (*.dxf)";
        Run([&] {
            Retype(In<QLineEdit>("edArquivo"), folder + "/x.tif");
            QTest::mouseClick(In<QPushButton>("btProcurar"), Qt::LeftButton);
            QCOMPARE(In<QLineEdit>("edArquivo")->text(), folder + "/desenho.dxf");
            QVERIFY(In<QLabel>("lbFormato")->text().startsWith("Formato: DXF R12"));
        });
        // The save dialog opened on the type of the name typed.
        QCOMPARE(recorder->ExportFilters.value(0), QString("GeoTIFF (*.tif *.tiff)"));
        QCOMPARE(recorder->ExportFilters.size(), 5);
        QCOMPARE(recorder->ProposedExportNames.value(0), folder + "/x.tif");
    }

    void aProjectWithoutSystemIsWrittenLocallyWithAWarning()
    {
        QVERIFY(Field(25.0f, false, false));
        const QString file = TempFolder("export_local") + "/local.dxf";
        Run([&] {
            QVERIFY(In<QLabel>("lbSistema")->text().contains("coordenadas locais"));
            // Without a plan there is no design to write.
            Retype(In<QLineEdit>("edArquivo"), file);
            QVERIFY(!In<QCheckBox>("cbProjeto")->isEnabled());
            QVERIFY(!In<QCheckBox>("cbCorteAterro")->isEnabled());
            QVERIFY(!In<QCheckBox>("cbProjeto")->isChecked());
            QTest::mouseClick(In<QPushButton>("BitBtn1"), Qt::LeftButton);
        });
        const QByteArray dxf = Contents(file);
        QVERIFY(dxf.startsWith("999\nCoordenadas locais"));
        QVERIFY(!dxf.contains("3DFACE"));
        QVERIFY(dxf.contains("POINT\n8\nNATURAL\n"));
        QVERIFY(!QFile::exists(TempFolder("export_local") + "/local.prj"));
    }

    void aRefusedExportKeepsTheDialogAndTheEarlierFile()
    {
        QVERIFY(Field(20.0f, true, true));
        const QString file = TempFolder("export_refused") + "/grade.asc";
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("earlier\n");
        }
        QCOMPARE(Run([&] {
                     Retype(In<QLineEdit>("edArquivo"), file);
                     QTest::mouseClick(In<QPushButton>("BitBtn1"), Qt::LeftButton);
                     QVERIFY(Dialog()->isVisible());
                 }),
                 0);
        QCOMPARE(recorder->Shown.size(), std::size_t(1));
        QVERIFY(recorder->Shown[0].Text.contains("Lx = 25 m e Ly = 20 m"));
        QCOMPARE(Contents(file), QByteArray("earlier\n"));
        QVERIFY(!FrameControl<QProgressBar>("Gauge1")->isVisible());
    }

    void cancelStopsTheWritingAndKeepsTheEarlierFile()
    {
        // A full field, whose drawing takes seconds to write.
        CreateDocument(frame.get(), QString(), 1000, 1000, 20.0f, 20.0f, 0, 0);
        TForm2* doc = ActiveDocument();
        std::vector<float> row(1000);
        for (int r = 1; r <= 1000; ++r) {
            for (int c = 1; c <= 1000; ++c)
                row[std::size_t(c - 1)] = 500.0f + 0.01f * float(c) + 0.02f * float(r) + 0.1f * std::sin(float(c) / 7);
            doc->Terrain().SetRowCells(1, r, row.data(), row.size());
        }
        QVERIFY(Systematize(doc->Terrain(), false, -1).Computed);
        frame->UpdateMenuItems();
        const QString folder = TempFolder("export_cancel");
        const QString file = folder + "/campo.dxf";
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("earlier\n");
        }
        auto* gauge = FrameControl<QProgressBar>("Gauge1");
        int seen = 0;
        QCOMPARE(Run([&] {
                     Retype(In<QLineEdit>("edArquivo"), file);
                     // Cancel once the gauge shows the writing under way.
                     QTimer poll;
                     poll.setInterval(1);
                     connect(&poll, &QTimer::timeout, [&] {
                         if (gauge->isVisible() && gauge->value() > 0 && Dialog()->Writing() && !seen) {
                             seen = gauge->value();
                             QTest::mouseClick(In<QPushButton>("BitBtn2"), Qt::LeftButton);
                         }
                     });
                     poll.start();
                     QTest::mouseClick(In<QPushButton>("BitBtn1"), Qt::LeftButton);
                     QVERIFY(!Dialog()->Writing());
                     QVERIFY(Dialog()->isVisible());
                     QVERIFY(In<QPushButton>("BitBtn1")->isEnabled());
                 }),
                 0);
        // On a busy machine the writing may end before the poll runs, or be
        // at its last step when it does: then there was nothing to cancel.
        if (seen == 0 || seen >= 100)
            QSKIP("the export ended before the cancel could be clicked");
        QVERIFY(recorder->Shown.empty());
        QCOMPARE(Contents(file), QByteArray("earlier\n"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"campo.dxf"});
        QVERIFY(!gauge->isVisible());
    }
};

QTEST_MAIN(TestExportDialog)
#include "test_gui_export.moc"
