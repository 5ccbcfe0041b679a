#include "GridText.h"

#include "calc/CalcSist.h"
#include "calc/StakeCoordinates.h"
#include "data/NumberFormat.h"
#include "data/NumberUtils.h"
#include "grid/TextImport.h"

#include <algorithm>
#include <cmath>

namespace nivora {

namespace {

bool Inside(const TUsedRect& r, std::int32_t col, std::int32_t row)
{
    return col >= r.FirstCol && col <= r.LastCol && row >= r.FirstRow && row <= r.LastRow;
}

}  // namespace

std::string CellText(const TTerreno& t, TGridView view, int decimals, std::int32_t col, std::int32_t row, char sep)
{
    if (col == 0 && row == 0)
        return {};
    if (row == 0) {
        const TStakePoint p = StakeCoordinates(t, col, 1);
        return CoordinateText(p.X, p.Real, sep);
    }
    if (col == 0) {
        const TStakePoint p = StakeCoordinates(t, 1, row);
        return CoordinateText(p.Y, p.Real, sep);
    }
    const float z = t.GetCell(col, row);
    if (z == 0.0f)
        return {};
    long double v = z;
    if (view != gvNatural) {
        if (!Inside(t.LastArea(), col, row))
            return {};
        v = view == gvDesign ? t.DesignElevation(col, row) : t.CutFill(col, row);
    }
    return FormatFixed(v, decimals, 10, sep);
}

namespace {

// An elevation in fixed format with 0 to 8 decimals, as FormatFixed writes it
// (precision 10), for the values a copy almost always holds: those with at
// most 10 digits in all. The value times 10^decimals is exact in a double (24
// bits of the single by at most 19 of 5^8), so rounding it to an integer,
// halves away from zero, is the rounding of the exact decimal digits. False,
// nothing appended, for any other value.
bool AppendFixedSingle(std::string& out, float z, int decimals, char sep)
{
    static constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
    if (decimals < 0 || decimals > 8)
        return false;
    const double magnitude = std::fabs(static_cast<double>(z));
    if (!(magnitude < kPow10[10 - decimals]))
        return false;  // more than 10 digits before the mark, or not finite
    const double scaled = magnitude * kPow10[decimals];
    auto n = static_cast<std::uint64_t>(scaled);
    if (scaled - static_cast<double>(n) >= 0.5)
        ++n;
    if (n >= 10000000000u)
        return false;
    const bool zero = n == 0;
    char digits[24];
    char* p = digits + sizeof digits;
    int written = 0;
    do {
        *--p = char('0' + n % 10);
        n /= 10;
        ++written;
    } while (n != 0 || written <= decimals);
    if (z < 0 && !zero)
        out.push_back('-');
    const std::size_t whole = std::size_t(written - decimals);
    out.append(p, whole);
    if (decimals > 0) {
        out.push_back(sep);
        out.append(p + whole, std::size_t(decimals));
    }
    return true;
}

}  // namespace

std::string CopyText(const TTerreno& t, TGridView view, int decimals, const TUsedRect& sel, char sep)
{
    const std::int32_t right = std::min(sel.LastCol, t.ColCount());
    const std::int32_t bottom = std::min(sel.LastRow, t.RowCount());
    std::string out;
    if (bottom >= sel.FirstRow && right >= sel.FirstCol)
        out.reserve(std::size_t(bottom - sel.FirstRow + 1) * std::size_t(right - sel.FirstCol + 1)
                    * std::size_t(8 + std::clamp(decimals, 0, 8)));
    // The natural elevations are written straight from the store; headers
    // and the computed views take the cell's text.
    const bool natural = view == gvNatural && sel.FirstCol >= 1 && sel.FirstRow >= 1;
    for (std::int32_t row = sel.FirstRow; row <= bottom; ++row) {
        const std::size_t lineStart = out.size();
        for (std::int32_t col = sel.FirstCol; col <= right; ++col) {
            if (natural) {
                const float z = t.GetCell(col, row);
                if (z != 0.0f && !AppendFixedSingle(out, z, decimals, sep))
                    out += FormatFixed(z, decimals, 10, sep);
            } else {
                out += CellText(t, view, decimals, col, row, sep);
            }
            out += '\t';
        }
        if (out.size() > lineStart)
            out.pop_back();  // the tab after the last field
        out += "\r\n";
    }
    return out;
}

std::string CopyTextWithCoordinates(const TTerreno& t, TGridView view, int decimals, const TUsedRect& sel, char sep)
{
    const std::int32_t right = std::min(sel.LastCol, t.ColCount());
    const std::int32_t bottom = std::min(sel.LastRow, t.RowCount());
    std::string out;
    for (std::int32_t col = sel.FirstCol; col <= right; ++col) {
        out += '\t';
        out += CellText(t, view, decimals, col, 0, sep);
    }
    out += "\r\n";
    const std::string body = CopyText(t, view, decimals, sel, sep);
    std::size_t start = 0;
    for (std::int32_t row = sel.FirstRow; row <= bottom && start < body.size(); ++row) {
        const std::size_t end = body.find("\r\n", start) + 2;
        out += CellText(t, view, decimals, 0, row, sep);
        out += '\t';
        out.append(body, start, end - start);
        start = end;
    }
    return out;
}

std::vector<float> ParseClipboardLine(std::string_view line, char sep)
{
    std::vector<float> values;
    if (line.empty())
        return values;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        const std::size_t end = tab == std::string_view::npos ? line.size() : tab;
        float v = 0.0f;
        ReadClipboardField(line.substr(start, end - start), sep, v);
        values.push_back(v);
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    return values;
}

std::vector<std::string_view> SplitClipboardLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

TTextReadResult PasteText(TTerreno& t, std::string_view text, std::int32_t col, std::int32_t row, char sep,
                          IProgress* progress)
{
    if (progress) {
        progress->Start("Importando dados da área de transferência...");
        progress->Set(1, 100);
    }
    const TTextReadResult r = ReadElevationText(t, text, col, row, kClipboardLayout, sep, progress);
    if (progress && r.Lines > 0)
        progress->Set(1, 1);
    return r;
}

}  // namespace nivora
