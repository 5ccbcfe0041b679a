#include "survey/uImportaPontos.h"

#include "app/HelpViewer.h"
#include "app/Platform.h"
#include "app/sist.h"
#include "calc/CalcSist.h"
#include "data/NumberEdit.h"
#include "data/NumberFormat.h"
#include "data/Progress.h"
#include "data/SaveOpen.h"
#include "grid/datagrid.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace nivora {

namespace {

constexpr int kHelpContext = 70;

const char kSeparators[] = {'\t', ';', ',', ' '};
const char* const kSeparatorNames[] = {"Tabulação", "Ponto e vírgula", "Vírgula", "Espaços"};

// The dialog's own bar follows long steps; the window system gets a turn
// now and then so that it moves.
class TBarProgress : public IProgress {
public:
    explicit TBarProgress(QProgressBar* bar) : Bar(bar) {}
    void Start(const std::string&) override
    {
        Bar->setRange(0, 100);
        Bar->setValue(0);
        Clock.start();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    void Set(int done, int total) override
    {
        Bar->setValue(total > 0 ? int(std::lround(100.0 * done / total)) : 100);
        if (Clock.elapsed() > 50) {
            Clock.restart();
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    }

private:
    QProgressBar* Bar;
    QElapsedTimer Clock;
};

// A wait cursor and a busy bar for the steps that cannot say how far they are.
class TBusy {
public:
    explicit TBusy(QProgressBar* bar) : Bar(bar)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        Bar->setRange(0, 0);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    ~TBusy()
    {
        Bar->setRange(0, 100);
        Bar->setValue(0);
        QApplication::restoreOverrideCursor();
    }

private:
    QProgressBar* Bar;
};

QString Number(double v) { return QString::fromStdString(FormatGeneral(v, 12, DecimalSeparator())); }

// Either decimal mark typed counts, as in every number field of the program.
bool FieldNumber(const QLineEdit* edit, double& value)
{
    long double v = 0;
    const std::string text = edit->text().toStdString();
    if (!ParseNumber(text, v, DecimalSeparator()) && !ParseNumber(text, v, DecimalSeparator() == ',' ? '.' : ','))
        return false;
    if (!std::isfinite(double(v)))
        return false;
    value = double(v);
    return true;
}

QComboBox* Combo(QWidget* parent, const char* name)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    return c;
}

QLineEdit* Edit(QWidget* parent, const char* name)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    return e;
}

}  // namespace

