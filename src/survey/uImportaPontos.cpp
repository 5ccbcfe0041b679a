#include "survey/uImportaPontos.h"

#include "app/HelpViewer.h"
#include "app/Platform.h"
#include "app/sist.h"
#include "calc/CalcSist.h"
#include "contour/AltimetricMap.h"
#include "data/NumberEdit.h"
#include "data/NumberFormat.h"
#include "data/Progress.h"
#include "data/SaveOpen.h"
#include "grid/datagrid.h"
#include "survey/CrsEdit.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QThreadPool>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <limits>

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

// The user cancelled the reading of the file.
struct TReadCancelled {};

// A source that says how many of the file's bytes it has given, and stops
// the reading (TReadCancelled) when the answer is no.
class TCountingSource final : public IPointSource {
public:
    TCountingSource(IPointSource& inner, std::function<bool(std::uint64_t)> carryOn)
        : Inner(inner), CarryOn(std::move(carryOn))
    {}
    std::size_t Read(char* buffer, std::size_t n) override
    {
        const std::size_t got = Inner.Read(buffer, n);
        Done += got;
        if (!CarryOn(Done))
            throw TReadCancelled();
        return got;
    }

private:
    IPointSource& Inner;
    std::function<bool(std::uint64_t)> CarryOn;
    std::uint64_t Done = 0;
};

// A summary the fields have moved on from.
struct TSummaryStale {};

// The progress of the summary's thread: it stops as soon as its result is
// no longer wanted, and moves the dialog's bar from the dialog's thread.
class TSummaryProgress : public IProgress {
public:
    TSummaryProgress(const std::atomic<bool>& stale, QProgressBar* bar) : Stale(stale), Bar(bar) {}
    void Start(const std::string&) override { Check(); }
    void Set(int done, int total) override
    {
        Check();
        const int percent = total > 0 ? int(100LL * done / total) : 100;
        if (percent == Shown)
            return;
        Shown = percent;
        QMetaObject::invokeMethod(
            Bar,
            [bar = Bar, percent] {
                if (bar && bar->maximum() > 0)
                    bar->setValue(percent);
            },
            Qt::QueuedConnection);
    }
    void Check() const
    {
        if (Stale.load(std::memory_order_relaxed))
            throw TSummaryStale();
    }

private:
    const std::atomic<bool>& Stale;
    QPointer<QProgressBar> Bar;
    int Shown = -1;
};

bool SameGrid(const TGridParams& a, const TGridParams& b)
{
    return a.Lx == b.Lx && a.Ly == b.Ly && a.OriginX == b.OriginX && a.OriginY == b.OriginY && a.Method == b.Method
           && a.MaxDistance == b.MaxDistance && a.MaxEdge == b.MaxEdge;
}

// Either decimal mark typed counts, as in every number field of the program.
bool FieldNumber(const QLineEdit* edit, double& value)
{
    long double v = 0;
    const std::string text = edit->text().toStdString();
    if (!ParseEitherMark(text, v))
        return false;
    if (!std::isfinite(double(v)))
        return false;
    value = double(v);
    return true;
}

const QString kBoldTitle = "QGroupBox { font-weight: bold; }";

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

// ---------------------------------------------------------------- picture

QPoint TPointsPicture::PixelOf(double e, double n) const
{
    return QPoint(int(std::floor((e - West) / MetresPerPixel)), int(std::floor((North - n) / MetresPerPixel)));
}

