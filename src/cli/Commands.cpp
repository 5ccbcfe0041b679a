#include "Commands.h"

namespace nivora::cli {

const std::vector<TCommand>& CommandTable()
{
    static const std::vector<TCommand> table = [] {
        std::vector<TCommand> all;
        for (auto group :
             {ProjectCommands, DesignCommands, OptimizeCommands, HaulCommands, MapCommands, BlockCommands,
              DrainageCommands, PointsCommands, GeorefCommands, ReportCommands, ExportCommands, ProfileCommands})
            for (TCommand& c : group())
                all.push_back(std::move(c));
        return all;
    }();
    return table;
}

const TCommand* FindCommand(const std::string& name)
{
    for (const TCommand& c : CommandTable())
        if (c.Name == name)
            return &c;
    return nullptr;
}

}  // namespace nivora::cli
