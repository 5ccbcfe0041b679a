#include "AreaOutline.h"

#include <algorithm>

namespace nivora {

namespace {

struct TStepRule {
    std::int32_t dc, dr;  // the step
    std::int32_t ec, er;  // the stake that must be empty, from the node
    std::int32_t hc, hr;  // the stake that must hold an elevation
};

// Indexed by direction, 1..4.
constexpr TStepRule kRules[5] = {
    {0, 0, 0, 0, 0, 0},     {+1, 0, 0, -1, 0, 0},  // east
    {0, +1, 0, 0, -1, 0},                          // south
    {-1, 0, -1, 0, -1, -1},                        // west
    {0, -1, -1, -1, 0, -1},                        // north
};

// With rows growing downwards, left of east is north and so on round.
int LeftOf(int d) { return d == dEast ? dNorth : d - 1; }
int RightOf(int d) { return d == dNorth ? dEast : d + 1; }

int FirstBorderStep(const TAreaStakes& stakes, const TNode& n)
{
    for (int d = dEast; d <= dNorth; ++d)
        if (stakes.IsBorderStep(n, d))
            return d;
    return 0;
}

// Marks on the nodes of a frame's bounding box, one byte a node: which steps
// out of a corner are taken, and where the walk turns right. A frame's holes
// lie within the box of its outer rim; a node outside the box has no marks.
class TNodeMarks {
public:
    static constexpr std::uint8_t kRight = 1u << 4;

    explicit TNodeMarks(const std::vector<TNode>& rim)
    {
        std::int32_t c1 = rim[0].Col, r1 = rim[0].Row;
        Col0_ = c1;
        Row0_ = r1;
        for (const TNode& n : rim) {
            Col0_ = std::min(Col0_, n.Col);
            Row0_ = std::min(Row0_, n.Row);
            c1 = std::max(c1, n.Col);
            r1 = std::max(r1, n.Row);
        }
        Cols_ = std::size_t(c1 - Col0_) + 1;
        Rows_ = std::size_t(r1 - Row0_) + 1;
        Bytes_.assign(Cols_ * Rows_, 0);
    }
    std::uint8_t Get(const TNode& n) const
    {
        const std::size_t k = Index(n);
        return k < Bytes_.size() ? Bytes_[k] : 0;
    }
    void Set(const TNode& n, std::uint8_t bits)
    {
        const std::size_t k = Index(n);
        if (k < Bytes_.size())
            Bytes_[k] |= bits;
    }
    static std::uint8_t Step(int d) { return std::uint8_t(1u << (d - 1)); }

private:
    std::size_t Index(const TNode& n) const
    {
        if (n.Col < Col0_ || n.Row < Row0_ || std::size_t(n.Col - Col0_) >= Cols_
            || std::size_t(n.Row - Row0_) >= Rows_)
            return Bytes_.size();
        return std::size_t(n.Row - Row0_) * Cols_ + std::size_t(n.Col - Col0_);
    }
    std::int32_t Col0_ = 0, Row0_ = 0;
    std::size_t Cols_ = 0, Rows_ = 0;
    std::vector<std::uint8_t> Bytes_;
};

// The walks round the rims of stretches of empty ground. At a corner where
// the border touches itself two steps lead on, one to each side: the walk
// turns left there, keeping to the rim it is on, except at the corners listed
// in `rightAt`, where it turns right, onto the rim of the ground that touches
// that one at the corner.
class TRimWalk {
public:
    TRimWalk(const TAreaStakes& stakes, std::int64_t bound) : stakes_(stakes), bound_(bound) {}

    // Where the walk turns right at a corner; none when null.
    const TNodeMarks* RightAt = nullptr;

    // The nodes of the walk that leaves `start` along `first`, up to its
    // return there (the last node is the first again); each corner where two
    // steps lead on goes to `onCorner` with the step taken.
    template <typename OnCorner>
    std::vector<TNode> Walk(const TNode& start, int first, OnCorner&& onCorner) const
    {
        std::vector<TNode> nodes;
        TNode node = start;
        int d = first;
        do {
            nodes.push_back(node);
            node = StepNode(node, d);
            d = Next(node, d, onCorner);
        } while (d != 0 && !(node == start && d == first) && std::int64_t(nodes.size()) < bound_);
        nodes.push_back(node);
        return nodes;
    }

private:
    template <typename OnCorner>
    int Next(const TNode& n, int d, OnCorner&& onCorner) const
    {
        const int left = LeftOf(d), right = RightOf(d);
        const bool l = stakes_.IsBorderStep(n, left);
        if (l && stakes_.IsBorderStep(n, right)) {
            const int next = RightAt && (RightAt->Get(n) & TNodeMarks::kRight) ? right : left;
            onCorner(n, next);
            return next;
        }
        if (l)
            return left;
        if (stakes_.IsBorderStep(n, d))
            return d;
        return stakes_.IsBorderStep(n, right) ? right : 0;
    }

