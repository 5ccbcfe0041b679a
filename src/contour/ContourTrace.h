#pragma once
// Contour lines of the natural ground: where the measured surface crosses a
// level, as polylines of integer map points, joined into the longest lines,
// closed where their ends nearly meet and rid of the short ones.
//
// Four triangles per cell. A cell is the square between four stakes that all
// hold an elevation, P1 (upper left), P2 (upper right), P3 (lower right), P4
// (lower left), and it is looked at only when the level lies strictly between
// its lowest and highest corner. Its centre M gets the mean of the four
// elevations, and the cell is cut into the triangles (P1 P2 M), (P2 P3 M),
// (P3 P4 M), (P4 P1 M), taken in that order; each is a plane, so the level
// meets it in one straight segment at most:
//
//        P1 ------- P2          10 ------- 10
//        | \  1   / |           |  \     /  |      level 15: the centre lies
//        |   \   /  |           |    \ /    |      on the level, triangles 1
//        | 4   M  2 |           ---- 15 ----        and 3 give a segment of no
//        |   /   \  |           |    / \    |      length at M, 2 and 4 the
//        | /  3   \ |           |  /     \  |      halves of a straight line
//        P4 ------- P3          20 ------- 20
//
// In a triangle the edges A-B, B-C, C-A are examined in this order; an edge is
// crossed when the level lies between its ends, ends included. A crossed edge
// whose ends are equal lies on the level as a whole: it is the segment, and the
// examination stops (the flat-edge rule). Any other crossed edge gives the
// interpolated point, and the first two points found make the segment; a
// vertex on the level is found twice, through both its edges, so a triangle
// that only touches the level there gives a segment of no length (the
// vertex-on-level rule). Such segments are kept: they carry the line through
// the point. A third point is found only when a vertex lies on the level; it
// is used only when the first two are that vertex twice (the other two
// vertices lie on both sides), so that the line runs on from the stake to the
// opposite edge instead of breaking there.
//
// Chaining. The ends of each segment are mapped to map units and the segment
// goes to the first line of the curve, in list order, that takes it: a line
// takes (P, Q) when P is its last point (Q is appended), else Q is its last
// point (P is appended), else P is its first point (Q goes in front), else Q is
// its first point (P goes in front). Points are the same only when both
// coordinates are equal. A segment nobody takes starts a new line.
//
// Joining. Passes over the lines: each line A in turn meets every later line
// B, and B is appended to A when an end of B is an end of A (B's first to A's
// last, then B's last to A's last, then B's first to A's first, then B's last
// to A's first; A and B are reversed as needed). A grows during the pass and
// meets the later lines with its new ends. Passes repeat until one joins
// nothing. Closing: an open line whose gap between the ends is less than three
// times its mean segment length gets its first point again at the end.
// Pruning: lines shorter than 500 map units go.
//
// Speed. Done plainly, chaining tries every line for every segment and a
// joining pass compares every pair of lines: quadratic in the number of lines
// of a level, seconds on a rough 1000 x 1000 field and growing with the square
// of its broken pieces. Both look only for lines with an end
// at a given point, and the first such line in list order (after a given one,
// when joining) wins. TEndIndex answers exactly that: a hash of end points to
// the line ends sitting there. Chaining asks it for the lowest line with an end
// at P or Q; a joining pass asks it, for line A, for the lowest line after the
// last one met that has an end at one of A's ends. Removed lines stay in their
// places until the end of the assembly, so positions, and with them the order
// in which lines meet, are those of the plain algorithm; the test suite runs
// the plain algorithm against this one on random grids. Tracing sweeps the grid
// once for all levels: a byte per stake counts the levels below its elevation,
// and a cell is looked at only when its corners' counts differ; the cells found
// are visited column by column, top to bottom, which is the order in which
// each curve must receive its segments.

#include "data/GridTypes.h"
#include "data/Real48.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace nivora {

class TTerreno;

// A point of the map, in map units: x to the right, y downwards.
struct TPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    bool operator==(const TPoint&) const = default;
};

// Distance between two map points: the squared differences summed in integers,
// the root taken in extended precision.
long double Distance(const TPoint& a, const TPoint& b);

// One contour line: an ordered list of map points; it starts with two points
// and only grows, at either end.
class TLine {
public:
    TLine() = default;
    TLine(TPoint p, TPoint q);

    std::size_t Count() const { return end_ - begin_; }
    const TPoint& operator[](std::size_t i) const { return reversed_ ? buf_[end_ - 1 - i] : buf_[begin_ + i]; }
    const TPoint& First() const { return reversed_ ? buf_[end_ - 1] : buf_[begin_]; }
    const TPoint& Last() const { return reversed_ ? buf_[begin_] : buf_[end_ - 1]; }
    std::vector<TPoint> PointList() const;

    void AddLast(TPoint p) { reversed_ ? PushFront(p) : PushBack(p); }
    void AddFirst(TPoint p) { reversed_ ? PushBack(p) : PushFront(p); }
    // A flag: joining may turn a long line round many times.
    void Reverse() { reversed_ = !reversed_; }

    bool IsClosed() const { return First() == Last(); }
    // Sum of the lengths of the segments; also kept in Length.
    long double LineLength() { return (Length = SegmentSum()); }
    // The same sum, from the first point to the last, not yet rounded to a
    // 6-byte real.
    long double SegmentSum() const;
    // Distance between the first and the last point.
    long double EndGap() const { return Distance(First(), Last()); }

