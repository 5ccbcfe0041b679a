// libFuzzer target over the reading of survey points files and the grid made
// of them, built with clang and -DNIVORA_FUZZ=ON like the project reader's,
// then for example
//   ./fuzz_point_reader -dict=tests/fuzz/points.dict -max_total_time=30 corpus/ tests/fuzz/points/ examples/
//
// Each input is read as a points file twice: from memory at once, and handed
// out a few bytes at a time as a pipe does; both must read the same. When the
// points make a surface, they are gridded (at a spacing that keeps the grid
// small, so that the fuzzer runs fast): every elevation must be finite, and
// the document made of them must be saved and read back unchanged. The
// refusals made on purpose (too few points, points on a line, a grid that
// does not fit) are expected; anything else that escapes, a memory error or
// undefined behaviour is a finding.

#include "calc/CalcSist.h"
#include "data/SaveOpen.h"
#include "survey/PointImport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

using namespace nivora;

[[noreturn]] void Finding(const char* what)
{
    std::fprintf(stderr, "fuzz_point_reader: %s\n", what);
    std::abort();
}

class TDripSource : public IPointSource {
public:
    TDripSource(std::string_view text, std::size_t step) : Text(text), Step(step) {}
    std::size_t Read(char* buffer, std::size_t n) override
    {
        n = std::min({n, Step, Text.size()});
        std::memcpy(buffer, Text.data(), n);
        Text.remove_prefix(n);
        return n;
    }

private:
    std::string_view Text;
    std::size_t Step;
};

bool SameSet(const TPointSet& a, const TPointSet& b)
{
    if (a.Points.size() != b.Points.size() || a.DataLines != b.DataLines || a.RefusedCount != b.RefusedCount
        || a.RepeatedCount != b.RepeatedCount || a.ConflictCount != b.ConflictCount
        || a.LooksGeographic != b.LooksGeographic)
        return false;
    for (std::size_t i = 0; i < a.Points.size(); ++i)
        if (std::memcmp(&a.Points[i], &b.Points[i], sizeof(TSurveyPoint)) != 0)
            return false;
    for (std::size_t i = 0; i < a.Refused.size(); ++i)
        if (a.Refused[i].Line != b.Refused[i].Line || a.Refused[i].Text != b.Refused[i].Text)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TTextPointSource whole(text);
    TPreparedPoints prepared = PreparePoints(whole, std::nullopt, std::nullopt);
    // Both read with the layout they detect: the prepared layout may have
    // turned longitude and latitude round since.
    TTextPointSource wholeAgain(text);
    TDripSource drip(text, 1 + (size > 0 ? data[size - 1] % 7 : 0));
    if (!SameSet(ReadPointSource(drip, std::nullopt).Set, ReadPointSource(wholeAgain, std::nullopt).Set))
        Finding("a file handed out in pieces reads differently");
    for (const TSurveyPoint& p : prepared.Set.Points)
        if (!std::isfinite(p.E) || !std::isfinite(p.N) || !std::isfinite(static_cast<float>(p.Z)))
            Finding("a point the project cannot hold was read");
    if (!prepared.Triangulation)
        return 0;

    const TPointTriangulation& t = *prepared.Triangulation;
    TGridParams p = DefaultGridParams(t);
    // Some fifty stakes a side at most.
    const double extent = std::max(t.MaxE() - t.MinE(), t.MaxN() - t.MinN());
    p.Lx = p.Ly = std::max(p.Lx, RoundSpacing(extent / 40));
    SnapOrigin(t, p);
    p.MaxDistance = 1.5 * p.Lx;
    p.MaxEdge = size % 2 ? 0 : 4 * p.Lx;
    p.Method = size % 3 ? TGridMethod::Triangulation : TGridMethod::Nearest;
    TGriddedPoints grid;
    try {
        grid = GridPoints(t, p, ',');
    } catch (const TPointError&) {
        return 0;
    }
    for (float z : grid.Z)
        if (!std::isfinite(z))
            Finding("a stake got an elevation that is not finite");
    if (grid.ValueCount == 0)
        return 0;
    const auto terrain = MakeTerrain(grid, p, 0);
    const auto again = ReadProjectImage(WriteDocument(*terrain, TViewState{}));
    if (!again)
        Finding("the document made of the points is refused once saved");
    if (again->Terrain->Cells() != terrain->Cells() || again->Terrain->ValueCount() != terrain->ValueCount()
        || !(again->Terrain->OriginX() == terrain->OriginX()) || !(again->Terrain->Lx() == terrain->Lx()))
        Finding("the document made of the points reads back differently");
    return 0;
}
