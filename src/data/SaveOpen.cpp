#include "SaveOpen.h"

#include "ByteStream.h"
#include "NumberFormat.h"
#include "calc/CalcSist.h"
#include "data/UCotas.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace nivora {

namespace {

// Fixed texts that identify the file to a person looking at its bytes; no
// reader inspects them.
constexpr char kText1[] = "Nivora - Sistematizacao de Terrenos - projeto de nivelamento de area";
constexpr char kText2[] = "Projeto do Nivora";
constexpr char kText3[] = "Cotas, planos e vista da grade 01";
static_assert(sizeof kText1 - 1 == 68 && sizeof kText2 - 1 == 17 && sizeof kText3 - 1 == 33);

constexpr std::size_t kOffCols = 160, kOffRows = 164, kOffLx = 168, kOffLy = 172, kOffMarker = 192, kOffSize = 196,
                      kOffCheck = 200;

void PutI32(std::vector<std::uint8_t>& b, std::size_t at, std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        b[at + std::size_t(i)] = static_cast<std::uint8_t>(u >> (8 * i));
}

std::int32_t GetI32(std::span<const std::uint8_t> b, std::size_t at)
{
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= static_cast<std::uint32_t>(b[at + std::size_t(i)]) << (8 * i);
    return static_cast<std::int32_t>(u);
}

float GetSingle(std::span<const std::uint8_t> b, std::size_t at)
{
    const std::int32_t i = GetI32(b, at);
    float f;
    std::memcpy(&f, &i, 4);
    return f;
}

void PutSingle(std::vector<std::uint8_t>& b, std::size_t at, float f)
{
    std::int32_t i;
    std::memcpy(&i, &f, 4);
    PutI32(b, at, i);
}

void PutText(std::vector<std::uint8_t>& b, std::size_t at, std::string_view text)
{
    b[at] = 13;
    std::copy(text.begin(), text.end(), b.begin() + std::ptrdiff_t(at + 1));
}

std::int64_t ExpectedFileSize(std::int64_t cells)
{
    return std::int64_t(kHeaderSize) + std::int64_t(TCotas::kSectionHeaderSize) + 4 * cells
           + std::int64_t(TTerreno::kSectionSize) + std::int64_t(kViewSectionSize);
}

}  // namespace

const std::string& HeaderText1()
{
    static const std::string t(kText1);
    return t;
}
const std::string& HeaderText2()
{
    static const std::string t(kText2);
    return t;
}
const std::string& HeaderText3()
{
    static const std::string t(kText3);
    return t;
}

std::string NotNivoraMessage(const std::string& name)
{
    return "O arquivo " + name + " não foi gerado pelo Nivora ou teve sua estrutura alterada.";
}

std::vector<std::uint8_t> WriteHeader(const TTerreno& terrain, std::int64_t fileSize)
{
    std::vector<std::uint8_t> b(kHeaderSize, 0);
    if (fileSize > 0) {
        PutText(b, 0, kText1);
        PutText(b, 90, kText2);
        PutText(b, 120, kText3);
        b[154] = 13;
        PutI32(b, kOffCols, terrain.ColCount());
        PutI32(b, kOffRows, terrain.RowCount());
        PutSingle(b, kOffLx, static_cast<float>(static_cast<long double>(terrain.Lx())));
        PutSingle(b, kOffLy, static_cast<float>(static_cast<long double>(terrain.Ly())));
        PutI32(b, kOffMarker, kHeaderMarker);
        PutI32(b, kOffSize, static_cast<std::int32_t>(fileSize));
        PutI32(b, kOffCheck, kHeaderMarker ^ static_cast<std::int32_t>(fileSize));
    }
    return b;
}

std::vector<std::uint8_t> WriteDocument(const TTerreno& terrain, const TViewState& view)
{
    TByteWriter s;
    s.Reserve(std::size_t(ExpectedFileSize(std::int64_t(terrain.ColCount()) * terrain.RowCount())));
    const auto placeholder = WriteHeader(terrain, 0);
    s.Write(placeholder.data(), placeholder.size());
    terrain.SaveToStream(s);
    for (std::int32_t v :
         {view.Col, view.Row, view.LeftCol, view.TopRow, view.SelLeft, view.SelTop, view.SelRight, view.SelBottom})
        s.WriteI32(v);
    const std::size_t recorded = s.Position();
    const auto header = WriteHeader(terrain, std::int64_t(recorded));
    s.Seek(0);
    s.Write(header.data(), header.size());
    const auto block = WriteExtensionBlock(terrain.Extension());
    s.Seek(recorded);
    s.Write(block.data(), block.size());
    return s.Take();
}

