// The baselines of the nivora-cli start benchmark.
//   read_whole_file FILE        reads a file whole and exits;
//   read_whole_file TEXT OUT    reads a text of numbers whole, converts every
//                               field with std::from_chars into a float grid,
//                               and writes the grid's bytes to OUT as a safe
//                               save does (a temporary file flushed to disk,
//                               then renamed over OUT, the folder flushed).
// The second is the least an import of the text into a project can cost.

#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

bool ReadWhole(const char* path, std::vector<char>& bytes)
{
    std::FILE* f = std::fopen(path, "rb");
    if (!f)
        return false;
    std::fseek(f, 0, SEEK_END);
    bytes.resize(static_cast<std::size_t>(std::ftell(f)));
    std::fseek(f, 0, SEEK_SET);
    const std::size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return n == bytes.size();
}

bool WriteSynced(const std::string& path, const std::vector<float>& cells)
{
    const std::string temp = path + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const auto size = static_cast<ssize_t>(cells.size() * sizeof(float));
    const bool written = ::write(fd, cells.data(), static_cast<std::size_t>(size)) == size && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written || std::rename(temp.c_str(), path.c_str()) != 0)
        return false;
    const std::string folder = path.find('/') == std::string::npos ? "." : path.substr(0, path.rfind('/'));
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    const bool synced = dir >= 0 && ::fsync(dir) == 0;
    if (dir >= 0)
        ::close(dir);
    return synced;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    std::vector<char> bytes;
    if (!ReadWhole(argv[1], bytes))
        return 1;
    if (argc < 3)
        return 0;
    std::vector<float> cells;
    cells.reserve(1000 * 1000);
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        float v = 0.0f;
        const auto [next, ec] = std::from_chars(p, end, v);
        cells.push_back(ec == std::errc() ? v : 0.0f);
        p = next;
        while (p < end && (*p == '\t' || *p == '\r' || *p == '\n'))
            ++p;
        if (ec != std::errc())
            while (p < end && *p != '\t' && *p != '\r' && *p != '\n')
                ++p;
    }
    return WriteSynced(argv[2], cells) ? 0 : 1;
}
