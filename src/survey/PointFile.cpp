#include "survey/PointFile.h"

#include "data/NumberUtils.h"
#include "survey/PointGrid.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <istream>
#include <map>
#include <numeric>

#ifdef __linux__
#include <sys/vfs.h>
#endif

namespace nivora {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// A field wholly in double quotes stands for its content.
std::string_view Content(std::string_view field, std::string& buffer)
{
    return UnquoteField(field, buffer) ? std::string_view(buffer) : field;
}

// Where the field that starts at `from` may end: past the closing quote when
// it starts with one (a separator between quotes is part of the field, and
// a doubled quote stands for one), else at once.
std::size_t PastQuotes(std::string_view line, std::size_t from)
{
    while (from < line.size() && IsBlank(line[from]))
        ++from;
    if (from >= line.size() || line[from] != '"')
        return from;
    for (std::size_t i = from + 1; i < line.size(); ++i)
        if (line[i] == '"') {
            if (i + 1 < line.size() && line[i + 1] == '"')
                ++i;
            else
                return i + 1;
        }
    return from;  // never closed: the quote is a character like any other
}

bool IsBlankLine(std::string_view line) { return Trim(line).empty(); }

std::string Lower(std::string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        // The accented letters of Portuguese header names, in UTF-8 and in
        // Latin-1, count as their plain letters.
        if (c == 0xC3 && i + 1 < s.size()) {
            const unsigned char d = static_cast<unsigned char>(s[++i]);
            out += "aaaaaaaceeeeiiii?nooooo"[std::min<unsigned>((d & 0x1F), 22)];
            continue;
        }
        if (c >= 0xC0) {
            out += "aaaaaaaceeeeiiii?nooooo"[std::min<unsigned>((c & 0x1F), 22)];
            continue;
        }
        out += static_cast<char>(std::tolower(c));
    }
    return out;
}

enum class TRole { None, Name, E, N, Z, Code, Lat, Lon };

TRole RoleOfName(std::string_view field)
{
    std::string buffer;
    std::string s = Lower(Content(Trim(field), buffer));
    // "Este (m)", "Cota[m]": the unit does not matter.
    if (const auto p = s.find_first_of("([ "); p != std::string::npos)
        s.resize(p);
    // clang-format off
    static const std::map<std::string, TRole> names = {
        {"nome", TRole::Name},      {"ponto", TRole::Name},     {"pt", TRole::Name},
        {"pto", TRole::Name},       {"point", TRole::Name},     {"name", TRole::Name},
        {"id", TRole::Name},        {"estaca", TRole::Name},    {"e", TRole::E},
        {"x", TRole::E},            {"este", TRole::E},         {"leste", TRole::E},
        {"east", TRole::E},         {"easting", TRole::E},      {"n", TRole::N},
        {"y", TRole::N},            {"norte", TRole::N},        {"north", TRole::N},
        {"northing", TRole::N},     {"z", TRole::Z},            {"h", TRole::Z},
        {"cota", TRole::Z},         {"alt", TRole::Z},          {"altitude", TRole::Z},
        {"altura", TRole::Z},       {"elev", TRole::Z},         {"elevacao", TRole::Z},
        {"elevation", TRole::Z},    {"height", TRole::Z},       {"ele", TRole::Z},
        {"cod", TRole::Code},       {"codigo", TRole::Code},    {"code", TRole::Code},
        {"desc", TRole::Code},      {"descricao", TRole::Code}, {"description", TRole::Code},
        {"obs", TRole::Code},       {"lat", TRole::Lat},        {"latitude", TRole::Lat},
        {"lon", TRole::Lon},        {"long", TRole::Lon},       {"lng", TRole::Lon},
        {"longitude", TRole::Lon},
    };
    // clang-format on
    const auto it = names.find(s);
    return it == names.end() ? TRole::None : it->second;
}