    // The last measured length, map units.
    Real48 Length;

private:
    friend void AppendTail(TLine& a, const TLine& b);
    void PushBack(TPoint p);
    void PushFront(TPoint p);
    void Grow(std::size_t front, std::size_t back);
    // Points live in buf_[begin_, end_), read backwards when reversed_, with
    // room kept at both ends so that growing at either end is cheap.
    std::vector<TPoint> buf_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool reversed_ = false;
};

// How a line took a segment (P, Q).
enum class TAttach { Refused, AppendQ, AppendP, PrependQ, PrependP };
TAttach TryAttach(TLine& line, TPoint p, TPoint q);

// How B was joined to A (B is then to be removed).
enum class TJoin { None, Tail, ReverseB, ReverseA, ReverseBoth };
TJoin TryJoin(TLine& a, TLine& b);
// Appends the points of B from its second on; B's first point is A's last.
void AppendTail(TLine& a, const TLine& b);

// The point a line's label is centred on: the start of the segment in which
// half of the line's length is passed (the last point when it never is).
TPoint LabelAnchor(TLine& line);

// Where the line ends are: a hash of points to the line ends (first or last
// point of a line) lying there. The two ends of the line at position i are the
// handles 2i and 2i + 1; the handles at one point form a list.
class TEndIndex {
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    void Clear();
    // Room for the handles of `lines` lines and for `points` more points, so
    // that the slots handed out next stay where they are.
    void MakeRoom(std::size_t lines, std::size_t points);
    // The slot of a point, made when absent. A slot made must get a handle
    // before the next Move or Unlink.
    std::uint32_t Slot(TPoint p);
    // The slot of a point, or kNone.
    std::uint32_t Find(TPoint p) const;
    void Link(std::uint32_t handle, std::uint32_t slot);
    // Moves a handle to another slot; a point left without handles goes.
    void Move(std::uint32_t handle, std::uint32_t slot);
    void Unlink(std::uint32_t handle);
    // The lowest line position above `after` with an end in the slot; -1 when
    // there is none.
    std::ptrdiff_t LowestLine(std::uint32_t slot, std::ptrdiff_t after) const;

private:
    struct TEntry {
        std::uint64_t key = 0;
        std::uint32_t head = kNone;  // a handle at the point
        bool used = false;
    };
    std::size_t Home(std::uint64_t key) const;
    void Rehash(std::size_t capacity);
    void Detach(std::uint32_t handle);
    // Empties a slot, moving later entries of its probe run back (no
    // tombstones: the table holds the points that are ends, no others).
    void Erase(std::size_t slot);
    void Place(std::size_t slot, const TEntry& e);

    std::vector<TEntry> table_;
    std::size_t filled_ = 0;
    int shift_ = 64;
    // Per handle: its neighbours in the list of its point, and its slot.
    std::vector<std::uint32_t> next_, prev_, slot_;
};

// One contour level and its lines.
class TCurva {
public:
    explicit TCurva(long double level) : Level(level) {}

    std::size_t Count() const { return lines_.size(); }
    const TLine& Line(std::size_t i) const { return lines_[i]; }
    // Changing a line's ends through this leaves the end index to be rebuilt.
    TLine& Line(std::size_t i)
    {
        indexed_ = false;
        return lines_[i];
    }
    std::span<const TLine> Lines() const { return lines_; }

    // Hands the segment to the first line that takes it, or starts a line.
    void AddSegment(TPoint p, TPoint q);
    // Appends a whole line.
    void AddLine(TLine line);

    // The level, metres, as the user gave it.
    Real48 Level;

private:
    friend void Assemble(TCurva& curve);
    void LinkLine(std::size_t i);
    void RebuildIndex();

    std::vector<TLine> lines_;
    TEndIndex index_;
    bool indexed_ = true;
};

// Joins, closes and prunes the lines of a curve.
void Assemble(TCurva& curve);

// The lines of one map: one curve per level, in the order added.
class TCurvas {
public:
    void AddLevel(long double level) { curves_.emplace_back(level); }
    void AddSegment(TPoint p, TPoint q) { Current()->AddSegment(p, q); }
    std::size_t Count() const { return curves_.size(); }
    TCurva* Curve(std::ptrdiff_t i)
    {
        return i < 0 || i >= static_cast<std::ptrdiff_t>(curves_.size()) ? nullptr : &curves_[std::size_t(i)];
    }
    const TCurva* Curve(std::ptrdiff_t i) const
    {
        return i < 0 || i >= static_cast<std::ptrdiff_t>(curves_.size()) ? nullptr : &curves_[std::size_t(i)];
    }
    TCurva* Current() { return curves_.empty() ? nullptr : &curves_.back(); }

private:
    std::vector<TCurva> curves_;
};

// Metres to map units, one function per axis.
struct TMapTransform {
    std::function<std::int32_t(float)> MapX;
    std::function<std::int32_t(float)> MapY;
};

// A point of the surface while tracing.
struct TSurfacePoint {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Where the triangle meets the level: false when it does not; else P1 and P2
// (x and y) are the ends of the segment.
bool IntersectTriangle(const TSurfacePoint& a, const TSurfacePoint& b, const TSurfacePoint& c, float level,
                       TSurfacePoint& p1, TSurfacePoint& p2);

// Sweeps the cells of `area` (stakes, inclusive) for one level and hands every
// segment to the current curve.
void TraceLevel(TCurvas& curves, const TTerreno& terrain, const TUsedRect& area, float level,
                const TMapTransform& transform);

// AddLevel and TraceLevel for each level in turn, in one sweep of the grid:
// the same curves, lines and points.
void TraceLevels(TCurvas& curves, const TTerreno& terrain, const TUsedRect& area, std::span<const long double> levels,
                 const TMapTransform& transform);

}  // namespace nivora
