#include "ProjectExtension.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

namespace nivora {

namespace {

constexpr char kBlockTag[4] = {'N', 'V', 'R', 'X'};
constexpr char kGeoreferenceTag[4] = {'G', 'E', 'O', 'R'};
// The georeference section: u16 version, u16 flags (bit 0: rows run south),
// i32 EPSG code, f64 easting and f64 northing of stake (1, 1). A later
// version may add fields after these; this reader reads the first 24 bytes.
constexpr std::uint16_t kGeoreferenceVersion = 1;
// The plans designed under limits: u16 version, u16 count, then per plan u16
// slot, u16 flags (bit 0 bearing, 1 to 4 main minimum, main maximum, cross
// minimum, cross maximum given) and nine f64: bearing, the four limits (0
// when not given), least fall, export, import, compacted import.
constexpr char kLimitsTag[4] = {'P', 'L', 'I', 'M'};
constexpr std::uint16_t kLimitsVersion = 1;
constexpr std::size_t kLimitsRecord = 4 + 9 * 8;
constexpr std::size_t kGeoreferenceSize = 24;
// The design layers: u16 version, u16 count, then per layer u16 slot, u16
// kind, u32 columns, u32 rows, u16 count of parameters, u16 0, the
// parameters as f64 (the order of kSurfaceParameters; a reader takes those
// it knows and skips the rest), then columns x rows f32 heights, row by row.
constexpr char kSurfaceTag[4] = {'S', 'U', 'R', 'F'};
constexpr std::uint16_t kSurfaceVersion = 1;
constexpr double TDesignSurface::*kSurfaceParameters[] = {&TDesignSurface::Ratio, &TDesignSurface::SettleDepth,
                                                          &TDesignSurface::SettlePercent};
// No layer is larger than the largest grid.
constexpr std::uint64_t kSurfaceMaxStakes = 1000ull * 1000ull;

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutF64(std::vector<std::uint8_t>& out, double v)
{
    const auto u = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
}

std::uint64_t GetLE(std::span<const std::uint8_t> b, std::size_t at, int bytes)
{
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= std::uint64_t(b[at + std::size_t(i)]) << (8 * i);
    return v;
}

void PutSection(std::vector<std::uint8_t>& out, const char* tag, std::span<const std::uint8_t> data)
{
    out.insert(out.end(), tag, tag + 4);
    PutU32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
}

std::vector<std::uint8_t> GeoreferenceBytes(const TGeoreference& g)
{
    std::vector<std::uint8_t> d;
    PutU16(d, kGeoreferenceVersion);
    PutU16(d, g.RowsRunSouth ? 1 : 0);
    PutU32(d, static_cast<std::uint32_t>(g.Epsg));
    PutF64(d, g.CornerEasting);
    PutF64(d, g.CornerNorthing);
    return d;
}

std::optional<TGeoreference> ReadGeoreference(std::span<const std::uint8_t> d)
{
    if (d.size() < kGeoreferenceSize || GetLE(d, 0, 2) < 1)
        return std::nullopt;
    TGeoreference g;
    g.RowsRunSouth = (GetLE(d, 2, 2) & 1) != 0;
    g.Epsg = static_cast<std::int32_t>(static_cast<std::uint32_t>(GetLE(d, 4, 4)));
    g.CornerEasting = std::bit_cast<double>(GetLE(d, 8, 8));
    g.CornerNorthing = std::bit_cast<double>(GetLE(d, 16, 8));
    if (g.Epsg < 0 || !std::isfinite(g.CornerEasting) || !std::isfinite(g.CornerNorthing))
        return std::nullopt;
    return g;
}

std::vector<std::uint8_t> LimitsBytes(const std::map<std::int32_t, TPlanLimits>& plans)
{
    std::vector<std::uint8_t> d;
    PutU16(d, kLimitsVersion);
    PutU16(d, static_cast<std::uint16_t>(plans.size()));
    for (const auto& [slot, l] : plans) {
        PutU16(d, static_cast<std::uint16_t>(slot));
        const std::optional<double> given[5] = {l.Bearing, l.MainMin, l.MainMax, l.CrossMin, l.CrossMax};
        std::uint16_t flags = 0;
        for (int k = 0; k < 5; ++k)
            if (given[k])
                flags = static_cast<std::uint16_t>(flags | (1u << k));
        PutU16(d, flags);
        for (const auto& g : given)
            PutF64(d, g.value_or(0));
        for (double v : {l.MinFall, l.Export, l.Import, l.ImportCompacted})
            PutF64(d, v);
    }
    return d;
}

std::optional<std::map<std::int32_t, TPlanLimits>> ReadLimits(std::span<const std::uint8_t> d)
{
    if (d.size() < 4 || GetLE(d, 0, 2) < 1)
        return std::nullopt;
    const std::size_t count = std::size_t(GetLE(d, 2, 2));
    if (d.size() < 4 + count * kLimitsRecord)
        return std::nullopt;
    std::map<std::int32_t, TPlanLimits> plans;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t at = 4 + k * kLimitsRecord;
        const auto slot = static_cast<std::int32_t>(GetLE(d, at, 2));
        const auto flags = GetLE(d, at + 2, 2);
        double v[9];
        for (int i = 0; i < 9; ++i) {
            v[i] = std::bit_cast<double>(GetLE(d, at + 4 + std::size_t(i) * 8, 8));
            if (!std::isfinite(v[i]))
                return std::nullopt;
        }
        if (slot < 2 || slot > 10 || plans.count(slot) || v[5] < 0 || v[6] < 0 || v[7] < 0 || v[8] < 0)
            return std::nullopt;
        TPlanLimits l;
        std::optional<double>* given[5] = {&l.Bearing, &l.MainMin, &l.MainMax, &l.CrossMin, &l.CrossMax};
        for (int i = 0; i < 5; ++i)
            if (flags & (1u << i))
                *given[i] = v[i];
        l.MinFall = v[5];
        l.Export = v[6];
        l.Import = v[7];
        l.ImportCompacted = v[8];
        plans[slot] = l;
    }
    return plans;
}

void PutF32(std::vector<std::uint8_t>& out, float v)
{
    const auto u = std::bit_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
}

std::vector<std::uint8_t> SurfacesBytes(const std::map<std::int32_t, TDesignSurface>& surfaces)
{
    std::vector<std::uint8_t> d;
    PutU16(d, kSurfaceVersion);
    PutU16(d, static_cast<std::uint16_t>(surfaces.size()));
    for (const auto& [slot, l] : surfaces) {
        PutU16(d, static_cast<std::uint16_t>(slot));
        PutU16(d, static_cast<std::uint16_t>(l.Kind));
        // The heights as many as the layer's grid holds, whatever the vector.
        const std::size_t stakes = std::size_t(std::max(l.Columns, 0)) * std::size_t(std::max(l.Rows, 0));
        const bool whole = l.Heights.size() == stakes;
        PutU32(d, static_cast<std::uint32_t>(whole ? l.Columns : 0));
        PutU32(d, static_cast<std::uint32_t>(whole ? l.Rows : 0));
        PutU16(d, static_cast<std::uint16_t>(std::size(kSurfaceParameters)));
        PutU16(d, 0);
        for (const auto member : kSurfaceParameters)
            PutF64(d, l.*member);
        if (whole)
            for (float h : l.Heights)
                PutF32(d, h);
    }
    return d;
}

std::optional<std::map<std::int32_t, TDesignSurface>> ReadSurfaces(std::span<const std::uint8_t> d)
{
    if (d.size() < 4 || GetLE(d, 0, 2) < 1)
        return std::nullopt;
    const std::size_t count = std::size_t(GetLE(d, 2, 2));
    std::map<std::int32_t, TDesignSurface> surfaces;
    std::size_t at = 4;
    for (std::size_t k = 0; k < count; ++k) {
        if (d.size() - at < 16)
            return std::nullopt;
        const auto slot = static_cast<std::int32_t>(GetLE(d, at, 2));
        const auto kind = GetLE(d, at + 2, 2);
        const std::uint64_t columns = GetLE(d, at + 4, 4), rows = GetLE(d, at + 8, 4);
        const std::size_t parameters = std::size_t(GetLE(d, at + 12, 2));
        at += 16;
        if (slot < 2 || slot > 10 || surfaces.count(slot)
            || (kind != std::uint16_t(TDesignSurface::TKind::Settled)
                && kind != std::uint16_t(TDesignSurface::TKind::Optimised))
            || columns > kSurfaceMaxStakes || rows > kSurfaceMaxStakes || columns * rows > kSurfaceMaxStakes)
            return std::nullopt;
        const std::uint64_t stakes = columns * rows;
        if ((d.size() - at) / 8 < parameters || (d.size() - at - parameters * 8) / 4 < stakes)
            return std::nullopt;
        TDesignSurface l;
        l.Kind = static_cast<TDesignSurface::TKind>(kind);
        for (std::size_t i = 0; i < parameters; ++i) {
            const double v = std::bit_cast<double>(GetLE(d, at + i * 8, 8));
            if (!std::isfinite(v))
                return std::nullopt;
            if (i < std::size(kSurfaceParameters))
                l.*kSurfaceParameters[i] = v;
        }
        at += parameters * 8;
        l.Columns = static_cast<std::int32_t>(columns);
        l.Rows = static_cast<std::int32_t>(rows);
        l.Heights.resize(std::size_t(stakes));
        for (float& h : l.Heights) {
            h = std::bit_cast<float>(static_cast<std::uint32_t>(GetLE(d, at, 4)));
            at += 4;
            if (!std::isfinite(h))
                return std::nullopt;
        }
        surfaces[slot] = std::move(l);
    }
    return surfaces;
}

constexpr std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes)
{
    static constexpr auto table = MakeCrcTable();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::uint8_t b : bytes)
        c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::vector<std::uint8_t> WriteExtensionBlock(const TProjectExtension& extension)
{
    if (extension.Empty())
        return {};
    std::vector<std::uint8_t> sections;
    if (extension.Georeference)
        PutSection(sections, kGeoreferenceTag, GeoreferenceBytes(*extension.Georeference));
    if (!extension.LimitedPlans.empty())
        PutSection(sections, kLimitsTag, LimitsBytes(extension.LimitedPlans));
    if (!extension.DesignSurfaces.empty())
        PutSection(sections, kSurfaceTag, SurfacesBytes(extension.DesignSurfaces));
    for (const TExtensionSection& s : extension.Unknown) {
        std::string tag = s.Tag;
        tag.resize(4, ' ');
        PutSection(sections, tag.c_str(), s.Data);
    }

    std::vector<std::uint8_t> out(kBlockTag, kBlockTag + 4);
    PutU16(out, kExtensionVersion);
    PutU16(out, 0);
    PutU32(out, static_cast<std::uint32_t>(sections.size()));
    out.insert(out.end(), sections.begin(), sections.end());
    PutU32(out, Crc32(out));
    return out;
}

