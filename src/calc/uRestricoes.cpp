#include "uRestricoes.h"

#include "app/HelpViewer.h"
#include "app/Platform.h"
#include "app/sist.h"
#include "calc/ResultTable.h"
#include "calc/uDefSist.h"
#include "calc/uResult.h"
#include "data/NumberEdit.h"
#include "grid/datagrid.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace nivora {

namespace {

constexpr int kHelpContext = 95;

const char kBearingFromNorth[] = "Direção &principal (graus a partir do norte, no sentido horário):";
const char kBearingFromX[] = "Direção &principal (graus a partir do eixo X, no sentido do eixo Y):";

// An optional box: empty for no value, otherwise a number by the rule (the
// box's own message when it is not).
bool ReadOptional(QLineEdit* edit, TNumberRule rule, std::optional<long double>& value)
{
    value.reset();
    if (edit->text().trimmed().isEmpty())
        return true;
    long double v = 0;
    if (!ValidateNumberEdit(edit, rule, v))
        return false;
    value = v;
    return true;
}

// A slope typed in percent, in metres per metre.
std::optional<long double> PerMetre(const std::optional<long double>& percent)
{
    return percent ? std::optional<long double>(*percent / 100) : std::nullopt;
}

QString PerMetreText(const QString& percent)
{
    long double v = 0;
    if (percent.trimmed().isEmpty() || !ReadNumber(percent, v))
        return {};
    return General(v / 100) + " m/m";
}

}  // namespace

