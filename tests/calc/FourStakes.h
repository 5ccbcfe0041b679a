#pragma once
// The worked example of the terrain tests: (1,1) = 10, (2,1) = 11,
// (1,2) = 12, (2,2) = 10, origin 0. With 20 m spacings its best plane leaves
// fills of 0.75 at (1,1) and (2,2) and cuts of 0.75 at the others.

#include "calc/CalcSist.h"

namespace nivora::testing {

inline TTerreno FourStakes(float lx = 20.0f, float ly = 20.0f)
{
    TTerreno t(2, 2, lx, ly);
    t.SetCell(1, 1, 10.0f);
    t.SetCell(2, 1, 11.0f);
    t.SetCell(1, 2, 12.0f);
    t.SetCell(2, 2, 10.0f);
    return t;
}

// The same after a systematization of the whole area without a ratio.
inline TTerreno SystematizedFourStakes(float lx = 20.0f, float ly = 20.0f)
{
    TTerreno t = FourStakes(lx, ly);
    Systematize(t, false, -1);
    return t;
}

}  // namespace nivora::testing
