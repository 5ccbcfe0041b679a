#include "uTransporte.h"

#include "app/Platform.h"
#include "app/sist.h"
#include "calc/CalcSist.h"
#include "calc/HaulChart.h"
#include "data/NumberFormat.h"
#include "data/NumberUtils.h"
#include "grid/datagrid.h"

#include <QClipboard>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <exception>
#include <thread>

namespace nivora {

// What the computing thread and the window share. The thread holds its own
// reference, so that a window closed before the end leaves it nothing to
// write into but this; it touches nothing of Qt.
struct THaulWindow::TJob {
    explicit TJob(const TTerreno& terrain) : Terrain(terrain), Area(terrain.LastArea()) {}
    TTerreno Terrain;
    TUsedRect Area;
    THaulResult Result;
    std::string Error;
    std::atomic<bool> Done{false};
};

namespace {

class TChart : public QWidget {
public:
    explicit TChart(const THaulWindow& window) : Window(window)
    {
        setObjectName("MassChart");
        setMinimumSize(360, 220);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        if (Window.Ready())
            DrawMassCurves(p, QRectF(rect()).adjusted(6, 6, -6, -6), Window.Result(), DecimalSeparator());
    }

private:
    const THaulWindow& Window;
};

QString Fixed(long double v, int decimals)
{
    return QString::fromStdString(FormatFixed(v, decimals, 15, DecimalSeparator()));
}

// A price as typed: a number of zero or more, with either separator; an
// empty box is zero.
bool ReadPrice(const QLineEdit* box, long double& value)
{
    const std::string text = box->text().trimmed().toStdString();
    value = 0;
    if (text.empty())
        return true;
    return ParseNumber(text, value, DecimalSeparator()) && value >= 0 && std::isfinite(value);
}

}  // namespace

THaulWindow::THaulWindow(const TTerreno& terrain, const QString& projectName, QWidget* parent)
    : QMdiSubWindow(parent), ProjectName_(projectName)
{
    setObjectName("Transporte");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Distância de Transporte - " + projectName);
    setProperty("HelpContext", 110);

    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    lbEstado = new QLabel("Calculando o transporte de menor momento...");
    lbEstado->setObjectName("lbEstado");
    layout->addWidget(lbEstado);

    auto* top = new QHBoxLayout;
    auto* figures = new QFormLayout;
    const auto figure = [&](const char* name, const char* caption) {
        auto* l = new QLabel("-");
        l->setObjectName(name);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        figures->addRow(caption, l);
        return l;
    };
    lbCorte = figure("lbCorte", "Volume de corte:");
    lbAterro = figure("lbAterro", "Volume de aterro:");
    lbRazao = figure("lbRazao", "Relação corte/aterro:");
    lbMomento = figure("lbMomento", "Momento de transporte:");
    lbDistancia = figure("lbDistancia", "Distância média de transporte:");
    top->addLayout(figures);

    auto* prices = new QGroupBox("Preços");
    prices->setObjectName("gbPrecos");
    auto* priceForm = new QFormLayout(prices);
    edPrecoVolume = new QLineEdit;
    edPrecoVolume->setObjectName("edPrecoVolume");
    edPrecoTransporte = new QLineEdit;
    edPrecoTransporte->setObjectName("edPrecoTransporte");
    priceForm->addRow("&Escavação (R$/m³):", edPrecoVolume);
    priceForm->addRow("&Transporte (R$/m³·km):", edPrecoTransporte);
    lbCustoVolume = new QLabel("-");
    lbCustoVolume->setObjectName("lbCustoVolume");
    lbCustoTransporte = new QLabel("-");
    lbCustoTransporte->setObjectName("lbCustoTransporte");
    lbCustoTotal = new QLabel("-");
    lbCustoTotal->setObjectName("lbCustoTotal");
    priceForm->addRow("Custo da escavação:", lbCustoVolume);
    priceForm->addRow("Custo do transporte:", lbCustoTransporte);
    priceForm->addRow("Custo total:", lbCustoTotal);
    top->addWidget(prices);
    layout->addLayout(top);

    Chart_ = new TChart(*this);
    layout->addWidget(Chart_, 1);
    setWidget(body);

    connect(edPrecoVolume, &QLineEdit::textChanged, this, [this] { UpdateCosts(); });
    connect(edPrecoTransporte, &QLineEdit::textChanged, this, [this] { UpdateCosts(); });

    // The thread works on its own copy of the terrain: the document may be
    // edited or closed meanwhile.
    Job_ = std::make_shared<TJob>(terrain);
    std::thread([job = Job_] {
        try {
            job->Result = ComputeHaul(job->Terrain, job->Area);
        } catch (const std::exception& e) {
            job->Error = e.what();
        }
        job->Done.store(true, std::memory_order_release);
    }).detach();
    Timer_ = new QTimer(this);
    Timer_->setInterval(20);
    connect(Timer_, &QTimer::timeout, this, [this] { Poll(); });
    Timer_->start();
}

THaulWindow::~THaulWindow() = default;

void THaulWindow::Poll()
{
    if (!Job_ || !Job_->Done.load(std::memory_order_acquire))
        return;
    Timer_->stop();
    if (!Job_->Error.empty()) {
        lbEstado->setText(QString::fromStdString(Job_->Error));
    } else if (!Job_->Result.Computed) {
        lbEstado->setText(kNoElevationsMessage);
    } else {
        Result_ = Job_->Result;
        Ready_ = true;
        ShowResult();
    }
    Job_.reset();
}

void THaulWindow::ShowResult()
{
    const THaulResult& h = Result_;
    lbEstado->setText(h.Moment > 0 ? "Transporte de menor momento, com distâncias medidas ao longo de X e de Y."
                                   : "Não há terra a transportar dentro da área.");
    lbCorte->setText(Fixed(h.CutVolume, 2) + " m³");
    lbAterro->setText(Fixed(h.FillVolume, 2) + " m³");
    lbRazao->setText(h.FillVolume > 0 ? Fixed(h.Ratio, 3) : QString("-"));
    lbMomento->setText(Fixed(h.Moment, 1) + " m³·m");
    lbDistancia->setText(Fixed(h.MeanHaul, 2) + " m");
    UpdateCosts();
    Chart_->update();
}

bool THaulWindow::Prices(long double& volume, long double& haul) const
{
    return ReadPrice(edPrecoVolume, volume) && ReadPrice(edPrecoTransporte, haul);
}

void THaulWindow::UpdateCosts()
{
    long double volume = 0, haul = 0;
    const bool read = Prices(volume, haul);
    for (QLineEdit* box : {edPrecoVolume, edPrecoTransporte}) {
        long double v = 0;
        box->setStyleSheet(ReadPrice(box, v) ? QString() : QString("color: red"));
    }
    if (!Ready_ || !read) {
        for (QLabel* l : {lbCustoVolume, lbCustoTransporte, lbCustoTotal})
            l->setText("-");
        return;
    }
    const THaulCost c = HaulCost(Result_, volume, haul);
    lbCustoVolume->setText("R$ " + Fixed(c.Volume, 2));
    lbCustoTransporte->setText("R$ " + Fixed(c.Haul, 2));
    lbCustoTotal->setText("R$ " + Fixed(c.Total, 2));
}

QString THaulWindow::FiguresText() const
{
    if (!Ready_)
        return {};
    const THaulResult& h = Result_;
    QString s;
    const auto line = [&](const QString& name, const QString& value) { s += name + "\t" + value + "\r\n"; };
    line("Volume de corte (m³)", Fixed(h.CutVolume, 2));
    line("Volume de aterro (m³)", Fixed(h.FillVolume, 2));
    line("Relação corte/aterro", Fixed(h.Ratio, 3));
    line("Momento de transporte (m³·m)", Fixed(h.Moment, 1));
    line("Distância média de transporte (m)", Fixed(h.MeanHaul, 2));
    long double volume = 0, haul = 0;
    if (Prices(volume, haul)) {
        const THaulCost c = HaulCost(h, volume, haul);
        line("Preço da escavação (R$/m³)", Fixed(volume, 2));
        line("Preço do transporte (R$/m³·km)", Fixed(haul, 2));
        line("Custo da escavação (R$)", Fixed(c.Volume, 2));
        line("Custo do transporte (R$)", Fixed(c.Haul, 2));
        line("Custo total (R$)", Fixed(c.Total, 2));
    }
    QString xs, ys;
    for (long double v : h.MassX)
        xs += "\t" + Fixed(v, 2);
    for (long double v : h.MassY)
        ys += "\t" + Fixed(v, 2);
    s += "Curva de massa ao longo de X (m³)" + xs + "\r\n";
    s += "Curva de massa ao longo de Y (m³)" + ys + "\r\n";
    return s;
}

QMimeData* THaulWindow::HaulMimeData() const
{
    auto* mime = new QMimeData;
    mime->setText(FiguresText());
    if (Ready_) {
        QImage image(720, 440, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        DrawMassCurves(p, QRectF(8, 8, 704, 424), Result_, DecimalSeparator());
        p.end();
        mime->setImageData(image);
    }
    return mime;
}

void THaulWindow::CopyHaul() const
{
    if (Ready_)
        QGuiApplication::clipboard()->setMimeData(HaulMimeData());
}

THaulWindow* OpenHaulWindow(TForm1& frame, TForm2& document)
{
    const TTerreno& t = document.Terrain();
    if (!t.ResultsValid() || !t.PlaneComputed()) {
        Messages().Warning(&document,
                           "É impossível calcular a distância de transporte antes de sistematizar o terreno.");
        return nullptr;
    }
    auto* w = new THaulWindow(t, document.windowTitle());
    w->SetViewedDocument(document.DocumentObject());
    frame.AddChild(w);
    w->resize(640, 520);
    w->show();
    return w;
}

}  // namespace nivora
