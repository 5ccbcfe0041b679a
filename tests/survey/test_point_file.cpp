#include "survey/PointFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

using namespace nivora;

namespace {

// A source that hands out its text a few bytes at a time, as a slow pipe
// does: line ends and marks may fall across two reads.
class TDripSource : public IPointSource {
public:
    TDripSource(std::string_view text, std::size_t step) : Text(text), Step(step) {}
    std::size_t Read(char* buffer, std::size_t n) override
    {
        n = std::min({n, Step, Text.size()});
        std::memcpy(buffer, Text.data(), n);
        Text.remove_prefix(n);
        return n;
    }

private:
    std::string_view Text;
    std::size_t Step;
};

std::string Describe(const TPointSet& s)
{
    std::ostringstream out;
    out.precision(12);
    out << s.DataLines << " lines, " << s.RefusedCount << " refused;";
    for (const TSurveyPoint& p : s.Points)
        out << " (" << p.E << " " << p.N << " " << p.Z << ")";
    for (const TPointRemark& r : s.Refused)
        out << " [" << r.Line << ": " << r.Text << "]";
    return out.str();
}

struct TLayoutCase {
    const char* what;
    std::string text;
    char separator;
    char decimal;
    int header;
    int name, e, n, z, code;
};

TEST(PointFile, DetectsTheLayoutsSurveyFilesCome_in)
{
    // clang-format off
    const TLayoutCase cases[] = {
        {"semicolons, decimal comma, name and code", "P1;500010,5;7400020,25;101,3;CERCA\nP2;500011;7400021;101,4;CERCA\n",
         ';', ',', 0, 0, 1, 2, 3, 4},
        {"tabs under a header naming the columns", "Ponto\tEste\tNorte\tCota\n1\t500010.5\t7400020.25\t101.3\n2\t500011.5\t7400020.5\t101.2\n",
         '\t', '.', 1, 0, 1, 2, 3, -1},
        {"blanks, numbers only", "  500010.5   7400020.25  101.3\n500011.5 7400021.25 101.1\n", ' ', '.', 0, -1, 0, 1, 2, -1},
        {"blanks, decimal comma", "A1 500010,5 7400020,25 101,3\nA2 500011,5 7400021,25 101,1\n", ' ', ',', 0, 0, 1, 2, 3, -1},
        {"commas with a point number ahead", "1,500010.5,7400020.25,101.3,MARCO\n2,500012.5,7400022.25,101.4,MARCO\n",
         ',', '.', 0, 0, 1, 2, 3, 4},
        {"northing before easting, told by the digits", "P1,7400020.25,500010.5,101.3\nP2,7400021.25,500012.5,101.1\n",
         ',', '.', 0, 0, 2, 1, 3, -1},
        {"latitude before longitude", "P1;-15,780112;-47,929201;1100,2\nP2;-15,780301;-47,929005;1100,4\n", ';', ',', 0, 0,
         2, 1, 3, -1},
        {"header in another order", "Nome,Norte,Este,Cota,Código\nP1,7400020.2,500010.5,101.3,C\nP2,7400021.2,500011.5,101.3,C\n",
         ',', '.', 1, 0, 2, 1, 3, 4},
        {"title, blank line and header, CR LF and a byte order mark",
         "\xEF\xBB\xBFLevantamento fazenda\r\n\r\nPt;X;Y;Z\r\n1;10,5;20,5;101,3\r\n2;11,5;21,5;101,2\r\n", ';', ',', 3, 0, 1,
         2, 3, -1},
        {"quoted fields", "\"P1\",\"500010.5\",\"7400020.25\",\"101.3\"\n\"P2\",\"500011.5\",\"7400021.25\",\"101.2\"\n", ',',
         '.', 0, 0, 1, 2, 3, -1},
    };
    // clang-format on
    for (const TLayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        const TPointFormat f = DetectPointFormat(c.text);
        EXPECT_EQ(f.Separator, c.separator);
        EXPECT_EQ(f.Decimal, c.decimal);
        EXPECT_EQ(f.HeaderLines, c.header);
        EXPECT_EQ(f.ColName, c.name);
        EXPECT_EQ(f.ColE, c.e);
        EXPECT_EQ(f.ColN, c.n);
        EXPECT_EQ(f.ColZ, c.z);
        EXPECT_EQ(f.ColCode, c.code);
        // What was detected reads every line of these files.
        const TPointSet s = ReadPoints(c.text, f);
        EXPECT_EQ(s.Points.size(), 2u);
        EXPECT_EQ(s.RefusedCount, 0);
    }
}

TEST(PointFile, QuotedFieldsAreReadAsTheirContent)
{
    const struct {
        const char* what;
        std::string text;
        char separator, decimal;
        const char* expected;
        // clang-format off
    } cases[] = {
        {"commas both ways, the numbers quoted", "\"P1\",\"500010,5\",\"7400020,25\",\"101,3\"\n"
                                                 "\"P2\",\"500011,5\",\"7400021,25\",\"101,2\"\n",
         ',', ',', "2 lines, 0 refused; (500010.5 7400020.25 101.3) (500011.5 7400021.25 101.2)"},
        {"a separator and doubled quotes inside a name", "\"P;1 \"\"a\"\"\";10;20;30\n\"P;2\";11;21;31\n\"P;3\";12;23;33\n", ';', '.',
         "3 lines, 0 refused; (10 20 30) (11 21 31) (12 23 33)"},
        {"blanks inside a quoted name", "\"Marco 1\" 10 20 30\n\"Marco 2\"  11 21 31\n\"Marco 3\" 12 23 33\n", ' ', '.',
         "3 lines, 0 refused; (10 20 30) (11 21 31) (12 23 33)"},
        {"quotes that do not enclose the field, or a lone one inside",
         "P1;10;20;30\nP2;11;21;31\nP3;\"12\"5;22;32\nP4;13;\"2\"\"3\";33\nP5;\"14;24;34\n", ';', '.',
         "5 lines, 3 refused; (10 20 30) (11 21 31) [3: E não é um número: \"\"12\"5\"]"
         " [4: N não é um número: \"2\"3\"] [5: E não é um número: \"\"14\"]"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TPointFormat f = DetectPointFormat(c.text);
        EXPECT_EQ(f.Separator, c.separator);
        EXPECT_EQ(f.Decimal, c.decimal);
        EXPECT_EQ(Describe(ReadPoints(c.text, f)), c.expected);
    }
    const TPointFormat named =
        DetectPointFormat("\"Ponto\";\"Este (m)\";\"Norte\";\"Cota \"\"Z\"\"\"\n1;10;20;30\n2;11;21;31\n");
    EXPECT_EQ(named.HeaderLines, 1);
    EXPECT_EQ(named.ColE, 1);
    EXPECT_EQ(named.ColZ, 3);
    ASSERT_EQ(named.FieldNames.size(), 4u);
    EXPECT_EQ(named.FieldNames[1], "Este (m)");
    EXPECT_EQ(named.FieldNames[3], "Cota \"Z\"");
}

TEST(PointFile, NumbersAreReadOnlyWhenWhole)
{
    const struct {
        const char* text;
        char decimal;
        bool ok;
        double value;
        // clang-format off
    } cases[] = {
        {"101,25", ',', true, 101.25}, {"101.25", '.', true, 101.25}, {"+7", '.', true, 7},   {"-1.5e3", '.', true, -1500},
        {"101.25", ',', false, 0},     {"1.000,5", ',', false, 0},    {"12a", '.', false, 0}, {"-", '.', false, 0},
        {"1e", '.', false, 0},         {"nan", '.', false, 0},        {"1e999", '.', false, 0}, {"", '.', false, 0},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        double v = 0;
        EXPECT_EQ(ParsePointNumber(c.text, c.decimal, v), c.ok);
        if (c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value);
        }
    }
}

TEST(PointFile, UnreadableLinesAreCountedWithTheirNumbersAndReasons)
{
    const std::string text =
        "Nome;E;N;Z\n"         // 1
        "P1;100;200;10\n"      // 2
        "P2;101;abc;10\n"      // 3
        "\n"                   // 4 (blank: not a refusal)
        "P3;102\n"             // 5
        "P4;103;203;10,5,2\n"  // 6
        "P5;104;204;11\n"      // 7
        "x\ny\nz\nw\n";        // 8..11
    const TPointFormat f = DetectPointFormat(text);
    ASSERT_EQ(f.HeaderLines, 1);
    const TPointSet s = ReadPoints(text, f);
    EXPECT_EQ(s.Points.size(), 2u);
    EXPECT_EQ(s.DataLines, 9);
    EXPECT_EQ(s.RefusedCount, 7);
    ASSERT_EQ(s.Refused.size(), std::size_t(kPointRemarksKept));
    EXPECT_EQ(s.Refused[0].Line, 3);
    EXPECT_EQ(s.Refused[0].Text, "N não é um número: \"abc\"");
    EXPECT_EQ(s.Refused[1].Line, 5);
    EXPECT_EQ(s.Refused[1].Text, "falta a coluna N");
    EXPECT_EQ(s.Refused[2].Line, 6);
    EXPECT_EQ(s.Refused[2].Text, "Z não é um número: \"10,5,2\"");
    EXPECT_EQ(s.Refused[4].Line, 9);
}

TEST(PointFile, NumbersAProjectCannotHoldAreRefusedWithTheirReason)
{
    const struct {
        const char* line;
        const char* reason;  // empty: the point is read
        // clang-format off
    } cases[] = {
        {"P;10;20;1e39", "Z fora do intervalo: \"1e39\""},
        {"P;10;20;-1e39", "Z fora do intervalo: \"-1e39\""},
        {"P;10;20;1e300", "Z fora do intervalo: \"1e300\""},
        {"P;10;20;3.5e38", "Z fora do intervalo: \"3.5e38\""},
        {"P;10;20;3.4e38", ""},
        {"P;10;20;-1e-50", ""},
        {"P;2e15;20;100", "E fora do intervalo: \"2e15\""},
        {"P;10;-1.5e15;100", "N fora do intervalo: \"-1.5e15\""},
        {"P;-1e15;1e15;100", ""},
    };
    // clang-format on
    TPointFormat f;
    f.Separator = ';';
    f.ColName = 0, f.ColE = 1, f.ColN = 2, f.ColZ = 3;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const TPointSet s = ReadPoints(std::string("P0;1;2;3\n") + c.line + "\n", f);
        if (*c.reason == 0) {
            EXPECT_EQ(s.Points.size(), 2u);
            EXPECT_EQ(s.RefusedCount, 0);
        } else {
            EXPECT_EQ(s.Points.size(), 1u);
            ASSERT_EQ(s.Refused.size(), 1u);
            EXPECT_EQ(s.Refused[0].Line, 2);
            EXPECT_EQ(s.Refused[0].Text, c.reason);
        }
    }
}