static bool ReadView(TByteReader& s, TViewState& view)
{
    TViewState v;
    for (std::int32_t* p : {&v.Col, &v.Row, &v.LeftCol, &v.TopRow, &v.SelLeft, &v.SelTop, &v.SelRight, &v.SelBottom})
        if (!s.ReadI32(*p))
            return false;
    view = v;
    return true;
}

bool ReadDocument(TByteReader& stream, TTerreno& terrain, TViewState& view)
{
    return terrain.LoadFromStream(stream) && ReadView(stream, view);
}

TProjectHeader ParseHeader(std::span<const std::uint8_t> b)
{
    TProjectHeader h;
    if (b.size() < kHeaderSize)
        return h;
    h.ColCount = GetI32(b, kOffCols);
    h.RowCount = GetI32(b, kOffRows);
    h.Lx = GetSingle(b, kOffLx);
    h.Ly = GetSingle(b, kOffLy);
    h.Marker = GetI32(b, kOffMarker);
    h.FileSize = GetI32(b, kOffSize);
    h.Check = GetI32(b, kOffCheck);
    return h;
}

bool CheckProjectHeader(const TProjectHeader& h, std::uint64_t fileLength)
{
    return h.Marker == kHeaderMarker && std::int64_t(fileLength) >= std::int64_t(h.FileSize);
}

bool CheckProjectFile(const std::filesystem::path& fileName)
{
    std::unique_ptr<TInputFile> in;
    try {
        in = std::make_unique<TInputFile>(fileName);
    } catch (const TFileMissing&) {
        return false;
    }
    std::vector<std::uint8_t> header(kHeaderSize);
    if (!in->Read(header.data(), kHeaderSize))
        throw TFileError("Erro de leitura: o arquivo " + fileName.filename().string() + " terminou antes do esperado.");
    return CheckProjectHeader(ParseHeader(header), in->Length());
}

float MinSpacing() { return std::ldexp(1.0f, -128); }

bool SpacingKept(float spacing)
{
    Real48::Bytes bytes;
    return std::isfinite(spacing) && spacing > 0.0f
           && Real48::Encode(static_cast<long double>(spacing), bytes) == Real48::Status::Ok;
}

bool SpacingInRange(long double spacing)
{
    if (!(spacing > 0.0L) || !(spacing <= 2.0L * kMaxSpacing))
        return false;  // not a number, or beyond what a single takes
    const float held = static_cast<float>(spacing);
    return SpacingKept(held) && held <= kMaxSpacing;
}

std::string SpacingRangeText(char decimal)
{
    // Shown to the digits of a single.
    return "de " + FormatGeneral(MinSpacing(), 7, decimal) + " a " + FormatGeneral(kMaxSpacing, 7, decimal);
}

namespace {

// The checks a header must pass beyond the marker and size: dimensions within
// 1..1000, spacings the terrain can convert, a recorded size of at least a
// header.
bool HeaderHoldsTogether(const TProjectHeader& h)
{
    return h.FileSize >= std::int32_t(kHeaderSize) && h.ColCount >= 1 && h.ColCount <= MaxGridSize && h.RowCount >= 1
           && h.RowCount <= MaxGridSize && SpacingKept(h.Lx) && SpacingKept(h.Ly);
}

// The store section's counts must be the header's, its used rectangle inside
// the grid (or the empty one), and the sections must add up to the recorded
// size, before anything is allocated from them. The rectangle's corners are
// checked before its size is computed from them.
bool BodyMatchesHeader(const TProjectHeader& h, const TCotas::TSectionHeader& s)
{
    if (s.ColCount != h.ColCount || s.RowCount != h.RowCount)
        return false;
    const TUsedRect& r = s.UsedRect;
    if (!r.IsEmpty() && (r.FirstCol < 1 || r.LastCol > s.ColCount || r.FirstRow < 1 || r.LastRow > s.RowCount))
        return false;
    return ExpectedFileSize(r.CellCount()) == h.FileSize;
}

}  // namespace

