#pragma once
// Help contexts: where the help file is looked for, and the developer aid
// that writes the procedure assigning a window's help contexts, built from
// the names of the window's controls.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace nivora {

// "NVhelp.hlp" in the program's folder, else "help/NVhelp.hlp" below it.
std::optional<std::filesystem::path> LocateHelpFile(const std::filesystem::path& programFolder);

// A control name as a help-context identifier: blanks become "_" (a blank
// before "_" is dropped), accented letters lose their accents, and what is
// then not a letter, digit or "_" is removed. UTF-8 in and out.
std::string CleanHelpName(const std::string& name);

// One control of a window as the developer aid sees it.
struct THelpControl {
    enum Kind { Windowed, Label, Bevel, Graphic };
    std::string Name;
    Kind ControlKind = Windowed;
    std::vector<THelpControl> Children;
};

// The collected names (window first, depth first), then the procedure
// "procedure <W>SetHelpContext; begin ... end;" with one assignment per name;
// every entry followed by CR LF.
std::string HelpContextProcedureText(const THelpControl& window);

}  // namespace nivora
