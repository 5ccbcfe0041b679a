#include "Options.h"

#include "data/NumberFormat.h"
#include "data/NumberUtils.h"
#include "data/SaveOpen.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace nivora::cli {

const char* ExitStatusHelp()
{
    return "Situação de saída:\n"
           "  0  sucesso\n"
           "  1  falha inesperada\n"
           "  2  erro na linha de comando (nada foi lido nem gravado)\n"
           "  3  arquivo de entrada ilegível, inexistente ou que não é do tipo esperado\n"
           "  4  cálculo recusado: o arquivo não tem as cotas ou os resultados necessários\n"
           "  5  não foi possível gravar o arquivo de saída\n";
}

namespace {

std::string Shown(long double v) { return FormatGeneral(v, 10, ','); }

// Edit distance of two short texts, to suggest the option meant by a typo.
std::size_t Distance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::vector<std::string> SplitCommas(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return parts;
        start = comma + 1;
    }
}

bool ParseInteger(const std::string& text, std::int32_t& value)
{
    long double v = 0;
    if (!ParseNumber(text, v, '.') || v != std::trunc(v) || v < -2147483648.0L || v > 2147483647.0L)
        return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

}  // namespace

long double ReadNumber(const std::string& text)
{
    long double v = 0;
    ParseEitherMark(text, v);
    return v;
}

TUsedRect ReadArea(const std::string& text)
{
    const auto parts = SplitCommas(text);
    std::int32_t v[4] = {};
    for (std::size_t i = 0; i < 4 && i < parts.size(); ++i)
        ParseInteger(parts[i], v[i]);
    return {v[0], v[1], v[2], v[3]};
}

std::string LowerExtension(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot + 1 == path.size())
        return {};
    std::string ext = path.substr(dot);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

TCheck IsNumber()
{
    return [](const std::string& option, const std::string& value) {
        long double v = 0;
        if (!ParseEitherMark(value, v))
            throw TUsageError(option + ": \"" + value + "\" não é um número");
    };
}

TCheck NumberIn(long double lowest, long double highest)
{
    return [=](const std::string& option, const std::string& value) {
        IsNumber()(option, value);
        const long double v = ReadNumber(value);
        if (!(v >= lowest && v <= highest))
            throw TUsageError(option + ": deve estar entre " + Shown(lowest) + " e " + Shown(highest)
                              + " (recebido: " + value + ")");
    };
}

TCheck Positive()
{
    return [](const std::string& option, const std::string& value) {
        IsNumber()(option, value);
        const long double v = ReadNumber(value);
        // A spacing that leaves room for 1000 stakes in the file's singles.
        if (!(v > 0) || !(v < 1e30L))
            throw TUsageError(option + ": deve ser um número positivo menor que 1E30 (recebido: " + value + ")");
    };
}

TCheck Spacing()
{
    return [](const std::string& option, const std::string& value) {
        IsNumber()(option, value);
        if (!SpacingInRange(ReadNumber(value)))
            throw TUsageError(option + ": deve ser um número positivo " + SpacingRangeText(',') + " (recebido: " + value
                              + ")");
    };
}

TCheck IntegerIn(std::int32_t lowest, std::int32_t highest)
{
    return [=](const std::string& option, const std::string& value) {
        std::int32_t v = 0;
        if (!ParseInteger(value, v) || v < lowest || v > highest)
            throw TUsageError(option + ": deve ser um inteiro de " + std::to_string(lowest) + " a "
                              + std::to_string(highest) + " (recebido: " + value + ")");
    };
}

TCheck OneOf(std::vector<std::string> choices)
{
    return [choices = std::move(choices)](const std::string& option, const std::string& value) {
        if (std::find(choices.begin(), choices.end(), value) != choices.end())
            return;
        std::string list;
        for (std::size_t i = 0; i < choices.size(); ++i)
            list += (i == 0 ? "" : i + 1 == choices.size() ? " ou " : ", ") + choices[i];
        throw TUsageError(option + ": deve ser " + list + " (recebido: " + value + ")");
    };
}

TCheck AreaText()
{
    return [](const std::string& option, const std::string& value) {
        const auto parts = SplitCommas(value);
        std::int32_t v[4] = {};
        bool ok = parts.size() == 4;
        for (std::size_t i = 0; ok && i < 4; ++i)
            ok = ParseInteger(parts[i], v[i]) && v[i] >= 1 && v[i] <= MaxGridSize;
        if (!ok || v[0] > v[2] || v[1] > v[3])
            throw TUsageError(option + ": espera C1,R1,C2,R2, piquetes de 1 a " + std::to_string(MaxGridSize)
                              + " com C1 <= C2 e R1 <= R2 (recebido: " + value + ")");
    };
}

TCheck NumberList(std::size_t most)
{
    return [most](const std::string& option, const std::string& value) {
        const auto parts = SplitCommas(value);
        for (const std::string& p : parts) {
            long double v = 0;
            if (!ParseNumber(p, v, '.'))
                throw TUsageError(option + ": \"" + p + "\" não é um número (separe os valores com vírgula e use"
                                  " ponto decimal)");
        }
        if (parts.size() > most)
            throw TUsageError(option + ": no máximo " + std::to_string(most)
                              + " valores (recebidos: " + std::to_string(parts.size()) + ")");
    };
}

