// Help contexts: the help file's place and the developer aid's text.

#include "grid/NVHelp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace nivora;
namespace fs = std::filesystem;

TEST(Help, FileBesideTheProgramComesFirst)
{
    const fs::path prefix = fs::temp_directory_path() / ("nivora_help_lookup_" + std::to_string(::getpid()));
    const fs::path dir = prefix / "bin";
    fs::remove_all(prefix);
    fs::create_directories(dir / "help");
    fs::create_directories(prefix / "share" / "nivora" / "help");
    EXPECT_FALSE(LocateHelpFile(dir).has_value());
    // An installed program: bin/nivora finds share/nivora/help/NVhelp.hlp.
    std::ofstream(prefix / "share" / "nivora" / "help" / "NVhelp.hlp") << "x";
    EXPECT_EQ(LocateHelpFile(dir), prefix / "share" / "nivora" / "help" / "NVhelp.hlp");
    std::ofstream(dir / "help" / "NVhelp.hlp") << "x";
    EXPECT_EQ(LocateHelpFile(dir), dir / "help" / "NVhelp.hlp");
    std::ofstream(dir / "NVhelp.hlp") << "x";
    EXPECT_EQ(LocateHelpFile(dir), dir / "NVhelp.hlp");
    fs::remove_all(prefix);
}

TEST(Help, CleaningNames)
{
    EXPECT_EQ(CleanHelpName("rbSistematizaTudo"), "rbSistematizaTudo");
    EXPECT_EQ(CleanHelpName("Relação Corte"), "Relacao_Corte");
    EXPECT_EQ(CleanHelpName("ÁREA ÇÃO"), "AREA_CAO");
    EXPECT_EQ(CleanHelpName("a _b"), "a_b");    // a blank before "_" goes
    EXPECT_EQ(CleanHelpName("a  b"), "a_b");    // two blanks make one "_"
    EXPECT_EQ(CleanHelpName("nome "), "nome");  // a last blank is no character to keep
    EXPECT_EQ(CleanHelpName("x-1.2(3)!"), "x123");
    EXPECT_EQ(CleanHelpName("ñ€"), "");
}

TEST(Help, ProcedureTextOfTheSystematizeDialog)
{
    THelpControl w{"DefSist", THelpControl::Windowed, {}};
    THelpControl group{"GroupBox1", THelpControl::Windowed, {}};
    group.Children = {{"rbSistematizaTudo", THelpControl::Windowed, {}},
                      {"Bevel1", THelpControl::Bevel, {}},
                      {"Label9", THelpControl::Label, {}},
                      {"", THelpControl::Windowed, {{"Skipped", THelpControl::Windowed, {}}}},
                      {"Shape1", THelpControl::Graphic, {}}};
    w.Children = {group, {"edRelCA", THelpControl::Windowed, {}}};
    const std::string text = HelpContextProcedureText(w);
    const std::string expected =
        "DefSist\r\n"
        "DefSist_GroupBox1\r\n"
        "DefSist_rbSistematizaTudo\r\n"
        "DefSist_GroupBox1_Shape1\r\n"
        "DefSist_edRelCA\r\n"
        "\r\rprocedure DefSistSetHelpContext;\rbegin\r\n"
        "  DefSist.HelpContext                   := DefSist;\r\n"
        "  DefSist.GroupBox1.HelpContext         := DefSist_GroupBox1;\r\n"
        "  DefSist.rbSistematizaTudo.HelpContext := DefSist_rbSistematizaTudo;\r\n"
        "  DefSist.GroupBox1.Shape1.HelpContext  := DefSist_GroupBox1_Shape1;\r\n"
        "  DefSist.edRelCA.HelpContext           := DefSist_edRelCA;\r\n"
        "end;\r\n";
    EXPECT_EQ(text, expected);
}
