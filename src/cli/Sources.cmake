# nivora-cli: what every command needs (the core only), and what the
# commands that draw need besides (QtGui, QtSvg), built into nivora-cli-draw.
# The report's options are checked in nivora-cli, its pages made in the
# helper.
list(APPEND NIVORA_CLI_SOURCES
  cli/main.cpp
  cli/Json.cpp
  cli/Options.cpp
  cli/CliCommon.cpp
  cli/Commands.cpp
  cli/ProjectCommands.cpp
  cli/DesignCommands.cpp
  cli/OptimizeCommands.cpp
  cli/HaulCommands.cpp
  cli/BlockCommands.cpp
  cli/MapCommands.cpp
  cli/PointsCommands.cpp
  cli/GeorefCommands.cpp
  cli/ReportCommands.cpp
  cli/ExportCommands.cpp
  cli/ProfileCommands.cpp
  cli/DrainageCommands.cpp
)
list(APPEND NIVORA_CLI_DRAW_SOURCES
  cli/BlockDrawing.cpp
  cli/DrawingRuns.cpp
  cli/MapDrawing.cpp
  cli/ReportDrawing.cpp
  cli/ProfileDrawing.cpp
  cli/DrainageDrawing.cpp
)