std::unique_ptr<TLoadedProject> ReadProjectImage(std::span<const std::uint8_t> image)
{
    if (image.size() < kHeaderSize)
        return nullptr;
    const TProjectHeader h = ParseHeader(image);
    if (!CheckProjectHeader(h, image.size()) || !HeaderHoldsTogether(h))
        return nullptr;
    // Only the recorded size is read: bytes after it are not ours to judge.
    const auto body = image.first(std::size_t(h.FileSize));
    {
        TByteReader peek(body);
        peek.Seek(kHeaderSize);
        TCotas::TSectionHeader store;
        if (!TCotas::ReadSectionHeader(peek, store) || !BodyMatchesHeader(h, store))
            return nullptr;
    }
    TByteReader reader(body);
    reader.Seek(kHeaderSize);
    auto project = std::make_unique<TLoadedProject>();
    project->Terrain = std::make_unique<TTerreno>(h.ColCount, h.RowCount, h.Lx, h.Ly);
    if (!ReadDocument(reader, *project->Terrain, project->View) || reader.Remaining() != 0)
        return nullptr;
    TExtensionRead extension = ReadExtensionBlock(image.subspan(std::size_t(h.FileSize)));
    project->Terrain->SetExtension(std::move(extension.Extension));
    project->ExtensionState = extension.State;
    return project;
}

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw TFileError("Não foi possível abrir o arquivo " + fileName.filename().string() + ".");
    in.seekg(0, std::ios::end);
    const std::streamoff length = in.tellg();
    if (length < 0)
        throw TFileError("Erro de leitura no arquivo " + fileName.filename().string() + ".");
    in.seekg(0, std::ios::beg);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    if (length > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), length))
        throw TFileError("Erro de leitura no arquivo " + fileName.filename().string() + ".");
    return bytes;
}

TLoadedProject LoadProjectFile(const std::filesystem::path& fileName)
{
    // The file is read in place: header and store fields first, the cells
    // straight into the grid, then the terrain and view sections. No copy of
    // the whole file is made. The acceptance test of CheckProjectFile is made
    // on the same open file.
    const std::string name = fileName.filename().string();
    std::unique_ptr<TInputFile> file;
    try {
        file = std::make_unique<TInputFile>(fileName);
    } catch (const TFileMissing&) {
        throw TNotNivora(NotNivoraMessage(name));
    }
    TInputFile& in = *file;
    const std::uint64_t length = in.Length();
    const auto readError = [&] { return TFileError("Erro de leitura no arquivo " + name + "."); };
    if (length < kHeaderSize)
        throw TFileError("Erro de leitura: o arquivo " + name + " terminou antes do esperado.");

    std::vector<std::uint8_t> prefix(std::min<std::uint64_t>(length, kHeaderSize + TCotas::kSectionHeaderSize));
    if (!in.Read(prefix.data(), prefix.size()))
        throw readError();
    const TProjectHeader h = ParseHeader(prefix);
    if (!CheckProjectHeader(h, length) || !HeaderHoldsTogether(h))
        throw TNotNivora(NotNivoraMessage(name));
    TByteReader prefixReader(prefix);
    prefixReader.Seek(kHeaderSize);
    TCotas::TSectionHeader store;
    if (!TCotas::ReadSectionHeader(prefixReader, store) || !BodyMatchesHeader(h, store))
        throw TNotNivora(NotNivoraMessage(name));

    TLoadedProject project;
    project.Terrain = std::make_unique<TTerreno>(h.ColCount, h.RowCount, h.Lx, h.Ly);
    TTerreno& t = *project.Terrain;
    const bool cellsSound = t.Store().LoadCells(store, [&](float* to, std::size_t count) {
        if (!in.Read(to, count * 4))
            throw readError();
    });
    if (!cellsSound)
        throw TNotNivora(NotNivoraMessage(name));
    std::vector<std::uint8_t> tail(TTerreno::kSectionSize + kViewSectionSize);
    if (!in.Read(tail.data(), tail.size()))
        throw readError();
    TByteReader tailReader(tail);
    if (!t.LoadTerrainSection(tailReader) || !ReadView(tailReader, project.View))
        throw TNotNivora(NotNivoraMessage(name));
    // What follows the recorded size: our extension block, or bytes that are
    // not ours to judge. A tail too large for a block is not read at all.
    const std::uint64_t extra = length - std::uint64_t(h.FileSize);
    if (extra > kExtensionMaxSize) {
        project.ExtensionState = TExtensionState::Damaged;
    } else if (extra > 0) {
        std::vector<std::uint8_t> block(static_cast<std::size_t>(extra));
        if (!in.Read(block.data(), block.size()))
            throw readError();
        TExtensionRead read = ReadExtensionBlock(block);
        t.SetExtension(std::move(read.Extension));
        project.ExtensionState = read.State;
    }
    return project;
}

void WriteFileAtomically(const std::filesystem::path& fileName, std::span<const std::uint8_t> bytes)
{
    ReplaceFileContents(fileName, bytes);
}

void SaveProjectFile(const std::filesystem::path& fileName, TTerreno& terrain, const TViewState& view)
{
    WriteFileAtomically(fileName, WriteDocument(terrain, view));
    terrain.UpdateUsedRect();
    terrain.SetSaved(true);
}

}  // namespace nivora
