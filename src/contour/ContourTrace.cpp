#include "ContourTrace.h"

#include "calc/CalcSist.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstring>

namespace nivora {

long double Distance(const TPoint& a, const TPoint& b)
{
    const std::int64_t dx = std::int64_t(a.X) - b.X;
    const std::int64_t dy = std::int64_t(a.Y) - b.Y;
    return std::sqrt(static_cast<long double>(dx * dx + dy * dy));
}

// ---------------------------------------------------------------- TLine

TLine::TLine(TPoint p, TPoint q) : buf_(8), begin_(2), end_(4)
{
    buf_[2] = p;
    buf_[3] = q;
}

std::vector<TPoint> TLine::PointList() const
{
    std::vector<TPoint> v(buf_.begin() + std::ptrdiff_t(begin_), buf_.begin() + std::ptrdiff_t(end_));
    if (reversed_)
        std::reverse(v.begin(), v.end());
    return v;
}

void TLine::Grow(std::size_t front, std::size_t back)
{
    std::vector<TPoint> b(front + Count() + back);
    std::copy(buf_.begin() + std::ptrdiff_t(begin_), buf_.begin() + std::ptrdiff_t(end_),
              b.begin() + std::ptrdiff_t(front));
    end_ = front + Count();
    begin_ = front;
    buf_.swap(b);
}

void TLine::PushBack(TPoint p)
{
    if (end_ == buf_.size())
        Grow(begin_, std::max<std::size_t>(Count(), 4));
    buf_[end_++] = p;
}

void TLine::PushFront(TPoint p)
{
    if (begin_ == 0)
        Grow(std::max<std::size_t>(Count(), 4), buf_.size() - end_);
    buf_[--begin_] = p;
}

long double TLine::SegmentSum() const
{
    // Summed from the first point to the last, as the line reads.
    long double sum = 0.0L;
    if (reversed_)
        for (std::size_t i = end_ - 1; i > begin_; --i)
            sum += Distance(buf_[i], buf_[i - 1]);
    else
        for (std::size_t i = begin_ + 1; i < end_; ++i)
            sum += Distance(buf_[i - 1], buf_[i]);
    return sum;
}

TAttach TryAttach(TLine& line, TPoint p, TPoint q)
{
    if (p == line.Last()) {
        line.AddLast(q);
        return TAttach::AppendQ;
    }
    if (q == line.Last()) {
        line.AddLast(p);
        return TAttach::AppendP;
    }
    if (p == line.First()) {
        line.AddFirst(q);
        return TAttach::PrependQ;
    }
    if (q == line.First()) {
        line.AddFirst(p);
        return TAttach::PrependP;
    }
    return TAttach::Refused;
}

void AppendTail(TLine& a, const TLine& b)
{
    const std::size_t n = b.Count();
    // Room for all of B at once on the side where A's last point is.
    const std::size_t room = std::max(a.Count(), n);
    if (a.reversed_ && a.begin_ < n)
        a.Grow(room, a.buf_.size() - a.end_);
    else if (!a.reversed_ && a.buf_.size() - a.end_ < n)
        a.Grow(a.begin_, room);
    for (std::size_t i = 1; i < n; ++i)
        a.AddLast(b[i]);
}

TJoin TryJoin(TLine& a, TLine& b)
{
    const TPoint first = a.First(), last = a.Last();
    TJoin how = TJoin::None;
    if (b.First() == last) {
        how = TJoin::Tail;
    } else if (b.Last() == last) {
        b.Reverse();
        how = TJoin::ReverseB;
    } else if (b.First() == first) {
        a.Reverse();
        how = TJoin::ReverseA;
    } else if (b.Last() == first) {
        a.Reverse();
        b.Reverse();
        how = TJoin::ReverseBoth;
    } else {
        return TJoin::None;
    }
    AppendTail(a, b);
    return how;
}

TPoint LabelAnchor(TLine& line)
{
    const long double half = line.LineLength() * 0.5L;
    long double sum = 0.0L;
    for (std::size_t i = 0; i + 1 < line.Count(); ++i) {
        sum += Distance(line[i], line[i + 1]);
        if (sum > half)
            return line[i];
    }
    return line.Last();
}

// ---------------------------------------------------------------- TEndIndex

namespace {

std::uint64_t Key(TPoint p) { return (std::uint64_t(std::uint32_t(p.X)) << 32) | std::uint32_t(p.Y); }

}  // namespace

void TEndIndex::Clear()
{
    table_.clear();
    filled_ = 0;
    shift_ = 64;
    next_.clear();
    prev_.clear();
    slot_.clear();
}

std::size_t TEndIndex::Home(std::uint64_t key) const
{
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> shift_);
}