namespace {

// Fills the pixels [x0, x1) x [y0, y1) of the image, clipped to it.
void FillPixels(QImage& image, int x0, int y0, int x1, int y1, QRgb colour)
{
    x0 = std::max(x0, 0), y0 = std::max(y0, 0), x1 = std::min(x1, image.width()), y1 = std::min(y1, image.height());
    for (int y = y0; y < y1; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(line + x0, line + std::max(x0, x1), colour);
    }
}

// The grid's stakes, each the middle of its cell; row 1 is the northern one.
void PutStakes(TPointsPicture& out, const TGriddedPoints& grid, const TGridParams& p)
{
    const double lx = static_cast<float>(p.Lx), ly = static_cast<float>(p.Ly);
    const double scale = out.MetresPerPixel;
    // Stakes with an elevation first, the empty ones over them: a pixel
    // that holds a hole shows it, however small the hole.
    for (const bool empty : {false, true}) {
        for (std::int32_t r = 0; r < grid.Rows; ++r) {
            const float* row = grid.Z.data() + std::size_t(r) * std::size_t(grid.Cols);
            const double n = p.OriginY + (grid.Rows - 1 - r) * ly;
            const int y0 = int(std::floor((out.North - (n + ly / 2)) / scale));
            const int y1 = std::max(y0 + 1, int(std::floor((out.North - (n - ly / 2)) / scale)));
            for (std::int32_t c = 0; c < grid.Cols; ++c) {
                if ((row[c] == 0.0f) != empty)
                    continue;
                const double e = p.OriginX + c * lx;
                const int x0 = int(std::floor((e - lx / 2 - out.West) / scale));
                const int x1 = std::max(x0 + 1, int(std::floor((e + lx / 2 - out.West) / scale)));
                FillPixels(out.Image, x0, y0, x1, y1,
                           empty ? TPointsPicture::kEmptyStake : TPointsPicture::kStakeWithElevation);
            }
        }
    }
}

// The points darken what lies under them, so the stakes stay readable under
// a dense survey.
void PutPoints(TPointsPicture& out, const std::vector<TSurveyPoint>& pts)
{
    for (const TSurveyPoint& q : pts) {
        const QPoint at = out.PixelOf(q.E, q.N);
        if (at.x() < 0 || at.y() < 0 || at.x() >= out.Image.width() || at.y() >= out.Image.height())
            continue;
        QRgb& px = reinterpret_cast<QRgb*>(out.Image.scanLine(at.y()))[at.x()];
        if (px == TPointsPicture::kBackground)
            px = TPointsPicture::kPointOutside;
        else if (px == TPointsPicture::kStakeWithElevation || px == TPointsPicture::kEmptyStake)
            px = qRgb(qRed(px) * 3 / 4, qGreen(px) * 3 / 4, qBlue(px) * 3 / 4);
    }
}

}  // namespace

TPointsPicture DrawPointsPicture(const TPreparedPoints& points, const TGriddedPoints* grid, const TGridParams& p,
                                 QSize size)
{
    TPointsPicture out;
    const std::vector<TSurveyPoint>& pts = points.Set.Points;
    if (pts.empty() || size.isEmpty())
        return out;
    double west = pts[0].E, east = west, south = pts[0].N, north = south;
    for (const TSurveyPoint& q : pts) {
        west = std::min(west, q.E), east = std::max(east, q.E);
        south = std::min(south, q.N), north = std::max(north, q.N);
    }
    // The grid's stakes, each the middle of its cell; row 1 is the northern one.
    const double lx = static_cast<float>(p.Lx), ly = static_cast<float>(p.Ly);
    const bool withGrid =
        grid && grid->Cols > 0 && grid->Rows > 0 && grid->Z.size() == std::size_t(grid->Cols) * std::size_t(grid->Rows);
    if (withGrid) {
        west = std::min(west, p.OriginX - lx / 2);
        east = std::max(east, p.OriginX + (grid->Cols - 0.5) * lx);
        south = std::min(south, p.OriginY - ly / 2);
        north = std::max(north, p.OriginY + (grid->Rows - 0.5) * ly);
    }
    const double width = std::max(east - west, 1e-9), height = std::max(north - south, 1e-9);
    // A margin of a pixel or so around what is drawn.
    const double scale = std::max(width / (size.width() - 2), height / (size.height() - 2));
    const int w = std::clamp(int(std::ceil(width / scale)) + 2, 1, size.width());
    const int h = std::clamp(int(std::ceil(height / scale)) + 2, 1, size.height());
    out.MetresPerPixel = scale;
    out.West = west - scale;
    out.North = north + scale;
    out.Image = QImage(w, h, QImage::Format_RGB32);
    out.Image.fill(TPointsPicture::kBackground);
    if (withGrid)
        PutStakes(out, *grid, p);
    PutPoints(out, pts);
    return out;
}

TPreviaPontos::TPreviaPontos(QWidget* parent) : QWidget(parent)
{
    setObjectName("imPrevia");
    setMinimumSize(220, 170);
    setToolTip(
        "Os pontos e a grade, com o norte para cima: em verde os piquetes que terão cota, em cinza os que "
        "ficarão sem cota; os pontos escurecem o que está sob eles.");
}

void TPreviaPontos::SetPicture(TPointsPicture picture)
{
    Picture_ = std::move(picture);
    update();
}

