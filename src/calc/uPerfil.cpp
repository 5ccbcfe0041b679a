#include "uPerfil.h"

#include "app/Platform.h"
#include "app/sist.h"
#include "calc/CalcSist.h"
#include "calc/ProfileChart.h"
#include "calc/uMapa.h"
#include "contour/uShowCurvas.h"
#include "data/NumberFormat.h"
#include "data/NumberUtils.h"
#include "grid/datagrid.h"

#include <QBuffer>
#include <QClipboard>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPolygonF>
#include <QPushButton>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace nivora {

namespace {

QString Fixed(long double v, int decimals, char sep)
{
    return QString::fromStdString(FormatFixed(v, decimals, 15, sep));
}

QString Coordinate(long double v, char sep) { return QString::fromStdString(FormatShortest(v, sep)); }

// The profile's figures in one line under the chart.
QString Summary(const TProfile& p, char sep)
{
    QString text = QStringLiteral("Comprimento: %1 m").arg(Fixed(p.Length, 2, sep));
    if (p.HasDesign) {
        text += QStringLiteral("   Ao longo da linha: corte %1 m², aterro %2 m²")
                    .arg(Fixed(p.CutArea, 2, sep), Fixed(p.FillArea, 2, sep));
        for (std::size_t k = 0; k < p.Legs.size(); ++k)
            if (p.Legs[k].DesignSlope)
                text += QStringLiteral("   Trecho %1: %2").arg(k + 1).arg(SlopeText(*p.Legs[k].DesignSlope, sep));
    } else {
        text += QStringLiteral("   Sem projeto: sistematize o terreno para compará-lo.");
    }
    if (!p.Sections.empty())
        text += QStringLiteral("   Entre as seções: corte %1 m³, aterro %2 m³")
                    .arg(Fixed(p.CutVolume, 2, sep), Fixed(p.FillVolume, 2, sep));
    return text;
}

}  // namespace

void TLineTracer::Start()
{
    Active_ = true;
    Points_.clear();
}

void TLineTracer::Press(QPointF at)
{
    PressedAt_ = at;
    Rubber_ = at;
    FirstPress_ = Points_.empty();
    if (FirstPress_)
        Points_.push_back(at);
}

bool TLineTracer::Release(QPointF at)
{
    if (Points_.empty())
        return false;
    const QPointF moved = at - PressedAt_;
    const bool dragged = std::abs(moved.x()) + std::abs(moved.y()) > 4;
    if (FirstPress_ && dragged) {
        Points_.push_back(at);
        return true;
    }
    if (!FirstPress_)
        Points_.push_back(at);
    Rubber_ = at;
    return false;
}

std::vector<QPointF> TLineTracer::Finish()
{
    std::vector<QPointF> points = std::move(Points_);
    points.erase(std::unique(points.begin(), points.end()), points.end());
    Cancel();
    return points;
}

void TLineTracer::Cancel()
{
    Active_ = false;
    Points_.clear();
}

void TLineTracer::Paint(QPainter& p, QPointF shift) const
{
    if (!Active_ || Points_.empty())
        return;
    QPolygonF line;
    for (const QPointF& q : Points_)
        line << q + shift;
    line << Rubber_ + shift;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 4));
    p.drawPolyline(line);
    p.setPen(QPen(Qt::black, 2, Qt::DashLine));
    p.drawPolyline(line);
    p.restore();
}

TPerfilView::TPerfilView(TPerfil& window, QWidget* parent) : QWidget(parent), Window(window)
{
    setObjectName("PerfilView");
    setMinimumSize(200, 120);
}

void TPerfilView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    TProfileChartOptions o;
    o.Exaggeration = Window.Exaggeration();
    o.DecimalSeparator = Window.Separator_;
    o.Ppi = logicalDpiX();
    DrawProfileChart(p, Window.Profile_, QRectF(rect()), o);
}

TPerfil::TPerfil(TProfile profile, char decimalSeparator, QWidget* parent)
    : QMdiSubWindow(parent), Profile_(std::move(profile)), Separator_(decimalSeparator)
{
    setObjectName("Perfil");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Perfil");
    auto* client = new QWidget(this);
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(4, 4, 4, 4);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel("&Exagero vertical:", client);
    seExagero = new QDoubleSpinBox(client);
    seExagero->setObjectName("seExagero");
    seExagero->setRange(0, 10000);
    seExagero->setDecimals(1);
    seExagero->setSingleStep(5);
    seExagero->setSpecialValueText("automático");
    seExagero->setSuffix("×");
    seExagero->setToolTip("Quantas vezes a escala vertical excede a horizontal; 0 ajusta as cotas à janela.");
    label->setBuddy(seExagero);
    row->addWidget(label);
    row->addWidget(seExagero);
    row->addStretch();
    column->addLayout(row);
    View_ = new TPerfilView(*this, client);
    column->addWidget(View_, 3);
    lbResumo = new QLabel(Summary(Profile_, Separator_), client);
    lbResumo->setObjectName("lbResumo");
    lbResumo->setWordWrap(true);
    lbResumo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(lbResumo);
    sgSecoes = new QTableWidget(client);
    sgSecoes->setObjectName("sgSecoes");
    sgSecoes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgSecoes->verticalHeader()->hide();
    column->addWidget(sgSecoes, 2);
    FillTable();
    sgSecoes->setVisible(!Profile_.Sections.empty());
    setWidget(client);
    connect(seExagero, &QDoubleSpinBox::valueChanged, View_, qOverload<>(&QWidget::update));
}