struct TCandidate {
    char Separator;
    char Decimal;
};
// In this order ties are settled: a tab or a semicolon is seldom anything
// else, a comma may be the decimal mark.
// Commas both ways only where the numbers are quoted ("101,3","55,2"): with
// fields unquoted they read no more numbers than a decimal point does.
constexpr std::array<TCandidate, 8> kCandidates = {{
    {'\t', '.'},
    {'\t', ','},
    {';', '.'},
    {';', ','},
    {',', '.'},
    {' ', '.'},
    {' ', ','},
    {',', ','},
}};

int NumericFields(const std::vector<std::string_view>& fields, char decimal)
{
    int n = 0;
    double v;
    for (std::string_view f : fields)
        if (ParsePointNumber(f, decimal, v))
            ++n;
    return n;
}

// The columns the detection looks at: no survey file has more.
constexpr std::size_t kSampleFields = 256;

std::vector<std::string_view> SampleFields(std::string_view line, char separator)
{
    std::vector<std::string_view> fields;
    SplitPointLine(line, separator, kSampleFields, fields);
    return fields;
}

// A line of data holds at least three numbers.
bool IsDataLine(std::string_view line, const TCandidate& c)
{
    return NumericFields(SampleFields(line, c.Separator), c.Decimal) >= 3;
}

bool IsInteger(double v) { return std::floor(v) == v; }