void TPreviaPontos::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    painter.setPen(palette().mid().color());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (Picture_.Image.isNull())
        return;
    const QSize fitted = Picture_.Image.size().scaled(size() - QSize(8, 8), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
    painter.drawImage(target, Picture_.Image);
    // North is up, with the maps' arrow.
    painter.setRenderHint(QPainter::Antialiasing);
    DrawNorthArrow(painter, QPointF(width() - 14, 16), 20, true);
}

// ---------------------------------------------------------------- dialog

struct TImportaPontos::TSummary {
    std::shared_ptr<const TPreparedPoints> Points;
    TGridParams Params;
    std::string Text;
    // Empty when the grid cannot be made.
    std::optional<TGriddedPoints> Grid;
    TPointsPicture Picture;
};

TImportaPontos::TImportaPontos(QWidget* parent) : QDialog(parent)
{
    setObjectName("ImportaPontos");
    setWindowTitle("Importar Pontos");
    setProperty("HelpContext", kHelpContext);
    auto* main = new QVBoxLayout(this);
    main->addLayout(MakeFileRow());
    auto* top = new QHBoxLayout;
    top->addWidget(MakeColumnsBox());
    top->addWidget(MakeFormatBox());
    main->addLayout(top);
    main->addWidget(MakeGridBox());
    main->addWidget(MakeSystemBox());
    main->addLayout(MakeSummaryRow(), 1);
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
    resize(760, 640);

    Pool = new QThreadPool(this);
    Pool->setMaxThreadCount(1);
    ReadPool = new QThreadPool(this);
    SummaryTimer = new QTimer(this);
    SummaryTimer->setSingleShot(true);
    SummaryTimer->setInterval(300);
    connect(SummaryTimer, &QTimer::timeout, this, &TImportaPontos::UpdateSummary);

    ConnectControls();
}

QLayout* TImportaPontos::MakeFileRow()
{
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
    return fileRow;
}

QGroupBox* TImportaPontos::MakeColumnsBox()
{
    auto* gbColunas = new QGroupBox("&Colunas", this);
    gbColunas->setObjectName("gbColunas");
    gbColunas->setStyleSheet(kBoldTitle);
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
    return gbColunas;
}

QGroupBox* TImportaPontos::MakeFormatBox()
{
    auto* gbFormato = new QGroupBox("&Formato", this);
    gbFormato->setObjectName("gbFormato");
    gbFormato->setStyleSheet(kBoldTitle);
    auto* ff = new QFormLayout(gbFormato);
    cmbSeparador = Combo(gbFormato, "cmbSeparador");
    for (const char* n : kSeparatorNames)
        cmbSeparador->addItem(n);
    cmbDecimal = Combo(gbFormato, "cmbDecimal");
    cmbDecimal->addItems({"Vírgula", "Ponto"});
    spCabecalho = new QSpinBox(gbFormato);
    spCabecalho->setObjectName("spCabecalho");
    spCabecalho->setRange(0, 1000000);
    cbGraus = new QCheckBox("Coordenadas em g&raus (projetar em UTM)", gbFormato);
    cbGraus->setObjectName("cbGraus");
    ff->addRow("Separador", cmbSeparador);
    ff->addRow("Separador decimal", cmbDecimal);
    ff->addRow("Linhas de cabeçalho", spCabecalho);
    ff->addRow(cbGraus);
    return gbFormato;
}

