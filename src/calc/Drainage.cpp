#include "calc/Drainage.h"

#include "calc/CalcSist.h"
#include "data/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <queue>

namespace nivora {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool IsNaN(double v) { return v != v; }

}  // namespace

TDrainGrid DrainageSurface(const TTerreno& terrain, TDrainSurface surface, const TUsedRect& area)
{
    TDrainGrid g;
    g.Lx = static_cast<double>(static_cast<long double>(terrain.Lx()));
    g.Ly = static_cast<double>(static_cast<long double>(terrain.Ly()));
    const TUsedRect a{std::max(area.FirstCol, 1), std::max(area.FirstRow, 1),
                      std::min(area.LastCol, terrain.ColCount()), std::min(area.LastRow, terrain.RowCount())};
    if (a.IsEmpty())
        return g;
    g.Area = a;
    g.Width = a.LastCol - a.FirstCol + 1;
    g.Height = a.LastRow - a.FirstRow + 1;
    g.Z.assign(std::size_t(g.Width) * std::size_t(g.Height), kNaN);
    for (std::int32_t r = a.FirstRow; r <= a.LastRow; ++r)
        for (std::int32_t c = a.FirstCol; c <= a.LastCol; ++c) {
            const float z = terrain.GetCell(c, r);
            if (z == 0.0f)
                continue;
            g.Z[g.Index(c, r)] = surface == TDrainSurface::Natural ? static_cast<double>(z)
                                                                   : static_cast<double>(terrain.DesignElevation(c, r));
        }
    return g;
}

TUsedRect DrainageArea(const TTerreno& terrain, TDrainSurface surface)
{
    if (surface == TDrainSurface::Natural)
        return terrain.ComputeUsedRect();
    // A file's plans come without their run's area, (0, 0, 0, 0), until
    // RestoreLastArea finds them current.
    const TUsedRect last = terrain.LastArea();
    return terrain.PlaneComputed() && last.FirstCol >= 1 && last.FirstRow >= 1 ? last : TUsedRect{1, 1, 0, 0};
}

std::vector<std::uint8_t> BorderOutlets(const TDrainGrid& g)
{
    std::vector<std::uint8_t> out(g.Z.size(), 0);
    for (std::int32_t r = g.Area.FirstRow; r <= g.Area.LastRow; ++r)
        for (std::int32_t c = g.Area.FirstCol; c <= g.Area.LastCol; ++c) {
            const std::size_t i = g.Index(c, r);
            if (!g.HasStake(i))
                continue;
            for (int k = 0; k < 8; ++k) {
                const std::int32_t nc = c + kD8Col[k], nr = r + kD8Row[k];
                if (!g.Inside(nc, nr) || !g.HasStake(g.Index(nc, nr))) {
                    out[i] = 1;
                    break;
                }
            }
        }
    return out;
}

TOutletList ParseOutlets(const std::string& text, const TDrainGrid& g)
{
    TOutletList list;
    const auto refuse = [&](int line, const std::string& why) {
        list.Stakes.clear();
        list.Error = "linha " + std::to_string(line) + " do arquivo de saídas: " + why;
        return list;
    };
    int line = 0;
    for (std::size_t start = 0; start <= text.size();) {
        ++line;
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string s = text.substr(start, end - start);
        start = end + 1;
        for (char& ch : s)
            if (ch == '\t' || ch == ',' || ch == ';' || ch == '\r')
                ch = ' ';
        std::vector<std::string> words;
        for (std::size_t p = s.find_first_not_of(' '); p != std::string::npos; p = s.find_first_not_of(' ', p)) {
            const std::size_t stop = std::min(s.find(' ', p), s.size());
            words.push_back(s.substr(p, stop - p));
            p = stop;
        }
        if (words.empty() || words[0][0] == '#')
            continue;
        std::int32_t v[2] = {0, 0};
        bool ok = words.size() == 2;
        for (std::size_t k = 0; ok && k < 2; ++k) {
            const auto [next, ec] = std::from_chars(words[k].data(), words[k].data() + words[k].size(), v[k]);
            ok = ec == std::errc() && next == words[k].data() + words[k].size();
        }
        if (!ok) {
            const std::size_t first = s.find_first_not_of(' ');
            return refuse(line, "escreva a coluna e a linha de um piquete (recebido: \"" + s.substr(first) + "\")");
        }
        if (!g.Inside(v[0], v[1]) || !g.HasStake(g.Index(v[0], v[1])))
            return refuse(line, "o piquete (" + std::to_string(v[0]) + ", " + std::to_string(v[1])
                                    + ") não tem cota no terreno");
        list.Stakes.emplace_back(v[0], v[1]);
    }
    if (list.Stakes.empty())
        list.Error = "o arquivo de saídas não indica nenhum piquete";
    return list;
}

