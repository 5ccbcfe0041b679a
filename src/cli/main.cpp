// nivora-cli: the batch front end. It runs the program's own computations on
// project files, for scripting and measurement; the program itself reads no
// arguments. Each command file registers its commands (CliCommon.h).

#include "CliCommon.h"

#include <cctype>
#include <iostream>

using namespace nivora;
using namespace nivora::cli;

namespace {

void Usage(std::ostream& out)
{
    out << "uso: nivora-cli COMANDO ARQUIVO [opções]\n";
    for (const auto& [name, info] : Commands())
        out << "  " << name << " " << info.Usage << "\n";
}

bool LooksLikeOption(const std::string& s)
{
    // "-0.5" is a number, not an option.
    return s.size() > 1 && s[0] == '-' && !std::isdigit(static_cast<unsigned char>(s[1])) && s[1] != '.';
}

TArgs ParseArgs(int argc, char** argv)
{
    TArgs a;
    if (argc < 2)
        throw TUsageError("falta o comando");
    a.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string s = argv[i];
        if (IsFlag(s)) {
            a.options[s] = "1";
        } else if (LooksLikeOption(s)) {
            if (i + 1 >= argc)
                throw TUsageError("falta o valor de " + s);
            a.options[s] = argv[++i];
        } else {
            a.positional.push_back(s);
        }
    }
    return a;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        const TArgs a = ParseArgs(argc, argv);
        if (a.command == "-h" || a.command == "--help" || a.command == "help") {
            Usage(std::cout);
            return 0;
        }
        const auto it = Commands().find(a.command);
        if (it == Commands().end())
            throw TUsageError("comando desconhecido: " + a.command);
        return it->second.Run(a);
    } catch (const TUsageError& e) {
        std::cerr << "nivora-cli: " << e.what() << "\n";
        Usage(std::cerr);
        return 64;
    } catch (const TNothingToCompute& e) {
        std::cerr << e.what() << "\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}
