#include "ProjectFixtures.h"

#include "calc/CalcSist.h"

namespace nivora::testing {

std::unique_ptr<TTerreno> SampleTerrain()
{
    auto t = std::make_unique<TTerreno>(20, 20, 20.0f, 20.0f);
    t->SetOrigin(10.0L, -10.0L);
    const float z[3][4] = {{10.0f, 11.0f, 12.5f, 0.0f}, {12.0f, 10.0f, 11.25f, 10.5f}, {0.0f, 9.75f, 10.0f, 11.0f}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            t->SetCell(3 + c, 2 + r, z[r][c]);
    Systematize(*t, false, 1.3L);
    t->SetPlanText(3, &TPlano::SxText, "0,01");
    t->SetPlanText(3, &TPlano::SyText, "-0,002");
    t->SetPlanText(3, &TPlano::RatioText, "1,5");
    return t;
}

std::vector<std::uint8_t> SampleImage()
{
    auto t = SampleTerrain();
    TViewState v{4, 3, 2, 1, 3, 2, 5, 4};
    return WriteDocument(*t, v);
}

std::vector<std::uint8_t> EmptyImage()
{
    TTerreno t(20, 20, 10.0f, 10.0f);
    return WriteDocument(t, TViewState{});
}

void PutI32(std::vector<std::uint8_t>& b, std::size_t at, std::int32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + std::size_t(i)] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
}

std::int32_t GetI32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= static_cast<std::uint32_t>(b[at + std::size_t(i)]) << (8 * i);
    return static_cast<std::int32_t>(u);
}

}  // namespace nivora::testing
