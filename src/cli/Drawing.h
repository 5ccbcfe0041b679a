#pragma once
// The commands that draw need Qt's GUI libraries, which take longer to load
// than most commands take to run. So nivora-cli links only the core: for a
// command that draws, it checks the command line and then hands it whole to
// nivora-cli-draw, the same front end linked with the drawing layer, installed
// beside it or in ../libexec/nivora. nivora-cli-draw runs every command itself.

#include "Options.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace nivora {
struct TProfile;
}

namespace nivora::cli {

// Runs a command whose Draws is set: in nivora-cli by replacing the process
// with the helper (the same argv), in the helper by its drawing function.
int RunDrawing(const TCommand& command, const TArgs& args, char** argv);

// The drawing functions (MapDrawing.cpp, ReportDrawing.cpp).
int CutFillMap(const TArgs& a);
int ContourMap(const TArgs& a);
int Block(const TArgs& a);  // BlockDrawing.cpp
int Report(const TArgs& a);
// points runs in the helper too: its projection library is as slow to load
// (PointsRun.cpp). ReadOrigin reads its --origin, for the check and the run.
int Points(const TArgs& a);
bool ReadOrigin(const std::string& text, double& x, double& y);
// The check of an option that ReadOrigin reads; `names` says what it holds ("X,Y").
TCheck MetrePairText(const std::string& names);
// georef needs the coordinate systems' database, as points does (GeorefRun.cpp).
int Georef(const TArgs& a);
// export needs GDAL and that database too (ExportRun.cpp).
int Export(const TArgs& a);
// profile: its JSON and CSV in nivora-cli (ProfileCommands.cpp), its chart
// in the helper (ProfileDrawing.cpp). `picture`, when given, makes the bytes
// of -o from the profile.
using TProfilePicture = std::function<std::vector<std::uint8_t>(const TProfile&)>;
int ProfileCommand(const TArgs& a, const TProfilePicture& picture);
int ProfileChart(const TArgs& a);
// drainage with -o: the JSON and the map (DrainageDrawing.cpp).
int DrainageMap(const TArgs& a);

}  // namespace nivora::cli