// A file of the system's pseudo file systems (processes, devices, kernel
// settings).
bool IsSystemFile(const std::filesystem::path& fileName)
{
#ifdef __linux__
    struct statfs fs {};
    if (::statfs(fileName.c_str(), &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x9fa0:      // proc
    case 0x62656572:  // sysfs
    case 0x64626720:  // debugfs
    case 0x74726163:  // tracefs
    case 0x73636673:  // securityfs
    case 0x62656570:  // configfs
        return true;
    default: return false;
    }
#else
    (void)fileName;
    return false;
#endif
}

// Bytes asked of the source at a time.
constexpr std::size_t kChunk = 64 * 1024;
// The detection looks at this many lines that are not blank, within this
// many bytes at the top of the file.
constexpr std::size_t kSampleLines = 200;
constexpr std::size_t kSampleBytes = 256 * 1024;
// A line too long to read stands in the sample as this text for the
// detection: not blank, no number, no column name.
constexpr std::string_view kLongLineMark = "\x01";

// The lines of a source one at a time, through a buffer of one line and one
// chunk: a line ends at LF, CR or CR LF; a byte order mark ahead of the first
// is skipped; a line longer than kMaxPointLine is passed over to its end
// without being kept.
class TLineReader {
public:
    enum TKind { NoMore, Line, TooLong };

    explicit TLineReader(IPointSource& source) : Source(source), Buf(kMaxPointLine + 1 + kChunk) {}

    // The next line (valid until the next call) and its number from 1.
    TKind Next(std::string_view& line)
    {
        for (;;) {
            if (SkipLf) {
                if (Begin == End && !Fill())
                    return Finish(line);
                if (Buf[Begin] == '\n')
                    ++Begin, Scan = std::max(Scan, Begin);
                SkipLf = false;
            }
            std::size_t i = Scan;
            while (i < End && Buf[i] != '\n' && Buf[i] != '\r')
                ++i;
            if (i < End) {
                SkipLf = Buf[i] == '\r';
                const std::size_t begin = Begin;
                Begin = Scan = i + 1;
                return Deliver(std::string_view(Buf.data() + begin, i - begin), line);
            }
            Scan = End;
            if (!Fill())
                return Finish(line);
        }
    }

    long long Number() const { return Number_; }

private:
    IPointSource& Source;
    std::vector<char> Buf;
    std::size_t Begin = 0;  // the line being read starts here
    std::size_t Scan = 0;   // ... and has no line end before this
    std::size_t End = 0;
    bool SkipLf = false;
    // The line being read grew past the limit: its bytes are dropped.
    bool Skipping = false;
    long long Number_ = 0;

    // More bytes after the line being read; false at the end of the source.
    bool Fill()
    {
        if (End - Begin > kMaxPointLine)
            Skipping = true;
        if (Skipping) {
            Begin = Scan = End = 0;
        } else if (Begin > 0) {
            std::memmove(Buf.data(), Buf.data() + Begin, End - Begin);
            End -= Begin, Scan -= Begin, Begin = 0;
        }
        const std::size_t got = Source.Read(Buf.data() + End, std::min(kChunk, Buf.size() - End));
        End += got;
        return got > 0;
    }

    TKind Finish(std::string_view& line)
    {
        if (Skipping || Begin < End) {
            const std::size_t begin = Begin;
            Begin = Scan = End;
            return Deliver(std::string_view(Buf.data() + begin, End - begin), line);
        }
        return NoMore;
    }

    TKind Deliver(std::string_view text, std::string_view& line)
    {
        ++Number_;
        if (Number_ == 1 && text.substr(0, 3) == "\xEF\xBB\xBF")
            text.remove_prefix(3);
        if (Skipping || text.size() > kMaxPointLine) {
            Skipping = false;
            line = {};
            return TooLong;
        }
        line = text;
        return Line;
    }
};

// The first lines of a file, kept for the detection, then read again as
// the points are.
struct TSample {
    std::vector<std::string> Lines;  // kLongLineMark for one too long
    std::vector<bool> TooLong;
    bool Complete = false;  // the file ends within the sample

    void Take(TLineReader& reader)
    {
        std::size_t nonBlank = 0, bytes = 0;
        std::string_view line;
        while (nonBlank < kSampleLines && bytes < kSampleBytes) {
            const TLineReader::TKind kind = reader.Next(line);
            if (kind == TLineReader::NoMore) {
                Complete = true;
                return;
            }
            Lines.emplace_back(kind == TLineReader::TooLong ? kLongLineMark : line);
            TooLong.push_back(kind == TLineReader::TooLong);
            bytes += Lines.back().size() + 1;
            nonBlank += IsBlankLine(Lines.back()) ? 0 : 1;
        }
    }
};

// A project keeps its elevations as singles: a larger one would become an
// infinite elevation that no saved file can hold.
bool ElevationFits(double z) { return std::isfinite(static_cast<float>(z)); }

// Coordinates of up to 10^15 m: the grid's origin and its stakes then stay
// well within what a project holds.
bool CoordinateFits(double v) { return std::fabs(v) <= kMaxPointCoordinate; }

}  // namespace

void SplitPointLine(std::string_view line, char separator, std::size_t maxFields, std::vector<std::string_view>& fields)
{
    fields.clear();
    if (separator == ' ') {
        std::size_t i = 0;
        while (i < line.size() && fields.size() < maxFields) {
            while (i < line.size() && (IsBlank(line[i]) || line[i] == '\r'))
                ++i;
            if (i >= line.size())
                break;
            const std::size_t start = i;
            i = PastQuotes(line, i);
            while (i < line.size() && !IsBlank(line[i]) && line[i] != '\r')
                ++i;
            fields.push_back(Trim(line.substr(start, i - start)));
        }
        return;
    }
    std::size_t start = 0;
    while (fields.size() < maxFields) {
        const std::size_t p = line.find(separator, PastQuotes(line, start));
        fields.push_back(Trim(line.substr(start, p == std::string_view::npos ? std::string_view::npos : p - start)));
        if (p == std::string_view::npos) {
            // "P1;10;20;30;" ends with an empty field that is no column.
            if (fields.size() > 1 && fields.back().empty())
                fields.pop_back();
            break;
        }
        start = p + 1;
    }
}

std::vector<std::string_view> SplitPointLine(std::string_view line, char separator)
{
    std::vector<std::string_view> fields;
    SplitPointLine(line, separator, line.size() + 1, fields);
    return fields;
}

