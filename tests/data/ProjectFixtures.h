#pragma once
// Small project images shared by the file tests.

#include "data/SaveOpen.h"

#include <cstdint>
#include <vector>

namespace nivora::testing {

// A 20 x 20 terrain (Lx = Ly = 20) with values at (3, 2) and (5, 4), a best
// plane computed over a few more stakes and a user plan with texts.
std::unique_ptr<TTerreno> SampleTerrain();
std::vector<std::uint8_t> SampleImage();
std::vector<std::uint8_t> EmptyImage();  // a new 20 x 20 document

void PutI32(std::vector<std::uint8_t>& b, std::size_t at, std::int32_t v);
std::int32_t GetI32(const std::vector<std::uint8_t>& b, std::size_t at);

}  // namespace nivora::testing
