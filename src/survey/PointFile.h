#pragma once
// Survey point files as GNSS receivers and total stations write them: one
// point a line, with a name, easting, northing, elevation and a code in some
// order, separated by tabs, semicolons, commas or blanks, with a decimal point
// or comma, often under a line or two of header. DetectPointFormat guesses
// how a file is laid out; ReadPoints reads it with a layout the user may have
// corrected, and says what it could not read.
//
// A file is read as a stream, once: only its first lines are kept (for the
// detection) and only the points it gives, whatever its size.

#include "data/FileAccess.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
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
    // No header named the columns and the two coordinate columns could be
    // latitude and longitude either way round: ColE and ColN are a guess the
    // import may turn round (see PreparePoints). Never set for a layout the
    // user chose.
    bool OrderGuessed = false;
};

// The columns a user names for a points file, as nivora-cli points --columns
// takes them: the fields in their order, parted by commas, each one of
//   name (nome), e (x), n (y), z (cota), code (codigo), lon (longitude),
//   lat (latitude), and - or skip for a field to pass over;
// fields after the last named one are not read. E and N, or lon and lat
// (the points then in degrees), and z are needed, each at most once.
struct TPointColumns {
    int Name = -1;
    int E = -1;
    int N = -1;
    int Z = -1;
    int Code = -1;
    // The list named lon and lat.
    bool Degrees = false;
};
// Reads a list; throws TPointError saying what is wrong with it.
TPointColumns ParsePointColumns(std::string_view list);
// The layout with the columns set from the list (the separator, decimal mark
// and header lines stay).
void ApplyPointColumns(TPointFormat& format, const TPointColumns& columns);

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

// The longest line a points file may have; a longer one is refused.
constexpr std::size_t kMaxPointLine = 64 * 1024;

// Where the bytes of a points file come from: a file, standard input, a text
// in memory. Read gives up to n bytes, 0 at the end, and throws TFileError
// when the source cannot be read.
class IPointSource {
public:
    virtual ~IPointSource() = default;
    virtual std::size_t Read(char* buffer, std::size_t n) = 0;
};

class TTextPointSource final : public IPointSource {
public:
    explicit TTextPointSource(std::string_view text) : Text(text) {}
    std::size_t Read(char* buffer, std::size_t n) override;

private:
    std::string_view Text;
};

// A points file on disk, opened as project files are: anything but a regular
// file (a FIFO, a device, a folder) is refused at once with TFileError, and so
// is a file that holds other bytes than its size says (the system's /proc
// files), instead of waiting on it or reading without end.
class TFilePointSource final : public IPointSource {
public:
    explicit TFilePointSource(const std::filesystem::path& fileName);
    std::size_t Read(char* buffer, std::size_t n) override;

private:
    TInputFile File;
    std::uint64_t Left = 0;
    std::string Name;
};

// A stream read to its end (standard input).
class TStreamPointSource final : public IPointSource {
public:
    explicit TStreamPointSource(std::istream& in) : In(in) {}
    std::size_t Read(char* buffer, std::size_t n) override;

private:
    std::istream& In;
};

struct TPointReading {
    TPointFormat Format;
    TPointSet Set;
};

// Reads the source once, with the format, or with the layout detected on
// its first lines when none is given. Throws TFileError from the source, and
// TPointError for a file of more lines than a line number counts.
// With columns, the layout detected (or given) takes those columns.
TPointReading ReadPointSource(IPointSource& source, const std::optional<TPointFormat>& format,
                              const std::optional<TPointColumns>& columns = std::nullopt);

TPointFormat DetectPointFormat(std::string_view text);
TPointSet ReadPoints(std::string_view text, const TPointFormat& format);

// Splits one line into its fields as the format does, up to maxFields of
// them: blanks around a field are dropped, and a separator inside a quoted
// field is part of it (the field keeps its quotes).
std::vector<std::string_view> SplitPointLine(std::string_view line, char separator);
void SplitPointLine(std::string_view line, char separator, std::size_t maxFields,
                    std::vector<std::string_view>& fields);
// A number with the given decimal mark, as a surveying program writes it:
// the grammar of every number of the program (ScanNumber) with a digit at
// least, rounded once to the nearest double; false for one beyond a double's
// range. A field wholly in double quotes stands for its content; one of more
// than 64 characters is no number.
bool ParsePointNumber(std::string_view field, char decimal, double& value);

}  // namespace nivora
