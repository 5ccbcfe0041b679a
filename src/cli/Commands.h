#pragma once
// The commands of nivora-cli. Each group of commands lives in a file of its
// own and hands its commands over through a function declared here; the one
// table in Commands.cpp lists them in the order the help shows them.
//
// To add a command: describe it (a TCommand: name, operand, summary,
// description, options with their checks, the function that runs it) in the
// file of its group, declare that file's function below, and add it to the
// table. A command that needs Qt's GUI libraries sets Draws and puts its
// drawing function in DrawingRuns.cpp instead of Run (see Drawing.h).

#include "Options.h"

#include <string>
#include <vector>

namespace nivora::cli {

std::vector<TCommand> ProjectCommands();   // info, import, grid, winsurf, systematize, plan
std::vector<TCommand> MapCommands();       // cutfill-map, contours, contour-map
std::vector<TCommand> PointsCommands();    // points
std::vector<TCommand> ReportCommands();    // report
std::vector<TCommand> DesignCommands();    // design
std::vector<TCommand> OptimizeCommands();  // optimize
std::vector<TCommand> GeorefCommands();    // georef
std::vector<TCommand> ExportCommands();    // export
std::vector<TCommand> ProfileCommands();   // profile
std::vector<TCommand> DrainageCommands();  // drainage
std::vector<TCommand> HaulCommands();      // haul
std::vector<TCommand> BlockCommands();     // block

const std::vector<TCommand>& CommandTable();
const TCommand* FindCommand(const std::string& name);

}  // namespace nivora::cli
