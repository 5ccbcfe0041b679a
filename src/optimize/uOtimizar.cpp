#include "uOtimizar.h"

#include "app/HelpViewer.h"
#include "app/Platform.h"
#include "app/sist.h"
#include "calc/CalcSist.h"
#include "calc/ResultTable.h"
#include "calc/uDefSist.h"
#include "calc/uResult.h"
#include "data/NumberEdit.h"
#include "data/Progress.h"
#include "grid/datagrid.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <memory>
#include <thread>

namespace nivora {

namespace {

constexpr int kHelpContext = 96;

const char kBearingFromNorth[] = "Direção &principal (graus a partir do norte, no sentido horário):";
const char kBearingFromX[] = "Direção &principal (graus a partir do eixo X, no sentido do eixo Y):";
const char kRatioNotMet[] =
    "Os limites de cota, profundidade ou estacas fixadas obrigam a mais corte do que a relação pedida; a superfície "
    "guarda a relação que eles permitem.";

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

// The solver's progress, handed from its thread to the frame's gauge until
// the run is cancelled.
class TOtimizar::TGaugeRelay : public IProgress {
public:
    TGaugeRelay(QObject* receiver, IProgress* gauge, const std::atomic<bool>& cancelled)
        : receiver_(receiver), gauge_(gauge), cancelled_(cancelled)
    {}
    void Start(const std::string& message) override
    {
        if (gauge_ && !cancelled_)
            QMetaObject::invokeMethod(
                receiver_,
                [g = gauge_, message] {
                    g->Set(0, 1);
                    g->Start(message);
                },
                Qt::QueuedConnection);
    }
    void Set(int done, int total) override
    {
        if (gauge_ && !cancelled_ && done < total)
            QMetaObject::invokeMethod(
                receiver_, [g = gauge_, done, total] { g->Set(done, total); }, Qt::QueuedConnection);
    }

private:
    QObject* receiver_;
    IProgress* gauge_;
    const std::atomic<bool>& cancelled_;
};

// One run of the solver: what its thread reads and writes, kept alive by
// the thread itself when a cancel leaves it behind.
struct TOtimizar::TSolverRun {
    TSolverRun(QObject* receiver, IProgress* gauge, TSurfaceField field, TSurfaceOptions options)
        : Field(std::move(field)), Options(std::move(options)), Relay(receiver, gauge, Cancelled)
    {}
    const TSurfaceField Field;
    const TSurfaceOptions Options;
    std::atomic<bool> Cancelled{false};
    TGaugeRelay Relay;
    TSurfaceResult Result;
};

TOtimizar::~TOtimizar()
{
    // A cancelled run still in the solver ends before the dialog does.
    if (Solver_.joinable())
        Solver_.join();
}

TOtimizar::TOtimizar(QWidget* parent) : QDialog(parent)
{
    setObjectName("Otimizar");
    setWindowTitle("Superfície Otimizada");
    setProperty("HelpContext", kHelpContext);
    const QString boldTitle = "QGroupBox { font-weight: bold; }";
    auto* main = new QVBoxLayout(this);

    auto* gbDirecao = new QGroupBox("Declividades entre estacas vizinhas", this);
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
    edDirecao->installEventFilter(this);
    lbDirecao->setBuddy(edDirecao);
    gd->addWidget(rbEixos, 0, 0, 1, 2);
    gd->addWidget(rbDirecao, 1, 0, 1, 2);
    gd->addWidget(lbDirecao, 2, 0);
    gd->addWidget(edDirecao, 2, 1);
    main->addWidget(gbDirecao);

    auto* gbLimites = new QGroupBox("Limites das declividades, em % (vazio: sem limite)", this);
    gbLimites->setObjectName("gbLimites");
    gbLimites->setStyleSheet(boldTitle);
    auto* gl = new QGridLayout(gbLimites);
    const auto box = [&](const char* name) {
        auto* e = new QLineEdit(gbLimites);
        e->setObjectName(name);
        e->setFixedWidth(70);
        e->installEventFilter(this);
        connect(e, &QLineEdit::textChanged, this, &TOtimizar::UpdateSlopeValues);
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
    gl->addWidget(lbPrincipal, 1, 0);
    gl->addWidget(edPrincipalMin, 1, 1);
    gl->addWidget(edPrincipalMax, 1, 2);
    gl->addWidget(lbPrincipalMm, 1, 3);
    gl->addWidget(lbTransversal, 2, 0);
    gl->addWidget(edTransversalMin, 2, 1);
    gl->addWidget(edTransversalMax, 2, 2);
    gl->addWidget(lbTransversalMm, 2, 3);
    main->addWidget(gbLimites);

    auto* gbTerra = new QGroupBox("Terra e profundidades", this);
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
    edCorteMax = row(4, "C&orte máximo (m, vazio: sem limite):", "edCorteMax");
    edAterroMax = row(5, "&Aterro máximo (m, vazio: sem limite):", "edAterroMax");
    gt->setColumnStretch(2, 1);
    main->addWidget(gbTerra);

    auto* gbMalha = new QGroupBox("Malha de projeto", this);
    gbMalha->setObjectName("gbMalha");
    gbMalha->setStyleSheet(boldTitle);
    auto* gm = new QGridLayout(gbMalha);
    auto* lbPasso = new QLabel("Um nó a cada &K estacas:", gbMalha);
    sePasso = new QSpinBox(gbMalha);
    sePasso->setObjectName("sePasso");
    sePasso->setRange(1, 1000);
    lbPasso->setBuddy(sePasso);
    lbNos = new QLabel(gbMalha);
    lbNos->setObjectName("lbNos");
    btRefinar = new QPushButton("Re&finar", gbMalha);
    btRefinar->setObjectName("btRefinar");
    btRefinar->setAutoDefault(false);
    btRefinar->setToolTip("Divide o passo da malha por dois e calcula de novo.");
    auto* lbPlano = new QLabel("&Gravar o resultado no:", gbMalha);
    cbPlano = new QComboBox(gbMalha);
    cbPlano->setObjectName("cbPlano");
    for (int k = 1; k <= 9; ++k)
        cbPlano->addItem(QString("Plano %1").arg(k));
    lbPlano->setBuddy(cbPlano);
    gm->addWidget(lbPasso, 0, 0);
    gm->addWidget(sePasso, 0, 1);
    gm->addWidget(lbNos, 0, 2);
    gm->addWidget(btRefinar, 0, 3);
    gm->addWidget(lbPlano, 1, 0);
    gm->addWidget(cbPlano, 1, 1);
    gm->setColumnStretch(2, 1);
    main->addWidget(gbMalha);

    const TDialogButtons b = AddDialogButtons(this, main, Qt::Horizontal, "BitBtn1", "BitBtn2", "BitBtn3");
    BitBtn1 = b.Ok;
    BitBtn2 = b.Cancel;
    BitBtn3 = b.Help;
    BitBtn3->setAutoDefault(false);
    setMinimumWidth(560);

    edRelacao->setText(General(DefaultRatio));
    for (QLineEdit* e : {edExportacao, edImportacao, edImportacaoCompactada})
        e->setText("0");
    edDirecao->setText("0");

    connect(rbDirecao, &QRadioButton::toggled, this, &TOtimizar::UpdateCaptions);
    connect(sePasso, &QSpinBox::valueChanged, this, &TOtimizar::UpdateNodeCount);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { BitBtn1Click(); }); });
    connect(btRefinar, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { btRefinarClick(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, &TOtimizar::reject);
    connect(BitBtn3, &QPushButton::clicked, this, [this] {
        if (TForm1* frame = FrameOf(this))
            ShowHelpTopic(frame->State(), kHelpContext);
    });
    UpdateCaptions();
    UpdateSlopeValues();
}

bool TOtimizar::Execute(TForm2* document, IProgress* progress)
{
    if (!document)
        return false;
    Document = document;
    Progress = progress;
    Designed = false;
    Field = FieldOfSelection(document->Terrain());
    // A new document starts from the step that keeps its grid interactive;
    // the same one keeps the step "Refinar" left.
    if (LastDocument != document)
        sePasso->setValue(DefaultStep(Field.Cols, Field.Rows));
    UpdateCaptions();
    UpdateNodeCount();
    Dialogs().ExecDialog(this);
    Document = nullptr;
    Progress = nullptr;
    Field = {};
    return Designed;
}

void TOtimizar::UpdateCaptions()
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

void TOtimizar::UpdateSlopeValues()
{
    const auto range = [](QLineEdit* min, QLineEdit* max) {
        const QString a = PerMetreText(min->text()), b = PerMetreText(max->text());
        if (a.isEmpty() && b.isEmpty())
            return QString();
        return (a.isEmpty() ? QString("…") : a) + " a " + (b.isEmpty() ? QString("…") : b);
    };
    lbPrincipalMm->setText(range(edPrincipalMin, edPrincipalMax));
    lbTransversalMm->setText(range(edTransversalMin, edTransversalMax));
}

void TOtimizar::UpdateNodeCount()
{
    const std::int64_t nodes =
        std::int64_t(NodesAlong(Field.Cols, sePasso->value())) * NodesAlong(Field.Rows, sePasso->value());
    lbNos->setText(Field.Cols > 0 ? QLocale().toString(qlonglong(nodes)) + " nós" : QString());
    btRefinar->setEnabled(sePasso->value() > 1);
}

bool TOtimizar::ReadControls(TSurfaceOptions& options, int& slot)
{
    TSurfaceOptions o;
    if (rbDirecao->isChecked()) {
        long double bearing = 0;
        if (!ValidateNumberEdit(edDirecao, nrAny, bearing))
            return false;
        o.Limits.Bearing = bearing;
    }
    std::optional<long double> v[4];
    QLineEdit* const slopes[4] = {edPrincipalMin, edPrincipalMax, edTransversalMin, edTransversalMax};
    for (int k = 0; k < 4; ++k)
        if (!ReadOptional(slopes[k], nrAny, v[k]))
            return false;
    o.Limits.Main = {PerMetre(v[0]), PerMetre(v[1])};
    o.Limits.Cross = {PerMetre(v[2]), PerMetre(v[3])};
    if (const std::string why = CheckSlopeLimits(o.Limits); !why.empty()) {
        Messages().Error(this, QString::fromStdString(why));
        QLineEdit* at = v[0] && v[1] && *v[0] > *v[1] ? edPrincipalMin : edTransversalMin;
        at->setFocus();
        at->selectAll();
        return false;
    }
    if (!v[0] && !v[1] && !v[2] && !v[3]) {
        Messages().Error(this, "Dê ao menos um limite de declividade: sem limites, a superfície é o próprio terreno.");
        edPrincipalMin->setFocus();
        return false;
    }
    if (!ValidateNumberEdit(edRelacao, nrPositive, o.Ratio))
        return false;
    if (o.Ratio < kMinRatio || o.Ratio > kMaxRatio) {
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
    o.Balance = {volumes[0].value_or(0), volumes[1].value_or(0), volumes[2].value_or(0)};
    if (!ReadOptional(edCorteMax, nrPositiveOrZero, o.MaxCut)
        || !ReadOptional(edAterroMax, nrPositiveOrZero, o.MaxFill))
        return false;
    o.Step = sePasso->value();
    options = o;
    slot = cbPlano->currentIndex() + 2;
    return true;
}

void TOtimizar::BitBtn1Click() { Run(); }

void TOtimizar::btRefinarClick()
{
    if (sePasso->value() <= 1)
        return;
    sePasso->setValue(std::max(1, sePasso->value() / 2));
    Run();
}

void TOtimizar::Run()
{
    TSurfaceOptions options;
    int slot = 2;
    if (!Document || Current_ || !ReadControls(options, slot))
        return;
    TTerreno& t = Document->Terrain();
    options.Limits = LimitsOnGrid(options.Limits, t.Extension().Georeference);

    // The surface is solved in a thread of its own on a copy of the field,
    // so that the gauge moves and "Cancelar" answers at once; the document
    // is only touched once a surface is there to keep. A cancelled run is
    // left to end in its thread, its result dropped.
    if (Solver_.joinable())
        Solver_.join();
    const auto run = std::make_shared<TSolverRun>(this, Progress, Field, options);
    Current_ = run;
    QEventLoop loop;
    Loop_ = &loop;
    const QList<QWidget*> controls = findChildren<QWidget*>();
    QList<QWidget*> disabled;
    for (QWidget* w : controls)
        if (w != BitBtn2 && w->isEnabled() && !w->inherits("QGroupBox") && !w->inherits("QLabel")) {
            w->setEnabled(false);
            disabled.push_back(w);
        }
    // The dialog joins the thread before it goes, so `this` outlives it.
    Solver_ = std::thread([this, run] {
        run->Result = OptimizeSurface(run->Field, run->Options, &run->Relay, &run->Cancelled);
        QMetaObject::invokeMethod(
            this,
            [this, run] {
                if (Loop_ && Current_ == run)
                    Loop_->quit();
            },
            Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeSocketNotifiers);
    Loop_ = nullptr;
    Current_.reset();
    for (QWidget* w : disabled)
        w->setEnabled(true);
    UpdateCaptions();
    UpdateNodeCount();
    // What the solver posted before it stopped, then the gauge put away.
    QCoreApplication::sendPostedEvents(this);
    if (Progress)
        Progress->Set(1, 1);
    if (run->Cancelled)
        return;  // nothing changed; the dialog stays for another try
    Solver_.join();
    const TSurfaceResult& result = run->Result;
    switch (result.Status) {
    case TSurfaceStatus::Solved: break;
    default: Messages().Error(this, QString::fromStdString(result.Message)); return;
    }
    if (!StoreOptimizedSurface(t, slot, Field, options, result, DecimalSeparator())) {
        Messages().Warning(this, kNoElevationsMessage);
        return;
    }
    LastDocument = Document;
    Designed = true;
    accept();
    Document->RefreshGrid();
    if (TForm1* frame = FrameOf(this)) {
        TResultado* results = TResultado::ShowResults(*frame);
        results->SetCurrentCell(slot, rrSx);
    }
    if (!result.RatioMet)
        Messages().Warning(this, kRatioNotMet);
}

void TOtimizar::reject()
{
    if (Current_) {
        Current_->Cancelled = true;
        if (Loop_)
            Loop_->quit();
        return;
    }
    QDialog::reject();
}

bool TOtimizar::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() == QEvent::KeyPress)
        if (auto* edit = qobject_cast<QLineEdit*>(object))
            return FilterNumberKeyEvent(edit, static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(object, event);
}

}  // namespace nivora
