#include "GridText.h"

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
    if (row == 0)
        return FormatGeneral(t.StakeX(col), 8, sep);
    if (col == 0)
        return FormatGeneral(t.StakeY(row), 8, sep);
    const float z = t.GetCell(col, row);
    if (z == 0.0f)
        return {};
    long double v = z;
    if (view != gvNatural) {
        if (!Inside(t.LastArea, col, row))
            return {};
        v = view == gvDesign ? t.DesignElevation(col, row) : t.CutFill(col, row);
    }
    return FormatFixed(v, decimals, 10, sep);
}

std::string CopyText(const TTerreno& t, TGridView view, int decimals, const TUsedRect& sel, char sep)
{
    const std::int32_t right = std::min(sel.LastCol, t.ColCount);
    const std::int32_t bottom = std::min(sel.LastRow, t.RowCount);
    std::string out;
    for (std::int32_t row = sel.FirstRow; row <= bottom; ++row) {
        std::string line;
        for (std::int32_t col = sel.FirstCol; col <= right; ++col) {
            line += CellText(t, view, decimals, col, row, sep);
            line += '\t';
        }
        if (!line.empty())
            line.pop_back();
        out += line;
        out += "\r\n";
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
        if (tab == std::string_view::npos && start == line.size())
            break;  // a line that ends in a tab has no empty field after it
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