QGroupBox* TImportaPontos::MakeGridBox()
{
    auto* gbGrade = new QGroupBox("&Grade", this);
    gbGrade->setObjectName("gbGrade");
    gbGrade->setStyleSheet(kBoldTitle);
    auto* gg = new QGridLayout(gbGrade);
    edLx = Edit(gbGrade, "edLx");
    edLy = Edit(gbGrade, "edLy");
    edOrigemX = Edit(gbGrade, "edOrigemX");
    edOrigemY = Edit(gbGrade, "edOrigemY");
    rbTriangulacao = new QRadioButton("&Triangulação (interpolação linear)", gbGrade);
    rbTriangulacao->setObjectName("rbTriangulacao");
    rbTriangulacao->setChecked(true);
    rbProximo = new QRadioButton("Ponto mais pró&ximo", gbGrade);
    rbProximo->setObjectName("rbProximo");
    edDistancia = Edit(gbGrade, "edDistancia");
    edLado = Edit(gbGrade, "edLado");
    gg->addWidget(new QLabel("Distância entre piquetes em X (m)", gbGrade), 0, 0);
    gg->addWidget(edLx, 0, 1);
    gg->addWidget(new QLabel("em Y (m)", gbGrade), 0, 2);
    gg->addWidget(edLy, 0, 3);
    // The grid is aligned on its south-west stake; the project's stake (1, 1)
    // is the north-west one.
    gg->addWidget(new QLabel("Piquete do canto sudoeste: E", gbGrade), 1, 0);
    gg->addWidget(edOrigemX, 1, 1);
    gg->addWidget(new QLabel("N", gbGrade), 1, 2);
    gg->addWidget(edOrigemY, 1, 3);
    gg->addWidget(rbTriangulacao, 2, 0, 1, 2);
    gg->addWidget(rbProximo, 2, 2, 1, 2);
    gg->addWidget(new QLabel("Distância máxima a um ponto (m)", gbGrade), 3, 0);
    gg->addWidget(edDistancia, 3, 1);
    gg->addWidget(new QLabel("Lado máximo de triângulo (m)", gbGrade), 3, 2);
    gg->addWidget(edLado, 3, 3);
    return gbGrade;
}

QGroupBox* TImportaPontos::MakeSystemBox()
{
    auto* gbSistema = new QGroupBox("&Sistema de coordenadas", this);
    gbSistema->setObjectName("gbSistema");
    gbSistema->setStyleSheet(kBoldTitle);
    auto* gc = new QGridLayout(gbSistema);
    edEpsg = Edit(gbSistema, "edEpsg");
    edEpsg->setPlaceholderText("não informado");
    SetUpEpsgEdit(edEpsg);
    lbSistema = new QLabel(gbSistema);
    lbSistema->setObjectName("lbSistema");
    lbSistema->setWordWrap(true);
    lbSistema->setTextInteractionFlags(Qt::TextSelectableByMouse);
    gc->addWidget(new QLabel("Código EPSG", gbSistema), 0, 0);
    gc->addWidget(edEpsg, 0, 1);
    gc->addWidget(lbSistema, 0, 2);
    gc->setColumnStretch(2, 1);
    return gbSistema;
}

QLayout* TImportaPontos::MakeSummaryRow()
{
    auto* bottom = new QHBoxLayout;
    memResumo = new QPlainTextEdit(this);
    memResumo->setObjectName("memResumo");
    memResumo->setReadOnly(true);
    memResumo->setMinimumHeight(130);
    bottom->addWidget(memResumo, 3);
    imPrevia = new TPreviaPontos(this);
    bottom->addWidget(imPrevia, 2);
    return bottom;
}

void TImportaPontos::ConnectControls()
{
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
    connect(edEpsg, &QLineEdit::textChanged, this, &TImportaPontos::edEpsgChange);
    connect(edEpsg, &QLineEdit::textEdited, this, [this] { EpsgTyped = true; });
    // Points in degrees are projected again into the system named.
    connect(edEpsg, &QLineEdit::editingFinished, this, [this] {
        if (ProjectedElsewhere())
            RunCommand(this, [this] { Prepare(); });
    });
    edEpsgChange();
    connect(BitBtn1, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn3, &QPushButton::clicked, this, [this] {
        if (TForm1* frame = FrameOf(this))
            ShowHelpTopic(frame->State(), kHelpContext);
    });
}

TImportaPontos::~TImportaPontos()
{
    // The summary's thread uses the points it was given, and reports to
    // this dialog: it stops before the dialog goes.
    AbandonSummary();
    Pool->waitForDone();
    ReadPool->waitForDone();
}

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
    std::shared_ptr<const TPreparedPoints> prepared;
    try {
        prepared = ReadFile(path, TPointOptions{});
    } catch (const std::exception& e) {
        Messages().Error(this, QString::fromStdString(e.what()));
        return false;
    }
    if (!prepared)
        return false;
    Path = path;
    edArquivo->setText(QFileInfo(path).fileName());
    edArquivo->setToolTip(path);
    Detected = prepared->Format;
    ShowFormat(Detected);
    Filling = true;
    cbGraus->setChecked(prepared->Set.LooksGeographic);
    Filling = false;
    Points = std::move(prepared);
    OriginTyped = DistanceTyped = EdgeTyped = EpsgTyped = false;
    edLy->setProperty("Typed", false);
    ShowProposedEpsg();
    ShowDefaults();
    UpdateSummary();
    return true;
}

