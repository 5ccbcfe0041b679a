#pragma once
// A plan's design layer: what a plan is built to where it is not its plane
// alone. The plan keeps its plane (Sx, Sy, origin elevation); the layer keeps,
// for every stake, how far the design lies above (or below) that plane. A
// plan with a layer is built to plane + height at each stake; its volumes,
// counts and deepest cut and fill come from that surface.
//
// Heights are kept relative to the plan's plane rather than as elevations:
// they are small (centimetres to decimetres), so a single holds them to a
// few nanometres, and moving the plan to a ratio is the same one shift of
// its origin elevation as for a plane.

#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace nivora {

struct TDesignSurface {
    enum class TKind : std::uint16_t {
        // A plane whose deep fills are raised so that they settle to it:
        // the plane is what is expected after settlement, plane + height
        // what the blade builds.
        Settled = 1,
        // A surface that follows the field: the plane is its mean plane.
        Optimised = 2,
    };
    // A stake the layer gives no height: its design is the plane's.
    static constexpr float kNone = -FLT_MAX;

    TKind Kind = TKind::Settled;
    // The grid the heights cover, row-major like the elevation store; a
    // stake outside it takes the plane.
    std::int32_t Columns = 0;
    std::int32_t Rows = 0;
    std::vector<float> Heights;

    // What the design was made with, to describe and remake it.
    // The cut/fill ratio the design was balanced to.
    double Ratio = 0;
    // Settlement: fills deeper than SettleDepth (m) raised by SettlePercent
    // per cent of their whole depth.
    double SettleDepth = 0;
    double SettlePercent = 0;

    // The height at a stake (1-based), kNone outside the layer or where it
    // has none.
    float HeightAt(std::int32_t col, std::int32_t row) const
    {
        if (col < 1 || row < 1 || col > Columns || row > Rows)
            return kNone;
        const std::size_t at = std::size_t(row - 1) * std::size_t(Columns) + std::size_t(col - 1);
        return at < Heights.size() ? Heights[at] : kNone;
    }
    // The same with no height counting as 0.
    long double LiftAt(std::int32_t col, std::int32_t row) const
    {
        const float h = HeightAt(col, row);
        return h == kNone ? 0.0L : static_cast<long double>(h);
    }
    // A layer of `columns` x `rows` stakes with no height anywhere.
    void Reset(std::int32_t columns, std::int32_t rows)
    {
        Columns = columns;
        Rows = rows;
        Heights.assign(std::size_t(columns) * std::size_t(rows), kNone);
    }
    bool operator==(const TDesignSurface&) const = default;
};

}  // namespace nivora
