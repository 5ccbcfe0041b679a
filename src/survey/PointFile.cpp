#include "survey/PointFile.h"

#include "grid/GridText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <map>
#include <numeric>

namespace nivora {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        s = s.substr(1, s.size() - 2);
    return s;
}

// The lines of the text, without their ends; a byte order mark is skipped.
std::vector<std::string_view> Lines(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    return SplitClipboardLines(text);
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
    std::string s = Lower(Trim(field));
    // "Este (m)", "Cota[m]": the unit does not matter.
    if (const auto p = s.find_first_of("([ "); p != std::string::npos)
        s.resize(p);
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
    const auto it = names.find(s);
    return it == names.end() ? TRole::None : it->second;
}

struct TCandidate {
    char Separator;
    char Decimal;
};
// In this order ties are settled: a tab or a semicolon is seldom anything
// else, a comma may be the decimal mark.
constexpr std::array<TCandidate, 7> kCandidates = {{
    {'\t', '.'}, {'\t', ','}, {';', '.'}, {';', ','}, {',', '.'}, {' ', '.'}, {' ', ','},
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

// A line of data holds at least three numbers.
bool IsDataLine(std::string_view line, const TCandidate& c)
{
    return NumericFields(SplitPointLine(line, c.Separator), c.Decimal) >= 3;
}

bool IsInteger(double v) { return std::floor(v) == v; }

// A project keeps its elevations as singles: a larger one would become an
// infinite elevation that no saved file can hold.
bool ElevationFits(double z) { return std::isfinite(static_cast<float>(z)); }

// Coordinates of up to 10^15 m: the grid's origin and its stakes then stay
// well within what a project holds.
bool CoordinateFits(double v) { return std::fabs(v) <= kMaxPointCoordinate; }

}  // namespace

std::vector<std::string_view> SplitPointLine(std::string_view line, char separator)
{
    std::vector<std::string_view> fields;
    if (separator == ' ') {
        std::size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && (IsBlank(line[i]) || line[i] == '\r'))
                ++i;
            if (i >= line.size())
                break;
            const std::size_t start = i;
            while (i < line.size() && !IsBlank(line[i]) && line[i] != '\r')
                ++i;
            fields.push_back(Trim(line.substr(start, i - start)));
        }
        return fields;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t p = line.find(separator, start);
        fields.push_back(Trim(line.substr(start, p == std::string_view::npos ? std::string_view::npos : p - start)));
        if (p == std::string_view::npos)
            break;
        start = p + 1;
    }
    // "P1;10;20;30;" ends with an empty field that is no column.
    if (fields.size() > 1 && fields.back().empty())
        fields.pop_back();
    return fields;
}

bool ParsePointNumber(std::string_view field, char decimal, double& value)
{
    if (field.empty() || field.size() > 64)
        return false;
    char buf[65];
    std::size_t n = 0;
    std::size_t i = 0;
    if (field[0] == '+' || field[0] == '-') {
        if (field[0] == '-')
            buf[n++] = '-';
        i = 1;
    }
    bool digits = false;
    bool point = false;
    bool exponent = false;
    for (; i < field.size(); ++i) {
        const char c = field[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            buf[n++] = c;
        } else if (c == decimal && !point && !exponent) {
            point = true;
            buf[n++] = '.';
        } else if ((c == 'e' || c == 'E') && digits && !exponent) {
            exponent = true;
            buf[n++] = 'e';
            if (i + 1 < field.size() && (field[i + 1] == '+' || field[i + 1] == '-'))
                buf[n++] = field[++i];
            if (i + 1 >= field.size())
                return false;
        } else {
            return false;
        }
    }
    if (!digits)
        return false;
    const auto r = std::from_chars(buf, buf + n, value);
    return r.ec == std::errc() && r.ptr == buf + n && std::isfinite(value);
}

