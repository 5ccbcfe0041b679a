#pragma once
// What the commands of nivora-cli share: arguments, number and area options,
// loading a project, JSON pieces, and the registry through which each command
// file adds its commands.

#include "Json.h"
#include "calc/CalcSist.h"
#include "data/SaveOpen.h"

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace nivora::cli {

class TUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Thrown when the file is fine but holds nothing to compute: the program's
// warning goes to stderr and the exit status is 2.
class TNothingToCompute : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TArgs {
    std::string command;
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;

    bool Has(const std::string& k) const { return options.count(k) != 0; }
    std::string Get(const std::string& k, const std::string& fallback = {}) const
    {
        auto it = options.find(k);
        return it == options.end() ? fallback : it->second;
    }
};

// Options that take no value.
bool IsFlag(const std::string& option);

// Numbers on the command line are read with ".", as scripts write them.
long double Number(const std::string& text, const std::string& what);
std::int32_t Integer(const std::string& text, const std::string& what);
// "C1,R1,C2,R2" of stakes.
TUsedRect Area(const std::string& text);
// The one positional argument: the project file.
const std::string& File(const TArgs& a);
// The decimal separator of --locale (C, pt_BR, ...); "." by default.
char LocaleSeparator(const TArgs& a);

void WritePlan(TJson& j, const TPlano& p);
void WriteRect(TJson& j, const TUsedRect& r);

// Loads the file and runs the systematization as the program's F9 does: the
// whole used area, or --area; the ratio of --ratio when given. Throws
// TNothingToCompute without a 2 x 2 block of elevations.
struct TRun {
    TLoadedProject Project;
    TSystematizeResult Result;
};
TRun LoadAndSystematize(const TArgs& a);

using TCommand = std::function<int(const TArgs&)>;
struct TCommandInfo {
    TCommand Run;
    std::string Usage;  // one line, after the command name
};
std::map<std::string, TCommandInfo>& Commands();

// A static TRegister in a command file adds its command to the registry.
struct TRegister {
    TRegister(const std::string& name, const std::string& usage, TCommand run);
};

}  // namespace nivora::cli