bool ParsePointNumber(std::string_view field, char decimal, double& value)
{
    std::string unquoted;
    if (UnquoteField(field, unquoted))
        field = unquoted;
    // A coordinate has a digit: a lone mark is no 0 here, as it is in a box.
    TNumberText number;
    double v = 0;
    if (field.size() > 64 || !ScanNumber(field, {decimal, 0}, number) || !number.HasDigits() || !NumberValue(number, v))
        return false;
    value = v;
    return true;
}

namespace {

// The layout of the file whose first lines these are.
// The separator and decimal mark that make data lines of the most lines of
// the sample.
TCandidate BestCandidate(const std::vector<std::string>& lines, const std::vector<std::size_t>& sample)
{
    int bestScore = -1;
    TCandidate best = kCandidates[0];
    for (const TCandidate& c : kCandidates) {
        int score = 0;
        for (std::size_t i : sample)
            score += IsDataLine(lines[i], c) ? 1 : 0;
        if (score > bestScore) {
            bestScore = score;
            best = c;
        }
    }
    return best;
}

// What each field holds over the data lines of the sample.
struct TColumnStats {
    std::size_t FieldCount = 0;  // of the most data lines
    std::vector<bool> Numeric, Integer;
    std::vector<double> MaxAbs, Lowest, Highest;
    // The same with negative values turned by 360: longitudes across the
    // 180th meridian are near each other then.
    std::vector<double> LowestTurned, HighestTurned;

