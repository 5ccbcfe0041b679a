#include "ContourTrace.h"

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

long double TLine::LineLength()
{
    // Summed from the first point to the last, as the line reads.
    long double sum = 0.0L;
    if (reversed_)
        for (std::size_t i = end_ - 1; i > begin_; --i)
            sum += Distance(buf_[i], buf_[i - 1]);
    else
        for (std::size_t i = begin_ + 1; i < end_; ++i)
            sum += Distance(buf_[i - 1], buf_[i]);
    Length = sum;
    return Length;
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
    // Room for all of B at once on the side A grows.
    if (a.reversed_ ? a.begin_ < n : a.buf_.size() - a.end_ < n)
        a.reversed_ ? a.Grow(std::max(a.Count(), n), a.buf_.size() - a.end_)
                    : a.Grow(a.begin_, std::max(a.Count(), n));
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

std::uint64_t Key(TPoint p)
{
    return (std::uint64_t(std::uint32_t(p.X)) << 32) | std::uint32_t(p.Y);
}

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

std::uint32_t TEndIndex::Home(std::uint64_t key) const
{
    return static_cast<std::uint32_t>((key * 0x9E3779B97F4A7C15ull) >> shift_);
}

void TEndIndex::Rehash(std::size_t capacity)
{
    std::vector<TEntry> old;
    old.swap(table_);
    table_.assign(capacity, TEntry{});
    shift_ = 64 - std::countr_zero(capacity);
    filled_ = 0;
    const std::size_t mask = capacity - 1;
    for (const TEntry& e : old) {
        if (!e.used || e.head == kNone)
            continue;  // a point that is no line's end any more
        std::size_t s = Home(e.key);
        while (table_[s].used)
            s = (s + 1) & mask;
        table_[s] = e;
        ++filled_;
        for (std::uint32_t h = e.head; h != kNone; h = next_[h])
            slot_[h] = static_cast<std::uint32_t>(s);
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
        std::size_t live = points;
        for (const TEntry& e : table_)
            live += e.used && e.head != kNone;
        std::size_t capacity = 16;
        while (capacity < 4 * live)
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
    table_[s].used = true;
    table_[s].key = key;
    table_[s].head = kNone;
    ++filled_;
    return static_cast<std::uint32_t>(s);
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

void TEndIndex::Unlink(std::uint32_t h)
{
    if (prev_[h] != kNone)
        next_[prev_[h]] = next_[h];
    else
        table_[slot_[h]].head = next_[h];
    if (next_[h] != kNone)
        prev_[next_[h]] = prev_[h];
    next_[h] = prev_[h] = slot_[h] = kNone;
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

std::ptrdiff_t Lower(std::ptrdiff_t a, std::ptrdiff_t b)
{
    return a < 0 ? b : b < 0 ? a : std::min(a, b);
}

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
    case TAttach::AppendQ:
        index_.Unlink(LastEnd(i));
        index_.Link(LastEnd(i), sq);
        break;
    case TAttach::AppendP:
        index_.Unlink(LastEnd(i));
        index_.Link(LastEnd(i), sp);
        break;
    case TAttach::PrependQ:
        index_.Unlink(FirstEnd(i));
        index_.Link(FirstEnd(i), sq);
        break;
    case TAttach::PrependP:
        index_.Unlink(FirstEnd(i));
        index_.Link(FirstEnd(i), sp);
        break;
    case TAttach::Refused:
        assert(false && "the index named a line without an end at P or Q");
        break;
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

    // Closing: the ends are nearer than three mean segments.
    for (TLine& line : lines) {
        if (line.Count() == 0 || line.IsClosed())
            continue;
        const long double gap = line.EndGap();
        const long double len = line.LineLength();
        if (gap < 3.0L * len / static_cast<long double>(line.Count()))
            line.AddLast(line.First());
    }

    // Pruning, from the last line to the first.
    for (std::size_t i = n; i-- > 0;)
        if (lines[i].Count() > 0 && lines[i].LineLength() < 500.0L)
            lines[i] = TLine{};

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
        const float t = static_cast<float>((static_cast<long double>(level) - u.z) / (static_cast<long double>(v.z) - u.z));
        TSurfacePoint& p = found == 0 ? p1 : p2;
        if (found < 2) {
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

// One sweep of the cells of `area` for up to 254 distinct levels, ascending.
void Sweep(const TTerreno& t, const TUsedRect& area, std::span<const TLevelGroup> groups,
           const TMapTransform& transform)
{
    // Cells outside the grid have no elevations at their corners.
    const std::int32_t c0 = std::max(area.FirstCol, 1), c1 = std::min(area.LastCol, t.ColCount);
    const std::int32_t r0 = std::max(area.FirstRow, 1), r1 = std::min(area.LastRow, t.RowCount);
    if (c1 <= c0 || r1 <= r0 || groups.empty())
        return;
    const std::size_t w = std::size_t(c1 - c0 + 1);
    const std::size_t h = std::size_t(r1 - r0 + 1);

    // Per stake, the number of levels below its elevation, 255 for no
    // elevation. A cell holds a level strictly between its corners only if
    // its corners' counts differ, and none of them is 255.
    std::vector<float> levels;
    for (const TLevelGroup& g : groups)
        levels.push_back(g.level);
    std::vector<std::uint8_t> code(w * h);
    std::vector<std::int32_t> below(w);
    for (std::size_t j = 0; j < h; ++j) {
        const float* z = t.RowData(r0 + std::int32_t(j)) + (c0 - 1);
        std::fill(below.begin(), below.end(), 0);
        for (const float level : levels)
            for (std::size_t i = 0; i < w; ++i)
                below[i] += z[i] > level;
        std::uint8_t* out = code.data() + j * w;
        for (std::size_t i = 0; i < w; ++i)
            out[i] = z[i] == 0.0f ? 255 : static_cast<std::uint8_t>(below[i]);
    }

    // The cells to look at, found row by row, then put in sweep order:
    // column by column, top to bottom within a column.
    std::vector<std::uint32_t> found;  // (cell column << 16) | cell row, 0-based from (c0, r0)
    std::vector<std::uint8_t> lo(w), hi(w), hit(w);
    for (std::size_t j = 1; j < h; ++j) {
        const std::uint8_t* up = code.data() + (j - 1) * w;
        const std::uint8_t* dn = code.data() + j * w;
        for (std::size_t i = 0; i < w; ++i) {
            lo[i] = std::min(up[i], dn[i]);
            hi[i] = std::max(up[i], dn[i]);
        }
        for (std::size_t i = 1; i < w; ++i) {
            const std::uint8_t mn = std::min(lo[i - 1], lo[i]);
            const std::uint8_t mx = std::max(hi[i - 1], hi[i]);
            hit[i] = (mn != mx) & (mx != 255);
        }
        for (std::size_t i = 1; i < w;) {
            std::uint64_t word = 0;
            if (i + 8 <= w) {
                std::memcpy(&word, hit.data() + i, 8);
                if (word == 0) {
                    i += 8;
                    continue;
                }
            }
            const std::size_t stop = std::min(i + 8, w);
            for (; i < stop; ++i)
                if (hit[i])
                    found.push_back(std::uint32_t(i) << 16 | std::uint32_t(j));
        }
    }
    std::vector<std::uint32_t> start(w + 1, 0);
    for (const std::uint32_t f : found)
        ++start[(f >> 16) + 1];
    for (std::size_t i = 1; i <= w; ++i)
        start[i] += start[i - 1];
    std::vector<std::uint32_t> order(found.size());
    for (const std::uint32_t f : found)
        order[start[f >> 16]++] = f;

    std::vector<float> xs(w + 1), ys(h + 1);
    for (std::size_t i = 0; i < w; ++i)
        xs[i] = t.StakeX(c0 + std::int32_t(i));
    for (std::size_t j = 0; j < h; ++j)
        ys[j] = t.StakeY(r0 + std::int32_t(j));

    for (const std::uint32_t f : order) {
        const std::size_t i = f >> 16, j = f & 0xFFFF;
        const std::uint8_t* up = code.data() + (j - 1) * w;
        const std::uint8_t* dn = code.data() + j * w;
        const std::uint8_t first = std::min({up[i - 1], up[i], dn[i - 1], dn[i]});
        const std::uint8_t last = std::max({up[i - 1], up[i], dn[i - 1], dn[i]});
        const float* zu = t.RowData(r0 + std::int32_t(j) - 1) + (c0 - 1);
        const float* zd = t.RowData(r0 + std::int32_t(j)) + (c0 - 1);
        const TSurfacePoint p[4] = {{xs[i - 1], ys[j - 1], zu[i - 1]},
                                    {xs[i], ys[j - 1], zu[i]},
                                    {xs[i], ys[j], zd[i]},
                                    {xs[i - 1], ys[j], zd[i - 1]}};
        const float zmin = std::min({p[0].z, p[1].z, p[2].z, p[3].z});
        const TSurfacePoint m{static_cast<float>((static_cast<long double>(p[0].x) + p[1].x) * 0.5L),
                              static_cast<float>((static_cast<long double>(p[1].y) + p[2].y) * 0.5L),
                              static_cast<float>(
                                  (static_cast<long double>(p[0].z) + p[1].z + p[2].z + p[3].z) * 0.25L)};
        for (std::uint8_t k = first; k < last; ++k) {
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
    std::sort(groups.begin(), groups.end(), [](const TLevelGroup& a, const TLevelGroup& b) { return a.level < b.level; });
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
