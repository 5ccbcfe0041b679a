#pragma once
// The project file: a 204-byte header followed by the store section, the
// terrain section and the view section of one grid document.
//
// Header: three identification texts, the column and row counts, Lx and Ly as
// singles, 16 reserved bytes, the marker 204, the file size and the check word
// (marker XOR size).
//
// Reading is a codec over a byte buffer: the whole image is checked before
// anything is built, and a file that does not hold together is refused with
// the one message the user sees for it.

#include "data/FileAccess.h"
#include "data/ProjectExtension.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace nivora {

class TByteReader;
class TTerreno;

constexpr std::size_t kHeaderSize = 204;
constexpr std::size_t kViewSectionSize = 32;
constexpr std::int32_t kHeaderMarker = 204;

// The grid control's state: positions count the header row and column as 0,
// so elevation cell (c, r) is grid column c, grid row r.
struct TViewState {
    std::int32_t Col = 1;
    std::int32_t Row = 1;
    std::int32_t LeftCol = 1;
    std::int32_t TopRow = 1;
    std::int32_t SelLeft = 1;
    std::int32_t SelTop = 1;
    std::int32_t SelRight = 1;
    std::int32_t SelBottom = 1;
    bool operator==(const TViewState&) const = default;
};

struct TProjectHeader {
    std::int32_t ColCount = 0;
    std::int32_t RowCount = 0;
    float Lx = 0.0f;
    float Ly = 0.0f;
    std::int32_t Marker = 0;
    std::int32_t FileSize = 0;
    std::int32_t Check = 0;
};

// The three constant identification texts (68, 17 and 33 characters).
const std::string& HeaderText1();
const std::string& HeaderText2();
const std::string& HeaderText3();

// The refusal every front end shows for a file that is not a project of ours.
std::string NotNivoraMessage(const std::string& fileNameWithoutDirectory);

// The 204 header bytes for a document whose file is `fileSize` bytes long; a
// size of 0 gives the all-zero placeholder written before the body.
std::vector<std::uint8_t> WriteHeader(const TTerreno& terrain, std::int64_t fileSize);
// The whole file image: placeholder header, body, then the real header; the
// extension block, when the terrain has one, follows the recorded size.
std::vector<std::uint8_t> WriteDocument(const TTerreno& terrain, const TViewState& view);
// Reads the body (the reader positioned at offset 204) into a terrain created
// with the header's dimensions. False when any section is short or invalid.
bool ReadDocument(TByteReader& stream, TTerreno& terrain, TViewState& view);

TProjectHeader ParseHeader(std::span<const std::uint8_t> bytes);  // needs 204 bytes
// The reader's acceptance test on the header: marker 204 and a file at least
// as long as the size it records. False when the file does not exist; a file
// that cannot be opened, is not a regular file or is shorter than the header
// throws TFileError.
bool CheckProjectFile(const std::filesystem::path& fileName);
bool CheckProjectHeader(const TProjectHeader& header, std::uint64_t fileLength);

struct TLoadedProject {
    std::unique_ptr<TTerreno> Terrain;
    TViewState View;
    // Whether the file had an extension block and whether it could be read
    // (a damaged one is ignored: the given content opens as it is).
    TExtensionState ExtensionState = TExtensionState::None;
};

// Checks and reads a whole file image. Returns the document, or nothing when
// the image is not a valid project (the caller shows NotNivoraMessage).
// Besides the header test this refuses dimensions outside 1..1000, spacings
// that are not positive numbers the terrain's 6-byte real can hold, body counts that differ from the header,
// a used rectangle outside the grid and a recorded size that does not match
// the sections.
std::unique_ptr<TLoadedProject> ReadProjectImage(std::span<const std::uint8_t> image);

// Reads a file whole; throws TFileError when it cannot be opened or read.
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& fileName);
// Opens a project file: TFileError for input/output failures (including a file
// shorter than the header, and anything but a regular file), TNotNivora for a
// refused file.
class TNotNivora : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
TLoadedProject LoadProjectFile(const std::filesystem::path& fileName);

// Replaces the file's content without ever leaving it half written (see
// ReplaceFileContents). Throws TFileError, with the old file untouched, when
// anything fails.
void WriteFileAtomically(const std::filesystem::path& fileName, std::span<const std::uint8_t> bytes);
// Writes the document's file image to fileName; once the file is written the
// terrain is saved (`Saved`, and UsedRect as the file records it). When the
// write fails it throws and the terrain is left as it was.
void SaveProjectFile(const std::filesystem::path& fileName, TTerreno& terrain, const TViewState& view);

}  // namespace nivora

namespace nivora {
// The spacings between stakes a project holds. The terrain takes a spacing as
// a single and keeps it in its 6-byte real, so the smallest is the smallest
// single that real does not round to 0 (2^-128); the largest leaves room for
// 1000 stakes and their origin in singles. Every place a spacing comes in
// (the new project dialog, nivora-cli's options, a grid made from points)
// checks this one range, so that what is saved reads back.
constexpr float kMaxSpacing = 1e30f;
float MinSpacing();
// A spacing as the terrain would hold it (rounded to a single) is one the
// 6-byte real keeps: positive and not too small. The reader's test.
bool SpacingKept(float spacing);
// SpacingKept and at most kMaxSpacing: a spacing a new grid may be given.
bool SpacingInRange(long double spacing);
// "de 2,938735877E-39 a 1E30", for the messages that give the range.
std::string SpacingRangeText(char decimal);

// The X (or Y) of the origin when stake number n stands at the middle of its
// spacing: n * spacing - spacing / 2, kept as a single.
inline float OriginForStake(std::int32_t n, float spacing)
{
    return static_cast<float>(static_cast<long double>(n) * spacing - 0.5L * spacing);
}
}  // namespace nivora
