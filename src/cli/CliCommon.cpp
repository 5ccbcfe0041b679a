#include "CliCommon.h"

#include "calc/CalcSist.h"
#include "data/FileAccess.h"
#include "data/TextCodec.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <cstring>
#include <iostream>
#include <streambuf>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nivora::cli {

namespace {

// The reason of a failed file operation, in the program's language.
std::string Reason(int error)
{
    switch (error) {
    case ENOENT: return "arquivo ou pasta inexistente";
    case EACCES:
    case EPERM: return "permissão negada";
    case EISDIR: return "é uma pasta, não um arquivo";
    case ENOTDIR: return "uma parte do caminho não é uma pasta";
    case ENOSPC: return "disco cheio";
    case EDQUOT: return "cota de disco esgotada";
    case EROFS: return "sistema de arquivos somente para leitura";
    case ENAMETOOLONG: return "nome longo demais";
    case EIO: return "erro de entrada/saída do dispositivo";
    case EFBIG: return "o arquivo passa do tamanho máximo permitido";
    default: return std::strerror(error);
    }
}

std::string CannotOpen(const std::string& path, int error)
{
    return "Não foi possível abrir o arquivo " + path + ": " + Reason(error) + ".";
}

std::string CannotWrite(const std::string& path, int error)
{
    return "Erro de gravação no arquivo " + path + ": " + Reason(error) + ".";
}

std::string Folder(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Writes all of the bytes to an open descriptor; the errno of the failure, or 0.
int WriteAll(int fd, std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += std::size_t(n);
    }
    return 0;
}

// Standard output through write(2), keeping the first error. After an error
// nothing more is written: what follows would only hide the cut.
class TStandardOutputBuffer : public std::streambuf {
public:
    TStandardOutputBuffer() { setp(buffer_, buffer_ + sizeof buffer_); }
    int Error() const { return error_; }

protected:
    int_type overflow(int_type c) override
    {
        if (!Drain())
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override { return Drain() ? 0 : -1; }

private:
    bool Drain()
    {
        const std::size_t n = std::size_t(pptr() - pbase());
        setp(buffer_, buffer_ + sizeof buffer_);
        if (error_)
            return false;
        if (n > 0)
            error_ = WriteAll(STDOUT_FILENO, std::span(reinterpret_cast<const std::uint8_t*>(buffer_), n));
        return error_ == 0;
    }

    char buffer_[1 << 16];
    int error_ = 0;
};

TStandardOutputBuffer& StandardOutputBuffer()
{
    // Never destroyed: std::cout is flushed once more when the program ends,
    // after the statics of this file are gone, and still writes through it.
    static auto* const buffer = new TStandardOutputBuffer;
    return *buffer;
}

}  // namespace

void CaptureStandardOutput()
{
    // Past a file size limit a write fails with its reason instead of the
    // signal ending the program before it can say so.
    std::signal(SIGXFSZ, SIG_IGN);
    std::cout.rdbuf(&StandardOutputBuffer());
}

void FinishStandardOutput()
{
    std::cout.flush();
    if (const int error = StandardOutputBuffer().Error())
        throw TOutputError("Erro de gravação na saída padrão: " + Reason(error) + ".");
}

TOption AreaOption()
{
    return {"--area", "C1,R1,C2,R2",
            "área de trabalho: da coluna C1, linha R1 à coluna C2, linha R2 (piquetes, dentro da grade)",
            "toda a área com cotas", AreaText()};
}

TOption RatioOption(const std::string& fallback)
{
    return {"--ratio", "R", "razão entre os volumes de corte e de aterro, de 0,01 a 100", fallback,
            NumberIn(kMinRatio, kMaxRatio)};
}

TOption DecimalsOption() { return {"--decimals", "D", "casas decimais dos números, de 0 a 8", "3", IntegerIn(0, 8)}; }

TOption LocaleOption()
{
    return {"--locale", "NOME", "separador decimal da localidade: C ou en (ponto), pt_BR, de, fr, es, it (vírgula)",
            "C", [](const std::string& option, const std::string& value) {
                for (const char* known : {"C", "POSIX", "en", "pt", "de", "fr", "es", "it"})
                    if (value.rfind(known, 0) == 0)
                        return;
                throw TUsageError(option + ": localidade desconhecida: " + value);
            }};
}

TOption ProjectOutputOption(const std::string& help, bool required)
{
    TOption o{"-o", "SAIDA.NVR", help, "", OutputExtension({".nvr"})};
    o.Required = required;
    return o;
}

const std::string& File(const TArgs& a) { return a.Positional.at(0); }

char LocaleSeparator(const TArgs& a)
{
    const std::string name = a.Get("--locale", "C");
    for (const char* comma : {"pt", "de", "fr", "es", "it"})
        if (name.rfind(comma, 0) == 0)
            return ',';
    return '.';
}

void CheckInput(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        throw TInputError(CannotOpen(path, errno));
    if (S_ISDIR(st.st_mode))
        throw TInputError(CannotOpen(path, EISDIR));
    if (::access(path.c_str(), R_OK) != 0)
        throw TInputError(CannotOpen(path, errno));
}

TProject LoadProject(const std::string& path)
{
    CheckInput(path);
    TLoadedProject project = LoadProjectFile(path);
    if (project.ExtensionState == TExtensionState::Damaged)
        std::cerr << "nivora-cli: aviso: " << DamagedExtensionMessage(std::filesystem::path(path).filename().string())
                  << "\n";
    return {std::make_unique<TDocument>(std::move(project.Terrain), nullptr, path), project.View,
            project.ExtensionState};
}

std::ostream& SummaryStream(const std::string& outputPath) { return outputPath == "-" ? std::cerr : std::cout; }

void CheckOutput(const std::string& path)
{
    if (path == "-")
        return;  // standard output: its errors are told when it is written
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        throw TOutputError("Não foi possível criar o arquivo " + path + ": " + Reason(EISDIR) + ".");
    const std::string folder = Folder(path);
    if (::stat(folder.c_str(), &st) != 0)
        throw TOutputError("Não foi possível criar o arquivo " + path + ": a pasta " + folder + " não existe.");
    if (!S_ISDIR(st.st_mode))
        throw TOutputError("Não foi possível criar o arquivo " + path + ": " + folder + " não é uma pasta.");
    if (::access(folder.c_str(), W_OK) != 0)
        throw TOutputError("Não foi possível criar o arquivo " + path + ": " + Reason(errno) + ".");
}

void WriteOutput(const std::string& path, std::span<const std::uint8_t> bytes)
{
    if (path == "-") {
        std::cout.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        // A device or a pipe: replacing it by a file would be wrong, and
        // there is no earlier content to keep.
        const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0)
            throw TOutputError(CannotOpen(path, errno));
        const int error = WriteAll(fd, bytes);
        const int closed = ::close(fd) == 0 ? 0 : errno;
        if (error || closed)
            throw TOutputError(CannotWrite(path, error ? error : closed));
        return;
    }
    // A file is replaced as the program saves: links followed, mode and owner
    // kept, one temporary file flushed to disk before it takes the name.
    try {
        ReplaceFileContents(path, bytes);
    } catch (const TFileError& e) {
        throw TOutputError(e.what());
    }
}

