#pragma once
// Everything an edit and its undo must give back of a store, compared bit for
// bit, and a text naming each difference with both values, for the message
// of a failing check.

#include "data/UCotas.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace nivora::testing {

struct TStoreSnapshot {
    std::vector<float> Cells;
    std::int32_t ColCount, RowCount, ValueCount;
    TCotaPoint Minimum, Maximum;
    bool ExtremesValid, ResultsValid, Modified;
    TUsedRect UsedRect;

    explicit TStoreSnapshot(const TCotas& s)
        : Cells(s.Cells()),
          ColCount(s.ColCount()),
          RowCount(s.RowCount()),
          ValueCount(s.ValueCount()),
          Minimum(s.Minimum()),
          Maximum(s.Maximum()),
          ExtremesValid(s.ExtremesValid()),
          ResultsValid(s.ResultsValid()),
          Modified(s.Modified()),
          UsedRect(s.UsedRect())
    {}

    // "" when the two are the same; the results and modified flags only
    // with `flags` (an undo in a window leaves the results out of date).
    std::string DifferencesFrom(const TStoreSnapshot& o, bool flags = true) const
    {
        std::string out;
        const auto differ = [&](const char* what, const std::string& mine, const std::string& theirs) {
            if (mine != theirs)
                out += std::string(out.empty() ? "" : "; ") + what + " " + mine + " instead of " + theirs;
        };
        differ("columns", std::to_string(ColCount), std::to_string(o.ColCount));
        differ("rows", std::to_string(RowCount), std::to_string(o.RowCount));
        differ("elevations", std::to_string(ValueCount), std::to_string(o.ValueCount));
        differ("minimum", Text(Minimum), Text(o.Minimum));
        differ("maximum", Text(Maximum), Text(o.Maximum));
        differ("extremes valid", std::to_string(ExtremesValid), std::to_string(o.ExtremesValid));
        if (flags) {
            differ("results valid", std::to_string(ResultsValid), std::to_string(o.ResultsValid));
            differ("modified", std::to_string(Modified), std::to_string(o.Modified));
        }
        differ("used rectangle", Text(UsedRect), Text(o.UsedRect));
        if (Cells.size() == o.Cells.size()) {
            // The first cell that differs (-0 and 0 apart), and how many do.
            std::size_t count = 0, first = 0;
            for (std::size_t i = 0; i < Cells.size(); ++i)
                if (std::memcmp(&Cells[i], &o.Cells[i], sizeof(float)) != 0 && count++ == 0)
                    first = i;
            if (count > 0) {
                const auto cols = std::size_t(ColCount > 0 ? ColCount : 1);
                differ(("cell (" + std::to_string(first % cols + 1) + ", " + std::to_string(first / cols + 1) + ")")
                           .c_str(),
                       Text(Cells[first]), Text(o.Cells[first]));
                if (count > 1)
                    out += " and " + std::to_string(count - 1) + " more cells";
            }
        } else {
            differ("cells", std::to_string(Cells.size()), std::to_string(o.Cells.size()));
        }
        return out;
    }

    static std::string Text(float v)
    {
        char b[32];
        std::snprintf(b, sizeof b, "%.9g", static_cast<double>(v));
        return b;
    }
    static std::string Text(const TCotaPoint& p)
    {
        return Text(p.Value) + " at (" + std::to_string(p.Col) + ", " + std::to_string(p.Row) + ")";
    }
    static std::string Text(const TUsedRect& r)
    {
        return std::to_string(r.FirstCol) + "," + std::to_string(r.FirstRow) + "," + std::to_string(r.LastCol) + ","
               + std::to_string(r.LastRow);
    }
};

}  // namespace nivora::testing
