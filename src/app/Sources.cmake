# The main frame, the platform layer and the help viewer (the program's
# start, app/main.cpp, is the nivora target itself).
list(APPEND NIVORA_UI_SOURCES
  app/sist.cpp
  app/Platform.cpp
  app/HelpViewer.cpp
)
