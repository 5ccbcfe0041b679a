// nivora-cli: a command that draws is handed to nivora-cli-draw.

#include "Drawing.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>

#include <unistd.h>

#ifndef NIVORA_CLI_HELPER_DIR
#define NIVORA_CLI_HELPER_DIR "../libexec/nivora"
#endif

namespace nivora::cli {

namespace {

std::string OwnFolder()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return {};
    const std::string self(path, std::size_t(n));
    return self.substr(0, self.find_last_of('/'));
}

}  // namespace

int RunDrawing(const TCommand& command, const TArgs&, char** argv)
{
    // Beside nivora-cli in the build folder; in the installed layout the
    // helper is a private program of the package.
    const std::string folder = OwnFolder();
    std::string tried;
    for (const std::string& candidate :
         {folder + "/nivora-cli-draw", folder + "/" + NIVORA_CLI_HELPER_DIR + "/nivora-cli-draw"}) {
        if (::access(candidate.c_str(), X_OK) != 0)
            continue;
        std::cout.flush();
        ::execv(candidate.c_str(), argv);
        tried = candidate + ": " + std::strerror(errno);
    }
    throw std::runtime_error(
        "o comando " + command.Name + " desenha e precisa de nivora-cli-draw, que "
        + (tried.empty() ? "não foi encontrado ao lado de nivora-cli nem em " + std::string(NIVORA_CLI_HELPER_DIR)
                         : "não pôde ser executado (" + tried + ")"));
}

}  // namespace nivora::cli