TExtensionRead ReadExtensionBlock(std::span<const std::uint8_t> tail)
{
    TExtensionRead damaged;
    damaged.State = TExtensionState::Damaged;
    if (tail.empty())
        return {};
    if (tail.size() < kExtensionFrameSize || tail.size() > kExtensionMaxSize
        || std::memcmp(tail.data(), kBlockTag, 4) != 0)
        return damaged;
    const auto version = GetLE(tail, 4, 2);
    const auto length = GetLE(tail, 8, 4);
    // Exactly one block: a length that does not account for every byte, a
    // check that fails or a version from the future is not read.
    if (version < 1 || version > kExtensionVersion || length != tail.size() - kExtensionFrameSize
        || GetLE(tail, tail.size() - 4, 4) != Crc32(tail.first(tail.size() - 4)))
        return damaged;

    TExtensionRead read;
    read.State = TExtensionState::Read;
    const auto sections = tail.subspan(12, std::size_t(length));
    std::size_t at = 0;
    while (at < sections.size()) {
        if (sections.size() - at < 8)
            return damaged;
        const std::string tag(reinterpret_cast<const char*>(sections.data() + at), 4);
        const auto size = GetLE(sections, at + 4, 4);
        if (size > sections.size() - at - 8)
            return damaged;
        const auto data = sections.subspan(at + 8, std::size_t(size));
        at += 8 + std::size_t(size);
        if (tag == std::string(kGeoreferenceTag, 4)) {
            auto g = ReadGeoreference(data);
            if (!g || read.Extension.Georeference)
                return damaged;
            read.Extension.Georeference = g;
        } else if (tag == std::string(kLimitsTag, 4)) {
            auto plans = ReadLimits(data);
            if (!plans || !read.Extension.LimitedPlans.empty())
                return damaged;
            read.Extension.LimitedPlans = std::move(*plans);
        } else if (tag == std::string(kSurfaceTag, 4)) {
            auto surfaces = ReadSurfaces(data);
            if (!surfaces || !read.Extension.DesignSurfaces.empty())
                return damaged;
            read.Extension.DesignSurfaces = std::move(*surfaces);
        } else {
            read.Extension.Unknown.push_back({tag, std::vector<std::uint8_t>(data.begin(), data.end())});
        }
    }
    return read;
}

std::string DamagedExtensionMessage(const std::string& fileNameWithoutDirectory)
{
    return "O arquivo " + fileNameWithoutDirectory
           + " contém dados adicionais que não puderam ser lidos (georreferência ou camadas de projeto). "
             "As cotas e os planos foram abertos; ao salvar, esses dados adicionais serão descartados.";
}

}  // namespace nivora