    explicit TColumnStats(std::size_t fields)
        : FieldCount(fields),
          Numeric(fields, true),
          Integer(fields, true),
          MaxAbs(fields, 0),
          Lowest(fields, 1e300),
          Highest(fields, -1e300),
          LowestTurned(fields, 1e300),
          HighestTurned(fields, -1e300)
    {}
    void Add(const std::vector<std::string_view>& fields, char decimal)
    {
        for (std::size_t k = 0; k < FieldCount; ++k) {
            double v;
            if (k >= fields.size() || !ParsePointNumber(fields[k], decimal, v)) {
                Numeric[k] = false;
                continue;
            }
            Integer[k] = Integer[k] && IsInteger(v);
            MaxAbs[k] = std::max(MaxAbs[k], std::fabs(v));
            Lowest[k] = std::min(Lowest[k], v);
            Highest[k] = std::max(Highest[k], v);
            LowestTurned[k] = std::min(LowestTurned[k], v < 0 ? v + 360 : v);
            HighestTurned[k] = std::max(HighestTurned[k], v < 0 ? v + 360 : v);
        }
    }
    // Values within a degree of each other, with decimals: a longitude or
    // latitude of a small area.
    bool Small(int k) const
    {
        const std::size_t u = std::size_t(k);
        return (Highest[u] - Lowest[u] < 1 || HighestTurned[u] - LowestTurned[u] < 1) && !Integer[u];
    }
};

TColumnStats ColumnStats(const std::vector<std::string>& lines, const std::vector<std::size_t>& sample,
                         std::size_t first, const TCandidate& best)
{
    std::vector<std::vector<std::string_view>> data;
    for (std::size_t i : sample)
        if (i >= first && IsDataLine(lines[i], best))
            data.push_back(SampleFields(lines[i], best.Separator));
    std::map<std::size_t, int> counts;
    for (const auto& d : data)
        ++counts[d.size()];
    const std::size_t fieldCount =
        std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
    TColumnStats stats(fieldCount);
    for (const auto& d : data)
        stats.Add(d, best.Decimal);
    return stats;
}

// The columns a header line names above the first data line, and the
// header's field names when it has a field for each column.
void ColumnsFromHeader(TPointFormat& f, const std::vector<std::string>& lines, std::size_t first,
                       std::size_t fieldCount)
{
    std::size_t h = first;
    while (h > 0 && IsBlankLine(lines[h - 1]))
        --h;
    if (h == 0)
        return;
    const auto names = SampleFields(lines[h - 1], f.Separator);
    for (std::size_t k = 0; k < names.size(); ++k) {
        int* slot = nullptr;
        switch (RoleOfName(names[k])) {
        case TRole::Name: slot = &f.ColName; break;
        case TRole::E: slot = &f.ColE; break;
        case TRole::N: slot = &f.ColN; break;
        case TRole::Z: slot = &f.ColZ; break;
        case TRole::Code: slot = &f.ColCode; break;
        case TRole::Lon: slot = &f.ColE, f.HeaderSaysDegrees = true; break;
        case TRole::Lat: slot = &f.ColN, f.HeaderSaysDegrees = true; break;
        case TRole::None: break;
        }
        if (slot && *slot < 0)
            *slot = static_cast<int>(k);
    }
    if (names.size() == fieldCount)
        for (std::string_view n : names) {
            std::string buffer;
            f.FieldNames.emplace_back(Content(n, buffer));
        }
}

// The columns read from what they hold, when no header names them.
void ColumnsFromContent(TPointFormat& f, const TColumnStats& stats)
{
    f.ColName = f.ColCode = -1;
    f.HeaderSaysDegrees = false;
    std::vector<int> numbers;
    for (std::size_t k = 0; k < stats.FieldCount; ++k)
        if (stats.Numeric[k])
            numbers.push_back(static_cast<int>(k));
    std::size_t next = 0;
    if (!stats.Numeric[0]) {
        f.ColName = 0;
    } else if (numbers.size() >= 4 && stats.Integer[0]) {
        // "12,500010.12,7400020.50,101.30": a point number ahead.
        f.ColName = 0;
        next = 1;
    }
    if (numbers.size() < next + 3) {
        f.ColE = 0, f.ColN = 1, f.ColZ = 2;
        return;
    }
    f.ColE = numbers[next];
    f.ColN = numbers[next + 1];
    f.ColZ = numbers[next + 2];
    const double a = stats.MaxAbs[std::size_t(f.ColE)];
    const double b = stats.MaxAbs[std::size_t(f.ColN)];
    // Northings of UTM have seven digits, eastings six; geographic
    // coordinates come as latitude then longitude unless the first
    // cannot be a latitude.
    const bool utmSwapped = a >= 1e6 && b >= 1e5 && b < 1e6;
    const bool degrees = a <= 180 && b <= 180 && stats.Small(f.ColE) && stats.Small(f.ColN);
    if (utmSwapped || (degrees && a <= 90))
        std::swap(f.ColE, f.ColN);
    f.OrderGuessed = degrees && a <= 90 && b <= 90;
    for (std::size_t k = std::size_t(f.ColZ) + 1; k < stats.FieldCount; ++k)
        if (f.ColCode < 0)
            f.ColCode = static_cast<int>(k);
}

TPointFormat DetectInSample(const std::vector<std::string>& lines)
{
    // A few hundred lines tell the layout; the header is at the top.
    std::vector<std::size_t> sample;
    for (std::size_t i = 0; i < lines.size() && sample.size() < kSampleLines; ++i)
        if (!IsBlankLine(lines[i]))
            sample.push_back(i);

    TPointFormat f;
    const TCandidate best = BestCandidate(lines, sample);
    f.Separator = best.Separator;
    f.Decimal = best.Decimal;
    std::size_t first = lines.size();
    for (std::size_t i : sample)
        if (IsDataLine(lines[i], best)) {
            first = i;
            break;
        }
    if (first == lines.size())
        return f;
    f.HeaderLines = static_cast<int>(first);

    const TColumnStats stats = ColumnStats(lines, sample, first, best);
    f.FieldCount = static_cast<int>(stats.FieldCount);
    f.ColName = f.ColCode = -1;
    f.ColE = f.ColN = f.ColZ = -1;
    if (first > 0)
        ColumnsFromHeader(f, lines, first, stats.FieldCount);
    if (f.ColE < 0 || f.ColN < 0 || f.ColZ < 0)
        ColumnsFromContent(f, stats);
    return f;
}

// The points of a file, line after line; Finish merges repeated positions.
class TPointCollector {
public:
    explicit TPointCollector(const TPointFormat& format)
        : Format(format), Needed(std::size_t(std::max({format.ColE, format.ColN, format.ColZ}) + 1))
    {}

