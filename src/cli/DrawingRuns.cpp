// nivora-cli-draw: the commands that draw run here, in process.

#include "Drawing.h"

#include <map>
#include <stdexcept>
#include <string>

namespace nivora::cli {

int RunDrawing(const TCommand& command, const TArgs& args, char**)
{
    static const std::map<std::string, TRunFn> runs = {
        {"cutfill-map", CutFillMap}, {"contour-map", ContourMap}, {"report", Report},
        {"points", Points},          {"georef", Georef},          {"export", Export},
        {"profile", ProfileChart},   {"drainage", DrainageMap},   {"block", Block},
    };
    const auto it = runs.find(command.Name);
    if (it == runs.end())
        throw std::logic_error("nivora-cli-draw não sabe executar " + command.Name);
    return it->second(args);
}

}  // namespace nivora::cli