void TEndIndex::Place(std::size_t s, const TEntry& e)
{
    table_[s] = e;
    for (std::uint32_t h = e.head; h != kNone; h = next_[h])
        slot_[h] = static_cast<std::uint32_t>(s);
}

void TEndIndex::Rehash(std::size_t capacity)
{
    std::vector<TEntry> old(capacity);
    old.swap(table_);
    shift_ = 64 - std::countr_zero(capacity);
    const std::size_t mask = capacity - 1;
    for (const TEntry& e : old) {
        if (!e.used)
            continue;
        std::size_t s = Home(e.key);
        while (table_[s].used)
            s = (s + 1) & mask;
        Place(s, e);
    }
}

void TEndIndex::MakeRoom(std::size_t lines, std::size_t points)
{
    if (next_.size() < 2 * lines) {
        const std::size_t n = std::max(2 * lines, 2 * next_.size());
        next_.resize(n, kNone);
        prev_.resize(n, kNone);
        slot_.resize(n, kNone);
    }
    if (2 * (filled_ + points) > table_.size()) {
        std::size_t capacity = std::max<std::size_t>(64, table_.size());
        while (capacity < 4 * (filled_ + points))
            capacity *= 2;
        Rehash(capacity);
    }
}

std::uint32_t TEndIndex::Find(TPoint p) const
{
    if (table_.empty())
        return kNone;
    const std::uint64_t key = Key(p);
    const std::size_t mask = table_.size() - 1;
    for (std::size_t s = Home(key);; s = (s + 1) & mask) {
        if (!table_[s].used)
            return kNone;
        if (table_[s].key == key)
            return static_cast<std::uint32_t>(s);
    }
}

std::uint32_t TEndIndex::Slot(TPoint p)
{
    const std::uint64_t key = Key(p);
    const std::size_t mask = table_.size() - 1;
    std::size_t s = Home(key);
    for (; table_[s].used; s = (s + 1) & mask)
        if (table_[s].key == key)
            return static_cast<std::uint32_t>(s);
    table_[s] = {key, kNone, true};
    ++filled_;
    return static_cast<std::uint32_t>(s);
}

void TEndIndex::Erase(std::size_t hole)
{
    const std::size_t mask = table_.size() - 1;
    for (std::size_t s = (hole + 1) & mask; table_[s].used; s = (s + 1) & mask) {
        // An entry may fill the hole when its home does not lie cyclically
        // in (hole, s].
        const std::size_t home = Home(table_[s].key);
        const bool stays = hole < s ? (home > hole && home <= s) : (home > hole || home <= s);
        if (!stays) {
            Place(hole, table_[s]);
            hole = s;
        }
    }
    table_[hole] = TEntry{};
    --filled_;
}

void TEndIndex::Link(std::uint32_t h, std::uint32_t s)
{
    const std::uint32_t head = table_[s].head;
    next_[h] = head;
    prev_[h] = kNone;
    if (head != kNone)
        prev_[head] = h;
    table_[s].head = h;
    slot_[h] = s;
}

void TEndIndex::Detach(std::uint32_t h)
{
    if (prev_[h] != kNone)
        next_[prev_[h]] = next_[h];
    else
        table_[slot_[h]].head = next_[h];
    if (next_[h] != kNone)
        prev_[next_[h]] = prev_[h];
}