    void Add(TLineReader::TKind kind, std::string_view line, long long number)
    {
        if (number > INT_MAX)
            throw TPointError("O arquivo tem mais linhas do que o programa lê (" + std::to_string(INT_MAX) + ").");
        const int lineNo = static_cast<int>(number);
        if (lineNo <= Format.HeaderLines || (kind == TLineReader::Line && IsBlankLine(line)))
            return;
        ++Set.DataLines;
        if (kind == TLineReader::TooLong) {
            Refuse(lineNo, "linha longa demais (mais de " + std::to_string(kMaxPointLine) + " caracteres)");
            return;
        }
        // Only the fields up to the last column read are split off.
        SplitPointLine(line, Format.Separator, Needed, Fields);
        static const char* const columnNames[] = {"E", "N", "Z"};
        const int columns[] = {Format.ColE, Format.ColN, Format.ColZ};
        double v[3];
        for (int k = 0; k < 3; ++k) {
            const int c = columns[k];
            if (c < 0 || std::size_t(c) >= Fields.size()) {
                Refuse(lineNo, "falta a coluna " + std::string(columnNames[k]));
                return;
            }
            const std::string_view field = Fields[std::size_t(c)];
            const char* reason = nullptr;
            if (!ParsePointNumber(field, Format.Decimal, v[k]))
                reason = " não é um número: \"";
            else if (!(k == 2 ? ElevationFits(v[k]) : CoordinateFits(v[k])))
                reason = " fora do intervalo: \"";
            if (reason) {
                std::string buffer;
                Refuse(lineNo, columnNames[k] + (reason + std::string(Content(field, buffer).substr(0, 20))) + "\"");
                return;
            }
        }
        Set.Points.push_back({v[0], v[1], v[2]});
        LineOf.push_back(lineNo);
    }

    TPointSet Finish();

private:
    void MergeRepeated();
    const TPointFormat& Format;
    const std::size_t Needed;
    TPointSet Set;
    // The line of each point, for the report of repeated ones.
    std::vector<std::int32_t> LineOf;
    std::vector<std::string_view> Fields;