TRestricoes::TRestricoes(QWidget* parent) : QDialog(parent)
{
    setObjectName("Restricoes");
    setWindowTitle("Projeto com Restrições");
    setProperty("HelpContext", kHelpContext);
    const QString boldTitle = "QGroupBox { font-weight: bold; }";
    auto* main = new QVBoxLayout(this);

    gbDirecao = new QGroupBox("Declividades", this);
    gbDirecao->setObjectName("gbDirecao");
    gbDirecao->setStyleSheet(boldTitle);
    auto* gd = new QGridLayout(gbDirecao);
    rbEixos = new QRadioButton("Ao longo dos eixos &X e Y", gbDirecao);
    rbEixos->setObjectName("rbEixos");
    rbDirecao = new QRadioButton("Ao longo de uma &direção e através dela", gbDirecao);
    rbDirecao->setObjectName("rbDirecao");
    rbEixos->setChecked(true);
    lbDirecao = new QLabel(kBearingFromX, gbDirecao);
    lbDirecao->setObjectName("lbDirecao");
    edDirecao = new QLineEdit(gbDirecao);
    edDirecao->setObjectName("edDirecao");
    edDirecao->setFixedWidth(70);
    lbDirecao->setBuddy(edDirecao);
    gd->addWidget(rbEixos, 0, 0, 1, 2);
    gd->addWidget(rbDirecao, 1, 0, 1, 2);
    gd->addWidget(lbDirecao, 2, 0);
    gd->addWidget(edDirecao, 2, 1);
    main->addWidget(gbDirecao);

    gbLimites = new QGroupBox("Limites das declividades, em % (vazio: sem limite)", this);
    gbLimites->setObjectName("gbLimites");
    gbLimites->setStyleSheet(boldTitle);
    auto* gl = new QGridLayout(gbLimites);
    const auto box = [&](const char* name) {
        auto* e = new QLineEdit(gbLimites);
        e->setObjectName(name);
        e->setFixedWidth(70);
        e->installEventFilter(this);
        connect(e, &QLineEdit::textChanged, this, &TRestricoes::UpdateSlopeValues);
        return e;
    };
    const auto label = [&](const char* name) {
        auto* l = new QLabel(gbLimites);
        l->setObjectName(name);
        l->setMinimumWidth(150);
        return l;
    };
    gl->addWidget(new QLabel("Mínima", gbLimites), 0, 1);
    gl->addWidget(new QLabel("Máxima", gbLimites), 0, 2);
    lbPrincipal = new QLabel(gbLimites);
    lbPrincipal->setObjectName("lbPrincipal");
    edPrincipalMin = box("edPrincipalMin");
    edPrincipalMax = box("edPrincipalMax");
    lbPrincipal->setBuddy(edPrincipalMin);
    lbPrincipalMm = label("lbPrincipalMm");
    lbTransversal = new QLabel(gbLimites);
    lbTransversal->setObjectName("lbTransversal");
    edTransversalMin = box("edTransversalMin");
    edTransversalMax = box("edTransversalMax");
    lbTransversal->setBuddy(edTransversalMin);
    lbTransversalMm = label("lbTransversalMm");
    auto* lbQueda = new QLabel("&Queda mínima na direção principal:", gbLimites);
    edQuedaMin = box("edQuedaMin");
    lbQueda->setBuddy(edQuedaMin);
    lbQuedaMm = label("lbQuedaMm");
    gl->addWidget(lbPrincipal, 1, 0);
    gl->addWidget(edPrincipalMin, 1, 1);
    gl->addWidget(edPrincipalMax, 1, 2);
    gl->addWidget(lbPrincipalMm, 1, 3);
    gl->addWidget(lbTransversal, 2, 0);
    gl->addWidget(edTransversalMin, 2, 1);
    gl->addWidget(edTransversalMax, 2, 2);
    gl->addWidget(lbTransversalMm, 2, 3);
    gl->addWidget(lbQueda, 3, 0);
    gl->addWidget(edQuedaMin, 3, 1);
    gl->addWidget(lbQuedaMm, 3, 3);
    main->addWidget(gbLimites);

    gbTerra = new QGroupBox("Relação corte/aterro e terra de fora", this);
    gbTerra->setObjectName("gbTerra");
    gbTerra->setStyleSheet(boldTitle);
    auto* gt = new QGridLayout(gbTerra);
    const auto row = [&](int at, const char* caption, const char* name) {
        auto* l = new QLabel(caption, gbTerra);
        auto* e = new QLineEdit(gbTerra);
        e->setObjectName(name);
        e->setFixedWidth(90);
        e->installEventFilter(this);
        l->setBuddy(e);
        gt->addWidget(l, at, 0);
        gt->addWidget(e, at, 1);
        return e;
    };
    edRelacao = row(0, "&Relação corte/aterro:", "edRelacao");
    edExportacao = row(1, "Corte &exportado (m³):", "edExportacao");
    edImportacao = row(2, "Terra &importada solta (m³):", "edImportacao");
    edImportacaoCompactada = row(3, "Terra importada já &compactada (m³):", "edImportacaoCompactada");
    auto* lbPlano = new QLabel("&Gravar o resultado no:", gbTerra);
    cbPlano = new QComboBox(gbTerra);
    cbPlano->setObjectName("cbPlano");
    for (int k = 1; k <= 9; ++k)
        cbPlano->addItem(QString("Plano %1").arg(k));
    lbPlano->setBuddy(cbPlano);
    gt->addWidget(lbPlano, 4, 0);
    gt->addWidget(cbPlano, 4, 1);
    gt->setColumnStretch(2, 1);
    main->addWidget(gbTerra);

    gbRecalque = new QGroupBox("Compensação de recalque (opcional)", this);
    gbRecalque->setObjectName("gbRecalque");
    gbRecalque->setStyleSheet(boldTitle);
    auto* gr = new QGridLayout(gbRecalque);
    const auto settleRow = [&](int at, const char* caption, const char* name) {
        auto* l = new QLabel(caption, gbRecalque);
        auto* e = new QLineEdit(gbRecalque);
        e->setObjectName(name);
        e->setFixedWidth(90);
        e->installEventFilter(this);
        l->setBuddy(e);
        gr->addWidget(l, at, 0);
        gr->addWidget(e, at, 1);
        return e;
    };
    edRecalqueProfundidade = settleRow(0, "Aterros mais pro&fundos que (m):", "edRecalqueProfundidade");
    edRecalquePercentual = settleRow(1, "Ele&vados em (% da profundidade total):", "edRecalquePercentual");
    gr->setColumnStretch(2, 1);
    main->addWidget(gbRecalque);

    const TDialogButtons b = AddDialogButtons(this, main, Qt::Horizontal, "BitBtn1", "BitBtn2", "BitBtn3");
    BitBtn1 = b.Ok;
    BitBtn2 = b.Cancel;
    BitBtn3 = b.Help;
    BitBtn3->setAutoDefault(false);
    setMinimumWidth(520);

    edRelacao->setText(General(DefaultRatio));
    for (QLineEdit* e : {edExportacao, edImportacao, edImportacaoCompactada})
        e->setText("0");
    edDirecao->setText("0");
    edDirecao->installEventFilter(this);

    connect(rbDirecao, &QRadioButton::toggled, this, &TRestricoes::UpdateCaptions);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn3, &QPushButton::clicked, this, [this] {
        if (TForm1* frame = FrameOf(this))
            ShowHelpTopic(frame->State(), kHelpContext);
    });
    UpdateCaptions();
    UpdateSlopeValues();
}

bool TRestricoes::Execute(TForm2* document)
{
    if (!document)
        return false;
    Document = document;
    UpdateCaptions();
    const bool accepted = Dialogs().ExecDialog(this) == QDialog::Accepted;
    Document = nullptr;
    return accepted;
}

void TRestricoes::UpdateCaptions()
{
    const bool along = rbDirecao->isChecked();
    const bool georeferenced = Document && Document->Terrain().Extension().Georeference;
    lbDirecao->setText(georeferenced ? kBearingFromNorth : kBearingFromX);
    lbDirecao->setEnabled(along);
    edDirecao->setEnabled(along);
    lbPrincipal->setText(along ? "Declividade principal (%):" : "Declividade em X, Sx (%):");
    lbTransversal->setText(along ? (georeferenced ? "Transversal, subindo à direita (%):" : "Transversal (%):")
                                 : "Declividade em Y, Sy (%):");
}