void TEndIndex::Move(std::uint32_t h, std::uint32_t s)
{
    const std::uint32_t old = slot_[h];
    Detach(h);
    Link(h, s);
    if (table_[old].head == kNone)
        Erase(old);
}

void TEndIndex::Unlink(std::uint32_t h)
{
    const std::uint32_t old = slot_[h];
    Detach(h);
    next_[h] = prev_[h] = slot_[h] = kNone;
    if (table_[old].head == kNone)
        Erase(old);
}

std::ptrdiff_t TEndIndex::LowestLine(std::uint32_t s, std::ptrdiff_t after) const
{
    std::ptrdiff_t best = -1;
    if (s == kNone)
        return best;
    for (std::uint32_t h = table_[s].head; h != kNone; h = next_[h]) {
        const std::ptrdiff_t line = h >> 1;
        if (line > after && (best < 0 || line < best))
            best = line;
    }
    return best;
}

// ---------------------------------------------------------------- TCurva

namespace {

std::ptrdiff_t Lower(std::ptrdiff_t a, std::ptrdiff_t b) { return a < 0 ? b : b < 0 ? a : std::min(a, b); }

std::uint32_t FirstEnd(std::size_t line) { return static_cast<std::uint32_t>(2 * line); }
std::uint32_t LastEnd(std::size_t line) { return static_cast<std::uint32_t>(2 * line + 1); }

}  // namespace

void TCurva::LinkLine(std::size_t i)
{
    index_.MakeRoom(i + 1, 2);
    index_.Link(FirstEnd(i), index_.Slot(lines_[i].First()));
    index_.Link(LastEnd(i), index_.Slot(lines_[i].Last()));
}

void TCurva::RebuildIndex()
{
    index_.Clear();
    index_.MakeRoom(lines_.size(), 2 * lines_.size());
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].Count() > 0)
            LinkLine(i);
    indexed_ = true;
}

void TCurva::AddLine(TLine line)
{
    lines_.push_back(std::move(line));
    if (indexed_)
        LinkLine(lines_.size() - 1);
}

void TCurva::AddSegment(TPoint p, TPoint q)
{
    if (!indexed_)
        RebuildIndex();
    index_.MakeRoom(lines_.size() + 1, 2);
    const std::uint32_t sp = index_.Slot(p);
    const std::uint32_t sq = index_.Slot(q);
    const std::ptrdiff_t taker = Lower(index_.LowestLine(sp, -1), index_.LowestLine(sq, -1));
    if (taker < 0) {
        lines_.emplace_back(p, q);
        index_.Link(FirstEnd(lines_.size() - 1), sp);
        index_.Link(LastEnd(lines_.size() - 1), sq);
        return;
    }
    const std::size_t i = std::size_t(taker);
    switch (TryAttach(lines_[i], p, q)) {
    case TAttach::AppendQ: index_.Move(LastEnd(i), sq); break;
    case TAttach::AppendP: index_.Move(LastEnd(i), sp); break;
    case TAttach::PrependQ: index_.Move(FirstEnd(i), sq); break;
    case TAttach::PrependP: index_.Move(FirstEnd(i), sp); break;
    case TAttach::Refused: assert(false && "the index named a line without an end at P or Q"); break;
    }
}