    void Refuse(int line, std::string reason)
    {
        if (Set.RefusedCount++ < kPointRemarksKept)
            Set.Refused.push_back({line, std::move(reason)});
    }
};

// Whether the points are longitudes and latitudes: those of a field span a
// fraction of a degree, and a local survey in metres that small is no field.
bool LooksGeographic(const std::vector<TSurveyPoint>& points, bool headerSaysDegrees)
{
    if (points.empty())
        return false;
    double minE = points[0].E, maxE = minE, minN = points[0].N, maxN = minN;
    // Longitudes across the 180th meridian are near each other with the
    // negative ones turned by 360.
    double minTurned = 1e300, maxTurned = -1e300;
    for (const TSurveyPoint& p : points) {
        minE = std::min(minE, p.E), maxE = std::max(maxE, p.E);
        minN = std::min(minN, p.N), maxN = std::max(maxN, p.N);
        const double turned = p.E < 0 ? p.E + 360 : p.E;
        minTurned = std::min(minTurned, turned), maxTurned = std::max(maxTurned, turned);
    }
    const bool inRange = minE >= -180 && maxE <= 180 && minN >= -90 && maxN <= 90;
    const bool smallE = maxE - minE < 1 || maxTurned - minTurned < 1;
    return inRange && (headerSaysDegrees || (smallE && maxN - minN < 1));
}

// Repeated positions: sort an index by E, N (the file's order among equals),
// keep the first of each run with the mean elevation.
void TPointCollector::MergeRepeated()
{
    const std::vector<std::int32_t>& lineOf = LineOf;
    std::vector<std::uint32_t> order(Set.Points.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const TSurveyPoint& p = Set.Points[a];
        const TSurveyPoint& q = Set.Points[b];
        return p.E < q.E || (p.E == q.E && p.N < q.N);
    });
    std::vector<bool> drop(Set.Points.size(), false);
    for (std::size_t i = 0; i < order.size();) {
        std::size_t j = i + 1;
        const TSurveyPoint first = Set.Points[order[i]];
        double sum = first.Z;
        bool conflict = false;
        while (j < order.size() && Set.Points[order[j]].E == first.E && Set.Points[order[j]].N == first.N) {
            const TSurveyPoint& q = Set.Points[order[j]];
            sum += q.Z;
            ++Set.RepeatedCount;
            if (q.Z != first.Z) {
                conflict = true;
                if (Set.ConflictCount++ < kPointRemarksKept)
                    Set.Conflicts.push_back(
                        {lineOf[order[j]],
                         "mesmo E e N da linha " + std::to_string(lineOf[order[i]]) + ", cota diferente"});
            }
            drop[order[j]] = true;
            ++j;
        }
        if (conflict)
            Set.Points[order[i]].Z = sum / double(j - i);
        i = j;
    }
    if (Set.RepeatedCount > 0) {
        std::size_t w = 0;
        for (std::size_t r = 0; r < Set.Points.size(); ++r)
            if (!drop[r])
                Set.Points[w++] = Set.Points[r];
        Set.Points.resize(w);
    }
    std::sort(Set.Conflicts.begin(), Set.Conflicts.end(),
              [](const TPointRemark& a, const TPointRemark& b) { return a.Line < b.Line; });
}

TPointSet TPointCollector::Finish()
{
    MergeRepeated();
    Set.LooksGeographic = LooksGeographic(Set.Points, Format.HeaderSaysDegrees);
    return std::move(Set);
}

}  // namespace

TPointColumns ParsePointColumns(std::string_view list)
{
    // clang-format off
    static const std::map<std::string, int TPointColumns::*, std::less<>> roles = {
        {"name", &TPointColumns::Name}, {"nome", &TPointColumns::Name},     {"e", &TPointColumns::E},
        {"x", &TPointColumns::E},       {"n", &TPointColumns::N},           {"y", &TPointColumns::N},
        {"z", &TPointColumns::Z},       {"cota", &TPointColumns::Z},        {"code", &TPointColumns::Code},
        {"codigo", &TPointColumns::Code}, {"lon", &TPointColumns::E},       {"longitude", &TPointColumns::E},
        {"lat", &TPointColumns::N},     {"latitude", &TPointColumns::N},
    };
    // clang-format on
    TPointColumns c;
    bool metres = false;
    int field = 0;
    for (std::size_t from = 0;; ++field) {
        const std::size_t comma = std::min(list.find(',', from), list.size());
        std::string word(list.substr(from, comma - from));
        for (char& ch : word)
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        if (word != "-" && word != "skip") {
            const auto it = roles.find(word);
            if (it == roles.end())
                throw TPointError("coluna desconhecida \"" + word
                                  + "\"; use name, e, n, z, code, lon, lat ou - (ou skip) para uma coluna ignorada");
            int& slot = c.*(it->second);
            if (slot >= 0)
                throw TPointError("a coluna \"" + word + "\" aparece mais de uma vez, ou junto com a de mesmo papel");
            slot = field;
            if (word.starts_with("lon") || word.starts_with("lat"))
                c.Degrees = true;
            else if (it->second == &TPointColumns::E || it->second == &TPointColumns::N)
                metres = true;
        }
        if (comma == list.size())
            break;
        from = comma + 1;
    }
    if (c.Degrees && metres)
        throw TPointError("lon e lat não vão com e e n: as coordenadas são ou graus ou metros");
    if (c.E < 0 || c.N < 0 || c.Z < 0)
        throw TPointError("faltam colunas: são necessárias e, n e z (ou lon, lat e z)");
    return c;
}