TEST(PointFile, RepeatedPositionsAreMergedAndDifferentElevationsReported)
{
    const std::string text =
        "P1;0;0;10\n"
        "P2;5;0;11\n"
        "P3;0;5;12\n"
        "P1b;0;0;10\n"   // the same again: dropped quietly
        "P2b;5;0;12\n";  // another elevation: averaged, reported
    TPointFormat f;
    f.Separator = ';';
    f.ColName = 0, f.ColE = 1, f.ColN = 2, f.ColZ = 3;
    const TPointSet s = ReadPoints(text, f);
    ASSERT_EQ(s.Points.size(), 3u);
    EXPECT_EQ(s.RepeatedCount, 2);
    EXPECT_EQ(s.ConflictCount, 1);
    ASSERT_EQ(s.Conflicts.size(), 1u);
    EXPECT_EQ(s.Conflicts[0].Line, 5);
    EXPECT_EQ(s.Conflicts[0].Text, "mesmo E e N da linha 2, cota diferente");
    EXPECT_DOUBLE_EQ(s.Points[0].Z, 10);
    EXPECT_DOUBLE_EQ(s.Points[1].Z, 11.5);
    EXPECT_DOUBLE_EQ(s.Points[2].Z, 12);
}

TEST(PointFile, DegreesAreRecognisedOnlyForASmallAreaOrByTheHeader)
{
    const struct {
        const char* what;
        std::string text;
        bool geographic;
        // clang-format off
    } cases[] = {
        {"GNSS in degrees", "P1;-47,929201;-15,780112;1100\nP2;-47,928;-15,781;1101\nP3;-47,927;-15,779;1102\n", true},
        {"local survey in metres", "P1;10;20;100\nP2;60;25;101\nP3;35;80;102\n", false},
        {"UTM", "P1;500010;7400020;100\nP2;500060;7400025;101\nP3;500035;7400080;102\n", false},
        {"named latitude and longitude over two degrees", "Lat;Lon;Alt\n-15,1;-47,5;1100\n-16,8;-47,9;1101\n-15,9;-45,2;1102\n",
         true},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ReadPoints(c.text, DetectPointFormat(c.text)).LooksGeographic, c.geographic);
    }
}

