// nivora-cli: the batch front end. It runs the program's own computations on
// project files, for scripting and measurement; the program itself reads no
// arguments. The commands are listed in Commands.cpp.

#include "CliCommon.h"
#include "Commands.h"
#include "Drawing.h"
#include "NivoraVersion.h"

#include <iostream>
#include <new>

using namespace nivora;
using namespace nivora::cli;

namespace {

void GeneralHelp(std::ostream& out)
{
    out << "Uso: nivora-cli COMANDO ARQUIVO [opções]\n"
           "     nivora-cli help COMANDO | COMANDO --help | --help | --version\n\n"
           "Executa os cálculos do Nivora sobre projetos (.NVR), para uso em scripts.\n\n"
           "Comandos:\n";
    std::size_t width = 0;
    for (const TCommand& c : CommandTable())
        width = std::max(width, c.Name.size());
    for (const TCommand& c : CommandTable())
        out << "  " << c.Name << std::string(width - c.Name.size() + 2, ' ') << c.Summary << "\n";
    out << "\nOs números das opções aceitam ponto ou vírgula decimal; as saídas usam ponto, salvo --locale.\n"
           "Ajuda de um comando: nivora-cli help COMANDO\n\n"
        << ExitStatusHelp();
}

void Version(std::ostream& out) { out << "nivora-cli (Nivora) " << NIVORA_VERSION << "\n"; }

// A usage error: the message, then how the command is called.
int UsageError(const std::string& message, const TCommand* command)
{
    std::cerr << "nivora-cli: " << message << "\n";
    if (command)
        std::cerr << "Uso: " << command->Usage() << "\nMais informações: nivora-cli help " << command->Name << "\n";
    else
        std::cerr << "Uso: nivora-cli COMANDO ARQUIVO [opções]\nMais informações: nivora-cli --help\n";
    return kExitUsage;
}

int Fail(const std::string& message, int status)
{
    std::cerr << "nivora-cli: " << message << "\n";
    return status;
}

// The command line, run; the exit status.
int Run(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const TCommand* command = nullptr;
    try {
        if (args.empty())
            return UsageError("falta o comando", nullptr);
        const std::string& first = args[0];
        if (first == "--version" || first == "-V" || first == "version") {
            Version(std::cout);
            return kExitOk;
        }
        if (first == "--help" || first == "-h" || first == "help") {
            if (args.size() == 1) {
                GeneralHelp(std::cout);
                return kExitOk;
            }
            const TCommand* topic = FindCommand(args[1]);
            if (!topic || args.size() > 2)
                return UsageError(topic ? "argumento a mais: " + args[2] : "comando desconhecido: " + args[1], nullptr);
            std::cout << topic->Help();
            return kExitOk;
        }
        command = FindCommand(first);
        if (!command)
            return UsageError("comando desconhecido: " + first, nullptr);
        bool helpAsked = false;
        const TArgs a = ParseArgs(*command, {args.begin() + 1, args.end()}, helpAsked);
        if (helpAsked) {
            std::cout << command->Help();
            return kExitOk;
        }
        const bool draws = command->Draws || (!command->DrawsWith.empty() && a.Has(command->DrawsWith));
        return draws ? RunDrawing(*command, a, argv) : command->Run(a);
    } catch (const TUsageError& e) {
        return UsageError(e.what(), command);
    } catch (const TNothingToCompute& e) {
        return Fail(e.what(), kExitRefused);
    } catch (const TInputError& e) {
        return Fail(e.what(), kExitInput);
    } catch (const TFileError& e) {
        return Fail(e.what(), kExitInput);
    } catch (const TNotNivora& e) {
        return Fail(e.what(), kExitInput);
    } catch (const TOutputError& e) {
        return Fail(e.what(), kExitOutput);
    } catch (const std::bad_alloc&) {
        return Fail("memória insuficiente.", kExitFailure);
    } catch (const std::exception& e) {
        return Fail(e.what(), kExitFailure);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    CaptureStandardOutput();
    const int status = Run(argc, argv);
    try {
        FinishStandardOutput();
    } catch (const TOutputError& e) {
        // A command that failed already has its status; a cut output turns
        // success into failure.
        return status == kExitOk ? Fail(e.what(), kExitOutput) : status;
    }
    return status;
}
