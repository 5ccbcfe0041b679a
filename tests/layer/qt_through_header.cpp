// Given to the core layer's check as if it were a source of the core: the
// check must name the Qt header that this file reaches through two of ours.
#include <string>

#include "layer/ReachesQt.h"

std::string Plain() { return "Nivora"; }