namespace {

// A file read and triangulated in a thread of its own, while a window shows
// the bytes read and offers to cancel. A cancelled reading stops at its next
// block; a triangulation cannot be stopped, so it is left to finish on its
// own and its result dropped: the dialog is free at once either way.
struct TReadJob {
    std::atomic<bool> Cancelled = false;
    std::atomic<std::uint64_t> Done = 0;
    std::atomic<bool> Finished = false;
    std::shared_ptr<const TPreparedPoints> Result;
    std::exception_ptr Error;
};

std::shared_ptr<TReadJob> StartReading(QThreadPool& pool, std::shared_ptr<TFilePointSource> file,
                                       const TPointOptions& options)
{
    auto job = std::make_shared<TReadJob>();
    pool.start([job, file, options] {
        try {
            TCountingSource source(*file, [&job](std::uint64_t done) {
                job->Done = done;
                return !job->Cancelled.load();
            });
            job->Result = std::make_shared<const TPreparedPoints>(PreparePoints(source, options));
        } catch (const TReadCancelled&) {
        } catch (...) {
            job->Error = std::current_exception();
        }
        job->Finished = true;
    });
    return job;
}

// Waits for the job, with a window of its progress after a moment; false
// when the user cancelled it.
bool WaitForReading(TReadJob& job, const QString& path, std::uint64_t size, QWidget* parent)
{
    // Modal to the whole program: nothing else may start while it runs. It
    // shows only when the work takes more than a moment.
    QProgressDialog progress("Lendo " + QFileInfo(path).fileName() + "...", "Cancelar", 0, 1000, parent);
    progress.setObjectName("pdLeitura");
    progress.setWindowTitle("Importar Pontos");
    progress.setWindowModality(Qt::ApplicationModal);
    // Its own rule for showing would wait for an estimate of the bar that
    // the triangulation, after the reading, never moves.
    progress.setMinimumDuration(std::numeric_limits<int>::max());
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(20);
    bool triangulating = false;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (job.Finished) {
            loop.quit();
            return;
        }
        if (!progress.isVisible() && clock.elapsed() >= 300)
            progress.show();
        const std::uint64_t done = job.Done;
        if (!triangulating && size > 0 && done >= size) {
            triangulating = true;
            progress.setLabelText("Triangulando os pontos...");
        }
        progress.setValue(size > 0 ? int(std::min<std::uint64_t>(1000, done * 1000 / size)) : 0);
    });
    QObject::connect(&progress, &QProgressDialog::canceled, &loop, [&] {
        job.Cancelled = true;
        loop.quit();
    });
    poll.start();
    if (!job.Finished)
        loop.exec();
    return job.Finished;
}

}  // namespace

std::shared_ptr<const TPreparedPoints> TImportaPontos::ReadFile(const QString& path, const TPointOptions& options)
{
    // A FIFO or a device is refused here at once, before any window shows.
    auto file = std::make_shared<TFilePointSource>(path.toStdString());
    const std::uint64_t size = std::uint64_t(std::max<qint64>(0, QFileInfo(path).size()));
    const std::shared_ptr<TReadJob> job = StartReading(*ReadPool, file, options);
    const TBusy busy(pbProgresso);
    if (!WaitForReading(*job, path, size, isVisible() ? this : parentWidget()))
        return nullptr;  // cancelled
    if (job->Error)
        std::rethrow_exception(job->Error);
    return job->Result;
}

void TImportaPontos::ShowProposedEpsg()
{
    // A system typed by the user stays; otherwise the one the points
    // propose (none for points in metres: only the user knows theirs).
    if (EpsgTyped)
        return;
    edEpsg->setText(Points && Points->ProposedEpsg > 0 ? QString::number(Points->ProposedEpsg) : QString());
}

std::int32_t TImportaPontos::NamedEpsg() const
{
    // Points in degrees go to the system the user named, when it is one a
    // project can be placed in; otherwise to UTM in the zone of their middle.
    std::optional<std::int32_t> code;
    if (!EpsgTyped || !cbGraus->isChecked() || !EpsgFromText(edEpsg->text(), code) || !code || !EpsgAccepted(*code))
        return 0;
    return *code;
}

bool TImportaPontos::ProjectedElsewhere() const
{
    const std::int32_t named = NamedEpsg();
    return Points && Points->Projected && named > 0 && named != Points->ProposedEpsg;
}