    const TAreaStakes& stakes_;
    std::int64_t bound_;
};

// Whether a closed walk round a stretch of empty ground has a stake with an
// elevation inside it: an island in a pond.
bool HoldsStake(const TAreaStakes& stakes, const std::vector<TNode>& rim)
{
    std::int32_t top = rim[0].Row, bottom = rim[0].Row;
    for (const TNode& n : rim) {
        top = std::min(top, n.Row);
        bottom = std::max(bottom, n.Row);
    }
    // The columns where the rim crosses each row of stakes.
    std::vector<std::vector<std::int32_t>> crossings(std::size_t(bottom - top) + 1);
    for (std::size_t i = 0; i + 1 < rim.size(); ++i) {
        const TNode& a = rim[i];
        const TNode& b = rim[i + 1];
        if (a.Col == b.Col && a.Row != b.Row)
            crossings[std::size_t(std::min(a.Row, b.Row) - top)].push_back(a.Col);
    }
    for (std::size_t k = 0; k < crossings.size(); ++k) {
        std::vector<std::int32_t>& xs = crossings[k];
        std::sort(xs.begin(), xs.end());
        for (std::size_t j = 0; j + 1 < xs.size(); j += 2)
            for (std::int32_t c = xs[j]; c < xs[j + 1]; ++c)
                if (stakes.Has(c, top + std::int32_t(k)))
                    return true;
    }
    return false;
}

}  // namespace

bool TAreaStakes::IsBorderStep(const TNode& n, int d) const
{
    const TStepRule& s = kRules[d];
    return !Has(n.Col + s.ec, n.Row + s.er) && Has(n.Col + s.hc, n.Row + s.hr);
}

TNode StepNode(const TNode& n, int d) { return {n.Col + kRules[d].dc, n.Row + kRules[d].dr}; }

namespace {

// The frame of the stakes the rim walk from `start` along `first` goes round:
// the rim of the ground round them, with the holes that touch it at a corner
// taken in (see the header).
std::vector<TNode> FrameFrom(const TAreaStakes& stakes, const TUsedRect& area, const TNode& start, int first)
{
    // Every border edge is one of the area's cell edges, and a walk passes
    // each at most once.
    const std::int64_t cols = std::int64_t(area.LastCol) - area.FirstCol + 1;
    const std::int64_t rows = std::int64_t(area.LastRow) - area.FirstRow + 1;
    const std::int64_t edges = cols * (rows + 1) + (cols + 1) * rows;
    TRimWalk rims(stakes, edges);

    // The rim of the ground round the field. At its corners that a hole
    // touches (a notch cut into the field at a corner: the missing stake's
    // four neighbours hold elevations) it takes in the hole's rim too, unless
    // an island lies in the hole, which it would leave outside. The holes
    // taken in may touch further holes at their corners, and so on.
    std::vector<std::pair<TNode, int>> rimCorners;
    std::vector<TNode> frame = rims.Walk(start, first, [&](const TNode& n, int d) { rimCorners.emplace_back(n, d); });
    if (rimCorners.empty())
        return frame;
    TNodeMarks marks(frame);  // the steps out of corners on the frame
    std::vector<TNode> corners;
    for (const auto& [n, d] : rimCorners) {
        marks.Set(n, TNodeMarks::Step(d));
        corners.push_back(n);
    }
    bool turns = false;
    for (std::size_t k = 0; k < corners.size(); ++k) {
        const TNode n = corners[k];
        for (const int d : {dEast, dSouth, dWest, dNorth}) {
            if (!stakes.IsBorderStep(n, d) || (marks.Get(n) & TNodeMarks::Step(d)))
                continue;
            std::vector<std::pair<TNode, int>> holeCorners;
            const std::vector<TNode> hole =
                rims.Walk(n, d, [&](const TNode& m, int e) { holeCorners.emplace_back(m, e); });
            if (HoldsStake(stakes, hole))
                continue;
            marks.Set(n, TNodeMarks::kRight | TNodeMarks::Step(d));
            turns = true;
            for (const auto& [m, e] : holeCorners) {
                marks.Set(m, TNodeMarks::Step(e));
                corners.push_back(m);
            }
        }
    }
    if (turns) {
        rims.RightAt = &marks;
        frame = rims.Walk(start, first, [](const TNode&, int) {});
    }
    return frame;
}

}  // namespace

std::vector<TNode> TraceOutline(const TCotas& grid, const TUsedRect& area)
{
    std::vector<TNode> outline;
    const TAreaStakes stakes(grid, area);
    if (area.FirstCol > area.LastCol || area.FirstRow > area.LastRow)
        return outline;

    // The start: the middle row of nodes from the right edge, else the first
    // stake from the top (see the header).
    TNode start{0, 0};
    int first = 0;
    const std::int32_t middle = (area.FirstRow + area.LastRow) / 2;
    for (std::int32_t c = area.LastCol + 1; c >= area.FirstCol && first == 0; --c) {
        start = {c, middle};
        first = FirstBorderStep(stakes, start);
    }
    const std::int32_t c0 = std::max(area.FirstCol, 1), c1 = std::min(area.LastCol, grid.ColCount());
    const std::int32_t r0 = std::max(area.FirstRow, 1), r1 = std::min(area.LastRow, grid.RowCount());
    for (std::int32_t r = r0; r <= r1 && first == 0; ++r)
        for (std::int32_t c = c0; c <= c1 && first == 0; ++c)
            if (grid.GetCell(c, r) != 0.0f) {
                start = {c, r};
                first = dEast;
            }
    if (first == 0)
        return outline;  // no elevation: no frame
    outline = FrameFrom(stakes, area, start, first);

    // The frame has always begun at the first border node east of the middle
    // of the area; where that node lies on the frame, the list begins there,
    // so that maps drawn before keep their frame point for point.
    const std::int32_t centre = (area.FirstCol + area.LastCol) / 2;
    for (std::int32_t c = centre; c <= area.LastCol; ++c) {
        const TNode from{c, middle};
        const int d = FirstBorderStep(stakes, from);
        if (d == 0)
            continue;
        const TNode to = StepNode(from, d);
        for (std::size_t i = 1; i + 1 < outline.size(); ++i)
            if (outline[i] == from && outline[i + 1] == to) {
                outline.pop_back();
                std::rotate(outline.begin(), outline.begin() + std::ptrdiff_t(i), outline.end());
                outline.push_back(from);
                break;
            }
        break;
    }
    return outline;
}

std::vector<std::vector<TNode>> TraceOutlines(const TCotas& grid, const TUsedRect& area)
{
    std::vector<std::vector<TNode>> frames;
    std::vector<TNode> outline = TraceOutline(grid, area);
    if (outline.empty())
        return frames;
    const TAreaStakes stakes(grid, area);
    const std::int32_t c0 = std::max(area.FirstCol, 1), c1 = std::min(area.LastCol, grid.ColCount());
    const std::int32_t r0 = std::max(area.FirstRow, 1), r1 = std::min(area.LastRow, grid.RowCount());
    const std::size_t cols = std::size_t(c1 - c0 + 1);
    // The stakes some frame encloses, row by row over the area within the grid.
    std::vector<char> enclosed(cols * std::size_t(r1 - r0 + 1), 0);
    const auto at = [&](std::int32_t c, std::int32_t r) -> char& {
        return enclosed[std::size_t(r - r0) * cols + std::size_t(c - c0)];
    };
    // Marks the cells inside a frame: along each row of cells, between the
    // first and second of the frame's upright edges that cross it, the third
    // and the fourth, and so on.
    std::vector<std::vector<std::int32_t>> crossings;
    const auto enclose = [&](const std::vector<TNode>& frame) {
        std::int32_t top = frame[0].Row, bottom = frame[0].Row;
        for (const TNode& n : frame) {
            top = std::min(top, n.Row);
            bottom = std::max(bottom, n.Row);
        }
        crossings.assign(std::size_t(bottom - top) + 1, {});
        for (std::size_t i = 0; i + 1 < frame.size(); ++i)
            if (frame[i].Col == frame[i + 1].Col && frame[i].Row != frame[i + 1].Row)
                crossings[std::size_t(std::min(frame[i].Row, frame[i + 1].Row) - top)].push_back(frame[i].Col);
        for (std::size_t k = 0; k < crossings.size(); ++k) {
            const std::int32_t r = top + std::int32_t(k);
            std::vector<std::int32_t>& xs = crossings[k];
            if (r < r0 || r > r1 || xs.empty())
                continue;
            std::sort(xs.begin(), xs.end());
            for (std::size_t j = 0; j + 1 < xs.size(); j += 2)
                for (std::int32_t c = std::max(xs[j], c0); c < std::min(xs[j + 1], c1 + 1); ++c)
                    at(c, r) = 1;
        }
    };
    enclose(outline);
    frames.push_back(std::move(outline));

    // One pass over the stakes. The first stake no frame encloses is the
    // upper-left one of a part of the field the frames so far do not reach:
    // nothing lies above it, and its frame begins at its cell's upper-left
    // corner. Every stake is passed once, and every walk is bounded, so a
    // field of many small parts (a checkerboard of stakes apart) ends after
    // as many short walks as it has parts.
    for (std::int32_t r = r0; r <= r1; ++r)
        for (std::int32_t c = c0; c <= c1; ++c) {
            if (at(c, r) || !stakes.Has(c, r))
                continue;
            const TNode start{c, r};
            if (stakes.IsBorderStep(start, dEast)) {
                std::vector<TNode> frame = FrameFrom(stakes, area, start, dEast);
                if (frame.size() >= 5 && frame.front() == frame.back()) {
                    enclose(frame);
                    frames.push_back(std::move(frame));
                }
            }
            at(c, r) = 1;
        }
    return frames;
}

}  // namespace nivora