std::vector<std::uint8_t> OutletMask(const TDrainGrid& g, const TOutletList& list)
{
    std::vector<std::uint8_t> out(g.Z.size(), 0);
    for (const auto& [c, r] : list.Stakes)
        if (g.Inside(c, r))
            out[g.Index(c, r)] = 1;
    return out;
}

TDrainage ComputeDrainage(const TDrainGrid& g, const std::vector<std::uint8_t>& outlets)
{
    TDrainage d;
    d.Area = g.Area;
    d.Width = g.Width;
    d.Height = g.Height;
    d.CellArea = g.Lx * g.Ly;
    const std::size_t n = g.Z.size();
    d.Filled.assign(n, kNaN);
    d.Depth.assign(n, kNaN);
    d.Direction.assign(n, kNoStake);
    d.Accumulation.assign(n, 0);
    if (n == 0)
        return d;

    const double diagonal = std::sqrt(g.Lx * g.Lx + g.Ly * g.Ly);
    double distance[8];
    std::ptrdiff_t offset[8];
    for (int k = 0; k < 8; ++k) {
        distance[k] = kD8Col[k] == 0 ? g.Ly : kD8Row[k] == 0 ? g.Lx : diagonal;
        offset[k] = std::ptrdiff_t(kD8Row[k]) * g.Width + kD8Col[k];
    }
    const auto neighbour = [&](std::size_t i, int k, std::size_t& ni) {
        const std::int32_t c = std::int32_t(i % std::size_t(g.Width)) + kD8Col[k];
        const std::int32_t r = std::int32_t(i / std::size_t(g.Width)) + kD8Row[k];
        if (c < 0 || c >= g.Width || r < 0 || r >= g.Height)
            return false;
        ni = std::size_t(std::ptrdiff_t(i) + offset[k]);
        return g.HasStake(ni);
    };

    // The flood: the lowest stake reached so far is taken next; a neighbour
    // below the level it is reached at takes that level and is taken before
    // anything higher (the plain queue), so the stakes leave in order of
    // level and every one after the stake it was reached from.
    struct TItem {
        double Level;
        std::uint64_t Seq;
        std::uint32_t Index;
        bool operator>(const TItem& o) const { return Level != o.Level ? Level > o.Level : Seq > o.Seq; }
    };
    std::priority_queue<TItem, std::vector<TItem>, std::greater<TItem>> open;
    std::vector<std::uint32_t> pit;
    std::size_t pitHead = 0;
    std::uint64_t seq = 0;
    std::vector<std::int8_t> towardParent(n, -1);
    std::vector<std::uint8_t> seen(n, 0);
    std::vector<std::uint32_t> order;
    order.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (!g.HasStake(i))
            continue;
        ++d.StakeCount;
        if (i < outlets.size() && outlets[i]) {
            ++d.OutletCount;
            seen[i] = 1;
            d.Filled[i] = g.Z[i];
            open.push({g.Z[i], seq++, std::uint32_t(i)});
        }
    }
    while (pitHead < pit.size() || !open.empty()) {
        std::size_t c;
        if (pitHead < pit.size()) {
            c = pit[pitHead++];
            if (pitHead == pit.size()) {
                pit.clear();
                pitHead = 0;
            }
        } else {
            c = open.top().Index;
            open.pop();
        }
        order.push_back(std::uint32_t(c));
        const double level = d.Filled[c];
        for (int k = 0; k < 8; ++k) {
            std::size_t ni;
            if (!neighbour(c, k, ni) || seen[ni])
                continue;
            seen[ni] = 1;
            towardParent[ni] = std::int8_t((k + 4) % 8);
            if (g.Z[ni] <= level) {
                d.Filled[ni] = level;
                pit.push_back(std::uint32_t(ni));
            } else {
                d.Filled[ni] = g.Z[ni];
                open.push({g.Z[ni], seq++, std::uint32_t(ni)});
            }
        }
    }

    // Directions on the filled surface: the steepest fall to a neighbour,
    // per metre of the way to it; on a flat, back along the way the flood
    // came, which ends at an outlet or at a stake that falls.
    std::vector<std::uint32_t> rank(n, 0);
    for (std::size_t k = 0; k < order.size(); ++k)
        rank[order[k]] = std::uint32_t(k);
    for (const std::uint32_t c : order) {
        double best = 0;
        int dir = -1;
        for (int k = 0; k < 8; ++k) {
            std::size_t ni;
            if (!neighbour(c, k, ni) || IsNaN(d.Filled[ni]))
                continue;
            const double s = (d.Filled[c] - d.Filled[ni]) / distance[k];
            if (s > best) {
                best = s;
                dir = k;
            }
        }
        if (dir >= 0)
            d.Direction[c] = std::int8_t(dir);
        else if (c < outlets.size() && outlets[c])
            d.Direction[c] = kLeavesField;
        else
            d.Direction[c] = towardParent[c];
    }
    // Every stake drains to one taken before it, so the reverse order hands
    // each stake's water on after all of it has arrived.
    for (std::size_t k = order.size(); k-- > 0;) {
        const std::uint32_t c = order[k];
        d.Accumulation[c] += 1;
        const int dir = d.Direction[c];
        if (dir >= 0)
            d.Accumulation[std::size_t(std::ptrdiff_t(c) + offset[dir])] += d.Accumulation[c];
    }

    for (std::size_t i = 0; i < n; ++i) {
        if (!g.HasStake(i))
            continue;
        if (!seen[i]) {
            d.Direction[i] = kUndrained;
            ++d.UndrainedCount;
            continue;
        }
        d.MaxAccumulation = std::max(d.MaxAccumulation, d.Accumulation[i]);
        const double depth = d.Filled[i] - g.Z[i];
        d.Depth[i] = depth > kWetDepth ? depth : 0.0;
        if (depth <= kWetDepth)
            continue;
        ++d.WetCount;
        d.Volume += depth * d.CellArea;
        if (depth > d.MaxDepth) {
            d.MaxDepth = depth;
            d.DeepestCol = g.Area.FirstCol + std::int32_t(i % std::size_t(g.Width));
            d.DeepestRow = g.Area.FirstRow + std::int32_t(i / std::size_t(g.Width));
        }
    }
    d.WetArea = double(d.WetCount) * d.CellArea;

    // The ponds: wet stakes at one level, joined through their neighbours.
    std::vector<std::uint8_t> done(n, 0);
    std::vector<std::uint32_t> stack;
    for (std::size_t i = 0; i < n; ++i) {
        if (done[i] || !(d.Depth[i] > 0))
            continue;
        TPond p;
        p.Level = d.Filled[i];
        std::uint32_t first = std::uint32_t(i);
        done[i] = 1;
        stack.push_back(std::uint32_t(i));
        while (!stack.empty()) {
            const std::uint32_t c = stack.back();
            stack.pop_back();
            ++p.Count;
            p.Volume += d.Depth[c] * d.CellArea;
            if (d.Depth[c] > p.MaxDepth) {
                p.MaxDepth = d.Depth[c];
                p.DeepestCol = g.Area.FirstCol + std::int32_t(c % std::uint32_t(g.Width));
                p.DeepestRow = g.Area.FirstRow + std::int32_t(c / std::uint32_t(g.Width));
            }
            if (rank[c] < rank[first])
                first = c;
            for (int k = 0; k < 8; ++k) {
                std::size_t ni;
                if (!neighbour(c, k, ni) || done[ni] || !(d.Depth[ni] > 0) || d.Filled[ni] != p.Level)
                    continue;
                done[ni] = 1;
                stack.push_back(std::uint32_t(ni));
            }
        }
        // The first of its stakes the flood reached came from the rim stake
        // the water spills over.
        const std::size_t spill = std::size_t(std::ptrdiff_t(first) + offset[towardParent[first]]);
        p.SpillCol = g.Area.FirstCol + std::int32_t(spill % std::size_t(g.Width));
        p.SpillRow = g.Area.FirstRow + std::int32_t(spill / std::size_t(g.Width));
        p.Area = double(p.Count) * d.CellArea;
        d.Ponds.push_back(p);
    }
    std::stable_sort(d.Ponds.begin(), d.Ponds.end(),
                     [](const TPond& a, const TPond& b) { return a.Volume > b.Volume; });
    return d;
}