void TImportaPontos::edEpsgChange()
{
    QString proposal;
    if (Points && Points->ProposedEpsg > 0 && edEpsg->text() != QString::number(Points->ProposedEpsg))
        proposal = QString(" (proposto: EPSG:%1)").arg(Points->ProposedEpsg);
    if (!ShowEpsgName(lbSistema, edEpsg->text(),
                      "Não informado: o projeto guarda as coordenadas do arquivo sem nomear o sistema."))
        lbSistema->setText(lbSistema->text() + proposal);
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
    cmbSeparador->setCurrentIndex(
        int(std::find(std::begin(kSeparators), std::end(kSeparators), f.Separator) - std::begin(kSeparators)));
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
    TPointOptions options;
    options.Format = FormatFromControls();
    options.Geographic = cbGraus->isChecked();
    options.Epsg = NamedEpsg();
    std::shared_ptr<const TPreparedPoints> prepared;
    try {
        prepared = ReadFile(Path, options);
    } catch (const std::exception& e) {
        Points.reset();
        UpdateSummary();
        Messages().Error(this, QString::fromStdString(e.what()));
        return;
    }
    if (!prepared) {
        // Cancelled: the points read before stay, with the layout they were
        // read with.
        if (Points) {
            ShowFormat(Points->Format);
            Filling = true;
            cbGraus->setChecked(Points->Projected);
            Filling = false;
        }
        return;
    }
    Points = std::move(prepared);
    ShowProposedEpsg();
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

void TImportaPontos::SummaryOutdated()
{
    // The summary shown no longer says what the fields give: it is dropped
    // at once, not left to arrive over the new text.
    AbandonSummary();
    Pending = true;
    if (Points)
        memResumo->setPlainText(QString::fromStdString(ReadingSummary(*Points)) + "Calculando a grade...");
    SummaryTimer->start();
}

void TImportaPontos::GridChange()
{
    if (Filling)
        return;
    // An origin not typed by the user follows the spacing. The limits do
    // not: they come from the survey's own spacing (SetSurveyLimits), so
    // that a grid finer than the survey is no sieve.
    double lx = 0, ly = 0;
    if (Points && Points->Triangulation && FieldNumber(edLx, lx) && FieldNumber(edLy, ly) && lx > 0 && ly > 0
        && !OriginTyped) {
        TGridParams p;
        p.Lx = lx, p.Ly = ly;
        SnapOrigin(*Points->Triangulation, p);
        SetField(edOrigemX, p.OriginX);
        SetField(edOrigemY, p.OriginY);
    }
    SummaryOutdated();
}

bool TImportaPontos::ParamsFromFields(TGridParams& p) const
{
    p.Method = rbProximo->isChecked() ? TGridMethod::Nearest : TGridMethod::Triangulation;
    return FieldNumber(edLx, p.Lx) && FieldNumber(edLy, p.Ly) && FieldNumber(edOrigemX, p.OriginX)
           && FieldNumber(edOrigemY, p.OriginY) && FieldNumber(edDistancia, p.MaxDistance)
           && FieldNumber(edLado, p.MaxEdge);
}

void TImportaPontos::AbandonSummary()
{
    if (Stale)
        Stale->store(true);
    Stale.reset();
    Pending = false;
}

bool TImportaPontos::ComputeSummary(TSummary& summary, const std::atomic<bool>& stale, const std::string& reading,
                                    char decimal, QSize pictureSize, QProgressBar* bar)
{
    try {
        const TPointTriangulation& t = *summary.Points->Triangulation;
        try {
            TSummaryProgress progress(stale, bar);
            summary.Grid = GridPoints(t, summary.Params, decimal, &progress, false);
        } catch (const TPointError&) {
            // GridSummary says why.
        }
        if (stale.load())
            return false;
        summary.Text = reading
                       + (summary.Grid ? GridSummary(t, summary.Params, decimal, *summary.Grid)
                                       : GridSummary(t, summary.Params, decimal, 0));
        summary.Picture =
            DrawPointsPicture(*summary.Points, summary.Grid ? &*summary.Grid : nullptr, summary.Params, pictureSize);
    } catch (const TSummaryStale&) {
        return false;
    } catch (const std::exception& e) {
        summary.Text = reading + e.what() + "\n";
    }
    return true;
}

void TImportaPontos::UpdateSummary()
{
    SummaryTimer->stop();
    AbandonSummary();
    if (!Points) {
        memResumo->setPlainText("Escolha um arquivo de pontos.");
        imPrevia->SetPicture({});
        return;
    }
    const std::string reading = ReadingSummary(*Points);
    TGridParams p;
    if (!Points->Triangulation || !ParamsFromFields(p)) {
        memResumo->setPlainText(
            QString::fromStdString(reading + (Points->Triangulation ? "Complete os números da grade.\n" : "")));
        imPrevia->SetPicture(DrawPointsPicture(*Points, nullptr, p, imPrevia->size()));
        return;
    }
    // What was read shows at once; the grid when its thread is done.
    memResumo->setPlainText(QString::fromStdString(reading) + "Calculando a grade...");
    Pending = true;
    auto stale = std::make_shared<std::atomic<bool>>(false);
    Stale = stale;
    auto summary = std::make_shared<TSummary>();
    summary->Points = Points;
    summary->Params = p;
    const char decimal = DecimalSeparator();
    const QSize pictureSize = imPrevia->size().expandedTo(QSize(220, 170));
    QPointer<QProgressBar> bar = pbProgresso;
    Pool->start([this, summary, stale, reading, decimal, pictureSize, bar] {
        if (!ComputeSummary(*summary, *stale, reading, decimal, pictureSize, bar))
            return;
        QMetaObject::invokeMethod(
            this,
            [this, summary, stale] {
                if (stale == Stale)
                    ShowSummary(summary);
            },
            Qt::QueuedConnection);
    });
}

void TImportaPontos::ShowSummary(const std::shared_ptr<TSummary>& summary)
{
    Stale.reset();
    Pending = false;
    pbProgresso->setValue(0);
    memResumo->setPlainText(QString::fromStdString(summary->Text));
    imPrevia->SetPicture(summary->Picture);
    Last = summary;
}

bool TImportaPontos::ValidateGridFields(TGridParams& p, std::int32_t& epsg) const
{
    long double lx = 0, ly = 0, ox = 0, oy = 0, dist = 0, edge = 0;
    if (!ValidateNumberEdit(edLx, nrPositive, lx) || !ValidateNumberEdit(edLy, nrPositive, ly)
        || !ValidateNumberEdit(edOrigemX, nrAny, ox) || !ValidateNumberEdit(edOrigemY, nrAny, oy)
        || !ValidateNumberEdit(edDistancia, nrPositive, dist) || !ValidateNumberEdit(edLado, nrPositiveOrZero, edge)
        || !ValidateEpsgEdit(edEpsg, epsg))
        return false;
    p.Lx = double(lx), p.Ly = double(ly), p.OriginX = double(ox), p.OriginY = double(oy);
    p.MaxDistance = double(dist), p.MaxEdge = double(edge);
    p.Method = rbProximo->isChecked() ? TGridMethod::Nearest : TGridMethod::Triangulation;
    return true;
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
    TGridParams p;
    std::int32_t epsg = 0;
    if (!ValidateGridFields(p, epsg))
        return;
    if (ProjectedElsewhere()) {
        // The points are in another system than the one named: they are
        // projected into it first, and the user sees the grid they give.
        Prepare();
        if (Points && Points->Triangulation)
            Messages().Warning(this, QString("Os pontos foram projetados no sistema EPSG:%1. Confira a grade e clique "
                                             "OK de novo.")
                                         .arg(epsg));
        return;
    }
    TGriddedPoints grid;
    if (Last && Last->Points == Points && Last->Grid && SameGrid(Last->Params, p)) {
        grid = *Last->Grid;  // the summary's grid is the one asked for
    } else {
        try {
            TBarProgress progress(pbProgresso);
            grid = GridPoints(*Points->Triangulation, p, DecimalSeparator(), &progress);
        } catch (const TPointError& e) {
            pbProgresso->setValue(0);
            Messages().Error(this, QString::fromStdString(e.what()));
            return;
        }
    }
    if (grid.ValueCount == 0) {
        Messages().Error(this, "Nenhum piquete da grade fica perto dos pontos: aumente a distância máxima.");
        return;
    }
    TLoadedProject project;
    project.Terrain = MakeTerrain(grid, p, epsg);
    CreateDocument(FrameOf(this), QString(), std::move(project));
    pbProgresso->setValue(0);
    accept();
}

}  // namespace nivora
