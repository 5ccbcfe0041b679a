#include "uEscoamento.h"

#include "app/Platform.h"
#include "app/sist.h"
#include "contour/CrsCaption.h"
#include "data/NumberFormat.h"
#include "data/NumberUtils.h"
#include "grid/datagrid.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusTipEvent>
#include <QSvgGenerator>
#include <QVBoxLayout>

#include <algorithm>

namespace nivora {

namespace {

constexpr const char* kNoPlanMessage =
    "Não há plano calculado para este terreno: sistematize-o antes de ver o escoamento do plano.";

// The map of a document with the window's choices, under the wait cursor.
TDrainageMap BuildFor(const TTerreno& terrain, TDrainSurface surface, double minFall,
                      const std::vector<std::pair<std::int32_t, std::int32_t>>& outlets)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        TDrainageMap map = BuildDrainageMap(terrain, surface, minFall, outlets);
        map.CrsName = CrsCaption(map.Georeference);
        QApplication::restoreOverrideCursor();
        return map;
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
}

}  // namespace

TDrainageView::TDrainageView(TMapaEscoamento& window) : Window(window)
{
    setObjectName("DrainageView");
    setMouseTracking(true);
}

QSize TDrainageView::sizeHint() const { return Window.Image().size(); }

void TDrainageView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.drawImage(QPoint(0, 0), Window.Image());
}

void TDrainageView::mouseMoveEvent(QMouseEvent* e)
{
    QString status;
    if (const auto stake = Window.StakeAt(e->position().toPoint()))
        status = Window.Readout(stake->first, stake->second);
    setStatusTip(status);
    QStatusTipEvent tip(status);
    QCoreApplication::sendEvent(this, &tip);
    QWidget::mouseMoveEvent(e);
}

void TDrainageView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        if (const auto stake = Window.StakeAt(e->position().toPoint())) {
            Window.ToggleOutlet(stake->first, stake->second);
            return;
        }
    QWidget::mousePressEvent(e);
}

TMapaEscoamento::TMapaEscoamento(TDrainageMap map, QWidget* parent) : QMdiSubWindow(parent)
{
    setObjectName("MapaEscoamento");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Mapa de Escoamento");
    setProperty("HelpContext", 100);

    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(4, 4, 4, 4);
    auto* bar = new QHBoxLayout;
    auto* surfaceLabel = new QLabel("&Superfície:", body);
    cbSuperficie = new QComboBox(body);
    cbSuperficie->setObjectName("cbSuperficie");
    cbSuperficie->addItems({"Terreno natural", "Plano atual"});
    cbSuperficie->setStatusTip("Mostra o escoamento sobre o terreno natural ou sobre o plano atual.");
    surfaceLabel->setBuddy(cbSuperficie);
    auto* fallLabel = new QLabel("&Queda mínima (%):", body);
    edQuedaMinima = new QLineEdit(body);
    edQuedaMinima->setObjectName("edQuedaMinima");
    edQuedaMinima->setMaximumWidth(60);
    edQuedaMinima->setStatusTip("Queda do plano, na sua direção principal, abaixo da qual um piquete é apontado.");
    fallLabel->setBuddy(edQuedaMinima);
    btBorda = new QPushButton("Saídas na &borda", body);
    btBorda->setObjectName("btBorda");
    btBorda->setStatusTip(
        "Desmarca as saídas: a água sai pelos piquetes da borda do terreno. Clique num piquete do "
        "mapa para marcá-lo como saída.");
    bar->addWidget(surfaceLabel);
    bar->addWidget(cbSuperficie);
    bar->addSpacing(8);
    bar->addWidget(fallLabel);
    bar->addWidget(edQuedaMinima);
    bar->addSpacing(8);
    bar->addWidget(btBorda);
    bar->addStretch();
    column->addLayout(bar);
    Scroll_ = new QScrollArea(body);
    Scroll_->setObjectName("DrainageScroll");
    Scroll_->setBackgroundRole(QPalette::Base);
    View_ = new TDrainageView(*this);
    Scroll_->setWidget(View_);
    column->addWidget(Scroll_);
    setWidget(body);

    const char sep = DecimalSeparator();
    edQuedaMinima->setText(QString::fromStdString(FormatGeneral(0.1L, 10, sep)));
    if (map.Fall)
        edQuedaMinima->setText(QString::fromStdString(FormatGeneral(map.Fall->MinFall * 100, 10, sep)));
    LastFallText_ = edQuedaMinima->text();
    cbSuperficie->setCurrentIndex(map.Surface == TDrainSurface::Design ? 1 : 0);
    Show(std::move(map));

    connect(cbSuperficie, &QComboBox::currentIndexChanged, this, [this] { RunCommand(this, [this] { Recompute(); }); });
    connect(edQuedaMinima, &QLineEdit::editingFinished, this, [this] {
        if (edQuedaMinima->text() != LastFallText_)
            RunCommand(this, [this] { Recompute(); });
    });
    connect(btBorda, &QPushButton::clicked, this, [this] {
        if (Map_.UserOutlets.empty())
            return;
        Map_.UserOutlets.clear();
        RunCommand(this, [this] { Recompute(); });
    });
}

TMapaEscoamento::~TMapaEscoamento()
{
    // The box loses the focus while the window's base destroys its children
    // and says its editing finished: the handler must not reach this window
    // by then.
    disconnect(edQuedaMinima, nullptr, this, nullptr);
}

