#include "FileAccess.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nivora {

namespace fs = std::filesystem;

namespace {

// The longest file name (one path component) the usual file systems accept.
constexpr std::size_t kMaxNameBytes = 255;
// Links followed before a name is taken for a loop, as the system does.
constexpr int kMaxLinks = 40;
// The random part of a temporary name, and the letters it is made of (no
// capitals: folders that ignore case would see fewer distinct names).
constexpr std::size_t kRandomChars = 12;
constexpr char kRandomAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr char kTempSuffix[] = ".tmp";
// Fresh names tried before a save gives up on creating its temporary file.
constexpr int kCreateAttempts = 100;

// What went wrong, in the user's language, for the errors a save or an open
// meets in practice; the system's own text for the rest.
std::string Reason(int error)
{
    switch (error) {
    case EACCES:
    case EPERM: return "permissão negada";
    case EROFS: return "o disco é somente de leitura";
    case ENOSPC:
    case EDQUOT: return "não há espaço no disco";
    case ENOENT:
    case ENOTDIR: return "a pasta não existe";
    case EISDIR: return "o nome é de uma pasta";
    case ENAMETOOLONG: return "o nome é longo demais";
    case ELOOP: return "atalhos em círculo";
    case EIO: return "erro de entrada/saída no disco";
    case EFBIG: return "o arquivo passa do tamanho máximo permitido";
    default: return std::strerror(error);
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
    void Reset(int fd)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
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
    for (const char c : s) {
        h ^= static_cast<unsigned char>(c);
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

namespace {

// The part of fileName's temporary names before the random letters: the name
// and a dot, cut (with a hash of the whole) when the name is near the limit.
std::string TemporaryPrefix(const std::string& name)
{
    const std::size_t room = kMaxNameBytes - kRandomChars - (sizeof kTempSuffix - 1);
    if (name.size() + 1 <= room)
        return name + ".";
    // As much of the name as fits, and a hash of the whole so that two long
    // names sharing a beginning do not share their temporary names.
    char hash[18];
    std::snprintf(hash, sizeof hash, "~%016llx", static_cast<unsigned long long>(Fnv1a(name)));
    std::size_t keep = room - 17 - 1;
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;  // never cut a UTF-8 character in two
    return name.substr(0, keep) + hash + ".";
}

bool IsTemporaryName(const std::string& candidate, const std::string& prefix)
{
    const std::size_t suffix = sizeof kTempSuffix - 1;
    if (candidate.size() != prefix.size() + kRandomChars + suffix || candidate.compare(0, prefix.size(), prefix) != 0
        || candidate.compare(candidate.size() - suffix, suffix, kTempSuffix) != 0)
        return false;
    for (std::size_t i = prefix.size(); i < prefix.size() + kRandomChars; ++i)
        if (std::string_view(kRandomAlphabet).find(candidate[i]) == std::string_view::npos)
            return false;
    return true;
}

// Removes what saves of target that ended without finishing left behind:
// temporary files of its name that belong to this user and that no live save
// holds locked. A save under way locks its file before it writes, and checks
// after locking that its file is still there (see ReplaceFileContents), so a
// file that is taken here between its creation and its locking is given up by
// its save, never written on after its removal.
void RemoveLeftovers(const fs::path& target)
{
    const fs::path folder = target.parent_path();
    const std::string prefix = TemporaryPrefix(target.filename().string());
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return;  // a folder that may be written but not listed: nothing is cleaned
    const uid_t self = ::geteuid();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!IsTemporaryName(name, prefix))
            continue;
        const fs::path path = folder / name;
        TFd file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (file.Get() < 0)
            file.Reset(::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat held {
        }, there{};
        if (file.Get() < 0 || ::fstat(file.Get(), &held) != 0 || !S_ISREG(held.st_mode) || held.st_uid != self)
            continue;
        if (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0)
            continue;  // a save under way
        // Still the file that was locked, not one made since under the name.
        if (::lstat(path.c_str(), &there) == 0 && there.st_dev == held.st_dev && there.st_ino == held.st_ino)
            ::unlink(path.c_str());
    }
    ::closedir(dir);
}

}  // namespace

fs::path TemporaryNameFor(const fs::path& fileName)
{
    // Fresh randomness from the system for every name: a generator kept in
    // the process would give a forked child the names its parent makes next.
    unsigned char bytes[kRandomChars];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += std::size_t(n);
    }
    if (got < sizeof bytes) {
        std::random_device device;
        for (unsigned char& b : bytes)
            b = static_cast<unsigned char>(device());
    }
    std::string temp = TemporaryPrefix(fileName.filename().string());
    for (const unsigned char b : bytes)
        temp += kRandomAlphabet[b % (sizeof kRandomAlphabet - 1)];
    return fileName.parent_path() / (temp + kTempSuffix);
}

bool IsTemporaryNameOf(const fs::path& candidate, const fs::path& fileName)
{
    return IsTemporaryName(candidate.filename().string(), TemporaryPrefix(fileName.filename().string()));
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

    // A temporary file of this save's own, created afresh and locked so that
    // no other save takes it for a leftover; what killed saves left behind
    // goes first.
    RemoveLeftovers(target);
    fs::path temp;
    TFd out;
    for (int attempt = 1;; ++attempt) {
        temp = TemporaryNameFor(target);
        out.Reset(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, replacing ? 0600 : 0666));
        if (out.Get() < 0) {
            if (errno == EEXIST && attempt < kCreateAttempts)
                continue;
            throw SaveError(name, errno);
        }
        if (::flock(out.Get(), LOCK_EX | LOCK_NB) != 0) {
            // Another save's cleaning holds it and removes it: take a new name.
            // Where the file system has no locks, no cleaning can take it
            // either, and the file is ours.
            if ((errno == EWOULDBLOCK || errno == EINTR) && attempt < kCreateAttempts)
                continue;
            if (errno == EWOULDBLOCK || errno == EINTR)
                throw SaveError(name, EAGAIN);
        } else {
            // Locked: still under its name, unless a cleaning removed it before
            // the lock was taken.
            struct stat mine {
            }, there{};
            if (::fstat(out.Get(), &mine) != 0 || ::lstat(temp.c_str(), &there) != 0 || mine.st_dev != there.st_dev
                || mine.st_ino != there.st_ino) {
                if (attempt < kCreateAttempts)
                    continue;
                throw SaveError(name, EAGAIN);
            }
        }
        break;
    }

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
    // The lock lasts until the file has its name: a second descriptor keeps
    // it while the first is closed for the error a deferred write may only
    // report then.
    TFd lock(::dup(out.Get()));
    const int dupError = lock.Get() < 0 ? errno : 0;
    if (!out.Close() && !error)
        error = errno;
    if (!error)
        error = dupError;
    if (!error && ::rename(temp.c_str(), target.c_str()) != 0)
        error = errno;
    if (error) {
        ::unlink(temp.c_str());
        throw SaveError(name, error);
    }
    lock.Close();
    SyncFolder(target.parent_path());
}

}  // namespace nivora