void ApplyPointColumns(TPointFormat& format, const TPointColumns& c)
{
    format.ColName = c.Name;
    format.ColE = c.E;
    format.ColN = c.N;
    format.ColZ = c.Z;
    format.ColCode = c.Code;
    format.HeaderSaysDegrees = c.Degrees;
    format.OrderGuessed = false;
    format.FieldCount = std::max({format.FieldCount, c.Name + 1, c.E + 1, c.N + 1, c.Z + 1, c.Code + 1});
}

TPointReading ReadPointSource(IPointSource& source, const std::optional<TPointFormat>& format,
                              const std::optional<TPointColumns>& columns)
{
    TLineReader reader(source);
    TPointReading out;
    TSample sample;
    if (format) {
        out.Format = *format;
    } else {
        sample.Take(reader);
        out.Format = DetectInSample(sample.Lines);
    }
    if (columns)
        ApplyPointColumns(out.Format, *columns);
    TPointCollector points(out.Format);
    for (std::size_t i = 0; i < sample.Lines.size(); ++i)
        points.Add(sample.TooLong[i] ? TLineReader::TooLong : TLineReader::Line, sample.Lines[i], (long long)i + 1);
    const bool complete = sample.Complete;
    sample = {};
    std::string_view line;
    if (!complete)
        for (TLineReader::TKind kind; (kind = reader.Next(line)) != TLineReader::NoMore;)
            points.Add(kind, line, reader.Number());
    out.Set = points.Finish();
    return out;
}

TPointFormat DetectPointFormat(std::string_view text)
{
    TTextPointSource source(text);
    TLineReader reader(source);
    TSample sample;
    sample.Take(reader);
    return DetectInSample(sample.Lines);
}

TPointSet ReadPoints(std::string_view text, const TPointFormat& format)
{
    TTextPointSource source(text);
    return ReadPointSource(source, format).Set;
}

std::size_t TTextPointSource::Read(char* buffer, std::size_t n)
{
    n = std::min(n, Text.size());
    std::memcpy(buffer, Text.data(), n);
    Text.remove_prefix(n);
    return n;
}

TFilePointSource::TFilePointSource(const std::filesystem::path& fileName)
    : File(fileName), Left(File.Length()), Name(fileName.filename().string())
{
    // The system's own files (/proc, /sys) look like regular files but are
    // made as they are read, some without end or of a size no disk holds.
    if (IsSystemFile(fileName))
        throw TFileError("Não foi possível abrir o arquivo " + Name + ": não é um arquivo comum.");
    // Any other file that says it is empty and yet gives bytes is not what it
    // says either.
    char probe;
    if (Left == 0 && File.Read(&probe, 1))
        throw TFileError("Erro de leitura no arquivo " + Name + ".");
}

std::size_t TFilePointSource::Read(char* buffer, std::size_t n)
{
    // The file is read to the length it had when opened.
    n = std::size_t(std::min<std::uint64_t>(n, Left));
    if (n > 0 && !File.Read(buffer, n))
        throw TFileError("Erro de leitura: o arquivo " + Name + " terminou antes do esperado.");
    Left -= n;
    return n;
}

std::size_t TStreamPointSource::Read(char* buffer, std::size_t n)
{
    if (!In.good())
        return 0;
    In.read(buffer, std::streamsize(n));
    if (In.bad())
        throw TFileError("Erro de leitura na entrada padrão.");
    return std::size_t(In.gcount());
}

}  // namespace nivora
