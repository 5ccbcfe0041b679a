#pragma once
// The one place where numbers become text, for every window and for the batch
// front end. The decimal separator is always passed in: the windows pass the
// user's locale setting, the batch front end "." unless told otherwise.

#include <string>

namespace nivora {

// At most `digits` significant digits, shortest text, no trailing zeros;
// scientific ("1,5E-7", "2E20") only for decimal exponents below -5 or when the
// value has more than `digits` digits before the separator.
std::string FormatGeneral(long double value, int digits, char decimalSeparator);

// The value rounded to `precision` significant digits, then written with
// exactly `decimals` decimals; scientific when it has more than `precision`
// digits before the separator. Rounding is to nearest, halves away from zero.
std::string FormatFixed(long double value, int decimals, int precision, char decimalSeparator);

// The shortest text in general format that reads back to the value: a value
// a single holds exactly (a stake's coordinate, a spacing, an origin) reads
// back as that single ("0,05", not "0,050000001"); any other value is written
// with 10 significant digits as FormatGeneral writes it.
std::string FormatShortest(long double value, char decimalSeparator);

}  // namespace nivora
