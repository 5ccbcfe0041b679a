// Not part of any target: the core_warns_on_narrowing test compiles it with
// the core's own options and wants both silent conversions reported.
#include <cstddef>

float Narrowed(double v) { return v; }

std::size_t Unsigned(int i) { return i; }