void TMapaEscoamento::Show(TDrainageMap map)
{
    Map_ = std::move(map);
    Image_ = DrainageImage(Map_, DecimalSeparator());
    View_->resize(Image_.size());
    View_->update();
    btBorda->setEnabled(!Map_.UserOutlets.empty());
}

void TMapaEscoamento::Recompute()
{
    const TDrainSurface surface = cbSuperficie->currentIndex() == 1 ? TDrainSurface::Design : TDrainSurface::Natural;
    long double percent = 0;
    if (!ParseNumber(edQuedaMinima->text().toStdString(), percent, DecimalSeparator()) || percent < 0
        || percent > 100) {
        Messages().Beep();
        edQuedaMinima->setText(LastFallText_);
        return;
    }
    LastFallText_ = edQuedaMinima->text();
    TDocumentObject* document = ViewedDocument();
    if (!document) {
        Messages().Warning(this, "O projeto deste mapa foi fechado.");
        return;
    }
    if (surface == TDrainSurface::Design && DrainageArea(document->Terrain(), surface).IsEmpty()) {
        Messages().Warning(this, kNoPlanMessage);
        const QSignalBlocker block(cbSuperficie);
        cbSuperficie->setCurrentIndex(Map_.Surface == TDrainSurface::Design ? 1 : 0);
        return;
    }
    // Marks that the other surface's area leaves out are dropped.
    std::vector<std::pair<std::int32_t, std::int32_t>> outlets;
    const TUsedRect area = DrainageArea(document->Terrain(), surface);
    for (const auto& [c, r] : Map_.UserOutlets)
        if (c >= area.FirstCol && c <= area.LastCol && r >= area.FirstRow && r <= area.LastRow
            && document->Terrain().GetCell(c, r) != 0.0f)
            outlets.emplace_back(c, r);
    Show(BuildFor(document->Terrain(), surface, double(percent / 100), outlets));
}

std::optional<std::pair<std::int32_t, std::int32_t>> TMapaEscoamento::StakeAt(const QPoint& at) const
{
    const TDrainageLayout l = DrainageLayout(Map_);
    if (!l.Map.contains(at))
        return std::nullopt;
    const std::int32_t col = Map_.Result.Area.FirstCol + (at.x() - l.Map.left()) / l.CellWidth;
    const std::int32_t row = Map_.Result.Area.FirstRow + (at.y() - l.Map.top()) / l.CellHeight;
    if (col > Map_.Result.Area.LastCol || row > Map_.Result.Area.LastRow)
        return std::nullopt;
    return std::make_pair(col, row);
}

QString TMapaEscoamento::Readout(std::int32_t col, std::int32_t row) const
{
    const TDrainage& d = Map_.Result;
    const std::size_t i = d.Index(col, row);
    const char sep = DecimalSeparator();
    QString text = QString("Piquete (%1, %2): ").arg(col).arg(row);
    switch (d.Direction[i]) {
    case kNoStake: return text + "sem cota";
    case kUndrained: return text + "sem saída de água";
    default: break;
    }
    if (d.Depth[i] > 0)
        text += "lâmina " + QString::fromStdString(FormatFixed(d.Depth[i], 2, 15, sep)) + " m, cota da água "
                + QString::fromStdString(FormatFixed(d.Filled[i], 2, 15, sep)) + " m; ";
    text += QString("contribuição de %1 piquetes (%2 m²)")
                .arg(d.Accumulation[i])
                .arg(QString::fromStdString(FormatGeneral(double(d.Accumulation[i]) * d.CellArea, 10, sep)));
    if (d.Direction[i] == kLeavesField)
        text += "; saída de água";
    return text;
}

void TMapaEscoamento::ToggleOutlet(std::int32_t col, std::int32_t row)
{
    if (Map_.Result.Direction[Map_.Result.Index(col, row)] == kNoStake)
        return;
    auto& marks = Map_.UserOutlets;
    const auto it = std::find(marks.begin(), marks.end(), std::make_pair(col, row));
    if (it != marks.end())
        marks.erase(it);
    else
        marks.emplace_back(col, row);
    RunCommand(this, [this] { Recompute(); });
}

void TMapaEscoamento::CopyMap() const
{
    auto* mime = new QMimeData;
    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&svg);
    generator.setSize(Image_.size());
    generator.setViewBox(QRect(QPoint(0, 0), Image_.size()));
    generator.setTitle("Mapa de Escoamento");
    {
        QPainter p(&generator);
        DrawDrainageMap(p, Map_, DecimalSeparator());
    }
    mime->setData("image/svg+xml", svg.data());
    mime->setImageData(Image_);
    QGuiApplication::clipboard()->setMimeData(mime);
}

TMapaEscoamento* ShowDrainageMap(TForm1& frame)
{
    TForm2* document = frame.ActiveDocument();
    if (!document)
        return nullptr;
    auto* w = new TMapaEscoamento(BuildFor(document->Terrain(), TDrainSurface::Natural, 0.001, {}));
    w->SetViewedDocument(document->DocumentObject());
    w->SetProjectName(document->windowTitle());
    frame.AddChild(w);
    const QSize image = w->Image().size();
    w->resize(std::min(image.width() + 40, 760), std::min(image.height() + 90, 560));
    w->show();
    return w;
}

}  // namespace nivora
