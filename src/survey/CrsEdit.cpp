#include "survey/CrsEdit.h"

#include "app/Platform.h"
#include "survey/Crs.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <map>

namespace nivora {

namespace {

// The projection database is asked once per code in a run: typing a code
// asks for every prefix of it.
const std::optional<TCrsInfo>& CachedLookUp(std::int32_t code)
{
    static std::map<std::int32_t, std::optional<TCrsInfo>> known;
    const auto found = known.find(code);
    if (found != known.end())
        return found->second;
    if (known.size() > 4096)
        known.clear();
    return known[code] = LookUpEpsg(code);
}

// Why the code cannot be used, or nothing.
std::optional<QString> Refusal(std::int32_t code)
{
    const std::optional<TCrsInfo>& info = CachedLookUp(code);
    if (info && info->Projected && info->Metres)
        return std::nullopt;
    return QString::fromStdString(EpsgRefusal(code).value_or(""));
}

const char kNotACode[] = "O código EPSG deve ser um número inteiro positivo, por exemplo 31982.";

}  // namespace

bool EpsgAccepted(std::int32_t code) { return !Refusal(code); }

void SetUpEpsgEdit(QLineEdit* edit)
{
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression("(?:[Ee][Pp][Ss][Gg]\\s*:?\\s*)?[0-9]{0,9}"), edit));
    edit->setToolTip("Código EPSG do sistema de coordenadas, por exemplo 31982 (SIRGAS 2000 / UTM zone 22S).");
}

bool EpsgFromText(const QString& text, std::optional<std::int32_t>& code)
{
    QString digits = text.trimmed();
    if (digits.startsWith("EPSG", Qt::CaseInsensitive)) {
        digits = digits.mid(4).trimmed();
        if (digits.startsWith(':'))
            digits = digits.mid(1).trimmed();
        if (digits.isEmpty())
            return false;
    }
    if (digits.isEmpty()) {
        code.reset();
        return true;
    }
    bool ok = false;
    const int value = digits.toInt(&ok);
    if (!ok || value <= 0)
        return false;
    code = value;
    return true;
}

bool ShowEpsgName(QLabel* label, const QString& text, const QString& whenEmpty)
{
    std::optional<std::int32_t> code;
    QString shown;
    bool refused = true;
    if (!EpsgFromText(text, code)) {
        shown = "Digite o código EPSG do sistema, por exemplo 31982 (SIRGAS 2000 / UTM zone 22S).";
    } else if (!code) {
        shown = whenEmpty;
        refused = false;
    } else if (const auto refusal = Refusal(*code)) {
        shown = *refusal;
    } else {
        shown = QString::fromStdString(CachedLookUp(*code)->Name);
        refused = false;
    }
    label->setText(shown);
    label->setStyleSheet(refused ? "color: rgb(192, 0, 0);" : "color: rgb(0, 0, 160);");
    label->setProperty("Refused", refused);
    return refused;
}

bool ValidateEpsgEdit(QLineEdit* edit, std::int32_t& code)
{
    std::optional<std::int32_t> typed;
    std::optional<QString> refusal;
    if (!EpsgFromText(edit->text(), typed))
        refusal = kNotACode;
    else if (typed)
        refusal = Refusal(*typed);
    if (refusal) {
        Messages().Error(edit, *refusal);
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    code = typed.value_or(0);
    return true;
}

}  // namespace nivora
