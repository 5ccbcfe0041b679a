#pragma once
// The command line of nivora-cli: each command describes its operand and its
// options once (TCommand), and that description both checks the arguments
// and writes the command's help. A value is checked as it is read, so a
// mistake stops the command before any file is read or written.

#include "data/GridTypes.h"

#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace nivora::cli {

// Exit statuses. Scripts rely on them; the general help and the README list
// them (ExitStatusHelp).
enum TExitStatus : int {
    kExitOk = 0,
    kExitFailure = 1,  // an unexpected failure
    kExitUsage = 2,    // the command line is wrong; nothing was read or written
    kExitInput = 3,    // an input file cannot be read, or is not what the command reads
    kExitRefused = 4,  // the file holds nothing the command can compute
    kExitOutput = 5,   // an output file cannot be written
};
const char* ExitStatusHelp();

// A mistake on the command line. The message names the option; the command's
// usage follows it on stderr.
class TUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Checks one option's value; throws TUsageError naming the option.
using TCheck = std::function<void(const std::string& option, const std::string& value)>;

struct TOption {
    std::string Name{};     // "--ratio", "-o"
    std::string Value{};    // the value's name in the help ("R"); empty for an option without a value
    std::string Help{};     // what it does, with its range
    std::string Default{};  // the default in words, for the help; empty when there is none
    TCheck Check{};         // empty: any text
    bool Required = false;
};

struct TArgs;
using TRunFn = std::function<int(const TArgs&)>;

struct TCommand {
    std::string Name{};
    std::string Operand{};      // "ARQUIVO", "TEXTO"
    std::string Summary{};      // one line in the list of commands
    std::string Description{};  // a sentence or two at the head of the command's help
    std::vector<TOption> Options{};
    TRunFn Run{};
    // Commands that draw need Qt's GUI libraries; they run in the drawing
    // helper so that the others start without loading them (Drawing.h).
    bool Draws = false;
    // Replaces the usage line made from the options, for options that go
    // together in a way the list cannot say.
    std::string UsageOverride{};
    // Checks of options that go together (one of two, not both); throws
    // TUsageError. Run with the other checks, before any file is read.
    std::function<void(const TArgs&)> CheckTogether{};
    // An option with which a command that otherwise draws nothing draws, and
    // so runs in the drawing helper as Draws commands do.
    std::string DrawsWith{};

    const TOption* Find(const std::string& name) const;
    std::string Usage() const;  // "nivora-cli NAME OPERAND [options]"
    std::string Help() const;   // the whole help of the command
};

struct TArgs {
    const TCommand* Command = nullptr;
    std::vector<std::string> Positional;
    std::map<std::string, std::string> Options;

    bool Has(const std::string& k) const { return Options.count(k) != 0; }
    std::string Get(const std::string& k, const std::string& fallback = {}) const;
    // Values already checked by the option's TCheck.
    long double Number(const std::string& k, long double fallback) const;
    std::int32_t Integer(const std::string& k, std::int32_t fallback) const;
};

// Reads the arguments after the command's name against its options. A help
// request (-h, --help) is reported through `helpAsked` without other checks.
TArgs ParseArgs(const TCommand& command, const std::vector<std::string>& args, bool& helpAsked);

// The checks. Numbers are written with "." or "," as the decimal separator;
// ranges are inclusive.
TCheck IsNumber();
TCheck NumberIn(long double lowest, long double highest);
TCheck Positive();
TCheck Spacing();  // a spacing between stakes that a project holds and reads back
TCheck IntegerIn(std::int32_t lowest, std::int32_t highest);
TCheck OneOf(std::vector<std::string> choices);
TCheck AreaText();                    // C1,R1,C2,R2
TCheck NumberList(std::size_t most);  // A,B,... with "." only
// Lower case, with the dot: ".png". "-" (standard output) is accepted when the
// command has a text format to write there (textOnStandardOutput, ".csv").
TCheck OutputExtension(std::vector<std::string> extensions, std::string textOnStandardOutput = {});

// The number of a value that passed IsNumber.
long double ReadNumber(const std::string& text);
// "C1,R1,C2,R2" that passed AreaText.
TUsedRect ReadArea(const std::string& text);
// The extension of a path in lower case, with its dot; empty when it has none.
std::string LowerExtension(const std::string& path);
// The options every command has.
TOption HelpOption();

}  // namespace nivora::cli
