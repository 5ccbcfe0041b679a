// The baseline of the nivora-cli start benchmark: a C++ program that reads a
// file whole and exits.

#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    std::FILE* f = std::fopen(argv[1], "rb");
    if (!f)
        return 1;
    std::fseek(f, 0, SEEK_END);
    std::vector<char> bytes(static_cast<std::size_t>(std::ftell(f)));
    std::fseek(f, 0, SEEK_SET);
    const std::size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return n == bytes.size() ? 0 : 1;
}