TPonding Ponding(const TTerreno& terrain, TDrainSurface surface, const TUsedRect& area)
{
    const TDrainGrid g = DrainageSurface(terrain, surface, area);
    const TDrainage d = ComputeDrainage(g, BorderOutlets(g));
    return {d.WetCount, d.WetArea, d.Volume};
}

std::string PondingText(const TPonding& natural, const TPonding& design, char sep)
{
    const auto figures = [sep](const TPonding& p) {
        return FormatFixed(p.WetArea / 10000, 4, 15, sep) + " ha, " + FormatFixed(p.Volume, 1, 15, sep) + " m³";
    };
    return "Área alagável: terreno natural " + figures(natural) + "; plano " + figures(design);
}

TFallCheck CheckMinimumFall(const TDrainGrid& g, double minFall)
{
    TFallCheck check;
    check.MinFall = minFall;
    const std::size_t n = g.Z.size();
    // The design's slope along X and Y at each stake; NaN where it has no
    // neighbour along that axis.
    std::vector<double> gx(n, kNaN), gy(n, kNaN);
    const auto slope = [&](std::int32_t c, std::int32_t r, std::int32_t dc, std::int32_t dr, double spacing) {
        const double z = g.Z[g.Index(c, r)];
        const bool before = g.Inside(c - dc, r - dr) && g.HasStake(g.Index(c - dc, r - dr));
        const bool after = g.Inside(c + dc, r + dr) && g.HasStake(g.Index(c + dc, r + dr));
        if (before && after)
            return (g.Z[g.Index(c + dc, r + dr)] - g.Z[g.Index(c - dc, r - dr)]) / (2 * spacing);
        if (after)
            return (g.Z[g.Index(c + dc, r + dr)] - z) / spacing;
        if (before)
            return (z - g.Z[g.Index(c - dc, r - dr)]) / spacing;
        return kNaN;
    };
    double sumX = 0, sumY = 0;
    std::int64_t countX = 0, countY = 0;
    for (std::int32_t r = g.Area.FirstRow; r <= g.Area.LastRow; ++r)
        for (std::int32_t c = g.Area.FirstCol; c <= g.Area.LastCol; ++c) {
            const std::size_t i = g.Index(c, r);
            if (!g.HasStake(i))
                continue;
            gx[i] = slope(c, r, 1, 0, g.Lx);
            gy[i] = slope(c, r, 0, 1, g.Ly);
            if (!IsNaN(gx[i])) {
                sumX += gx[i];
                ++countX;
            }
            if (!IsNaN(gy[i])) {
                sumY += gy[i];
                ++countY;
            }
        }
    const double mx = countX ? sumX / double(countX) : 0.0, my = countY ? sumY / double(countY) : 0.0;
    const double norm = std::hypot(mx, my);
    // A level design (to the rounding of its elevations) has no direction.
    if (norm > 1e-9) {
        check.DirX = -mx / norm + 0.0;  // + 0.0: no negative zero
        check.DirY = -my / norm + 0.0;
    }
    const bool needX = check.DirX != 0, needY = check.DirY != 0;
    for (std::int32_t r = g.Area.FirstRow; r <= g.Area.LastRow; ++r)
        for (std::int32_t c = g.Area.FirstCol; c <= g.Area.LastCol; ++c) {
            const std::size_t i = g.Index(c, r);
            if (!g.HasStake(i))
                continue;
            const bool hasX = !IsNaN(gx[i]), hasY = !IsNaN(gy[i]);
            if ((needX && !hasX) || (needY && !hasY) || (!needX && !needY && !hasX && !hasY))
                continue;
            ++check.Checked;
            const double fall = -((needX ? gx[i] * check.DirX : 0.0) + (needY ? gy[i] * check.DirY : 0.0));
            if (fall < minFall - 1e-12)
                check.Stakes.push_back({c, r, fall});
        }
    return check;
}

}  // namespace nivora