void Assemble(TCurva& curve)
{
    std::vector<TLine>& lines = curve.lines_;
    TEndIndex& index = curve.index_;
    if (!curve.indexed_)
        curve.RebuildIndex();

    // Join passes. Joined lines are emptied where they stand and taken out at
    // the end: positions, and so the order in which lines meet, stay those of
    // a pass over the packed list.
    const std::size_t n = lines.size();
    for (bool changed = n > 1; changed;) {
        changed = false;
        for (std::size_t i = 0; i < n; ++i) {
            TLine& a = lines[i];
            if (a.Count() == 0)
                continue;
            std::ptrdiff_t met = std::ptrdiff_t(i);  // lines up to here have met A
            for (;;) {
                const std::ptrdiff_t j =
                    Lower(index.LowestLine(index.Find(a.First()), met), index.LowestLine(index.Find(a.Last()), met));
                if (j < 0)
                    break;
                TLine& b = lines[std::size_t(j)];
                index.Unlink(FirstEnd(i));
                index.Unlink(LastEnd(i));
                index.Unlink(FirstEnd(std::size_t(j)));
                index.Unlink(LastEnd(std::size_t(j)));
                [[maybe_unused]] const TJoin how = TryJoin(a, b);
                assert(how != TJoin::None);
                b = TLine{};
                index.MakeRoom(n, 2);
                index.Link(FirstEnd(i), index.Slot(a.First()));
                index.Link(LastEnd(i), index.Slot(a.Last()));
                changed = true;
                met = j;
            }
        }
    }

    // Closing, then pruning. Both look at each line alone, so one visit per
    // line does both; a closed line's length is its open length plus the gap
    // (the same sum, in the same order, as measuring it again).
    for (std::size_t i = n; i-- > 0;) {
        TLine& line = lines[i];
        if (line.Count() == 0)
            continue;
        long double sum = line.SegmentSum();
        line.Length = sum;
        if (!line.IsClosed()) {
            const long double gap = line.EndGap();
            if (gap < 3.0L * line.Length / static_cast<long double>(line.Count())) {
                line.AddLast(line.First());
                sum += gap;
                line.Length = sum;
            }
        }
        if (line.Length < 500.0L)
            lines[i] = TLine{};
    }

    std::erase_if(lines, [](const TLine& l) { return l.Count() == 0; });
    index.Clear();
    curve.indexed_ = false;
}

// ---------------------------------------------------------------- tracing

bool IntersectTriangle(const TSurfacePoint& a, const TSurfacePoint& b, const TSurfacePoint& c, float level,
                       TSurfacePoint& p1, TSurfacePoint& p2)
{
    if (std::min({a.z, b.z, c.z}) > level || std::max({a.z, b.z, c.z}) < level)
        return false;
    const TSurfacePoint* edges[3][2] = {{&a, &b}, {&b, &c}, {&c, &a}};
    int found = 0;
    for (const auto& e : edges) {
        const TSurfacePoint& u = *e[0];
        const TSurfacePoint& v = *e[1];
        if (std::min(u.z, v.z) > level || std::max(u.z, v.z) < level)
            continue;
        if (u.z == v.z) {
            // The whole edge lies on the level.
            p1 = u;
            p2 = v;
            return true;
        }
        // A third crossing counts only when the first two are one vertex on
        // the level: the line then runs from that vertex to the third, and
        // dropping it would leave a gap in the line at the stake.
        const bool third = found == 2 && p1.x == p2.x && p1.y == p2.y;
        if (found < 2 || third) {
            const float t =
                static_cast<float>((static_cast<long double>(level) - u.z) / (static_cast<long double>(v.z) - u.z));
            TSurfacePoint& p = found == 0 ? p1 : p2;
            p.x = static_cast<float>(u.x + (static_cast<long double>(v.x) - u.x) * t);
            p.y = static_cast<float>(u.y + (static_cast<long double>(v.y) - u.y) * t);
            p.z = level;
        }
        ++found;
    }
    return found >= 2;
}