TPointFormat DetectPointFormat(std::string_view text)
{
    const std::vector<std::string_view> lines = Lines(text);
    // A few hundred lines tell the layout; the header is at the top.
    std::vector<std::size_t> sample;
    for (std::size_t i = 0; i < lines.size() && sample.size() < 200; ++i)
        if (!IsBlankLine(lines[i]))
            sample.push_back(i);

    TPointFormat f;
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

    // What each field holds over the data lines of the sample.
    std::vector<std::vector<std::string_view>> data;
    for (std::size_t i : sample)
        if (i >= first && IsDataLine(lines[i], best))
            data.push_back(SplitPointLine(lines[i], best.Separator));
    std::map<std::size_t, int> counts;
    for (const auto& d : data)
        ++counts[d.size()];
    const std::size_t fieldCount =
        std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
    f.FieldCount = static_cast<int>(fieldCount);
    std::vector<bool> numeric(fieldCount, true);
    std::vector<bool> integer(fieldCount, true);
    std::vector<double> maxAbs(fieldCount, 0);
    std::vector<double> lowest(fieldCount, 1e300);
    std::vector<double> highest(fieldCount, -1e300);
    for (const auto& d : data) {
        for (std::size_t k = 0; k < fieldCount; ++k) {
            double v;
            if (k >= d.size() || !ParsePointNumber(d[k], best.Decimal, v)) {
                numeric[k] = false;
                continue;
            }
            integer[k] = integer[k] && IsInteger(v);
            maxAbs[k] = std::max(maxAbs[k], std::fabs(v));
            lowest[k] = std::min(lowest[k], v);
            highest[k] = std::max(highest[k], v);
        }
    }

    // A header line names the columns.
    f.ColName = f.ColCode = -1;
    f.ColE = f.ColN = f.ColZ = -1;
    if (first > 0) {
        std::size_t h = first;
        while (h > 0 && IsBlankLine(lines[h - 1]))
            --h;
        if (h > 0) {
            const auto names = SplitPointLine(lines[h - 1], best.Separator);
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
                for (std::string_view n : names)
                    f.FieldNames.emplace_back(n);
        }
    }
    if (f.ColE >= 0 && f.ColN >= 0 && f.ColZ >= 0)
        return f;

    // No usable header: read the columns from their content.
    f.ColName = f.ColCode = -1;
    f.HeaderSaysDegrees = false;
    std::vector<int> numbers;
    for (std::size_t k = 0; k < fieldCount; ++k)
        if (numeric[k])
            numbers.push_back(static_cast<int>(k));
    std::size_t next = 0;
    if (!numeric[0]) {
        f.ColName = 0;
    } else if (numbers.size() >= 4 && integer[0]) {
        // "12,500010.12,7400020.50,101.30": a point number ahead.
        f.ColName = 0;
        next = 1;
    }
    if (numbers.size() < next + 3) {
        f.ColE = 0, f.ColN = 1, f.ColZ = 2;
        return f;
    }
    f.ColE = numbers[next];
    f.ColN = numbers[next + 1];
    f.ColZ = numbers[next + 2];
    const double a = maxAbs[std::size_t(f.ColE)];
    const double b = maxAbs[std::size_t(f.ColN)];
    // Northings of UTM have seven digits, eastings six; geographic
    // coordinates come as latitude then longitude unless the first
    // cannot be a latitude.
    const bool utmSwapped = a >= 1e6 && b >= 1e5 && b < 1e6;
    const auto small = [&](int k) { return highest[std::size_t(k)] - lowest[std::size_t(k)] < 1 && !integer[std::size_t(k)]; };
    const bool degrees = a <= 180 && b <= 180 && small(f.ColE) && small(f.ColN);
    if (utmSwapped || (degrees && a <= 90))
        std::swap(f.ColE, f.ColN);
    for (std::size_t k = std::size_t(f.ColZ) + 1; k < fieldCount; ++k)
        if (f.ColCode < 0)
            f.ColCode = static_cast<int>(k);
    return f;
}

