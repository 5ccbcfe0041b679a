# Fails on a Qt header anywhere in what the sources of nivora_core include:
# each source is run through the compiler's preprocessor (-M), which lists
# every header it reaches, through any number of headers of ours, resolved
# against the include folders of the core and Qt's own. -MG lists a header
# that is not found by the name it was included with, so a Qt include is
# caught in a build without Qt as well.
#   CXX       the C++ compiler
#   INCLUDES  the core's include folders; QT_INCLUDES Qt's, when built with it
#   LIST      a file naming the core's sources, one a line, relative to SRC
#   SOURCES   or the sources themselves
if(LIST)
  file(STRINGS "${LIST}" SOURCES)
  if(NOT SOURCES)
    message(FATAL_ERROR "could not read the sources of nivora_core from ${LIST}")
  endif()
endif()
set(flags -std=c++20 -M -MG)
foreach(dir ${INCLUDES} ${QT_INCLUDES})
  list(APPEND flags "-I${dir}")
endforeach()

set(bad "")
set(headers "")
foreach(cpp ${SOURCES})
  if(NOT IS_ABSOLUTE "${cpp}")
    set(cpp "${SRC}/${cpp}")
  endif()
  execute_process(COMMAND "${CXX}" ${flags} "${cpp}" RESULT_VARIABLE rc OUTPUT_VARIABLE deps ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${CXX} -M ${cpp} failed:\n${err}")
  endif()
  string(REPLACE "\\\n" " " deps "${deps}")
  string(REGEX REPLACE "^[^:]*:" "" deps "${deps}")
  separate_arguments(deps UNIX_COMMAND "${deps}")
  # The first Qt header of each source is named, with the headers of ours
  # listed before it: the way in is among them.
  set(ours "")
  foreach(dep ${deps})
    if(dep MATCHES "(^|/)(qt[56]|Qt[A-Z][A-Za-z]*)/" OR dep MATCHES "(^|/)Q[A-Z][A-Za-z]*$")
      list(JOIN ours " " ours)
      list(APPEND bad "  ${cpp} reaches ${dep} (through: ${ours})")
      break()
    endif()
    list(APPEND headers "${dep}")
    if(NOT dep MATCHES "^/usr/")
      list(APPEND ours "${dep}")
    endif()
  endforeach()
endforeach()
if(bad)
  list(JOIN bad "\n" bad)
  message(FATAL_ERROR "Qt in the core layer:\n${bad}")
endif()
list(REMOVE_DUPLICATES headers)
list(LENGTH SOURCES n)
list(LENGTH headers h)
message(STATUS "${n} core sources, ${h} files reached, no Qt header")
