#pragma once
// What a project keeps beyond the sections every reader of the format knows:
// an extension block appended after the recorded file size. A reader that
// knows only the given sections reads the file as before (it accepts a file
// longer than its recorded size and ignores what follows); this reader also
// reads the block. A project with nothing to keep there is written without
// it, so its bytes are exactly those of the given format.
//
// Layout (little-endian), after the FileSize bytes the header records:
//   "NVRX"            4 bytes, the tag
//   version           u16 (kExtensionVersion), then u16 0
//   length            u32, the bytes of the sections that follow
//   sections          each: a 4-byte tag, u32 length, that many bytes
//   check             u32, CRC-32 (the zlib polynomial) of every byte above
// docs/project-file-extension.md describes the sections.

#include "data/DesignSurface.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace nivora {

constexpr std::uint16_t kExtensionVersion = 1;
// Bytes of a block around its sections: tag, version, length and check.
constexpr std::size_t kExtensionFrameSize = 16;
// The reader refuses to hold a block larger than this; a bigger tail is not
// a block of ours.
constexpr std::uint64_t kExtensionMaxSize = 256ull << 20;

// Where the stakes are on the ground: the coordinate system (an EPSG code,
// 0 when not known) and the easting and northing of stake (1, 1). Columns run
// east; rows run south when RowsRunSouth (the top row of the grid is the
// north), north otherwise.
struct TGeoreference {
    std::int32_t Epsg = 0;
    double CornerEasting = 0;
    double CornerNorthing = 0;
    bool RowsRunSouth = true;
    bool operator==(const TGeoreference&) const = default;

    // The surveyed easting and northing of stake (column, row), both 1-based,
    // from the corner in double precision.
    double Easting(std::int32_t column, double lx) const { return CornerEasting + (column - 1) * lx; }
    double Northing(std::int32_t row, double ly) const
    {
        return RowsRunSouth ? CornerNorthing - (row - 1) * ly : CornerNorthing + (row - 1) * ly;
    }
};

// What a user plan designed under slope limits was designed with: the
// limits in metres per metre (a main direction in degrees from the X axis
// towards Y, or none for limits along X and Y; each side of a range
// optional), the least fall, and the earth exported and imported (m³) that
// its recalculation balances again.
struct TPlanLimits {
    std::optional<double> Bearing;
    std::optional<double> MainMin, MainMax, CrossMin, CrossMax;
    double MinFall = 0;
    double Export = 0, Import = 0, ImportCompacted = 0;
    bool operator==(const TPlanLimits&) const = default;
};

// A section this version does not know, kept as it was read so that a save
// does not lose what a newer version wrote.
struct TExtensionSection {
    std::string Tag;  // 4 characters
    std::vector<std::uint8_t> Data;
    bool operator==(const TExtensionSection&) const = default;
};

struct TProjectExtension {
    std::optional<TGeoreference> Georeference;
    std::vector<TExtensionSection> Unknown;
    // The user plans (slots 2 to 10) designed under limits.
    std::map<std::int32_t, TPlanLimits> LimitedPlans = {};
    // The design layers of the user plans (slots 2 to 10) that have one.
    std::map<std::int32_t, TDesignSurface> DesignSurfaces = {};
    bool Empty() const { return !Georeference && LimitedPlans.empty() && DesignSurfaces.empty() && Unknown.empty(); }
    bool operator==(const TProjectExtension&) const = default;
};

// The block's bytes; empty when the extension holds nothing.
std::vector<std::uint8_t> WriteExtensionBlock(const TProjectExtension& extension);

enum class TExtensionState {
    None,     // nothing after the recorded size
    Read,     // a block of ours, read
    Damaged,  // bytes that are not a sound block (torn, altered, too new): ignored
};
struct TExtensionRead {
    TProjectExtension Extension;
    TExtensionState State = TExtensionState::None;
};
// Reads the bytes that follow the recorded file size. Never throws: anything
// but a sound block of a version this reader knows leaves the extension empty
// and says Damaged.
TExtensionRead ReadExtensionBlock(std::span<const std::uint8_t> tail);

// What the user is told when a file's extension block could not be read.
std::string DamagedExtensionMessage(const std::string& fileNameWithoutDirectory);

// CRC-32 with the zlib polynomial (reflected 0xEDB88320, initial and final
// XOR 0xFFFFFFFF), the check of the block.
std::uint32_t Crc32(std::span<const std::uint8_t> bytes);

}  // namespace nivora