TPointSet ReadPoints(std::string_view text, const TPointFormat& format)
{
    TPointSet set;
    const std::vector<std::string_view> lines = Lines(text);
    const char* columnNames[] = {"E", "N", "Z"};
    const int columns[] = {format.ColE, format.ColN, format.ColZ};
    std::vector<int> lineOf;
    const auto refuse = [&](int line, std::string reason) {
        if (set.RefusedCount++ < kPointRemarksKept)
            set.Refused.push_back({line, std::move(reason)});
    };
    for (std::size_t i = std::size_t(std::max(0, format.HeaderLines)); i < lines.size(); ++i) {
        if (IsBlankLine(lines[i]))
            continue;
        ++set.DataLines;
        const int lineNo = static_cast<int>(i) + 1;
        const auto fields = SplitPointLine(lines[i], format.Separator);
        double v[3];
        bool ok = true;
        for (int k = 0; k < 3 && ok; ++k) {
            const int c = columns[k];
            if (c < 0 || std::size_t(c) >= fields.size()) {
                refuse(lineNo, "falta a coluna " + std::string(columnNames[k]));
                ok = false;
                continue;
            }
            const std::string_view field = fields[std::size_t(c)];
            const std::string shown(field.substr(0, 20));
            if (!ParsePointNumber(field, format.Decimal, v[k])) {
                refuse(lineNo, std::string(columnNames[k]) + " não é um número: \"" + shown + "\"");
                ok = false;
            } else if (!(k == 2 ? ElevationFits(v[k]) : CoordinateFits(v[k]))) {
                refuse(lineNo, std::string(columnNames[k]) + " fora do intervalo: \"" + shown + "\"");
                ok = false;
            }
        }
        if (!ok)
            continue;
        set.Points.push_back({v[0], v[1], v[2]});
        lineOf.push_back(lineNo);
    }

    // Repeated positions: sort an index by E, N (the file's order among
    // equals), keep the first of each run with the mean elevation.
    std::vector<std::uint32_t> order(set.Points.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const TSurveyPoint& p = set.Points[a];
        const TSurveyPoint& q = set.Points[b];
        return p.E < q.E || (p.E == q.E && p.N < q.N);
    });
    std::vector<bool> drop(set.Points.size(), false);
    for (std::size_t i = 0; i < order.size();) {
        std::size_t j = i + 1;
        const TSurveyPoint first = set.Points[order[i]];
        double sum = first.Z;
        bool conflict = false;
        while (j < order.size() && set.Points[order[j]].E == first.E && set.Points[order[j]].N == first.N) {
            const TSurveyPoint& q = set.Points[order[j]];
            sum += q.Z;
            ++set.RepeatedCount;
            if (q.Z != first.Z) {
                conflict = true;
                if (set.ConflictCount++ < kPointRemarksKept)
                    set.Conflicts.push_back({lineOf[order[j]], "mesmo E e N da linha " + std::to_string(lineOf[order[i]]) +
                                                                   ", cota diferente"});
            }
            drop[order[j]] = true;
            ++j;
        }
        if (conflict)
            set.Points[order[i]].Z = sum / double(j - i);
        i = j;
    }
    if (set.RepeatedCount > 0) {
        std::size_t w = 0;
        for (std::size_t r = 0; r < set.Points.size(); ++r)
            if (!drop[r])
                set.Points[w++] = set.Points[r];
        set.Points.resize(w);
    }
    std::sort(set.Conflicts.begin(), set.Conflicts.end(),
              [](const TPointRemark& a, const TPointRemark& b) { return a.Line < b.Line; });

    // Longitudes and latitudes of a field span a fraction of a degree; a
    // local survey in metres that small is no field.
    if (!set.Points.empty()) {
        double minE = set.Points[0].E, maxE = minE, minN = set.Points[0].N, maxN = minN;
        for (const TSurveyPoint& p : set.Points) {
            minE = std::min(minE, p.E), maxE = std::max(maxE, p.E);
            minN = std::min(minN, p.N), maxN = std::max(maxN, p.N);
        }
        const bool inRange = minE >= -180 && maxE <= 180 && minN >= -90 && maxN <= 90;
        set.LooksGeographic = inRange && (format.HeaderSaysDegrees || (maxE - minE < 1 && maxN - minN < 1));
    }
    return set;
}

}  // namespace nivora