TEST(PointFile, LinesReadTheSameHoweverTheSourceHandsThemOut)
{
    const struct {
        const char* what;
        std::string text;
        const char* expected;
        // clang-format off
    } cases[] = {
        {"CR LF, the end of a line and the start of the next in two reads",
         "\xEF\xBB\xBFPt;E;N;Z\r\n1;10;20;30\r\n\r\n2;11;21;31\r\nlixo\r\n3;12;22;32",
         "4 lines, 1 refused; (10 20 30) (11 21 31) (12 22 32) [5: falta a coluna E]"},
        {"CR alone, blank lines between", "Pt;E;N;Z\r1;10;20;30\r\r\rx\r2;11;21;31\r",
         "3 lines, 1 refused; (10 20 30) (11 21 31) [5: falta a coluna E]"},
        {"LF, no end on the last line, a byte order mark", "\xEF\xBB\xBF" "1;10;20;30\n2;11;21;31\n3;12;22;1e39",
         "3 lines, 1 refused; (10 20 30) (11 21 31) [3: Z fora do intervalo: \"1e39\"]"},
        {"LF CR is two line ends", "1;10;20;30\n\r2;11;21;31\n", "2 lines, 0 refused; (10 20 30) (11 21 31)"},
        {"a control character for a line", "1;10;20;30\n\x01\n2;11;21;31\n",
         "3 lines, 1 refused; (10 20 30) (11 21 31) [2: falta a coluna E]"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TPointFormat f;
        f.Separator = ';';
        f.ColName = 0, f.ColE = 1, f.ColN = 2, f.ColZ = 3;
        f.HeaderLines = c.text.find("Pt;") == std::string::npos ? 0 : 1;
        for (std::size_t step : {1, 2, 3, 7, 4096}) {
            SCOPED_TRACE(step);
            TDripSource source(c.text, step);
            EXPECT_EQ(Describe(ReadPointSource(source, f).Set), c.expected);
            TDripSource again(c.text, step);
            const TPointReading detected = ReadPointSource(again, std::nullopt);
            EXPECT_EQ(detected.Format.HeaderLines, f.HeaderLines);
            EXPECT_EQ(Describe(detected.Set), c.expected);
        }
    }
}

TEST(PointFile, ALineTooLongIsRefusedWithItsNumberAndTheRestRead)
{
    // A code column fills each line up to the limit, and one byte past it.
    const std::string fits = "1;10;20;30;" + std::string(kMaxPointLine - 11, 'x');
    const std::string over = "2;11;21;31;" + std::string(kMaxPointLine - 10, 'x');
    const std::string endless(3 * kMaxPointLine + 5, '1');
    const std::string text =
        "Pt;E;N;Z;Cod\n" + fits + "\n" + over + "\r\n3;12;22;32\n" + endless + "\r4;13;23;33\n" + endless;
    for (std::size_t step : {std::size_t(1000), std::size_t(65536), text.size()}) {
        SCOPED_TRACE(step);
        TDripSource source(text, step);
        const TPointReading r = ReadPointSource(source, std::nullopt);
        EXPECT_EQ(r.Format.HeaderLines, 1);
        EXPECT_EQ(r.Format.ColZ, 3);
        EXPECT_EQ(Describe(r.Set),
                  "6 lines, 3 refused; (10 20 30) (12 22 32) (13 23 33)"
                  " [3: linha longa demais (mais de 65536 caracteres)]"
                  " [5: linha longa demais (mais de 65536 caracteres)]"
                  " [7: linha longa demais (mais de 65536 caracteres)]");
    }
}

TEST(PointFile, OnlyRegularFilesAreReadAndAtOnce)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("nivora_points_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path fifo = dir / "pontos.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path file = dir / "pontos.txt";
    std::ofstream(file) << "1;10;20;30\n2;11;21;31\n";

    const struct {
        fs::path path;
        const char* message;  // empty: read
        // clang-format off
    } cases[] = {
        {fifo, "Não foi possível abrir o arquivo pontos.fifo: não é um arquivo comum."},
        {"/dev/zero", "Não foi possível abrir o arquivo zero: não é um arquivo comum."},
        {dir, "não é um arquivo comum"},
        {"/proc/self/status", "Não foi possível abrir o arquivo status: não é um arquivo comum."},
        {"/proc/self/pagemap", "Não foi possível abrir o arquivo pagemap: não é um arquivo comum."},
        {file, ""},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.string());
        std::string message;
        std::size_t points = 0;
        try {
            TFilePointSource source(c.path);
            points = ReadPointSource(source, std::nullopt).Set.Points.size();
        } catch (const TFileError& e) {
            message = e.what();
        }
        if (*c.message == 0) {
            EXPECT_EQ(message, "");
            EXPECT_EQ(points, 2u);
        } else {
            EXPECT_NE(message.find(c.message), std::string::npos) << message;
        }
    }
    EXPECT_THROW(TFilePointSource(dir / "nada.txt"), TFileMissing);
    fs::remove_all(dir);
}

TEST(PointFile, AStreamIsReadToItsEnd)
{
    // A byte order mark ahead of the first number.
    std::istringstream in(
        "\xEF\xBB\xBF"
        "10 20 30\n11 21 31\n12 23 33\n");
    TStreamPointSource source(in);
    const TPointReading r = ReadPointSource(source, std::nullopt);
    EXPECT_EQ(r.Format.Separator, ' ');
    EXPECT_EQ(Describe(r.Set), "3 lines, 0 refused; (10 20 30) (11 21 31) (12 23 33)");
}

}  // namespace