void SaveProject(const std::string& path, TDocument& document, const TViewState& view)
{
    WriteOutput(path, document.FileImage(view));
    if (path != "-")
        document.SetFileName(path);
    document.MarkSaved();
}

TUsedRect AreaIn(const TArgs& a, TTerreno& t)
{
    if (!a.Has("--area"))
        return t.ComputeUsedRect();
    const TUsedRect r = ReadArea(a.Get("--area"));
    if (r.LastCol > t.ColCount() || r.LastRow > t.RowCount())
        throw TUsageError("--area: " + a.Get("--area") + " sai da grade de " + std::to_string(t.ColCount())
                          + " colunas e " + std::to_string(t.RowCount()) + " linhas");
    return r;
}

void WritePlan(TJson& j, const TPlano& p)
{
    j.BeginObject();
    j.Key("Sx").Value(p.Sx.Value());
    j.Key("Sy").Value(p.Sy.Value());
    j.Key("OriginElevation").Value(p.OriginElevation.Value());
    j.Key("CutVolume").Value(p.CutVolume.Value());
    j.Key("FillVolume").Value(p.FillVolume.Value());
    j.Key("CutFillRatio");
    if (p.RatioDefined() || (!p.Valid && p.CutFillRatio != 0.0L))
        j.Value(p.CutFillRatio.Value());  // a computed ratio, or the one typed for a plan not computed yet
    else
        j.Null();
    j.Key("MaxCut").Value(p.MaxCut.Value());
    j.Key("MaxFill").Value(p.MaxFill.Value());
    j.Key("CutCount").Value(p.CutCount);
    j.Key("FillCount").Value(p.FillCount);
    j.Key("SxText").Value(Cp1252ToUtf8(p.SxText.Str()));
    j.Key("SyText").Value(Cp1252ToUtf8(p.SyText.Str()));
    j.Key("RatioText").Value(Cp1252ToUtf8(p.RatioText.Str()));
    j.Key("Valid").Value(p.Valid);
    j.EndObject();
}

void WriteGeoreference(TJson& j, const std::optional<TGeoreference>& g)
{
    if (!g) {
        j.Null();
        return;
    }
    j.BeginObject();
    j.Key("EPSG").Value(g->Epsg);
    j.Key("CornerEasting").Value(static_cast<long double>(g->CornerEasting));
    j.Key("CornerNorthing").Value(static_cast<long double>(g->CornerNorthing));
    j.Key("RowsRunSouth").Value(g->RowsRunSouth);
    j.EndObject();
}

void WriteRect(TJson& j, const TUsedRect& r)
{
    j.BeginArray().Value(r.FirstCol).Value(r.FirstRow).Value(r.LastCol).Value(r.LastRow).EndArray();
}

TSystematized LoadAndSystematize(const TArgs& a)
{
    TSystematized run{LoadProject(File(a)), {}};
    TTerreno& t = run.Project.Terrain();
    const long double ratio = a.Number("--ratio", -1);
    const bool selectionOnly = a.Has("--area");
    if (selectionOnly)
        t.SetSelection(AreaIn(a, t));
    run.Result = Systematize(t, selectionOnly, ratio);
    if (!run.Result.Computed)
        throw TNothingToCompute(kNoElevationsMessage);
    return run;
}

}  // namespace nivora::cli
