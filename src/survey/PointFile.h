#pragma once
// Survey point files as GNSS receivers and total stations write them: one
// point a line, with a name, easting, northing, elevation and a code in some
// order, separated by tabs, semicolons, commas or blanks, with a decimal point
// or comma, often under a line or two of header. DetectPointFormat guesses
// how a file is laid out; ReadPoints reads it with a layout the user may have
// corrected, and says what it could not read.

#include <string>
#include <string_view>
#include <vector>

namespace nivora {

struct TPointFormat {
    // '\t', ';', ',' or ' ' (a run of blanks, tabs included).
    char Separator = ';';
    char Decimal = '.';
    // Lines skipped at the top of the file, blank ones included.
    int HeaderLines = 0;
    // Field of each column, from 0; -1 when the file has no such column.
    int ColName = -1;
    int ColE = 0;
    int ColN = 1;
    int ColZ = 2;
    int ColCode = -1;
    // Fields of a typical data line; the last header line's fields when
    // there is one (for the column lists of the import dialog).
    int FieldCount = 3;
    std::vector<std::string> FieldNames;
    // The header names latitude and longitude.
    bool HeaderSaysDegrees = false;
};

struct TSurveyPoint {
    double E = 0;
    double N = 0;
    double Z = 0;
};

struct TPointRemark {
    int Line = 0;  // from 1, as an editor counts
    std::string Text;
};

struct TPointSet {
    std::vector<TSurveyPoint> Points;
    // Non-blank lines after the header.
    int DataLines = 0;
    // Lines that held no readable point; the first few with the reason.
    int RefusedCount = 0;
    std::vector<TPointRemark> Refused;
    // Points measured again at the same E and N: with the same elevation
    // the repetition is dropped; with another one the elevations are
    // averaged and the pair is reported.
    int RepeatedCount = 0;
    int ConflictCount = 0;
    std::vector<TPointRemark> Conflicts;
    // Every E and N is a longitude and a latitude of a small area.
    bool LooksGeographic = false;
};

// How many refused lines and conflicts are kept with their text.
constexpr int kPointRemarksKept = 5;
// A line whose E or N is farther from zero is refused, and so is one whose
// Z a single-precision elevation cannot hold.
constexpr double kMaxPointCoordinate = 1e15;

TPointFormat DetectPointFormat(std::string_view text);
TPointSet ReadPoints(std::string_view text, const TPointFormat& format);

// Splits one line into its fields as the format does (blanks and double
// quotes around a field are dropped).
std::vector<std::string_view> SplitPointLine(std::string_view line, char separator);
// A number with the given decimal mark, as a surveying program writes it:
// optional sign, digits, decimals, exponent; nothing else.
bool ParsePointNumber(std::string_view field, char decimal, double& value);

}  // namespace nivora