TCheck OutputExtension(std::vector<std::string> extensions, std::string textOnStandardOutput)
{
    return [extensions = std::move(extensions), text = std::move(textOnStandardOutput)](const std::string& option,
                                                                                        const std::string& value) {
        if (value == "-") {
            if (!text.empty())
                return;
            // Without a name there is no extension to choose the format by,
            // and these formats are not text a terminal or a pipe of lines
            // would take.
            throw TUsageError(option + ": a saída padrão (-) recebe só texto, e este comando grava arquivos binários; "
                                       "dê o nome do arquivo (recebido: -)");
        }
        const std::string ext = LowerExtension(value);
        if (std::find(extensions.begin(), extensions.end(), ext) != extensions.end())
            return;
        std::string list;
        for (std::size_t i = 0; i < extensions.size(); ++i)
            list += (i == 0 ? "" : i + 1 == extensions.size() ? " ou " : ", ") + extensions[i];
        throw TUsageError(
            option + ": "
            + (ext.empty() ? "o arquivo de saída não tem extensão" : "a extensão " + ext + " não é aceita") + "; use "
            + list + " (recebido: " + value + ")");
    };
}

TOption HelpOption() { return {"-h, --help", "", "mostra esta ajuda e termina", "", {}}; }

const TOption* TCommand::Find(const std::string& name) const
{
    for (const TOption& o : Options)
        if (o.Name == name)
            return &o;
    return nullptr;
}

std::string TCommand::Usage() const
{
    std::string line = "nivora-cli " + Name;
    if (!Operand.empty())
        line += " " + Operand;
    if (!UsageOverride.empty())
        return line + " " + UsageOverride;
    for (const TOption& o : Options) {
        const std::string text = o.Value.empty() ? o.Name : o.Name + " " + o.Value;
        line += o.Required ? " " + text : " [" + text + "]";
    }
    return line;
}

std::string TCommand::Help() const
{
    std::ostringstream out;
    out << "Uso: " << Usage() << "\n\n" << Description << "\n\nOpções:\n";
    std::vector<TOption> all = Options;
    all.push_back(HelpOption());
    std::size_t width = 0;
    for (const TOption& o : all)
        width = std::max(width, o.Name.size() + (o.Value.empty() ? 0 : o.Value.size() + 1));
    for (const TOption& o : all) {
        std::string head = o.Value.empty() ? o.Name : o.Name + " " + o.Value;
        head.resize(width, ' ');
        out << "  " << head << "  " << o.Help;
        if (o.Required)
            out << " (obrigatória)";
        else if (!o.Default.empty())
            out << " (padrão: " << o.Default << ")";
        out << "\n";
    }
    out << "\n" << ExitStatusHelp();
    return out.str();
}

std::string TArgs::Get(const std::string& k, const std::string& fallback) const
{
    const auto it = Options.find(k);
    return it == Options.end() ? fallback : it->second;
}

long double TArgs::Number(const std::string& k, long double fallback) const
{
    return Has(k) ? ReadNumber(Get(k)) : fallback;
}

std::int32_t TArgs::Integer(const std::string& k, std::int32_t fallback) const
{
    std::int32_t v = fallback;
    if (Has(k))
        ParseInteger(Get(k), v);
    return v;
}

TArgs ParseArgs(const TCommand& command, const std::vector<std::string>& args, bool& helpAsked)
{
    // A help request anywhere among the options, but not after "--", where
    // "--help" is a file's name.
    const auto operandsOnly = std::find(args.begin(), args.end(), "--");
    helpAsked =
        std::find_if(args.begin(), operandsOnly, [](const std::string& s) { return s == "-h" || s == "--help"; })
        != operandsOnly;
    TArgs a;
    a.Command = &command;
    if (helpAsked)
        return a;
    bool onlyOperands = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& s = args[i];
        if (onlyOperands || s.size() < 2 || s[0] != '-') {
            a.Positional.push_back(s);
            continue;
        }
        if (s == "--") {
            onlyOperands = true;
            continue;
        }
        std::string name = s;
        std::string value;
        bool inlineValue = false;
        if (const std::size_t eq = s.find('='); s.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = s.substr(0, eq);
            value = s.substr(eq + 1);
            inlineValue = true;
        }
        const TOption* option = command.Find(name);
        if (!option) {
            std::string message = "opção desconhecida de " + command.Name + ": " + name;
            const TOption* nearest = nullptr;
            std::size_t best = 3;
            for (const TOption& o : command.Options)
                if (const std::size_t d = Distance(name, o.Name); d < best) {
                    best = d;
                    nearest = &o;
                }
            if (nearest)
                message += " (quis dizer " + nearest->Name + "?)";
            throw TUsageError(message);
        }
        if (a.Has(name))
            throw TUsageError(name + ": opção repetida");
        if (option->Value.empty()) {
            if (inlineValue)
                throw TUsageError(name + ": não leva valor");
            a.Options.emplace(name, "1");
            continue;
        }
        if (!inlineValue) {
            // The next argument is the value, even when it starts with "-"
            // (a negative slope), unless it is another option of the command.
            if (i + 1 >= args.size() || command.Find(args[i + 1]) || args[i + 1] == "--")
                throw TUsageError("falta o valor de " + name);
            value = args[++i];
        }
        if (option->Check)
            option->Check(name, value);
        a.Options.emplace(name, value);
    }
    for (const TOption& o : command.Options)
        if (o.Required && !a.Has(o.Name))
            throw TUsageError("falta a opção " + o.Name + (o.Value.empty() ? "" : " " + o.Value));
    if (!command.Operand.empty() && a.Positional.empty())
        throw TUsageError("falta o arquivo de entrada " + command.Operand);
    const std::size_t operands = command.Operand.empty() ? 0 : 1;
    if (a.Positional.size() > operands)
        throw TUsageError("argumento a mais: " + a.Positional[operands]);
    if (command.CheckTogether)
        command.CheckTogether(a);
    return a;
}

}  // namespace nivora::cli
