#include "NVHelp.h"

#include <cstdint>

namespace nivora {

std::optional<std::filesystem::path> LocateHelpFile(const std::filesystem::path& folder)
{
    std::error_code ec;
    // Beside the program and in its help folder first; then where an
    // installed program's data lives (bin/../share/nivora/help).
    const auto installed = (folder / ".." / "share" / "nivora" / "help" / "NVhelp.hlp").lexically_normal();
    for (const auto& candidate : {folder / "NVhelp.hlp", folder / "help" / "NVhelp.hlp", installed})
        if (std::filesystem::is_regular_file(candidate, ec))
            return candidate;
    return std::nullopt;
}

namespace {

// The plain letter of an accented one (as a UTF-8 sequence), or 0.
char PlainLetter(char32_t c)
{
    // clang-format off
    switch (c) {
    case U'À': case U'Á': case U'Â': case U'Ã': return 'A';
    case U'Ç': return 'C';
    case U'É': case U'Ê': return 'E';
    case U'Í': return 'I';
    case U'Ó': case U'Ô': case U'Õ': return 'O';
    case U'Ú': return 'U';
    case U'à': case U'á': case U'â': case U'ã': return 'a';
    case U'ç': return 'c';
    case U'é': case U'ê': return 'e';
    case U'í': return 'i';
    case U'ó': case U'ô': case U'õ': return 'o';
    case U'ú': return 'u';
    default: return 0;
    }
    // clang-format on
}

std::u32string Decode(const std::string& s)
{
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        char32_t c = b;
        std::size_t len = 1;
        if (b >= 0xF0) {
            c = b & 0x07;
            len = 4;
        } else if (b >= 0xE0) {
            c = b & 0x0F;
            len = 3;
        } else if (b >= 0xC0) {
            c = b & 0x1F;
            len = 2;
        }
        if (i + len > s.size())
            break;
        for (std::size_t k = 1; k < len; ++k)
            c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(c);
        i += len;
    }
    return out;
}

}  // namespace

std::string CleanHelpName(const std::string& name)
{
    std::u32string s = Decode(name);
    // From the last character to the first: blanks and accents.
    for (std::size_t k = s.size(); k-- > 0;) {
        if (s[k] == U' ') {
            if (k + 1 == s.size())
                continue;  // a trailing blank stays, and goes below
            if (s[k + 1] == U'_')
                s.erase(k, 1);
            else
                s[k] = U'_';
        } else if (const char plain = PlainLetter(s[k])) {
            s[k] = static_cast<char32_t>(plain);
        }
    }
    std::string out;
    for (char32_t c : s)
        if ((c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') || (c >= U'0' && c <= U'9') || c == U'_')
            out.push_back(static_cast<char>(c));
    return out;
}

namespace {

void Collect(const THelpControl& c, const std::string& ownerName, bool isWindow, std::vector<std::string>& names)
{
    const std::string cleaned = CleanHelpName(c.Name);
    if (cleaned.empty())
        return;  // skipped with its children
    const std::string text = isWindow || ownerName.empty() ? cleaned : ownerName + "_" + cleaned;
    names.push_back(text);
    for (const THelpControl& child : c.Children) {
        if (child.ControlKind == THelpControl::Windowed) {
            Collect(child, ownerName, false, names);
        } else if (child.ControlKind == THelpControl::Graphic) {
            const std::string childName = CleanHelpName(child.Name);
            if (!childName.empty())
                names.push_back(text + "_" + childName);
        }
    }
}

}  // namespace

std::string HelpContextProcedureText(const THelpControl& window)
{
    std::vector<std::string> names;
    // Every control is owned by the window: its names read Window_Control.
    Collect(window, CleanHelpName(window.Name), true, names);
    std::vector<std::string> entries = names;
    const std::string& last = names.empty() ? std::string() : names.back();
    const std::string prefix = last.substr(0, last.find('_') == std::string::npos ? 0 : last.find('_'));
    entries.push_back("\r\rprocedure " + prefix + "SetHelpContext;\rbegin");
    for (const std::string& n : names) {
        std::string dotted = n;
        for (char& ch : dotted)
            if (ch == '_')
                ch = '.';
        std::string line = "  " + dotted + ".HelpContext";
        if (line.size() < 40)
            line.append(40 - line.size(), ' ');
        entries.push_back(line + ":= " + n + ";");
    }
    entries.push_back("end;");
    std::string out;
    for (const std::string& e : entries)
        out += e + "\r\n";
    return out;
}

}  // namespace nivora