void TRestricoes::UpdateSlopeValues()
{
    const auto range = [](QLineEdit* min, QLineEdit* max) {
        const QString a = PerMetreText(min->text()), b = PerMetreText(max->text());
        if (a.isEmpty() && b.isEmpty())
            return QString();
        return (a.isEmpty() ? QString("…") : a) + " a " + (b.isEmpty() ? QString("…") : b);
    };
    lbPrincipalMm->setText(range(edPrincipalMin, edPrincipalMax));
    lbTransversalMm->setText(range(edTransversalMin, edTransversalMax));
    lbQuedaMm->setText(PerMetreText(edQuedaMin->text()));
}

bool TRestricoes::ReadControls(TLimitedDesign& design, int& slot)
{
    TLimitedDesign d;
    if (rbDirecao->isChecked()) {
        long double bearing = 0;
        if (!ValidateNumberEdit(edDirecao, nrAny, bearing))
            return false;
        d.Limits.Bearing = bearing;
    }
    std::optional<long double> v[5];
    QLineEdit* const slopes[5] = {edPrincipalMin, edPrincipalMax, edTransversalMin, edTransversalMax, edQuedaMin};
    for (int k = 0; k < 5; ++k)
        if (!ReadOptional(slopes[k], k == 4 ? nrPositiveOrZero : nrAny, v[k]))
            return false;
    d.Limits.Main = {PerMetre(v[0]), PerMetre(v[1])};
    d.Limits.Cross = {PerMetre(v[2]), PerMetre(v[3])};
    d.Limits.MinFall = v[4] ? *v[4] / 100 : 0;
    if (const std::string why = CheckSlopeLimits(d.Limits); !why.empty()) {
        Messages().Error(this, QString::fromStdString(why));
        QLineEdit* at = d.Limits.MinFall > 0 && !(v[0] && v[1] && *v[0] > *v[1]) && !(v[2] && v[3] && *v[2] > *v[3])
                            ? edQuedaMin
                        : v[0] && v[1] && *v[0] > *v[1] ? edPrincipalMin
                                                        : edTransversalMin;
        at->setFocus();
        at->selectAll();
        return false;
    }
    if (!ValidateNumberEdit(edRelacao, nrPositive, d.Ratio))
        return false;
    if (d.Ratio < kMinRatio || d.Ratio > kMaxRatio) {
        Messages().Error(this, "A relação corte/aterro deve ficar entre 0,01 e 100.");
        edRelacao->setFocus();
        edRelacao->selectAll();
        return false;
    }
    std::optional<long double> volumes[3];
    QLineEdit* const boxes[3] = {edExportacao, edImportacao, edImportacaoCompactada};
    for (int k = 0; k < 3; ++k)
        if (!ReadOptional(boxes[k], nrPositiveOrZero, volumes[k]))
            return false;
    d.Balance = {volumes[0].value_or(0), volumes[1].value_or(0), volumes[2].value_or(0)};
    // The allowance: both boxes, or neither.
    std::optional<long double> depth, percent;
    if (!ReadOptional(edRecalqueProfundidade, nrPositiveOrZero, depth)
        || !ReadOptional(edRecalquePercentual, nrPositive, percent))
        return false;
    if (depth.has_value() != percent.has_value()) {
        Messages().Error(this,
                         "Para compensar o recalque informe a profundidade e o percentual, ou deixe os dois "
                         "em branco.");
        QLineEdit* at = depth ? edRecalquePercentual : edRecalqueProfundidade;
        at->setFocus();
        at->selectAll();
        return false;
    }
    if (depth) {
        const TSettlement s{*depth, *percent};
        if (const std::string why = CheckSettlement(s); !why.empty()) {
            Messages().Error(this, QString::fromStdString(why));
            edRecalquePercentual->setFocus();
            edRecalquePercentual->selectAll();
            return false;
        }
        d.Settlement = s;
    }
    design = d;
    slot = cbPlano->currentIndex() + 2;
    return true;
}

void TRestricoes::BitBtn1Click()
{
    TLimitedDesign design;
    int slot = 2;
    if (!Document || !ReadControls(design, slot))
        return;
    TTerreno& t = Document->Terrain();
    design.Limits = LimitsOnGrid(design.Limits, t.Extension().Georeference);
    const TLimitedResult r = DesignLimitedPlan(t, slot, design, DecimalSeparator());
    if (!r.Slopes || !r.Run.Computed) {
        // Nothing was written: the area holds no plane to fit.
        Messages().Warning(this, kNoElevationsMessage);
        return;
    }
    accept();
    Document->RefreshGrid();
    if (TForm1* frame = FrameOf(this)) {
        TResultado* results = TResultado::ShowResults(*frame);
        results->SetCurrentCell(slot, rrSx);
    }
    if (r.Run.Adjust.Steps > 0 && !r.Run.Adjust.Converged)
        Messages().Warning(this, kRatioNotReachedMessage);
}

bool TRestricoes::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() == QEvent::KeyPress)
        if (auto* edit = qobject_cast<QLineEdit*>(object))
            return FilterNumberKeyEvent(edit, static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(object, event);
}

}  // namespace nivora
