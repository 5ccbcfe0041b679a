#pragma once
// A header of the kind the core must never reach: it looks like standard C++
// to the file that includes it, and brings Qt in one level down.
#include "layer/ReachesQtDeeper.h"