namespace {

// The curves that receive the segments of one level (levels may repeat).
struct TLevelGroup {
    float level;
    std::vector<TCurva*> curves;
};

// A cell that may hold levels: its position (0-based from the area's first
// stake; the cell lies left of and above stake (i, j)), the range of level
// indexes that its corners' counts span, and its corner elevations P1..P4.
struct TCellHit {
    std::uint32_t i, j;
    std::uint8_t first, last;
    float z[4];
};

// Per stake of one row, the number of levels below its elevation; 255 for no
// elevation. Stretches of the row are looked at against the levels between
// their lowest and highest elevation only.
void CountLevelsBelow(const float* z, std::size_t w, std::span<const float> levels, std::uint8_t* out)
{
    constexpr std::size_t kStretch = 64;
    std::int32_t below[kStretch];
    for (std::size_t s = 0; s < w; s += kStretch) {
        const std::size_t n = std::min(kStretch, w - s);
        const float* v = z + s;
        float lo = v[0], hi = v[0];
        for (std::size_t i = 0; i < n; ++i) {
            lo = v[i] < lo ? v[i] : lo;
            hi = v[i] > hi ? v[i] : hi;
        }
        // Levels below the lowest count for every stake, those at or above
        // the highest for none.
        const std::size_t k0 = std::size_t(std::lower_bound(levels.begin(), levels.end(), lo) - levels.begin());
        const std::size_t k1 = std::size_t(std::lower_bound(levels.begin(), levels.end(), hi) - levels.begin());
        for (std::size_t i = 0; i < n; ++i)
            below[i] = std::int32_t(k0);
        for (std::size_t k = k0; k < k1; ++k) {
            const float level = levels[k];
            for (std::size_t i = 0; i < n; ++i)
                below[i] += v[i] > level;
        }
        for (std::size_t i = 0; i < n; ++i)
            out[s + i] = v[i] == 0.0f ? std::uint8_t(255) : static_cast<std::uint8_t>(below[i]);
    }
}

// One sweep of the cells of `area` for up to 254 distinct levels, ascending.
void Sweep(const TTerreno& t, const TUsedRect& area, std::span<const TLevelGroup> groups,
           const TMapTransform& transform)
{
    // Cells outside the grid have no elevations at their corners.
    const std::int32_t c0 = std::max(area.FirstCol, 1), c1 = std::min(area.LastCol, t.ColCount());
    const std::int32_t r0 = std::max(area.FirstRow, 1), r1 = std::min(area.LastRow, t.RowCount());
    if (c1 <= c0 || r1 <= r0 || groups.empty())
        return;
    const std::size_t w = std::size_t(c1 - c0 + 1);
    const std::size_t h = std::size_t(r1 - r0 + 1);
    std::vector<float> levels;
    for (const TLevelGroup& g : groups)
        levels.push_back(g.level);

    // Row by row: a cell holds a level strictly between its corners only if
    // its corners' counts differ and none of them is 255. The cells found
    // keep their corners, so that the visit in sweep order (column by column,
    // top to bottom) need not go back to the grid.
    std::vector<TCellHit> hits;
    std::vector<std::uint32_t> perColumn(w + 1, 0);
    std::vector<std::uint8_t> up(w), down(w), lo(w), hi(w), hit(w);
    CountLevelsBelow(t.RowData(r0) + (c0 - 1), w, levels, up.data());
    for (std::size_t j = 1; j < h; ++j) {
        const float* zu = t.RowData(r0 + std::int32_t(j) - 1) + (c0 - 1);
        const float* zd = t.RowData(r0 + std::int32_t(j)) + (c0 - 1);
        CountLevelsBelow(zd, w, levels, down.data());
        for (std::size_t i = 0; i < w; ++i) {
            lo[i] = std::min(up[i], down[i]);
            hi[i] = std::max(up[i], down[i]);
        }
        hit[0] = 0;
        for (std::size_t i = 1; i < w; ++i) {
            const std::uint8_t mn = std::min(lo[i - 1], lo[i]);
            const std::uint8_t mx = std::max(hi[i - 1], hi[i]);
            hit[i] = (mn != mx) & (mx != 255);
        }
        for (std::size_t i = 1; i < w;) {
            if (i + 8 <= w) {
                std::uint64_t word;
                std::memcpy(&word, hit.data() + i, 8);
                if (word == 0) {
                    i += 8;
                    continue;
                }
            }
            for (const std::size_t stop = std::min(i + 8, w); i < stop; ++i)
                if (hit[i]) {
                    hits.push_back({std::uint32_t(i),
                                    std::uint32_t(j),
                                    std::min(lo[i - 1], lo[i]),
                                    std::max(hi[i - 1], hi[i]),
                                    {zu[i - 1], zu[i], zd[i], zd[i - 1]}});
                    ++perColumn[i + 1];
                }
        }
        up.swap(down);
    }
    for (std::size_t i = 1; i <= w; ++i)
        perColumn[i] += perColumn[i - 1];
    std::vector<TCellHit> order(hits.size());
    for (const TCellHit& c : hits)
        order[perColumn[c.i]++] = c;

    std::vector<float> xs(w), ys(h);
    for (std::size_t i = 0; i < w; ++i)
        xs[i] = t.StakeX(c0 + std::int32_t(i));
    for (std::size_t j = 0; j < h; ++j)
        ys[j] = t.StakeY(r0 + std::int32_t(j));

    for (const TCellHit& c : order) {
        const float x0 = xs[c.i - 1], x1 = xs[c.i], y0 = ys[c.j - 1], y1 = ys[c.j];
        const TSurfacePoint p[4] = {{x0, y0, c.z[0]}, {x1, y0, c.z[1]}, {x1, y1, c.z[2]}, {x0, y1, c.z[3]}};
        const float zmin = std::min({c.z[0], c.z[1], c.z[2], c.z[3]});
        const TSurfacePoint m{static_cast<float>((static_cast<long double>(x0) + x1) * 0.5L),
                              static_cast<float>((static_cast<long double>(y0) + y1) * 0.5L),
                              static_cast<float>((static_cast<long double>(c.z[0]) + c.z[1] + c.z[2] + c.z[3])
                                                 * 0.25L)};
        for (std::uint8_t k = c.first; k < c.last; ++k) {
            const TLevelGroup& g = groups[k];
            if (!(g.level > zmin))
                continue;  // a corner on the level and none below: the cell is not crossed
            for (int e = 0; e < 4; ++e) {
                TSurfacePoint a, b;
                if (!IntersectTriangle(p[e], p[(e + 1) % 4], m, g.level, a, b))
                    continue;
                const TPoint q1{transform.MapX(a.x), transform.MapY(a.y)};
                const TPoint q2{transform.MapX(b.x), transform.MapY(b.y)};
                for (TCurva* curve : g.curves)
                    curve->AddSegment(q1, q2);
            }
        }
    }
}

void TraceGroups(const TTerreno& t, const TUsedRect& area, std::vector<TLevelGroup> groups,
                 const TMapTransform& transform)
{
    std::sort(groups.begin(), groups.end(),
              [](const TLevelGroup& a, const TLevelGroup& b) { return a.level < b.level; });
    // Each group's curves receive the cells in sweep order whatever else is
    // traced in the same sweep, so the levels may be taken in any batches.
    constexpr std::size_t kBatch = 254;
    for (std::size_t k = 0; k < groups.size(); k += kBatch)
        Sweep(t, area, std::span(groups).subspan(k, std::min(kBatch, groups.size() - k)), transform);
}

}  // namespace

void TraceLevel(TCurvas& curves, const TTerreno& terrain, const TUsedRect& area, float level,
                const TMapTransform& transform)
{
    if (std::isnan(level) || !curves.Current())
        return;
    TraceGroups(terrain, area, {TLevelGroup{level, {curves.Current()}}}, transform);
}

void TraceLevels(TCurvas& curves, const TTerreno& terrain, const TUsedRect& area, std::span<const long double> levels,
                 const TMapTransform& transform)
{
    const std::size_t first = curves.Count();
    for (const long double level : levels)
        curves.AddLevel(level);
    std::vector<TLevelGroup> groups;
    for (std::size_t k = 0; k < levels.size(); ++k) {
        const float level = static_cast<float>(levels[k]);
        if (std::isnan(level))
            continue;
        TCurva* curve = curves.Curve(std::ptrdiff_t(first + k));
        auto same = std::find_if(groups.begin(), groups.end(), [&](const TLevelGroup& g) { return g.level == level; });
        if (same != groups.end())
            same->curves.push_back(curve);
        else
            groups.push_back({level, {curve}});
    }
    TraceGroups(terrain, area, std::move(groups), transform);
}

}  // namespace nivora
