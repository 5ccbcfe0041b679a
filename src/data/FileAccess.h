#pragma once
// Project files on disk: reading only what is a regular file, and replacing a
// file so that neither a failure nor a power cut loses it.
//
// This is the one place where the core talks to the operating system beyond
// the standard library (POSIX calls: fsync, ownership and modes, non-blocking
// opens), because the standard library cannot flush a file to disk or tell a
// FIFO from a file before it blocks on it.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>

namespace nivora {

// Input/output failures: the generic error report shows their text.
class TFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file does not exist (a refusal of its own for the project reader, not
// an input/output error).
class TFileMissing : public TFileError {
public:
    using TFileError::TFileError;
};

// A regular file opened for reading. Anything else (a FIFO, a device, a
// folder) is refused at once with TFileError instead of blocking on it.
class TInputFile {
public:
    // Throws TFileMissing when there is no such file, TFileError when it
    // cannot be opened or is not a regular file.
    explicit TInputFile(const std::filesystem::path& fileName);
    ~TInputFile();
    TInputFile(const TInputFile&) = delete;
    TInputFile& operator=(const TInputFile&) = delete;

    std::uint64_t Length() const { return length_; }
    // Reads exactly n bytes; false when the file ends first. Throws
    // TFileError on a read error.
    bool Read(void* buffer, std::size_t n);

private:
    int fd_ = -1;
    std::uint64_t length_ = 0;
    std::string name_;
};

// A fresh name for the temporary file a save of fileName writes before it
// takes the file's place: beside it, the file's name, a dot, twelve random
// letters and digits and ".tmp", never longer than a name the folder accepts
// (a name near the limit is cut and carries a hash of the whole instead).
// Every save has its own, so saves of one file at the same time, from two
// windows or a script, never write into each other's.
std::filesystem::path TemporaryNameFor(const std::filesystem::path& fileName);
// Whether candidate has the form of a temporary name that a save of fileName
// makes (the same folder is assumed).
bool IsTemporaryNameOf(const std::filesystem::path& candidate, const std::filesystem::path& fileName);

// The file a name stands for once symbolic links are followed (the name
// itself when it is no link). A link that points nowhere yet gives the name
// it points at, where a save creates the file.
std::filesystem::path FollowLinks(const std::filesystem::path& fileName);

// Replaces the content of fileName with bytes without ever leaving it half
// written: the bytes go to the temporary file, are flushed to disk and then
// take the file's name. A link is followed and the file it points at is
// replaced; the replaced file's mode, and its owner and group where the system
// permits, carry over. A file the user may not write is refused before
// anything is written. Throws TFileError, with the old file untouched and no
// temporary file left, when anything fails.
//
// While a save writes, it holds an advisory lock on its temporary file. What
// saves that were killed or lost their power left behind (temporary files of
// this file's name, of this user, that nobody holds) is removed first; a
// temporary file of a save under way, or of another user, is never touched.
void ReplaceFileContents(const std::filesystem::path& fileName, std::span<const std::uint8_t> bytes);

}  // namespace nivora
