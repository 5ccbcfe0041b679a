// The printed pages read back from the PDF as a person reads them: the text
// through pdftotext, the pictures through pdftoppm.

#include "print/AltimetricPages.h"
#include "print/CutFillPages.h"
#include "print/FieldReportPages.h"
#include "print/ResultsPages.h"

#include "PopplerTools.h"
#include "calc/CutFillMap.h"
#include "calc/FieldReport.h"
#include "calc/FourStakes.h"
#include "contour/AltimetricMap.h"
#include "calc/ResultTable.h"
#include "data/NumberFormat.h"

#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace nivora;
using namespace nivora::testing;

namespace {

QString Write(TPrintDocument& doc, const QString& name)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    EXPECT_GT(WritePdf(doc, f), 0);
    return path;
}

TPrintHeading Heading(char sep = ',') { return {"QUATRO.NVR", "07/12/2026", sep}; }

// A field of columns x rows stakes rising gently with a bump, systematized.
TTerreno Field(int columns, int rows, float lx = 20, float ly = 20)
{
    TTerreno t(columns, rows, lx, ly);
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= columns; ++c)
            t.SetCell(c, r, 100.0f + 0.01f * float(c) - 0.02f * float(r) + ((c * 7 + r * 3) % 5) * 0.03f);
    Systematize(t, false, -1);
    return t;
}

// Pixels within a few steps of a colour: the reader's colour handling may
// turn 255 into 253.
int CountColour(const QImage& image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += std::abs(qRed(p) - qRed(colour)) <= 4 && std::abs(qGreen(p) - qGreen(colour)) <= 4
                 && std::abs(qBlue(p) - qBlue(colour)) <= 4;
        }
    return n;
}

}  // namespace