TImportaPontos::TImportaPontos(QWidget* parent) : QDialog(parent)
{
    setObjectName("ImportaPontos");
    setWindowTitle("Importar Pontos");
    setProperty("HelpContext", kHelpContext);
    const QString boldTitle = "QGroupBox { font-weight: bold; }";
    auto* main = new QVBoxLayout(this);

    auto* fileRow = new QHBoxLayout;
    auto* lbArquivo = new QLabel("&Arquivo:", this);
    edArquivo = Edit(this, "edArquivo");
    edArquivo->setReadOnly(true);
    lbArquivo->setBuddy(edArquivo);
    btArquivo = new QPushButton("&Procurar...", this);
    btArquivo->setObjectName("btArquivo");
    btArquivo->setAutoDefault(false);
    fileRow->addWidget(lbArquivo);
    fileRow->addWidget(edArquivo, 1);
    fileRow->addWidget(btArquivo);
    main->addLayout(fileRow);

    auto* top = new QHBoxLayout;
    auto* gbColunas = new QGroupBox("&Colunas", this);
    gbColunas->setObjectName("gbColunas");
    gbColunas->setStyleSheet(boldTitle);
    auto* fc = new QFormLayout(gbColunas);
    cmbNome = Combo(gbColunas, "cmbNome");
    cmbE = Combo(gbColunas, "cmbE");
    cmbN = Combo(gbColunas, "cmbN");
    cmbZ = Combo(gbColunas, "cmbZ");
    cmbCodigo = Combo(gbColunas, "cmbCodigo");
    fc->addRow("Nome do ponto", cmbNome);
    fc->addRow("E / X (ou longitude)", cmbE);
    fc->addRow("N / Y (ou latitude)", cmbN);
    fc->addRow("Z (cota)", cmbZ);
    fc->addRow("Código", cmbCodigo);
    top->addWidget(gbColunas);

    auto* gbFormato = new QGroupBox("&Formato", this);
    gbFormato->setObjectName("gbFormato");
    gbFormato->setStyleSheet(boldTitle);
    auto* ff = new QFormLayout(gbFormato);
    cmbSeparador = Combo(gbFormato, "cmbSeparador");
    for (const char* n : kSeparatorNames)
        cmbSeparador->addItem(n);
    cmbDecimal = Combo(gbFormato, "cmbDecimal");
    cmbDecimal->addItems({"Vírgula", "Ponto"});
    spCabecalho = new QSpinBox(gbFormato);
    spCabecalho->setObjectName("spCabecalho");
    spCabecalho->setRange(0, 1000000);
    cbGraus = new QCheckBox("Coordenadas em &graus (projetar em UTM)", gbFormato);
    cbGraus->setObjectName("cbGraus");
    ff->addRow("Separador", cmbSeparador);
    ff->addRow("Separador decimal", cmbDecimal);
    ff->addRow("Linhas de cabeçalho", spCabecalho);
    ff->addRow(cbGraus);
    top->addWidget(gbFormato);
    main->addLayout(top);

    auto* gbGrade = new QGroupBox("&Grade", this);
    gbGrade->setObjectName("gbGrade");
    gbGrade->setStyleSheet(boldTitle);
    auto* gg = new QGridLayout(gbGrade);
    edLx = Edit(gbGrade, "edLx");
    edLy = Edit(gbGrade, "edLy");
    edOrigemX = Edit(gbGrade, "edOrigemX");
    edOrigemY = Edit(gbGrade, "edOrigemY");
    rbTriangulacao = new QRadioButton("&Triangulação (interpolação linear)", gbGrade);
    rbTriangulacao->setObjectName("rbTriangulacao");
    rbTriangulacao->setChecked(true);
    rbProximo = new QRadioButton("Ponto mais &próximo", gbGrade);
    rbProximo->setObjectName("rbProximo");
    edDistancia = Edit(gbGrade, "edDistancia");
    edLado = Edit(gbGrade, "edLado");
    gg->addWidget(new QLabel("Distância entre piquetes em X (m)", gbGrade), 0, 0);
    gg->addWidget(edLx, 0, 1);
    gg->addWidget(new QLabel("em Y (m)", gbGrade), 0, 2);
    gg->addWidget(edLy, 0, 3);
    gg->addWidget(new QLabel("Origem (piquete 1, 1): X", gbGrade), 1, 0);
    gg->addWidget(edOrigemX, 1, 1);
    gg->addWidget(new QLabel("Y", gbGrade), 1, 2);
    gg->addWidget(edOrigemY, 1, 3);
    gg->addWidget(rbTriangulacao, 2, 0, 1, 2);
    gg->addWidget(rbProximo, 2, 2, 1, 2);
    gg->addWidget(new QLabel("Distância máxima a um ponto (m)", gbGrade), 3, 0);
    gg->addWidget(edDistancia, 3, 1);
    gg->addWidget(new QLabel("Lado máximo de triângulo (m)", gbGrade), 3, 2);
    gg->addWidget(edLado, 3, 3);
    main->addWidget(gbGrade);

    memResumo = new QPlainTextEdit(this);
    memResumo->setObjectName("memResumo");
    memResumo->setReadOnly(true);
    memResumo->setMinimumHeight(130);
    main->addWidget(memResumo, 1);
    pbProgresso = new QProgressBar(this);
    pbProgresso->setObjectName("pbProgresso");
    pbProgresso->setRange(0, 100);
    pbProgresso->setValue(0);
    pbProgresso->setTextVisible(false);
    main->addWidget(pbProgresso);

    const TDialogButtons b = AddDialogButtons(this, main, Qt::Horizontal, "BitBtn1", "BitBtn2", "BitBtn3");
    BitBtn1 = b.Ok;
    BitBtn2 = b.Cancel;
    BitBtn3 = b.Help;
    BitBtn3->setAutoDefault(false);
    resize(640, 560);

    SummaryTimer = new QTimer(this);
    SummaryTimer->setSingleShot(true);
    SummaryTimer->setInterval(300);
    connect(SummaryTimer, &QTimer::timeout, this, &TImportaPontos::UpdateSummary);

    connect(btArquivo, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { btArquivoClick(); }); });
    for (QComboBox* c : {cmbNome, cmbE, cmbN, cmbZ, cmbCodigo, cmbSeparador, cmbDecimal})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { FormatChange(); });
    connect(spCabecalho, &QSpinBox::valueChanged, this, [this] { FormatChange(); });
    connect(cbGraus, &QCheckBox::toggled, this, [this] { FormatChange(); });
    connect(edLx, &QLineEdit::textEdited, this, [this](const QString& t) {
        // Equal spacings until Y is typed on its own, as a new grid has them.
        if (edLy->property("Typed").toBool() == false)
            edLy->setText(t);
        GridChange();
    });
    connect(edLy, &QLineEdit::textEdited, this, [this] {
        edLy->setProperty("Typed", true);
        GridChange();
    });
    connect(edOrigemX, &QLineEdit::textEdited, this, [this] { OriginTyped = true, GridChange(); });
    connect(edOrigemY, &QLineEdit::textEdited, this, [this] { OriginTyped = true, GridChange(); });
    connect(edDistancia, &QLineEdit::textEdited, this, [this] { DistanceTyped = true, GridChange(); });
    connect(edLado, &QLineEdit::textEdited, this, [this] { EdgeTyped = true, GridChange(); });
    connect(rbTriangulacao, &QRadioButton::toggled, this, [this] { GridChange(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn3, &QPushButton::clicked, this, [this] {
        if (TForm1* frame = FrameOf(this))
            ShowHelpTopic(frame->State(), kHelpContext);
    });
}

TImportaPontos::~TImportaPontos() = default;

bool TImportaPontos::Execute()
{
    const QString path = Dialogs().OpenPointsName(parentWidget());
    if (path.isEmpty() || !LoadFile(path))
        return false;
    return Dialogs().ExecDialog(this) == QDialog::Accepted;
}

void TImportaPontos::btArquivoClick()
{
    const QString path = Dialogs().OpenPointsName(this);
    if (!path.isEmpty())
        LoadFile(path);
}

bool TImportaPontos::LoadFile(const QString& path)
{
    // Read once, as a stream: the layout is detected on the first lines and
    // whether the points are in degrees on the points themselves. A FIFO or a
    // device is refused at once instead of freezing the window.
    std::unique_ptr<TPreparedPoints> prepared;
    try {
        const TBusy busy(pbProgresso);
        TFilePointSource source(path.toStdString());
        prepared = std::make_unique<TPreparedPoints>(PreparePoints(source, std::nullopt, std::nullopt));
    } catch (const std::exception& e) {
        Messages().Error(this, QString::fromStdString(e.what()));
        return false;
    }
    Path = path;
    edArquivo->setText(QFileInfo(path).fileName());
    edArquivo->setToolTip(path);
    Detected = prepared->Format;
    ShowFormat(Detected);
    Filling = true;
    cbGraus->setChecked(prepared->Set.LooksGeographic);
    Filling = false;
    Points = std::move(prepared);
    OriginTyped = DistanceTyped = EdgeTyped = false;
    edLy->setProperty("Typed", false);
    ShowDefaults();
    UpdateSummary();
    return true;
}

void TImportaPontos::ShowFormat(const TPointFormat& f)
{
    Filling = true;
    const int fields = std::max(f.FieldCount, std::max({f.ColName, f.ColE, f.ColN, f.ColZ, f.ColCode}) + 1);
    for (QComboBox* c : {cmbNome, cmbE, cmbN, cmbZ, cmbCodigo}) {
        c->clear();
        c->addItem("(nenhuma)", -1);
        for (int k = 0; k < fields; ++k) {
            QString item = QString("Coluna %1").arg(k + 1);
            if (std::size_t(k) < f.FieldNames.size() && !f.FieldNames[std::size_t(k)].empty())
                item += " (" + QString::fromStdString(f.FieldNames[std::size_t(k)]) + ")";
            c->addItem(item, k);
        }
    }
    cmbNome->setCurrentIndex(f.ColName + 1);
    cmbE->setCurrentIndex(f.ColE + 1);
    cmbN->setCurrentIndex(f.ColN + 1);
    cmbZ->setCurrentIndex(f.ColZ + 1);
    cmbCodigo->setCurrentIndex(f.ColCode + 1);
    cmbSeparador->setCurrentIndex(int(std::find(std::begin(kSeparators), std::end(kSeparators), f.Separator) -
                                      std::begin(kSeparators)));
    cmbDecimal->setCurrentIndex(f.Decimal == ',' ? 0 : 1);
    spCabecalho->setValue(f.HeaderLines);
    Filling = false;
}

TPointFormat TImportaPontos::FormatFromControls() const
{
    TPointFormat f = Detected;
    f.ColName = cmbNome->currentData().toInt();
    f.ColE = cmbE->currentData().toInt();
    f.ColN = cmbN->currentData().toInt();
    f.ColZ = cmbZ->currentData().toInt();
    f.ColCode = cmbCodigo->currentData().toInt();
    f.Separator = kSeparators[std::clamp(cmbSeparador->currentIndex(), 0, 3)];
    f.Decimal = cmbDecimal->currentIndex() == 0 ? ',' : '.';
    f.HeaderLines = spCabecalho->value();
    return f;
}

void TImportaPontos::FormatChange()
{
    if (Filling || edArquivo->text().isEmpty())
        return;
    Prepare();
}

void TImportaPontos::Prepare()
{
    // The file is read again with the layout of the controls; only the
    // points are kept between readings, never the file's text.
    try {
        const TBusy busy(pbProgresso);
        TFilePointSource source(Path.toStdString());
        Points = std::make_unique<TPreparedPoints>(PreparePoints(source, FormatFromControls(), cbGraus->isChecked()));
    } catch (const std::exception& e) {
        Points.reset();
        UpdateSummary();
        Messages().Error(this, QString::fromStdString(e.what()));
        return;
    }
    ShowDefaults();
    UpdateSummary();
}

void TImportaPontos::SetField(QLineEdit* edit, double value) { edit->setText(Number(value)); }

void TImportaPontos::ShowDefaults()
{
    if (!Points || !Points->Triangulation)
        return;
    const TGridParams d = DefaultGridParams(*Points->Triangulation);
    SetField(edLx, d.Lx);
    SetField(edLy, d.Ly);
    SetField(edOrigemX, d.OriginX);
    SetField(edOrigemY, d.OriginY);
    SetField(edDistancia, d.MaxDistance);
    SetField(edLado, d.MaxEdge);
    OriginTyped = DistanceTyped = EdgeTyped = false;
    edLy->setProperty("Typed", false);
}

void TImportaPontos::GridChange()
{
    if (Filling)
        return;
    // Fields not typed by the user follow the spacing.
    double lx = 0, ly = 0;
    if (Points && Points->Triangulation && FieldNumber(edLx, lx) && FieldNumber(edLy, ly) && lx > 0 && ly > 0) {
        if (!OriginTyped) {
            TGridParams p;
            p.Lx = lx, p.Ly = ly;
            SnapOrigin(*Points->Triangulation, p);
            SetField(edOrigemX, p.OriginX);
            SetField(edOrigemY, p.OriginY);
        }
        if (!DistanceTyped)
            SetField(edDistancia, 1.5 * std::max(lx, ly));
        if (!EdgeTyped)
            SetField(edLado, 4 * std::max(lx, ly));
    }
    SummaryTimer->start();
}

bool TImportaPontos::ParamsFromFields(TGridParams& p) const
{
    p.Method = rbProximo->isChecked() ? TGridMethod::Nearest : TGridMethod::Triangulation;
    return FieldNumber(edLx, p.Lx) && FieldNumber(edLy, p.Ly) && FieldNumber(edOrigemX, p.OriginX) &&
           FieldNumber(edOrigemY, p.OriginY) && FieldNumber(edDistancia, p.MaxDistance) &&
           FieldNumber(edLado, p.MaxEdge);
}

void TImportaPontos::UpdateSummary()
{
    SummaryTimer->stop();
    if (!Points) {
        memResumo->setPlainText("Escolha um arquivo de pontos.");
        return;
    }
    std::string text = ReadingSummary(*Points);
    if (Points->Triangulation) {
        TGridParams p;
        if (!ParamsFromFields(p)) {
            text += "Complete os números da grade.\n";
        } else {
            std::int64_t count = 0;
            try {
                TBarProgress progress(pbProgresso);
                count = GridPoints(*Points->Triangulation, p, DecimalSeparator(), &progress, true).ValueCount;
            } catch (const TPointError&) {
                // GridSummary says why.
            }
            pbProgresso->setValue(0);
            text += GridSummary(*Points->Triangulation, p, DecimalSeparator(), count);
        }
    }
    memResumo->setPlainText(QString::fromStdString(text));
}

void TImportaPontos::BitBtn1Click()
{
    if (!Points) {
        Messages().Error(this, "Escolha um arquivo de pontos.");
        return;
    }
    if (!Points->Triangulation) {
        Messages().Error(this, QString::fromStdString(Points->Problem));
        return;
    }
    long double lx = 0, ly = 0, ox = 0, oy = 0, dist = 0, edge = 0;
    if (!ValidateNumberEdit(edLx, nrPositive, lx) || !ValidateNumberEdit(edLy, nrPositive, ly) ||
        !ValidateNumberEdit(edOrigemX, nrAny, ox) || !ValidateNumberEdit(edOrigemY, nrAny, oy) ||
        !ValidateNumberEdit(edDistancia, nrPositive, dist) || !ValidateNumberEdit(edLado, nrPositiveOrZero, edge))
        return;
    TGridParams p;
    p.Lx = double(lx), p.Ly = double(ly), p.OriginX = double(ox), p.OriginY = double(oy);
    p.MaxDistance = double(dist), p.MaxEdge = double(edge);
    p.Method = rbProximo->isChecked() ? TGridMethod::Nearest : TGridMethod::Triangulation;
    TGriddedPoints grid;
    try {
        TBarProgress progress(pbProgresso);
        grid = GridPoints(*Points->Triangulation, p, DecimalSeparator(), &progress);
    } catch (const TPointError& e) {
        pbProgresso->setValue(0);
        Messages().Error(this, QString::fromStdString(e.what()));
        return;
    }
    if (grid.ValueCount == 0) {
        Messages().Error(this, "Nenhum piquete da grade fica perto dos pontos: aumente a distância máxima.");
        return;
    }
    TLoadedProject project;
    project.Terrain = MakeTerrain(grid, p, Points->ProposedEpsg);
    CreateDocument(FrameOf(this), QString(), std::move(project));
    pbProgresso->setValue(0);
    accept();
}

}  // namespace nivora
