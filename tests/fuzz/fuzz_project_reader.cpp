// libFuzzer entry: build with -DNIVORA_FUZZ=ON and clang, then run
//   ./fuzz_project_reader -max_total_time=60 corpus/
#include "data/SaveOpen.h"

#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto p = nivora::ReadProjectImage(std::span<const std::uint8_t>(data, size));
    if (p && p->Terrain->HasComputableBlock()) {
        try {
            nivora::Systematize(*p->Terrain, false, 1.3L);
        } catch (const std::overflow_error&) {
        }
    }
    return 0;
}