double TPerfil::Exaggeration() const { return seExagero->value(); }

void TPerfil::SetExaggeration(double exaggeration) { seExagero->setValue(exaggeration); }

void TPerfil::FillTable()
{
    const QStringList heads = {"Seção (m)", "Corte (m²)", "Aterro (m²)", "Volume de corte (m³)",
                               "Volume de aterro (m³)"};
    sgSecoes->setColumnCount(int(heads.size()));
    sgSecoes->setHorizontalHeaderLabels(heads);
    const auto& sections = Profile_.Sections;
    sgSecoes->setRowCount(sections.empty() ? 0 : int(sections.size()) + 1);
    const auto cell = [&](int r, int c, const QString& text) {
        auto* item = new QTableWidgetItem(text);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        sgSecoes->setItem(r, c, item);
    };
    for (std::size_t k = 0; k < sections.size(); ++k) {
        const int r = int(k);
        cell(r, 0, Fixed(sections[k].Distance, 2, Separator_));
        cell(r, 1, Fixed(sections[k].CutArea, 2, Separator_));
        cell(r, 2, Fixed(sections[k].FillArea, 2, Separator_));
        if (k > 0) {
            cell(r, 3, Fixed(Profile_.Volumes[k - 1].CutVolume, 2, Separator_));
            cell(r, 4, Fixed(Profile_.Volumes[k - 1].FillVolume, 2, Separator_));
        }
    }
    if (!sections.empty()) {
        const int r = int(sections.size());
        cell(r, 0, "Total");
        cell(r, 3, Fixed(Profile_.CutVolume, 2, Separator_));
        cell(r, 4, Fixed(Profile_.FillVolume, 2, Separator_));
    }
    sgSecoes->resizeColumnsToContents();
}

QImage TPerfil::ChartImage(QSize size) const
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    TProfileChartOptions o;
    o.Exaggeration = Exaggeration();
    o.DecimalSeparator = Separator_;
    o.Ppi = image.logicalDpiX();
    DrawProfileChart(p, Profile_, QRectF(QPointF(0, 0), QSizeF(size)), o);
    return image;
}

QMimeData* TPerfil::ChartMimeData() const
{
    auto* mime = new QMimeData;
    // The size the chart has on the screen, at least a readable one.
    const QSize size = View_->size().expandedTo(QSize(800, 450));
    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&svg);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setResolution(96);
    generator.setTitle("Perfil");
    {
        QPainter p(&generator);
        TProfileChartOptions o;
        o.Exaggeration = Exaggeration();
        o.DecimalSeparator = Separator_;
        DrawProfileChart(p, Profile_, QRectF(QPointF(0, 0), QSizeF(size)), o);
    }
    mime->setData("image/svg+xml", svg.data());
    mime->setImageData(ChartImage(size));
    // The stations and sections for a spreadsheet, without the byte order mark.
    mime->setText(QString::fromStdString(ProfileCsv(Profile_, 3, Separator_)).remove(QChar(0xFEFF)));
    return mime;
}

void TPerfil::CopyChart() const { QGuiApplication::clipboard()->setMimeData(ChartMimeData()); }

TDefPerfil::TDefPerfil(QWidget* parent) : QDialog(parent)
{
    setObjectName("DefPerfil");
    setWindowTitle("Perfil");
    auto* column = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const auto box = [&](const char* name, const QString& caption, const QString& text) {
        auto* edit = new QLineEdit(text, this);
        edit->setObjectName(name);
        form->addRow(caption, edit);
        return edit;
    };
    edDeX = box("edDeX", "&De X:", QString());
    edDeY = box("edDeY", "De &Y:", QString());
    edAteX = box("edAteX", "&Até X:", QString());
    edAteY = box("edAteY", "Até Y:", QString());
    edEstacas = box("edEstacas", "&Estacas a cada (m):", "20");
    edSecoes = box("edSecoes", "&Seções a cada (m):", QString());
    edSecoes->setPlaceholderText("sem seções");
    edLargura = box("edLargura", "&Largura das seções (m):", "40");
    column->addLayout(form);
    auto* hint = new QLabel(
        "As coordenadas são as dos piquetes (E e N num projeto georreferenciado). "
        "Nos mapas, a linha também pode ser desenhada com o mouse.",
        this);
    hint->setWordWrap(true);
    column->addWidget(hint);
    const TDialogButtons buttons = AddDialogButtons(this, column, Qt::Horizontal, "btOk", "btCancel", "btHelp");
    connect(buttons.Ok, &QPushButton::clicked, this, &TDefPerfil::btOkClick);
    connect(buttons.Cancel, &QPushButton::clicked, this, &QDialog::reject);
    setProperty("HelpContext", 120);
}

