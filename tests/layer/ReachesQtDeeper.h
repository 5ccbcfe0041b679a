#pragma once
#include <QString>

inline QString Name() { return QStringLiteral("Nivora"); }