TEST(PrintPages, FieldReportOfTheFourStakes)
{
    auto doc = FieldReportDocument(BuildFieldReport(SystematizedFourStakes()), 3, Heading());
    const QString pdf = Write(*doc, "quatro.pdf");
    ASSERT_EQ(PdfPages(pdf), 1);
    EXPECT_EQ(PdfFontsNotEmbedded(pdf), QStringList());
    const QString text = PdfText(pdf);
    for (const char* expected :
         {"Relatório de Campo", "QUATRO.NVR 07/12/2026", "Declividade Sx -0,025000", "Declividade Sy 0,025000",
          "Cota da Origem (m) 10,750", "Vol. de Corte (m³) 600,0 (3750,0 m³/ha)", "Área sistematizada 0,1600 ha",
          "\n 1 1 1 0 0 10,000 10,750 A 0,750\n", "\n 2 2 1 20 0 11,000 10,250 C 0,750\n",
          "\n 4 1 2 0 20 12,000 11,250 C 0,750\n", "Total: 4 piquetes, 2 em corte e 2 em aterro (0,1600 ha).",
          "Página 1 de 1"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
}

// A file name of 124 characters is shortened in its middle, in the head and
// in the footer, and leaves the title and the page number whole.
TEST(PrintPages, LongFileNamesGiveWayToTheTitleAndPageNumber)
{
    const QString name = "LEVANTAMENTO_PLANIALTIMETRICO_" + QString(77, QChar('X')) + "_VERSAO_FINAL.NVR";
    ASSERT_EQ(name.size(), 124);
    auto doc = FieldReportDocument(BuildFieldReport(SystematizedFourStakes()), 3, {name, "07/12/2026", ','});
    const QString pdf = Write(*doc, "nome-longo.pdf");
    const QString text = PdfText(pdf);
    for (const char* whole : {"Relatório de Campo", "Página 1 de 1", "07/12/2026"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(whole))) << whole << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains(name)) << text.toStdString();
    EXPECT_GE(text.count(QString::fromUtf8("…")), 2) << text.toStdString();
    EXPECT_GE(text.count("LEVANTAMENTO_"), 2);
    EXPECT_GE(text.count("FINAL.NVR"), 2);
}

TEST(PrintPages, LongReportsRepeatTheHeadsAndNumberThePages)
{
    const TFieldReport report = BuildFieldReport(Field(30, 20));
    ASSERT_EQ(report.Lines.size(), 600u);
    auto doc = FieldReportDocument(report, 3, Heading('.'));
    const QString pdf = Write(*doc, "longo.pdf");
    const int pages = PdfPages(pdf);
    ASSERT_GT(pages, 5);
    int previousLast = 0;
    for (int page = 1; page <= pages; ++page) {
        const QString text = PdfText(pdf, page);
        EXPECT_TRUE(text.contains(QString("Página %1 de %2").arg(page).arg(pages))) << page;
        EXPECT_EQ(text.contains("Cota Natural"), page < pages || text.contains(" A ") || text.contains(" C "));
        EXPECT_EQ(text.contains("Declividade Sx"), page == 1) << page;
        EXPECT_EQ(text.contains("Total: 600 piquetes"), page == pages) << page;
        // The stakes run on from one page to the next, none lost or repeated.
        const QRegularExpression line("\\n (\\d+) (\\d+) (\\d+) ");
        int first = 0, last = 0;
        for (auto it = line.globalMatch(text); it.hasNext();) {
            const int order = it.next().captured(1).toInt();
            if (!first)
                first = order;
            last = order;
        }
        if (first) {
            EXPECT_EQ(first, previousLast + 1) << page;
            previousLast = last;
        }
    }
    EXPECT_EQ(previousLast, 600);
    // The walk: the second row starts at the far end.
    EXPECT_TRUE(PdfText(pdf, 1).contains("\n 31 30 2 580 20 "));
}

TEST(PrintPages, CutFillMapShowsTheBitmapAndItsLegend)
{
    const TTerreno t = SystematizedFourStakes();
    const TCutFillMap map = BuildCutFillMap(t, nullptr);
    auto doc = CutFillDocument(map, 3, Heading());
    const QString pdf = Write(*doc, "cortes.pdf");
    const QString text = PdfText(pdf);
    for (const char* expected : {"Mapa de Cortes e Aterros", "Legenda", "Aterro (m)", "Corte (m)", "0,750", "0,375",
                                 "Piquete sem cota", "Rel. corte/aterro: 1,000", "Piquetes em corte: 2"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
    // The four cells reach the paper in pure red and pure blue, large and
    // sharp: at 30 dots an inch each cell is some 90 pixels a side.
    const QImage page = PdfPageImage(pdf, 1, 30);
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(CountColour(page, qRgb(255, 0, 0)), 2 * 80 * 80);
    EXPECT_GT(CountColour(page, qRgb(0, 0, 255)), 2 * 80 * 80);
}

TEST(PrintPages, AltimetricMapTakesTheSheetOfItsShapeAndARoundScale)
{
    const struct {
        int Columns, Rows;
        const char* Size;
    } cases[] = {{20, 8, "842 x 595 pts (A4)"}, {6, 16, "595 x 842 pts (A4)"}};
    for (const auto& c : cases) {
        TTerreno t = Field(c.Columns, c.Rows);
        TContourRequest request;
        request.Levels[0] = 100.05L;
        request.Levels[1] = 100.1L;
        request.LevelCount = 2;
        const TAltimetricMap map = BuildAltimetricMap(t, request);
        auto doc = AltimetricDocument(map, Heading());
        const QString pdf = Write(*doc, "curvas.pdf");
        EXPECT_EQ(PdfPageSize(pdf), c.Size);
        const QString text = PdfText(pdf);
        EXPECT_TRUE(text.contains("MAPA ALTIMÉTRICO")) << text.toStdString();
        EXPECT_TRUE(text.contains("Espaçamento: Lx = 20 m, Ly = 20 m"));
        EXPECT_TRUE(text.contains("Curvas de nível (m): 100,05; 100,1"));
        EXPECT_TRUE(text.contains("Projeto: QUATRO.NVR"));
        const auto scale = QRegularExpression("Escala 1:(\\d+)").match(text);
        ASSERT_TRUE(scale.hasMatch()) << text.toStdString();
        EXPECT_EQ(RoundScale(scale.captured(1).toDouble()), scale.captured(1).toDouble());
    }
}

TEST(PrintPages, RoundScales)
{
    const struct {
        long double Exact, Round;
    } cases[] = {{1873, 2000},  {2000, 2000}, {2001, 2500}, {3100, 4000},         {5200, 7500},
                 {7600, 10000}, {120, 125},   {0.5L, 1},    {1000.0000001L, 1000}};
    for (const auto& c : cases)
        EXPECT_EQ(RoundScale(c.Exact), c.Round) << double(c.Exact);
}

TEST(PrintPages, ResultsListOnlyTheComputedPlans)
{
    TTerreno t = SystematizedFourStakes();
    auto doc = ResultsDocument(t, Heading());
    QString text = PdfText(Write(*doc, "resultados.pdf"));
    EXPECT_TRUE(text.contains("Resultados da Sistematização"));
    EXPECT_TRUE(text.contains("Melhor Plano"));
    EXPECT_FALSE(text.contains("Plano 1"));
    EXPECT_TRUE(text.contains("Vol. de Corte (m³/ha) 3750,0"));

    t.SetPlanText(3, &TPlano::SxText, "0,01");
    t.SetPlanText(3, &TPlano::SyText, "0");
    t.SetPlanText(3, &TPlano::RatioText, "2");
    ASSERT_TRUE(ParsePlanInputs(t, 3, ','));
    RecalculatePlan(t, 3);
    text = PdfText(Write(*ResultsDocument(t, Heading()), "resultados2.pdf"));
    EXPECT_TRUE(text.contains("Melhor Plano Plano 2"));
    EXPECT_TRUE(text.contains("Rel. corte/aterro 1,000 2,000"));
}

// A georeferenced field whose run starts at stake (2, 3): the report lists
// the surveyed coordinates, and the report, the results and the map's
// legend give the design elevation at the first stake beside "Cota da
// Origem" (which is the plane far away at X = 0, Y = 0).
TEST(PrintPages, GeoreferencedPagesGiveTheFirstStakesElevation)
{
    TTerreno t(6, 6, 2.5f, 2.5f);
    t.SetOrigin(512000, 9100000);
    for (int r = 1; r <= 6; ++r)
        for (int c = 1; c <= 6; ++c)
            t.SetCell(c, r, 100.0f + 0.01f * float(c) - 0.02f * float(r) + float((c * 7 + r * 3) % 5) * 0.03f);
    t.SetGeoreference(TGeoreference{31982, 512002.5, 9100010.5, true});
    t.SetSelection({2, 3, 6, 6});
    ASSERT_TRUE(Systematize(t, true, -1).Computed);
    const QString design = QString::fromStdString(FormatFixed(t.DesignElevation(2, 3), 3, 10, ','));
    ASSERT_NE(design, QString::fromStdString(FormatFixed(t.Plans()[0].OriginElevation, 3, 10, ',')));

    QString text = PdfText(Write(*FieldReportDocument(BuildFieldReport(t), 3, Heading()), "georref.pdf"));
    EXPECT_TRUE(text.contains("Cota de projeto no piquete (2, 3) " + design + " m")) << text.toStdString();
    EXPECT_TRUE(text.contains(
        QString::fromUtf8("Georreferência EPSG:31982, piquete (1, 1) em E = 512002,5 m, N = 9100010,5 m")));
    EXPECT_TRUE(text.contains("\n 1 2 3 512005 9100005,5 ")) << text.toStdString();
    EXPECT_TRUE(text.contains("\n 6 6 4 512015 9100003 ")) << text.toStdString();

    text = PdfText(Write(*ResultsDocument(t, Heading()), "georref-resultados.pdf"));
    EXPECT_TRUE(text.contains("Cota de projeto no piquete (2, 3) (m) " + design)) << text.toStdString();

    text = PdfText(Write(*CutFillDocument(BuildCutFillMap(t, nullptr), 3, Heading()), "georref-cortes.pdf"));
    EXPECT_TRUE(text.contains("Cota de projeto no piquete (2, 3): " + design + " m")) << text.toStdString();
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