void TDefPerfil::SetLine(const TLinePoint& from, const TLinePoint& to)
{
    const char sep = DecimalSeparator();
    edDeX->setText(Coordinate(from.X, sep));
    edDeY->setText(Coordinate(from.Y, sep));
    edAteX->setText(Coordinate(to.X, sep));
    edAteY->setText(Coordinate(to.Y, sep));
}

bool TDefPerfil::Read(std::vector<TLinePoint>& line, TProfileOptions& options)
{
    const char sep = DecimalSeparator();
    const auto number = [&](QLineEdit* edit, long double& v, bool emptyIsZero) {
        const QString text = edit->text().trimmed();
        if (emptyIsZero && text.isEmpty()) {
            v = 0;
            return true;
        }
        if (ParseNumber(text.toStdString(), v, sep) && std::isfinite(v))
            return true;
        Messages().Error(this, "'" + edit->text() + "' não é um número válido.");
        edit->setFocus();
        edit->selectAll();
        return false;
    };
    long double x0 = 0, y0 = 0, x1 = 0, y1 = 0, step = 0, sections = 0, width = 0;
    if (!number(edDeX, x0, false) || !number(edDeY, y0, false) || !number(edAteX, x1, false)
        || !number(edAteY, y1, false) || !number(edEstacas, step, false) || !number(edSecoes, sections, true)
        || !number(edLargura, width, false))
        return false;
    line = {{x0, y0}, {x1, y1}};
    options = {step, sections, width};
    return true;
}

void TDefPerfil::btOkClick()
{
    std::vector<TLinePoint> line;
    TProfileOptions options;
    if (!Read(line, options))
        return;
    // The line and the spacings alone say whether a profile can be made.
    TTerreno empty(1, 1, 1, 1);
    try {
        (void)ComputeProfile(empty, line, options);
    } catch (const TProfileError& e) {
        Messages().Error(this, QString::fromStdString(e.what()));
        return;
    }
    accept();
}

TPerfil* OpenProfileWindow(TForm1& frame, TDocumentObject& document, const QString& projectName,
                           const std::vector<TLinePoint>& line, const TProfileOptions& options)
{
    TPerfil* window = nullptr;
    RunCommand(&frame, [&] {
        TProfile profile = ComputeProfile(document.Terrain(), line, options);
        window = new TPerfil(std::move(profile), DecimalSeparator());
        window->SetViewedDocument(&document);
        window->SetProjectName(projectName);
        window->setWindowTitle("Perfil - " + projectName);
        window->resize(640, 420);
        frame.AddChild(window);
        window->show();
    });
    return window;
}

void ShowProfile(TForm1& frame)
{
    if (auto* map = qobject_cast<TMapa*>(frame.ActiveChild())) {
        map->StartProfileDrawing();
        return;
    }
    if (auto* map = qobject_cast<TShowCurvas*>(frame.ActiveChild())) {
        map->StartProfileDrawing();
        return;
    }
    TForm2* doc = frame.ActiveDocument();
    if (!doc)
        return;
    auto* dialog = frame.findChild<TDefPerfil*>("DefPerfil");
    if (!dialog) {
        dialog = new TDefPerfil(&frame);
        dialog->hide();
    }
    const TTerreno& t = doc->Terrain();
    TUsedRect r = doc->GridSelection();
    if (r.FirstCol == r.LastCol && r.FirstRow == r.LastRow)
        r = t.ComputeUsedRect();
    dialog->SetLine(ShownPosition(t, r.FirstCol, r.FirstRow), ShownPosition(t, r.LastCol, r.LastRow));
    if (Dialogs().ExecDialog(dialog) != QDialog::Accepted || frame.ActiveDocument() != doc)
        return;
    std::vector<TLinePoint> line;
    TProfileOptions options;
    if (!dialog->Read(line, options))
        return;
    OpenProfileWindow(frame, *doc->DocumentObject(), doc->windowTitle(), line, options);
}

}  // namespace nivora
