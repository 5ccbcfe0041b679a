// nivora-cli as scripts and newcomers meet it: every command with good
// options, an unknown option, a bad value, a missing file and a foreign file.
// Each case checks the exit status, the first line of stderr, and that a
// failed command wrote nothing: no output file, no temporary file, no stdout.
//
// Arguments: the nivora-cli binary, the examples folder, a work folder, the
// project's version, and "draw" when the commands that draw are built.

// g++ 12 with the sanitizers takes std::regex's automaton for copying an
// uninitialised std::function (-Wmaybe-uninitialized, a false alarm of that
// compiler); the headers it warns in come in with gtest's, so the warning is
// off for this file from its start.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <cmath>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <csignal>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string gCli, gExamples, gVersion;
fs::path gWork;
bool gDraws = false;

struct TResult {
    int Status = -1;
    std::string Out, Err;
    std::string FirstErrLine() const { return Err.substr(0, Err.find('\n')); }
};

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Starts nivora-cli with stdout and stderr into the given files (stdin from
// `in` when given); 0 when it cannot be started.
pid_t SpawnCli(const std::vector<std::string>& args, const fs::path& out, const fs::path& err, const fs::path& in = {},
               const fs::path& folder = {})
{
    std::vector<std::string> all{gCli};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!folder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    if (!in.empty())
        posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    if (posix_spawn(&pid, gCli.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The exit status, or 128 + the signal that ended the process.
int WaitFor(pid_t pid)
{
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TResult RunCli(const std::vector<std::string>& args, const fs::path& in = {}, const fs::path& out = {},
               const fs::path& folder = {})
{
    const fs::path outFile = out.empty() ? gWork / "stdout.txt" : out, err = gWork / "stderr.txt";
    TResult r;
    r.Status = WaitFor(SpawnCli(args, outFile, err, in, folder));
    if (out.empty()) {
        r.Out = ReadAll(outFile);
        fs::remove(outFile);
    }
    r.Err = ReadAll(err);
    fs::remove(err);
    return r;
}

// Paths in the cases: @W/ is the work folder, @E/ the examples folder.
std::string Expand(std::string s)
{
    for (const auto& [key, value] :
         {std::pair{std::string("@W/"), gWork.string() + "/"}, std::pair{std::string("@E/"), gExamples + "/"}})
        for (std::size_t at; (at = s.find(key)) != std::string::npos;)
            s.replace(at, key.size(), value);
    return s;
}

std::set<fs::path> WorkFiles()
{
    std::set<fs::path> files;
    for (const auto& e : fs::directory_iterator(gWork))
        files.insert(e.path().filename());
    return files;
}

struct TCase {
    std::vector<std::string> Args;
    int Status;
    std::string ErrLine;      // a regular expression the first line of stderr must match; "" for none
    std::string Output = {};  // the file the command writes: made on success, absent on failure
    bool Draws = false;
};

class CliTable : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        fs::remove_all(gWork);
        fs::create_directories(gWork);
        std::ofstream(gWork / "quatro.txt", std::ios::binary) << "10\t11\r\n12\t10\r\n";
        std::ofstream(gWork / "um.txt", std::ios::binary) << "10\r\n";
        std::ofstream(gWork / "vazio.txt", std::ios::binary) << "cota\r\n\r\n";
        std::string foreign;
        for (int i = 0; i < 20; ++i)
            foreign += "isto não é um projeto do Nivora. ";
        std::ofstream(gWork / "ALHEIO.NVR", std::ios::binary) << foreign;
        fs::create_directories(gWork / "PASTA.NVR");
        ASSERT_EQ(RunCli({"import", Expand("@W/quatro.txt"), "--lx", "20", "-o", Expand("@W/QUATRO.NVR")}).Status, 0);
        ASSERT_EQ(RunCli({"import", Expand("@W/um.txt"), "--lx", "20", "-o", Expand("@W/UM.NVR")}).Status, 0);
        ASSERT_EQ(RunCli({"systematize", Expand("@W/QUATRO.NVR"), "-o", Expand("@W/RESULT.NVR")}).Status, 0);
    }

    void Check(const std::vector<TCase>& cases)
    {
        for (const TCase& c : cases) {
            if (c.Draws && !gDraws)
                continue;
            std::vector<std::string> args;
            std::string shown;
            for (const std::string& a : c.Args) {
                args.push_back(Expand(a));
                shown += " " + a;
            }
            SCOPED_TRACE("nivora-cli" + shown);
            const fs::path output = c.Output.empty() ? fs::path() : fs::path(Expand(c.Output));
            if (!output.empty())
                fs::remove(output);
            const auto before = WorkFiles();
            const TResult r = RunCli(args);
            EXPECT_EQ(r.Status, c.Status) << r.Err;
            if (c.ErrLine.empty()) {
                EXPECT_EQ(r.Err, "");
            } else {
                EXPECT_TRUE(std::regex_search(r.FirstErrLine(), std::regex(c.ErrLine)))
                    << "first line of stderr: " << r.FirstErrLine();
            }
            if (c.Status != 0) {
                EXPECT_EQ(r.Out, "");
                EXPECT_EQ(WorkFiles(), before) << "a failed command left a file behind";
                EXPECT_TRUE(output.empty() || !fs::exists(output));
            } else if (!output.empty()) {
                EXPECT_TRUE(fs::exists(output) && fs::file_size(output) > 0);
                fs::remove(output);
            }
        }
    }
};

const std::string kUnknown = "^nivora-cli: opção desconhecida de ";
const std::string kMissing =
    "^nivora-cli: Não foi possível abrir o arquivo .*NADA\\.NVR: arquivo ou pasta inexistente\\.$";
const std::string kSpacing = "--l[xy]: deve ser um número positivo de 2,938736E-39 a 1E30 \\(recebido: ";
const std::string kForeign =
    "^nivora-cli: O arquivo ALHEIO\\.NVR não foi gerado pelo Nivora ou teve sua estrutura alterada\\.$";

TEST_F(CliTable, ProjectCommands)
{
    // clang-format off
    Check({
        {{"info", "@W/QUATRO.NVR"}, 0, ""},
        {{"info", "@W/QUATRO.NVR", "--decimals", "2"}, 2, kUnknown + "info: --decimals$"},
        {{"info", "@W/QUATRO.NVR", "@W/UM.NVR"}, 2, "argumento a mais: .*UM\\.NVR$"},
        {{"info"}, 2, "falta o arquivo de entrada ARQUIVO$"},
        {{"info", "@W/NADA.NVR"}, 3, kMissing},
        {{"info", "@W/ALHEIO.NVR"}, 3, kForeign},
        {{"info", "@W/PASTA.NVR"}, 3, "PASTA\\.NVR: é uma pasta, não um arquivo\\.$"},

        {{"import", "@W/quatro.txt", "--lx", "20", "-o", "@W/NOVO.NVR"}, 0, "", "@W/NOVO.NVR"},
        {{"import", "@W/quatro.txt", "--lx", "20", "--ly", "12,5", "--nx", "-3", "-o", "@W/NOVO.NVR"}, 0, "",
         "@W/NOVO.NVR"},
        {{"import", "@W/quatro.txt", "--lx", "20", "--lz", "5", "-o", "@W/NOVO.NVR"}, 2,
         kUnknown + "import: --lz \\(quis dizer --lx\\?\\)$", "@W/NOVO.NVR"},
        {{"import", "@W/quatro.txt", "--lx", "0", "-o", "@W/NOVO.NVR"}, 2, "--lx: deve ser um número positivo",
         "@W/NOVO.NVR"},
        {{"import", "@W/quatro.txt", "--lx", "vinte", "-o", "@W/NOVO.NVR"}, 2, "--lx: \"vinte\" não é um número$",
         "@W/NOVO.NVR"},
        // One range of spacings, the reader's, with one message.
        {{"import", "@W/quatro.txt", "--lx", "1e-40", "-o", "@W/NOVO.NVR"}, 2, kSpacing + "1e-40\\)$", "@W/NOVO.NVR"},
        {{"import", "@W/quatro.txt", "--lx", "20", "--ly=1e-999", "-o", "@W/NOVO.NVR"}, 2, kSpacing + "1e-999\\)$",
         "@W/NOVO.NVR"},
        {{"import", "@W/quatro.txt", "--lx", "-20", "-o", "@W/NOVO.NVR"}, 2, kSpacing + "-20\\)$", "@W/NOVO.NVR"},
        {{"import", "@W/quatro.txt", "--lx", "1,1E30", "-o", "@W/NOVO.NVR"}, 2, kSpacing + "1,1E30\\)$",
         "@W/NOVO.NVR"},
        {{"import", "@W/quatro.txt", "--lx", "2,938736E-39", "-o", "@W/NOVO.NVR"}, 0, "", "@W/NOVO.NVR"},
        {{"import", "@W/quatro.txt", "--lx=1e30", "--nx", "-1000", "-o", "@W/NOVO.NVR"}, 0, "", "@W/NOVO.NVR"},
        {{"points", "@W/quatro.txt", "--lx", "1e-999", "-o", "@W/NOVO.NVR"}, 2, kSpacing + "1e-999\\)$",
         "@W/NOVO.NVR"},
        {{"points", "@W/quatro.txt", "--lx", "10", "--ly", "1e31", "-o", "@W/NOVO.NVR"}, 2, kSpacing + "1e31\\)$",
         "@W/NOVO.NVR"},
        {{"import", "@W/quatro.txt", "--lx", "20", "--nx", "1001", "-o", "@W/NOVO.NVR"}, 2,
         "--nx: deve ser um inteiro de -1000 a 1000", "@W/NOVO.NVR"},
        {{"import", "@W/quatro.txt", "-o", "@W/NOVO.NVR"}, 2, "falta a opção --lx A$", "@W/NOVO.NVR"},
        {{"import", "@W/quatro.txt", "--lx", "20", "-o", "@W/NOVO.txt"}, 2, "-o: a extensão \\.txt não é aceita",
         "@W/NOVO.txt"},
        {{"import", "@W/quatro.txt", "--lx"}, 2, "falta o valor de --lx$"},
        {{"import", "@W/NADA.NVR", "--lx", "20", "-o", "@W/NOVO.NVR"}, 3, kMissing, "@W/NOVO.NVR"},
        {{"import", "@W/vazio.txt", "--lx", "20", "-o", "@W/NOVO.NVR"}, 3, "não contém nenhuma cota legível",
         "@W/NOVO.NVR"},
        {{"import", "@W/quatro.txt", "--lx", "20", "-o", "@W/nao/NOVO.NVR"}, 5, "a pasta .*/nao não existe\\.$"},

        {{"grid", "@W/QUATRO.NVR", "--view", "natural", "--decimals", "0", "--locale", "pt_BR"}, 0, ""},
        {{"grid", "@W/RESULT.NVR", "--view", "cutfill"}, 0, ""},
        {{"grid", "@W/RESULT.NVR", "--view=design", "--coordinates"}, 0, ""},
        {{"grid", "@W/QUATRO.NVR", "--coordinates=sim"}, 2, "--coordinates: não leva valor$"},
        {{"grid", "@W/QUATRO.NVR", "--veiw", "design"}, 2, kUnknown + "grid: --veiw \\(quis dizer --view\\?\\)$"},
        {{"grid", "@W/QUATRO.NVR", "--decimals", "9"}, 2, "--decimals: deve ser um inteiro de 0 a 8 \\(recebido: 9\\)$"},
        {{"grid", "@W/QUATRO.NVR", "--decimals", "2.5"}, 2, "--decimals: deve ser um inteiro de 0 a 8"},
        {{"grid", "@W/QUATRO.NVR", "--view", "plano"}, 2, "--view: deve ser natural, design ou cutfill"},
        {{"grid", "@W/QUATRO.NVR", "--locale", "xx"}, 2, "--locale: localidade desconhecida: xx$"},
        {{"grid", "@W/QUATRO.NVR", "--view", "cutfill"}, 4, "não tem resultados válidos de sistematização"},
        {{"grid", "@W/NADA.NVR"}, 3, kMissing},
        {{"grid", "@W/ALHEIO.NVR"}, 3, kForeign},

        {{"winsurf", "@W/QUATRO.NVR", "--decimals", "1"}, 0, ""},
        {{"winsurf", "@W/QUATRO.NVR", "--decimals", "-1"}, 2, "--decimals: deve ser um inteiro de 0 a 8"},
        {{"winsurf", "@W/QUATRO.NVR", "--xyz"}, 2, kUnknown + "winsurf: --xyz$"},
        {{"winsurf", "@W/NADA.NVR"}, 3, kMissing},
        {{"winsurf", "@W/ALHEIO.NVR"}, 3, kForeign},

        {{"systematize", "@E/PEQUENO.NVR", "--ratio", "1,3", "--area", "2,2,19,14", "-o", "@W/S.NVR"}, 0, "",
         "@W/S.NVR"},
        {{"systematize", "@E/PEQUENO.NVR", "--ratoi", "1.3", "-o", "@W/S.NVR"}, 2,
         kUnknown + "systematize: --ratoi \\(quis dizer --ratio\\?\\)$", "@W/S.NVR"},
        {{"systematize", "@E/PEQUENO.NVR", "--ratio", "0.009", "-o", "@W/S.NVR"}, 2,
         "--ratio: deve estar entre 0,01 e 100 \\(recebido: 0.009\\)$", "@W/S.NVR"},
        {{"systematize", "@E/PEQUENO.NVR", "--ratio", "101"}, 2, "--ratio: deve estar entre 0,01 e 100"},
        {{"systematize", "@E/PEQUENO.NVR", "--ratio", "1", "--ratio", "2"}, 2, "--ratio: opção repetida$"},
        {{"systematize", "@E/PEQUENO.NVR", "--area", "1,1,20,21", "-o", "@W/S.NVR"}, 2,
         "--area: 1,1,20,21 sai da grade de 20 colunas e 20 linhas$", "@W/S.NVR"},
        {{"systematize", "@E/PEQUENO.NVR", "--area", "3,1,2,5"}, 2, "--area: espera C1,R1,C2,R2"},
        {{"systematize", "@W/UM.NVR", "-o", "@W/S.NVR"}, 4, "falta de cotas", "@W/S.NVR"},
        {{"systematize", "@W/NADA.NVR", "-o", "@W/S.NVR"}, 3, kMissing, "@W/S.NVR"},
        {{"systematize", "@W/ALHEIO.NVR", "-o", "@W/S.NVR"}, 3, kForeign, "@W/S.NVR"},

        {{"plan", "@W/QUATRO.NVR", "--sx", "-0.01", "--sy", "0", "--ratio", "2", "--slot", "10", "-o", "@W/P.NVR"},
         0, "", "@W/P.NVR"},
        {{"plan", "@W/QUATRO.NVR", "--sy", "0", "--ratio", "2"}, 2, "falta a opção --sx A$"},
        {{"plan", "@W/QUATRO.NVR", "--sx", "0", "--sy", "0", "--ratio", "2", "--slot", "1"}, 2,
         "--slot: deve ser um inteiro de 2 a 10"},
        {{"plan", "@W/QUATRO.NVR", "--sx", "0", "--sy", "0", "--ratio", "200"}, 2, "--ratio: deve estar entre"},
        {{"plan", "@W/QUATRO.NVR", "--sx", "0", "--sy", "0", "--ratio", "2", "--slots", "3"}, 2,
         kUnknown + "plan: --slots \\(quis dizer --slot\\?\\)$"},
        {{"plan", "@W/NADA.NVR", "--sx", "0", "--sy", "0", "--ratio", "2"}, 3, kMissing},
        {{"plan", "@W/ALHEIO.NVR", "--sx", "0", "--sy", "0", "--ratio", "2"}, 3, kForeign},
    });
    // clang-format on
}

TEST_F(CliTable, MapCommands)
{
    // clang-format off
    Check({
        {{"cutfill-map", "@W/QUATRO.NVR", "--ratio", "2", "-o", "@W/c.png"}, 0, "", "@W/c.png", true},
        {{"cutfill-map", "@W/QUATRO.NVR", "-o", "@W/c.JPG"}, 0, "", "@W/c.JPG", true},
        {{"cutfill-map", "@W/QUATRO.NVR", "-o", "@W/c.bmp"}, 0, "", "@W/c.bmp", true},
        {{"cutfill-map", "@W/QUATRO.NVR", "-o", "@W/c.gif"}, 2, "-o: a extensão \\.gif não é aceita; use \\.png",
         "@W/c.gif"},
        {{"cutfill-map", "@W/QUATRO.NVR", "-o", "@W/c"}, 2, "-o: o arquivo de saída não tem extensão", "@W/c"},
        {{"cutfill-map", "@W/QUATRO.NVR", "--area", "1,1,2,2,3", "-o", "@W/c.png"}, 2, "--area: espera",
         "@W/c.png"},
        {{"cutfill-map", "@W/QUATRO.NVR", "--area", "1,1,21,2", "-o", "@W/c.png"}, 2, "--area: 1,1,21,2 sai da grade",
         "@W/c.png", true},
        {{"cutfill-map", "@W/QUATRO.NVR", "--zoom", "100", "-o", "@W/c.png"}, 2, kUnknown + "cutfill-map: --zoom$",
         "@W/c.png"},
        {{"cutfill-map", "@W/UM.NVR", "-o", "@W/c.png"}, 4, "falta de cotas", "@W/c.png", true},
        {{"cutfill-map", "@W/NADA.NVR", "-o", "@W/c.png"}, 3, kMissing, "@W/c.png", true},
        {{"cutfill-map", "@W/ALHEIO.NVR", "-o", "@W/c.png"}, 3, kForeign, "@W/c.png", true},
        {{"cutfill-map", "@W/QUATRO.NVR", "-o", "@W/PASTA.NVR/../nao/c.png"}, 5, "Não foi possível criar o arquivo",
         "", true},

        {{"contours", "@E/PEQUENO.NVR", "--levels", "100,100.5"}, 0, ""},
        {{"contours", "@E/PEQUENO.NVR", "--levels", "100;101"}, 2, "--levels: \"100;101\" não é um número"},
        {{"contours", "@E/PEQUENO.NVR"}, 2, "falta a opção --levels A,B,... ou --equidistant$"},
        {{"contours", "@E/PEQUENO.NVR", "--equidistant", "--level", "3"}, 2,
         kUnknown + "contours: --level \\(quis dizer --levels\\?\\)$"},
        {{"contours", "@W/NADA.NVR", "--equidistant"}, 3, kMissing},
        {{"contours", "@W/ALHEIO.NVR", "--equidistant"}, 3, kForeign},

        {{"contour-map", "@E/PEQUENO.NVR", "--equidistant", "--zoom", "25", "-o", "@W/m.svg"}, 0, "", "@W/m.svg",
         true},
        {{"contour-map", "@E/PEQUENO.NVR", "--equidistant", "-o", "@W/m.jpeg"}, 0, "", "@W/m.jpeg", true},
        {{"contour-map", "@E/PEQUENO.NVR", "--equidistant", "--zoom", "401", "-o", "@W/m.svg"}, 2,
         "--zoom: deve ser um inteiro de 25 a 400 \\(recebido: 401\\)$", "@W/m.svg"},
        {{"contour-map", "@E/PEQUENO.NVR", "--equidistant", "--zoom", "24", "-o", "@W/m.svg"}, 2, "--zoom: ",
         "@W/m.svg"},
        {{"contour-map", "@E/PEQUENO.NVR", "--equidistant", "-o", "@W/m.gif"}, 2, "-o: a extensão \\.gif",
         "@W/m.gif"},
        {{"contour-map", "@E/PEQUENO.NVR", "--equidistant", "--zom", "50", "-o", "@W/m.svg"}, 2,
         kUnknown + "contour-map: --zom \\(quis dizer --zoom\\?\\)$", "@W/m.svg"},
        {{"contour-map", "@W/NADA.NVR", "--equidistant", "-o", "@W/m.svg"}, 3, kMissing, "@W/m.svg", true},
        {{"contour-map", "@W/ALHEIO.NVR", "--equidistant", "-o", "@W/m.svg"}, 3, kForeign, "@W/m.svg", true},
    });
    // clang-format on
}

// What spreadsheets and survey programs write, imported and read back with
// grid: separators, header lines, decimal marks, missing stakes; fields that
// are not numbers counted in a warning, or the text refused.
TEST_F(CliTable, ImportLayouts)
{
    const std::string grid = "10.50\t11.00\n12.00\t10.25\n";
    struct TImport {
        std::string Text;
        std::vector<std::string> Options;
        int Status;
        std::string Grid;     // grid --decimals 2, line ends as LF
        std::string Warning;  // a regular expression for stderr; "" for none
    };
    // clang-format off
    const std::vector<TImport> cases = {
        {"10.5\t11\r\n12\t10.25\r\n", {}, 0, grid, ""},
        {"10,5\t11\n12\t10,25\n", {}, 0, grid, ""},
        {"A;B\r\n10,5;11\r\n12;10,25\r\n", {}, 0, grid, ""},
        {"Col1,Col2\n10.5,11\n12,10.25\n", {}, 0, grid, ""},
        {"10,5;11\r\n12;10,25\r\n", {"--separator", ";", "--decimal", "comma", "--header", "none"}, 0, grid, ""},
        {"cota;cota\r\n10,5;11\r\n12;10,25\r\n", {"--separator", "semicolon", "--header", "skip"}, 0, grid, ""},
        {"1;2\r\n10,5;11\r\n12;10,25\r\n", {"--header", "skip"}, 0, grid, ""},
        {"10;;11\r\n12;13;14\r\n", {}, 0, "10.00\t\t11.00\n12.00\t13.00\t14.00\n", ""},
        {"\xEF\xBB\xBF" "10.5\t11\r\n12\t10.25\r\n", {}, 0, grid, ""},
        // Quoted fields, as spreadsheets export them.
        {"\"10,5\";\"11\"\r\n\"12\";\"10,25\"\r\n", {}, 0, grid, ""},
        {"\"10,5\",\"11\"\n\"12\",\"10,25\"\n", {}, 0, grid, ""},
        {"\"10.5\"\t\"11\"\n12\t\"10.25\"\n", {}, 0, grid, ""},
        // A header read as elevations: its fields are counted, the rows below kept.
        {"A;B\r\n10,5;11\r\n12;10,25\r\n", {"--header", "none"}, 0, grid,
         "^nivora-cli: aviso: 2 campos de .* não são números e ficaram sem cota\\.\n$"},
        {"10,5;11;x\r\n12;10,25;13\r\n", {"--decimal", "point"}, 0, "\t11.00\t\n12.00\t\t13.00\n",
         "^nivora-cli: aviso: 3 campos de .* não são números e ficaram sem cota\\.\n$"},
        {"10,5;11\r\n12;10,25\r\n", {"--separator", "tab", "--header", "none"}, 3, "",
         "^nivora-cli: O arquivo .* tem 4 campos que não são números e só 0 cotas|não contém nenhuma cota legível"},
        {"a;b;c\r\n1;x;y\r\nz;w;v\r\n", {"--header", "none"}, 3, "", "tem 8 campos que não são números e só 1 cotas"},
        {"", {}, 3, "", "não contém nenhuma cota legível; nada foi gravado\\.\n$"},
        {"10,5,11\n", {"--separator", "comma", "--decimal", "comma"}, 2, "", "^nivora-cli: --decimal: "},
    };
    // clang-format on
    const std::string text = (gWork / "importado.txt").string(), project = (gWork / "IMPORTADO.NVR").string();
    for (const TImport& c : cases) {
        SCOPED_TRACE("text [" + c.Text + "]");
        std::ofstream(text, std::ios::binary | std::ios::trunc) << c.Text;
        fs::remove(project);
        std::vector<std::string> args{"import", text, "--lx", "20", "-o", project};
        args.insert(args.end(), c.Options.begin(), c.Options.end());
        const TResult r = RunCli(args);
        EXPECT_EQ(r.Status, c.Status) << r.Err;
        if (c.Warning.empty()) {
            EXPECT_EQ(r.Err, "");
        } else {
            EXPECT_TRUE(std::regex_search(r.Err, std::regex(c.Warning))) << r.Err;
        }
        if (c.Status != 0) {
            EXPECT_FALSE(fs::exists(project));
            continue;
        }
        TResult back = RunCli({"grid", project, "--decimals", "2"});
        std::erase(back.Out, '\r');
        EXPECT_EQ(back.Out, c.Grid);
    }
    fs::remove(text);
    fs::remove(project);
}

// An option's value after "=" or as the next argument, and "--" ending the
// options: each form gives what its spelled-out twin gives, or the refusal.
TEST_F(CliTable, OptionForms)
{
    struct TForm {
        std::vector<std::string> Args;
        std::vector<std::string> Twin;  // the same command spelled otherwise; empty when refused
        int Status = 0;
        std::string ErrLine = {};
    };
    // clang-format off
    const std::vector<TForm> cases = {
        {{"systematize", "@E/PEQUENO.NVR", "--ratio=1,3"}, {"systematize", "@E/PEQUENO.NVR", "--ratio", "1.3"}},
        {{"systematize", "@E/PEQUENO.NVR", "--ratio=1.3"}, {"systematize", "@E/PEQUENO.NVR", "--ratio", "1,3"}},
        {{"systematize", "@E/PEQUENO.NVR", "--area=2,3,19,14", "--ratio=0,5"},
         {"systematize", "@E/PEQUENO.NVR", "--ratio", "0.5", "--area", "2,3,19,14"}},
        {{"grid", "@W/QUATRO.NVR", "--decimals=1", "--locale=pt_BR"},
         {"grid", "@W/QUATRO.NVR", "--locale", "pt_BR", "--decimals", "1"}},
        {{"plan", "@W/QUATRO.NVR", "--sx=-0,01", "--sy=0.002", "--ratio=2"},
         {"plan", "@W/QUATRO.NVR", "--sx", "-0.01", "--sy", "0,002", "--ratio", "2"}},
        {{"contours", "@E/PEQUENO.NVR", "--levels=100,100.5"}, {"contours", "@E/PEQUENO.NVR", "--levels", "100,100.5"}},
        {{"grid", "--", "@W/QUATRO.NVR"}, {"grid", "@W/QUATRO.NVR"}},
        {{"systematize", "@E/PEQUENO.NVR", "--ratio="}, {}, 2, "--ratio: \"\" não é um número$"},
        {{"systematize", "@E/PEQUENO.NVR", "--ratio=1=2"}, {}, 2, "--ratio: \"1=2\" não é um número$"},
        {{"systematize", "@E/PEQUENO.NVR", "--ratio=0,001"}, {}, 2, "--ratio: deve estar entre 0,01 e 100"},
        {{"systematize", "@E/PEQUENO.NVR", "--ratio=1", "--ratio", "2"}, {}, 2, "--ratio: opção repetida$"},
        {{"systematize", "@E/PEQUENO.NVR", "--rat=1"}, {}, 2, kUnknown + "systematize: --rat \\(quis dizer --ratio\\?\\)$"},
        {{"contours", "@E/PEQUENO.NVR", "--equidistant=1"}, {}, 2, "--equidistant: não leva valor$"},
        {{"systematize", "@E/PEQUENO.NVR", "--ratio", "--"}, {}, 2, "falta o valor de --ratio$"},
        {{"grid", "@W/QUATRO.NVR", "--", "--decimals", "2"}, {}, 2, "argumento a mais: --decimals$"},
        {{"grid", "--", "--help"}, {}, 3, "Não foi possível abrir o arquivo --help: arquivo ou pasta inexistente"},
        {{"info", "--", "-h"}, {}, 3, "Não foi possível abrir o arquivo -h: arquivo ou pasta inexistente"},
    };
    // clang-format on
    const auto expanded = [](const std::vector<std::string>& args) {
        std::vector<std::string> all;
        for (const std::string& a : args)
            all.push_back(Expand(a));
        return all;
    };
    for (const TForm& c : cases) {
        std::string shown;
        for (const std::string& a : c.Args)
            shown += " " + a;
        SCOPED_TRACE("nivora-cli" + shown);
        const TResult r = RunCli(expanded(c.Args));
        EXPECT_EQ(r.Status, c.Status) << r.Err;
        if (c.Twin.empty()) {
            EXPECT_EQ(r.Out, "");
            EXPECT_TRUE(std::regex_search(r.FirstErrLine(), std::regex(c.ErrLine))) << r.FirstErrLine();
            continue;
        }
        EXPECT_EQ(r.Err, "");
        EXPECT_FALSE(r.Out.empty());
        EXPECT_EQ(r.Out, RunCli(expanded(c.Twin)).Out);
    }

    // "-" is standard input for the text that import reads.
    std::ofstream(gWork / "entrada.txt", std::ios::binary) << "10;11\n12;13\n";
    const TResult piped = RunCli({"import", "-", "--lx=10", "-o", Expand("@W/ENTRADA.NVR")}, gWork / "entrada.txt");
    EXPECT_EQ(piped.Status, 0) << piped.Err;
    EXPECT_EQ(RunCli({"grid", Expand("@W/ENTRADA.NVR"), "--decimals=0"}).Out, "10\t11\r\n12\t13\r\n");
    fs::remove(gWork / "entrada.txt");
    fs::remove(gWork / "ENTRADA.NVR");

    // After "--" a name that looks like an option is a file: here a text
    // of elevations called --help, imported from its folder.
    const fs::path folder = gWork / "nomes";
    fs::create_directories(folder);
    std::ofstream(folder / "--help", std::ios::binary) << "10\t11\n12\t13\n";
    const TResult imported = RunCli({"import", "--lx", "10", "-o", "x.NVR", "--", "--help"}, {}, {}, folder);
    EXPECT_EQ(imported.Status, 0) << imported.Err;
    EXPECT_NE(imported.Out.find("\"Elevations\":4"), std::string::npos) << imported.Out;
    EXPECT_EQ(RunCli({"grid", (folder / "x.NVR").string(), "--decimals=0"}).Out, "10\t11\r\n12\t13\r\n");
    fs::remove_all(folder);
}

// Help and version: on stdout, status 0; the version is the project's.
// "-o -" writes a text output to standard output, in the command's text
// format, with the JSON summary on standard error; binary outputs are refused
// before anything is read, and the file written by name is the same text.
TEST_F(CliTable, TextOutputsOnStandardOutput)
{
    struct TPiped {
        std::vector<std::string> Args;  // without -o
        int Status;
        std::string OutStart;  // the start of standard output
        std::string ErrPart;   // a part of standard error
        std::string Twin;      // the same output written to a file
    };
    // clang-format off
    const std::vector<TPiped> cases = {
        {{"report", "@W/QUATRO.NVR", "--ratio", "2", "--decimals", "2"}, 0, "\xEF\xBB\xBFN\xC2\xBA,", "\"Lines\":4",
         "@W/r.csv"},
        {{"contour-map", "@W/QUATRO.NVR", "--equidistant"}, 0, "<?xml", "", "@W/m.svg"},
        {{"cutfill-map", "@W/QUATRO.NVR", "--ratio", "2"}, 2, "", "recebe só texto", ""},
        {{"systematize", "@W/QUATRO.NVR"}, 2, "", "recebe só texto", ""},
        {{"import", "@W/QUATRO.NVR", "--lx", "10"}, 2, "", "recebe só texto", ""},
    };
    // clang-format on
    for (const TPiped& c : cases) {
        // report and contour-map draw: a build without the windows has no
        // helper to draw with.
        if (c.Twin.size() && !gDraws)
            continue;
        std::vector<std::string> args;
        for (const std::string& a : c.Args)
            args.push_back(Expand(a));
        SCOPED_TRACE(args[0]);
        auto piped = args;
        piped.insert(piped.end(), {"-o", "-"});
        const TResult r = RunCli(piped);
        EXPECT_EQ(r.Status, c.Status) << r.Err;
        EXPECT_EQ(r.Out.substr(0, c.OutStart.size()), c.OutStart);
        EXPECT_NE(r.Err.find(c.ErrPart), std::string::npos) << r.Err;
        if (c.Twin.empty()) {
            EXPECT_EQ(r.Out, "");
            continue;
        }
        auto named = args;
        named.insert(named.end(), {"-o", Expand(c.Twin)});
        ASSERT_EQ(RunCli(named).Status, 0);
        std::ifstream in(Expand(c.Twin), std::ios::binary);
        const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(r.Out, file);
        fs::remove(Expand(c.Twin));
    }
}

TEST_F(CliTable, HelpAndVersion)
{
    const TResult version = RunCli({"--version"});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out, "nivora-cli (Nivora) " + gVersion + "\n");

    const TResult general = RunCli({"--help"});
    EXPECT_EQ(general.Status, 0);
    for (const char* name :
         {"info", "import", "grid", "winsurf", "systematize", "plan", "cutfill-map", "contours", "contour-map"}) {
        SCOPED_TRACE(name);
        EXPECT_NE(general.Out.find(std::string("\n  ") + name + " "), std::string::npos);
        const TResult byHelp = RunCli({"help", name});
        const TResult byOption = RunCli({name, "--help"});
        EXPECT_EQ(byHelp.Status, 0);
        EXPECT_EQ(byOption.Status, 0);
        EXPECT_EQ(byHelp.Out, byOption.Out);
        EXPECT_EQ(byHelp.Out.rfind(std::string("Uso: nivora-cli ") + name + " ", 0), 0u);
        EXPECT_NE(byHelp.Out.find("Situação de saída:"), std::string::npos);
    }
    // Every option of systematize with its default.
    const std::string help = RunCli({"systematize", "--help"}).Out;
    EXPECT_TRUE(std::regex_search(help, std::regex("--ratio R +razão .* de 0,01 a 100 \\(padrão: ")));
    EXPECT_TRUE(std::regex_search(help, std::regex("--area C1,R1,C2,R2 .*\\(padrão: toda a área com cotas\\)")));

    const TResult none = RunCli({});
    EXPECT_EQ(none.Status, 2);
    EXPECT_EQ(none.FirstErrLine(), "nivora-cli: falta o comando");
    const TResult unknown = RunCli({"sistematize", "x"});
    EXPECT_EQ(unknown.Status, 2);
    EXPECT_EQ(unknown.FirstErrLine(), "nivora-cli: comando desconhecido: sistematize");
    EXPECT_EQ(RunCli({"help", "nada"}).Status, 2);
}

// A full disk on output: the error with the file's name, status 5, and the
// earlier file of the name untouched.
TEST_F(CliTable, FullDiskOnOutput)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    const fs::path link = gWork / "CHEIO.NVR";
    fs::remove(link);
    fs::create_symlink("/dev/full", link);
    const TResult r = RunCli({"systematize", Expand("@W/QUATRO.NVR"), "-o", link.string()});
    EXPECT_EQ(r.Status, 5);
    EXPECT_EQ(r.FirstErrLine(), "nivora-cli: Erro de gravação no arquivo " + link.string() + ": disco cheio.");
    EXPECT_TRUE(fs::is_symlink(link));
    fs::remove(link);

    const std::string kept = ReadAll(gWork / "RESULT.NVR");
    fs::permissions(gWork, fs::perms::owner_write, fs::perm_options::remove);
    const TResult locked = RunCli({"systematize", Expand("@W/QUATRO.NVR"), "-o", Expand("@W/RESULT.NVR")});
    fs::permissions(gWork, fs::perms::owner_write, fs::perm_options::add);
    if (geteuid() != 0) {  // the superuser writes anyway
        EXPECT_EQ(locked.Status, 5);
        EXPECT_EQ(ReadAll(gWork / "RESULT.NVR"), kept);
    }
}

// Many saves of one project at once, some killed as they run: every save
// that was not killed succeeds, the project always reads back whole, and what
// the killed ones left is cleaned by the next save.
TEST_F(CliTable, ConcurrentSavesOfOneProject)
{
    const fs::path dir = gWork / "juntos";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string project = (dir / "T.NVR").string();
    fs::copy_file(gExamples + "/FAZENDA.NVR", project);
    constexpr int kRuns = 20;
    std::vector<pid_t> runs;
    for (int i = 0; i < kRuns; ++i) {
        const std::string n = std::to_string(i);
        runs.push_back(SpawnCli({"systematize", project, "--ratio", std::to_string(1.0 + 0.05 * i), "-o", project},
                                dir / ("out" + n), dir / ("err" + n)));
        ASSERT_GT(runs.back(), 0);
    }
    for (int i = 0; i < kRuns; i += 3) {
        usleep(useconds_t(200 * i));
        kill(runs[std::size_t(i)], SIGKILL);
    }
    for (int i = 0; i < kRuns; ++i) {
        SCOPED_TRACE("run " + std::to_string(i));
        const int status = WaitFor(runs[std::size_t(i)]);
        const std::string n = std::to_string(i);
        if (i % 3 == 0 && status == 128 + SIGKILL)
            continue;
        EXPECT_EQ(status, 0);
        EXPECT_EQ(ReadAll(dir / ("err" + n)), "");
        EXPECT_NE(ReadAll(dir / ("out" + n)).find("\"Converged\":true"), std::string::npos);
    }
    const TResult info = RunCli({"info", project});
    EXPECT_EQ(info.Status, 0) << info.Err;
    EXPECT_NE(info.Out.find("\"PlaneComputed\":true"), std::string::npos);
    EXPECT_EQ(RunCli({"systematize", project, "-o", project}).Status, 0);
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    fs::remove_all(dir);
}

// Standard output that cannot take it all: a full device, or a file size
// limit (with the limit's signal as the system sends it, and ignored as some
// shells and services leave it). The command says why and exits 5; the
// earlier project of an -o under the limit stays as it was.
TEST_F(CliTable, OutputThatCannotBeWritten)
{
    struct TFailedOutput {
        std::vector<std::string> Args;
        const char* Stdout;  // where standard output goes
        rlim_t Limit;        // file size limit in bytes; 0 for none
        bool IgnoreSignal;   // SIGXFSZ ignored by whoever started it
        std::string ErrLine;
    };
    const std::string big = gExamples + "/FAZENDA.NVR";
    const std::string kept = (gWork / "GUARDADO.NVR").string();
    const std::string kFull = "^nivora-cli: Erro de gravação na saída padrão: disco cheio\\.$";
    const std::string kLimit =
        "^nivora-cli: Erro de gravação na saída padrão: o arquivo passa do tamanho máximo permitido\\.$";
    // clang-format off
    const std::vector<TFailedOutput> cases = {
        {{"grid", big}, "/dev/full", 0, false, kFull},
        {{"winsurf", big}, "/dev/full", 0, false, kFull},
        {{"info", big}, "/dev/full", 0, false, kFull},
        {{"--help"}, "/dev/full", 0, false, kFull},
        {{"grid", big}, "listagem.txt", 20 * 1024, false, kLimit},
        {{"grid", big}, "listagem.txt", 20 * 1024, true, kLimit},
        {{"winsurf", big, "--decimals", "8"}, "listagem.txt", 100 * 1024, false, kLimit},
        {{"systematize", big, "-o", kept}, "saida.json", 20 * 1024, false,
         "^nivora-cli: Não foi possível gravar o arquivo GUARDADO\\.NVR: o arquivo passa do tamanho máximo"},
    };
    // clang-format on
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    for (const TFailedOutput& c : cases) {
        SCOPED_TRACE(c.Args.front() + " > " + c.Stdout);
        std::ofstream(kept, std::ios::binary | std::ios::trunc) << "anterior";
        const fs::path out = c.Stdout[0] == '/' ? fs::path(c.Stdout) : gWork / c.Stdout;
        const fs::path err = gWork / "stderr.txt";
        const pid_t pid = fork();
        if (pid == 0) {
            if (c.Limit) {
                const rlimit limit{c.Limit, c.Limit};
                setrlimit(RLIMIT_FSIZE, &limit);
            }
            std::signal(SIGXFSZ, c.IgnoreSignal ? SIG_IGN : SIG_DFL);
            const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (o < 0 || e < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0)
                _exit(99);
            std::vector<std::string> all{gCli};
            all.insert(all.end(), c.Args.begin(), c.Args.end());
            std::vector<char*> argv;
            for (std::string& a : all)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(gCli.c_str(), argv.data());
            _exit(98);
        }
        EXPECT_EQ(WaitFor(pid), 5);
        const std::string message = ReadAll(err);
        EXPECT_TRUE(std::regex_search(message.substr(0, message.find('\n')), std::regex(c.ErrLine))) << message;
        EXPECT_EQ(ReadAll(kept), "anterior");
        if (c.Stdout[0] != '/')
            fs::remove(out);
        fs::remove(err);
    }
    for (const auto& e : fs::directory_iterator(gWork))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    fs::remove(kept);
}

// A plan under slope limits: the options' checks, then the worked 4 x 5 grid
// at 25 m, whose slope along Y moves when the one along X is held.
TEST_F(CliTable, DesignCommand)
{
    // clang-format off
    Check({
        {{"design", "@W/QUATRO.NVR", "--ratio", "1", "--sx", ",0.001", "-o", "@W/D.NVR"}, 0, "", "@W/D.NVR"},
        {{"design", "@W/QUATRO.NVR", "--ratio=1,3", "--bearing=30", "--main=-0.01,", "--cross", "-0.002,0.002",
          "--min-fall", "0.0005", "--export", "1", "-o", "@W/D.NVR"}, 0, "", "@W/D.NVR"},
        {{"design", "@W/QUATRO.NVR", "--sx", ",0.001"}, 2, "falta a opção --ratio R$"},
        {{"design", "@W/QUATRO.NVR", "--ratio", "1", "--sx", "0.01"}, 2, "--sx: escreva MIN,MAX"},
        {{"design", "@W/QUATRO.NVR", "--ratio", "1", "--sx", "0,01,0,02"}, 2, "--sx: escreva MIN,MAX"},
        {{"design", "@W/QUATRO.NVR", "--ratio", "1", "--sx", ","}, 2, "--sx: falta ao menos um dos limites"},
        {{"design", "@W/QUATRO.NVR", "--ratio", "1", "--sy", "x,0.1"}, 2, "--sy: \"x\" não é um número"},
        {{"design", "@W/QUATRO.NVR", "--ratio", "1", "--sx", "0.02,0.01"}, 2, "A declividade mínima é maior que a máxima\\.$"},
        {{"design", "@W/QUATRO.NVR", "--ratio", "1", "--bearing", "10", "--sx", ",0.01"}, 2, "com --bearing use --main e --cross$"},
        {{"design", "@W/QUATRO.NVR", "--ratio", "1", "--cross", ",0.01"}, 2, "--main e --cross precisam de --bearing"},
        {{"design", "@W/QUATRO.NVR", "--ratio", "1", "--main", "-0.001,0.001", "--bearing", "0", "--min-fall", "0.01"}, 2,
         "Nenhuma declividade dentro dos limites alcança a queda mínima\\.$"},
        {{"design", "@W/QUATRO.NVR", "--ratio", "1", "--export", "-5"}, 2, "--export: deve estar entre 0 e "},
        {{"design", "@W/QUATRO.NVR", "--ratio", "1", "--slot", "1"}, 2, "--slot: deve ser um inteiro de 2 a 10"},
        {{"design", "@W/UM.NVR", "--ratio", "1", "-o", "@W/D.NVR"}, 4, "É impossivel calcular", "@W/D.NVR"},
        {{"design", "@W/NADA.NVR", "--ratio", "1"}, 3, kMissing},
        {{"design", "@W/QUATRO.NVR", "--ratio", "1", "--settle", "0.3"}, 2, "--settle: escreva X,P com ponto decimal"},
        {{"design", "@W/QUATRO.NVR", "--ratio", "1", "--settle=0,3,10"}, 2, "--settle: escreva X,P"},
        {{"design", "@W/QUATRO.NVR", "--ratio", "1", "--settle=0.3,0"}, 2, "--settle: O recalque deve ser maior"},
        {{"design", "@W/QUATRO.NVR", "--ratio", "1", "--settle", "-0.1,10"}, 2, "--settle: A profundidade"},
        {{"design", "@W/QUATRO.NVR", "--ratio", "1", "--settle=0.3,10", "-o", "@W/D.NVR"}, 0, "", "@W/D.NVR"},
    });
    // clang-format on

    std::ofstream(gWork / "worked.txt", std::ios::binary) << "8.26\t8.75\t9.30\t9.52\t10.44\r\n"
                                                             "7.94\t8.12\t8.90\t8.80\t9.62\r\n"
                                                             "7.12\t7.86\t8.35\t8.60\t8.42\r\n"
                                                             "6.74\t7.28\t7.94\t8.16\t7.80\r\n";
    ASSERT_EQ(RunCli({"import", Expand("@W/worked.txt"), "--lx", "25", "-o", Expand("@W/WORKED.NVR")}).Status, 0);
    const TResult r = RunCli({"design", Expand("@W/WORKED.NVR"), "--ratio", "1", "--sx", ",0.01", "--slot", "5"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const auto number = [&](const std::string& key) {
        std::smatch m;
        const std::string pattern = "\"" + key + "\":(-?[0-9.eE+-]+)";
        return std::regex_search(r.Out, m, std::regex(pattern)) ? std::stod(m[1]) : std::nan("");
    };
    EXPECT_NEAR(number("Sx"), 0.01, 1e-12);
    EXPECT_NEAR(number("Sy"), -0.022464, 1e-9);
    EXPECT_NEAR(number("CutVolume"), 1671, 1e-3);
    EXPECT_EQ(number("Slot"), 5);
    EXPECT_NE(r.Out.find("\"Limited\":true"), std::string::npos) << r.Out;

    // The settlement allowance on the best plane at 1,3, spelled both ways:
    // the built surface's figures in the plan, the settled one's beside.
    const TResult settled = RunCli({"design", Expand("@W/WORKED.NVR"), "--ratio=1.3", "--settle=0.30,10", "--slot=4",
                                    "-o", Expand("@W/SETTLED.NVR")});
    ASSERT_EQ(settled.Status, 0) << settled.Err;
    const TResult spelled =
        RunCli({"design", Expand("@W/WORKED.NVR"), "--ratio", "1.3", "--settle", "0.3,10", "--slot", "4"});
    EXPECT_EQ(spelled.Out, settled.Out);
    const auto field = [&](const std::string& pattern) {
        std::smatch m;
        return std::regex_search(settled.Out, m, std::regex(pattern + ":(-?[0-9.eE+-]+)")) ? std::stod(m[1])
                                                                                           : std::nan("");
    };
    // clang-format off
    const std::pair<const char*, double> figures[] = {
        {"\"Plan\":\\{[^}]*\"CutVolume\"", 1541.1263}, {"\"Plan\":\\{[^}]*\"FillVolume\"", 1185.4817},
        {"\"Plan\":\\{[^}]*\"CutFillRatio\"", 1.3}, {"\"ExtraVolume\"", 59.0169},
        {"\"Settled\":\\{\"CutVolume\"", 1541.1263}, {"\"Settled\":\\{[^}]*\"FillVolume\"", 1126.4649},
        {"\"RaisedStakes\"", 2}, {"\"Depth\"", 0.3}, {"\"Percent\"", 10},
    };
    // clang-format on
    for (const auto& [pattern, value] : figures)
        EXPECT_NEAR(field(pattern), value, 1e-3) << pattern << "\n" << settled.Out;
    // The saved plan reads back with its layer: the grid's design view
    // shows the built surface, the two raised stakes above the plane.
    const TResult grid = RunCli({"grid", Expand("@W/SETTLED.NVR"), "--view=design"});
    ASSERT_EQ(grid.Status, 0) << grid.Err;
    EXPECT_NE(grid.Out.find("8.430\t8.817\t9.205\t9.593\t9.981"), std::string::npos) << grid.Out;
    EXPECT_NE(grid.Out.find("7.307\t7.694\t8.082\t8.470\t8.902"), std::string::npos) << grid.Out;
    EXPECT_NE(grid.Out.find("6.745\t7.133\t7.520\t7.908\t8.346"), std::string::npos) << grid.Out;
}

// The haul of the systematized plan: the options' checks, then the worked
// 4 x 5 grid at 25 m at two ratios, priced.
TEST_F(CliTable, HaulCommand)
{
    // clang-format off
    Check({
        {{"haul", "@W/QUATRO.NVR"}, 0, ""},
        {{"haul", "@W/QUATRO.NVR", "--solver=cost-scaling", "--area=1,1,2,2"}, 0, ""},
        {{"haul", "@W/QUATRO.NVR", "--price-volume", "-1"}, 2, "--price-volume: deve estar entre 0 e "},
        {{"haul", "@W/QUATRO.NVR", "--price-haul=x"}, 2, "--price-haul: "},
        {{"haul", "@W/QUATRO.NVR", "--solver", "simplex"}, 2, "--solver: deve ser network-simplex ou cost-scaling"},
        {{"haul", "@W/QUATRO.NVR", "--ratio", "0"}, 2, "--ratio: deve estar entre "},
        {{"haul", "@W/UM.NVR"}, 4, "É impossivel calcular"},
        {{"haul", "@W/NADA.NVR"}, 3, kMissing},
    });
    // clang-format on

    std::ofstream(gWork / "worked.txt", std::ios::binary) << "8.26\t8.75\t9.30\t9.52\t10.44\r\n"
                                                             "7.94\t8.12\t8.90\t8.80\t9.62\r\n"
                                                             "7.12\t7.86\t8.35\t8.60\t8.42\r\n"
                                                             "6.74\t7.28\t7.94\t8.16\t7.80\r\n";
    ASSERT_EQ(RunCli({"import", Expand("@W/worked.txt"), "--lx", "25", "-o", Expand("@W/HAUL.NVR")}).Status, 0);
    const struct {
        std::vector<std::string> options;
        double moment, mean, massX, total;
        // clang-format off
    } cases[] = {
        {{}, 55648.4375, 42.380646, -263.75, 0},
        {{"--ratio=1,3", "--price-volume=8,5", "--price-haul", "3.2"}, 60939.7309, 40.519833, -265.1003,
         1503.9482 * 8.5 + 60.9397309 * 3.2},
    };
    // clang-format on
    for (const auto& c : cases) {
        std::vector<std::string> args = {"haul", Expand("@W/HAUL.NVR")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const TResult r = RunCli(args);
        ASSERT_EQ(r.Status, 0) << r.Err;
        const auto number = [&](const std::string& key) {
            std::smatch m;
            const std::string pattern = "\"" + key + "\":\\[?(-?[0-9.eE+-]+)";
            return std::regex_search(r.Out, m, std::regex(pattern)) ? std::stod(m[1]) : std::nan("");
        };
        EXPECT_NEAR(number("HaulMoment"), c.moment, 0.05) << r.Out;
        EXPECT_NEAR(number("MeanHaul"), c.mean, 5e-5);
        EXPECT_NEAR(number("MassX"), c.massX, 0.01);
        EXPECT_NEAR(number("TotalCost"), c.total, 0.05);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: test_cli_table NIVORA_CLI EXAMPLES WORK VERSION [draw]\n");
        return 2;
    }
    gCli = fs::absolute(argv[1]).string();
    gExamples = argv[2];
    gWork = argv[3];
    gVersion = argv[4];
    gDraws = argc > 5 && std::string(argv[5]) == "draw";
    return RUN_ALL_TESTS();
}
