#include "FileAccess.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nivora {

namespace fs = std::filesystem;

namespace {

// The longest file name (one path component) the usual file systems accept.
constexpr std::size_t kMaxNameBytes = 255;
// Links followed before a name is taken for a loop, as the system does.
constexpr int kMaxLinks = 40;

// What went wrong, in the user's language, for the errors a save or an open
// meets in practice; the system's own text for the rest.
std::string Reason(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return "permissão negada";
    case EROFS:
        return "o disco é somente de leitura";
    case ENOSPC:
    case EDQUOT:
        return "não há espaço no disco";
    case ENOENT:
    case ENOTDIR:
        return "a pasta não existe";
    case EISDIR:
        return "o nome é de uma pasta";
    case ENAMETOOLONG:
        return "o nome é longo demais";
    case ELOOP:
        return "atalhos em círculo";
    case EIO:
        return "erro de entrada/saída no disco";
    default:
        return std::strerror(error);
    }
}

TFileError SaveError(const std::string& name, int error)
{
    return TFileError("Não foi possível gravar o arquivo " + name + ": " + Reason(error) + ".");
}

// A descriptor that closes itself; Close reports the error a deferred write
// may only show then.
class TFd {
public:
    explicit TFd(int fd = -1) : fd_(fd) {}
    ~TFd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return fd_; }
    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, const std::uint8_t* data, std::size_t n)
{
    while (n > 0) {
        const ssize_t done = ::write(fd, data, n);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += done;
        n -= std::size_t(done);
    }
    return true;
}

std::uint64_t Fnv1a(const std::string& s)
{
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

// Flushes a folder's entries, so that a rename in it survives a power cut.
// File systems that cannot do it say so; the rename itself has happened.
void SyncFolder(const fs::path& folder)
{
    TFd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0)
        ::fsync(dir.Get());
}

}  // namespace

TInputFile::TInputFile(const fs::path& fileName) : name_(fileName.filename().string())
{
    // Opened without blocking: a FIFO would otherwise wait for a writer
    // forever. Once it is known to be a regular file, reads block as usual.
    fd_ = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            throw TFileMissing("O arquivo " + name_ + " não existe.");
        throw TFileError("Não foi possível abrir o arquivo " + name_ + ": " + Reason(error) + ".");
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw TFileError("Não foi possível abrir o arquivo " + name_ + ": não é um arquivo comum.");
    }
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags != -1)
        ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    length_ = std::uint64_t(st.st_size);
}

TInputFile::~TInputFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool TInputFile::Read(void* buffer, std::size_t n)
{
    auto* p = static_cast<std::uint8_t*>(buffer);
    while (n > 0) {
        const ssize_t got = ::read(fd_, p, n);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw TFileError("Erro de leitura no arquivo " + name_ + ".");
        }
        if (got == 0)
            return false;
        p += got;
        n -= std::size_t(got);
    }
    return true;
}

fs::path TemporaryNameFor(const fs::path& fileName)
{
    const std::string name = fileName.filename().string();
    std::string temp = name + ".tmp";
    if (temp.size() > kMaxNameBytes) {
        // A name near the limit: as much of it as fits, and a hash of the
        // whole so that two long names sharing a beginning do not meet.
        char hash[18];
        std::snprintf(hash, sizeof hash, "~%016llx", static_cast<unsigned long long>(Fnv1a(name)));
        std::size_t keep = kMaxNameBytes - 4 - 17;
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
            --keep;  // never cut a UTF-8 character in two
        temp = name.substr(0, keep) + hash + ".tmp";
    }
    return fileName.parent_path() / temp;
}

fs::path FollowLinks(const fs::path& fileName)
{
    fs::path p = fileName;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return p;
        if (hops == kMaxLinks)
            throw SaveError(fileName.filename().string(), ELOOP);
        std::error_code ec;
        const fs::path to = fs::read_symlink(p, ec);
        if (ec)
            throw SaveError(fileName.filename().string(), ec.value());
        p = to.is_absolute() ? to : p.parent_path() / to;
    }
}

void ReplaceFileContents(const fs::path& fileName, std::span<const std::uint8_t> bytes)
{
    const std::string name = fileName.filename().string();
    const fs::path target = FollowLinks(fileName);

    // The file being replaced: it must be a regular file the user may write,
    // and its mode, owner and group go to the new one.
    struct stat old {};
    bool replacing = false;
    if (::stat(target.c_str(), &old) == 0) {
        replacing = true;
        if (S_ISDIR(old.st_mode))
            throw SaveError(name, EISDIR);
        if (!S_ISREG(old.st_mode))
            throw TFileError("Não foi possível gravar o arquivo " + name + ": não é um arquivo comum.");
        // The system's own answer, for the user and the file as they are
        // (modes, access lists, read-only disks, immutable files); the file is
        // opened without truncating and closed again untouched.
        TFd probe(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (probe.Get() < 0)
            throw SaveError(name, errno);
    } else if (errno != ENOENT) {
        throw SaveError(name, errno);
    }

    // One temporary name per file: what an interrupted save left there is
    // removed first, and the new one is created afresh.
    const fs::path temp = TemporaryNameFor(target);
    if (::unlink(temp.c_str()) != 0 && errno != ENOENT)
        throw SaveError(name, errno);
    TFd out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, replacing ? 0600 : 0666));
    if (out.Get() < 0)
        throw SaveError(name, errno);

    int error = 0;
    if (replacing) {
        // Owner and group where permitted (only a privileged user may give a
        // file away; a member of the group may keep it), then the mode, which
        // a change of owner would have cleared of its set-id bits.
        if (::fchown(out.Get(), old.st_uid, old.st_gid) != 0)
            (void)::fchown(out.Get(), uid_t(-1), old.st_gid);
        if (::fchmod(out.Get(), old.st_mode & 07777) != 0)
            error = errno;
    }
    if (!error && !WriteAll(out.Get(), bytes.data(), bytes.size()))
        error = errno;
    if (!error && ::fsync(out.Get()) != 0)
        error = errno;
    if (!out.Close() && !error)
        error = errno;
    if (!error && ::rename(temp.c_str(), target.c_str()) != 0)
        error = errno;
    if (error) {
        ::unlink(temp.c_str());
        throw SaveError(name, error);
    }
    SyncFolder(target.parent_path());
}

}  // namespace nivora
