#include "uResult.h"

#include "app/Platform.h"
#include "app/sist.h"
#include "calc/Drainage.h"
#include "calc/FieldReport.h"
#include "calc/ResultTable.h"
#include "calc/Settlement.h"
#include "data/NumberFormat.h"
#include "data/NumberEdit.h"
#include "data/TextCodec.h"
#include "grid/CellDelegate.h"
#include "grid/datagrid.h"

#include <QAction>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusTipEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace nivora {

namespace {

constexpr int kMargin = 10;

bool IsFixed(int column, int row) { return column <= 1 || row == 0; }

QString ToUtf(const std::string& cp1252) { return QString::fromStdString(Cp1252ToUtf8(cp1252)); }

// The plan in `column` (1..10) shows computed figures, not only typed texts.
bool ShowsFigures(const TTerreno& t, int column)
{
    const TPlano& p = t.Plans()[std::size_t(column)];
    return p.Valid || HasUndefinedRatio(p);
}

// Figures that no longer describe the elevations are drawn in grey.
const QColor kOutOfDateColour(128, 128, 128);

const char* RowHint(int row)
{
    switch (row) {
    case rrSx: return "Digite o novo valor de Sx.";
    case rrSy: return "Digite o novo valor de Sy.";
    case rrRatio: return "Digite o novo  valor da relação Corte/Aterro.";
    default: return "";
    }
}

}  // namespace

// -------------------------------------------------------------------- model

int TResultModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kResultRows; }

int TResultModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kResultColumns; }

QVariant TResultModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(
            ResultCellText(Window.ActiveTerrain(), index.column(), index.row(), DecimalSeparator()));
    if (role == Qt::ForegroundRole) {
        const TTerreno* t = Window.ActiveTerrain();
        if (index.column() >= 1 && index.row() >= 1 && t && ShowsFigures(*t, index.column())
            && Window.ResultsOutOfDate())
            return kOutOfDateColour;
        return QColor(QRgb(ResultCellColour(index.column(), index.row())));
    }
    if (role == Qt::ToolTipRole) {
        const TTerreno* t = Window.ActiveTerrain();
        const std::string summary = t ? SettlementSummary(*t, index.column(), DecimalSeparator()) : std::string();
        return summary.empty() ? QVariant() : QVariant(QString::fromStdString(summary));
    }
    return {};
}

Qt::ItemFlags TResultModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || IsFixed(index.column(), index.row()))
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (IsTypedRow(index.row()))
        f |= Qt::ItemIsEditable;
    return f;
}

void TResultModel::Refresh() { emit dataChanged(index(0, 0), index(kResultRows - 1, kResultColumns - 1)); }

// ----------------------------------------------------------------- delegate

namespace {

void PaintResultCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    const int column = index.column(), row = index.row();
    const bool fixed = IsFixed(column, row);
    const bool selected = !fixed && (option.state & QStyle::State_Selected);
    const QColor background = fixed      ? option.palette.color(QPalette::Button)
                              : selected ? option.palette.color(QPalette::Highlight)
                                         : QColor(Qt::white);
    painter->save();
    painter->fillRect(option.rect, background);
    painter->setBackground(background);
    painter->setFont(option.font);
    painter->setPen(selected ? option.palette.color(QPalette::HighlightedText)
                             : index.data(Qt::ForegroundRole).value<QColor>());
    const TCellAlignment alignment = column == 0 ? caLeft : row == 0 ? caCentre : caRight;
    DrawCellText(*painter, option.rect, index.data().toString(), kMargin, alignment);
    if (fixed) {
        painter->setPen(option.palette.color(QPalette::Mid));
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    }
    painter->restore();
}

// The fixed views only paint: each has a delegate of its own, since a
// delegate's editor signals reach every view that uses it.
class TResultPainter : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        PaintResultCell(painter, option, index);
    }
};

}  // namespace

// ------------------------------------------------------------------- grid

TResultGrid::TResultGrid(QWidget* parent) : QTableView(parent)
{
    // Pixel scrolling, so that the fixed views can follow the grid exactly.
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

QTableView* TResultGrid::FixedView(const char* name, bool columns, bool rows)
{
    auto* v = new QTableView(this);
    v->setObjectName(name);
    v->setModel(model());
    v->setItemDelegate(new TResultPainter(v));
    v->setFocusPolicy(Qt::NoFocus);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    v->setSelectionMode(QAbstractItemView::NoSelection);
    v->horizontalHeader()->hide();
    v->verticalHeader()->hide();
    v->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    v->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    v->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    v->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    v->setFrameShape(QFrame::NoFrame);
    v->setWordWrap(false);
    v->setPalette(palette());
    v->horizontalHeader()->setMinimumSectionSize(0);
    v->verticalHeader()->setMinimumSectionSize(0);
    for (int c = 0; c < model()->columnCount(); ++c) {
        v->setColumnWidth(c, columnWidth(c));
        v->setColumnHidden(c, columns && c >= kFixedColumns);
    }
    for (int r = 0; r < model()->rowCount(); ++r) {
        v->setRowHeight(r, rowHeight(r));
        v->setRowHidden(r, rows && r >= kFixedRows);
    }
    v->show();
    return v;
}

void TResultGrid::FreezeFixedCells()
{
    FixedColumns = FixedView("FixedColumns", true, false);
    FixedRow = FixedView("FixedRow", false, true);
    FixedCorner = FixedView("FixedCorner", true, true);
    // The fixed columns scroll up and down with the grid, the caption row
    // sideways; a wheel turned over either scrolls the grid.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, FixedColumns->verticalScrollBar(), &QScrollBar::setValue);
    connect(FixedColumns->verticalScrollBar(), &QScrollBar::valueChanged, verticalScrollBar(), &QScrollBar::setValue);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, FixedRow->horizontalScrollBar(), &QScrollBar::setValue);
    connect(FixedRow->horizontalScrollBar(), &QScrollBar::valueChanged, horizontalScrollBar(), &QScrollBar::setValue);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        for (QTableView* v : {FixedColumns, FixedRow, FixedCorner})
            v->setColumnWidth(column, width);
        PlaceFixedViews();
    });
    connect(verticalHeader(), &QHeaderView::sectionResized, this, [this](int row, int, int height) {
        for (QTableView* v : {FixedColumns, FixedRow, FixedCorner})
            v->setRowHeight(row, height);
        PlaceFixedViews();
    });
    PlaceFixedViews();
}

void TResultGrid::PlaceFixedViews()
{
    if (!FixedColumns)
        return;
    const QRect area = viewport()->geometry();
    int width = 0;
    for (int c = 0; c < kFixedColumns; ++c)
        width += columnWidth(c);
    int height = 0;
    for (int r = 0; r < kFixedRows; ++r)
        height += rowHeight(r);
    width = std::min(width, area.width());
    height = std::min(height, area.height());
    FixedColumns->setGeometry(area.left(), area.top(), width, area.height());
    FixedRow->setGeometry(area.left(), area.top(), area.width(), height);
    FixedCorner->setGeometry(area.left(), area.top(), width, height);
    FixedColumns->verticalScrollBar()->setValue(verticalScrollBar()->value());
    FixedRow->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
    FixedColumns->raise();
    FixedRow->raise();
    FixedCorner->raise();
}

void TResultGrid::updateGeometries()
{
    QTableView::updateGeometries();
    PlaceFixedViews();
}

void TResultGrid::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    QTableView::scrollTo(index, hint);
    if (!index.isValid())
        return;
    // A cell that went under the fixed columns or row comes out beside them.
    int width = 0;
    for (int c = 0; c < kFixedColumns; ++c)
        width += columnWidth(c);
    const int x = columnViewportPosition(index.column());
    if (index.column() >= kFixedColumns && x < width)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - (width - x));
    int height = 0;
    for (int r = 0; r < kFixedRows; ++r)
        height += rowHeight(r);
    const int y = rowViewportPosition(index.row());
    if (index.row() >= kFixedRows && y < height)
        verticalScrollBar()->setValue(verticalScrollBar()->value() - (height - y));
}

// ------------------------------------------------------------------- window

TResultado* TResultado::ShowResults(TForm1& frame)
{
    const TChildWindow<TResultado>& results = frame.State().Resultado;
    if (!results) {
        // Added, it is the frame's results window.
        frame.AddChild(new TResultado);
        frame.MarkResultsShown(true);
        results->Repaint();
        results->FitClientArea();
    } else {
        results->Repaint();
    }
    results->show();
    results->raise();
    frame.ActivateChild(results);
    return results;
}

TResultado::TResultado(QWidget* parent) : QMdiSubWindow(parent)
{
    setObjectName("Resultado");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Resultados da Sistematização");
    QFont f("MS Sans Serif");
    f.setPixelSize(13);
    setFont(f);

    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Model = new TResultModel(*this);
    Model->setParent(this);
    Grid = new TResultGrid(body);
    Grid->setObjectName("Grid");
    Grid->setModel(Model);
    Grid->setItemDelegate(
        new TCellDelegate("ResultEditor",
                          {.Window = this,
                           .Paint = PaintResultCell,
                           .MakeEditor = {},
                           .BeginEdit =
                               [this](QLineEdit* editor, const QModelIndex& index) {
                                   GridGetEditText(index.column(), index.row(), editor);
                               },
                           .TextChanged = [this](const QString& text) { GridSetEditText(text); },
                           .KeyPress = [this](QKeyEvent* e, QLineEdit* editor) { return GridKeyPress(e, editor); }},
                          Grid));
    Grid->horizontalHeader()->hide();
    Grid->verticalHeader()->hide();
    Grid->horizontalHeader()->setDefaultSectionSize(90);
    Grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // The captions show whole in the font this machine gives.
    TTerreno captions(1, 1, 1.0f, 1.0f);
    int captionWidth = 150;
    for (int row = 0; row < kResultRows; ++row) {
        const QString caption = QString::fromStdString(ResultCellText(&captions, 0, row, '.'));
        captionWidth = std::max(captionWidth, Grid->fontMetrics().horizontalAdvance(caption) + 2 * kMargin + 2);
    }
    Grid->setColumnWidth(0, captionWidth);
    Grid->verticalHeader()->setDefaultSectionSize(22);
    Grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    Grid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked
                          | QAbstractItemView::EditKeyPressed);
    Grid->setWordWrap(false);
    QPalette p = Grid->palette();
    p.setColor(QPalette::Base, Qt::white);
    Grid->setPalette(p);
    Grid->FreezeFixedCells();
    layout->addWidget(Grid, 1);

    lbDesatualizado = new QLabel("Resultados desatualizados: sistematize novamente (F9).", body);
    lbDesatualizado->setObjectName("lbDesatualizado");
    lbDesatualizado->setContentsMargins(8, 4, 8, 0);
    QPalette warn = lbDesatualizado->palette();
    warn.setColor(QPalette::WindowText, QColor(160, 0, 0));
    lbDesatualizado->setPalette(warn);
    lbDesatualizado->hide();
    layout->addWidget(lbDesatualizado);
    lbEscoamento = new QLabel(body);
    lbEscoamento->setObjectName("lbEscoamento");
    lbEscoamento->setContentsMargins(8, 4, 8, 0);
    // Always there, empty without a current plan, so that the window keeps
    // its size as plans come and go.
    lbEscoamento->setFixedHeight(lbEscoamento->fontMetrics().height() + 6);
    layout->addWidget(lbEscoamento);

    Panel2 = new QWidget(body);
    Panel2->setObjectName("Panel2");
    Panel2->setFixedHeight(43);
    auto* buttons = new QHBoxLayout(Panel2);
    const auto button = [&](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, Panel2);
        b->setObjectName(name);
        b->setFixedSize(80, 25);
        buttons->addWidget(b);
        return b;
    };
    btRecalc = button("btRecalc", "&Recalcular");
    btRecalc->setToolTip("Calcula um novo plano.");
    btRecalc->setStatusTip("Calcula um novo plano partir dos novos valores de Sx, Sy e RCA.");
    btRecalc->setEnabled(false);
    BitBtn4 = button("BitBtn4", "&Mapa CA");
    BitBtn2 = button("BitBtn2", "Fechar");
    BitBtn2->setStatusTip("Fecha a janela de resultados.");
    BitBtn3 = button("BitBtn3", "Ajuda");
    BitBtn3->setStatusTip("Exibe uma janela de ajuda.");
    BitBtn3->setEnabled(false);
    buttons->addStretch(1);
    layout->addWidget(Panel2);
    setWidget(body);
    // A client area 445 pixels wide, tall enough for the nine rows above the
    // horizontal scroll bar and the buttons.
    Grid->setMinimumHeight(kResultRows * 22 + Grid->horizontalScrollBar()->sizeHint().height()
                           + 2 * Grid->frameWidth());
    resize(445, 248);

    connect(btRecalc, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { btRecalcClick(); }); });
    connect(BitBtn4, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { BitBtn4Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, &QWidget::close);
    connect(Grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) {
                if (current.isValid())
                    GridSelectCell(current.column(), current.row());
            });
    connect(Grid->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
                if (!ResultEditPending)
                    return;
                if (hint == QAbstractItemDelegate::RevertModelCache)
                    RevertEdit();
                else
                    CommitEdit();
            });

    SetCurrentCell(2, rrSx);
}

TResultado::~TResultado()
{
    // A results window closed just before a new one opened leaves the mark.
    if (TForm1* frame = FrameOf(this); frame && !frame->State().Resultado)
        frame->MarkResultsShown(false);
}

TForm2* TResultado::ActiveDocument() const
{
    const TForm1* frame = FrameOf(this);
    return frame ? frame->ActiveDocument() : nullptr;
}

TTerreno* TResultado::ActiveTerrain() const
{
    TForm2* document = ActiveDocument();
    return document ? &document->Terrain() : nullptr;
}

bool TResultado::ResultsOutOfDate() const
{
    const TTerreno* t = ActiveTerrain();
    if (!t || t->ResultsValid())
        return false;
    for (int column = 1; column < kResultColumns; ++column)
        if (ShowsFigures(*t, column))
            return true;
    return false;
}

int TResultado::CurrentColumn() const { return Grid->currentIndex().isValid() ? Grid->currentIndex().column() : 2; }

int TResultado::CurrentRow() const { return Grid->currentIndex().isValid() ? Grid->currentIndex().row() : 1; }

void TResultado::SetCurrentCell(int column, int row) { Grid->setCurrentIndex(Model->index(row, column)); }

QString TResultado::CellText(int column, int row) const
{
    return Model->data(Model->index(row, column), Qt::DisplayRole).toString();
}

void TResultado::FitClientArea()
{
    // The frame and title bar around the client area are the window's
    // contents margins.
    const QMargins frame = contentsMargins();
    const int line = (lbDesatualizado->isHidden() ? 0 : lbDesatualizado->sizeHint().height()) + lbEscoamento->height();
    const int height = std::max(248, Grid->minimumHeight() + line + Panel2->height());
    resize(445 + frame.left() + frame.right(), height + frame.top() + frame.bottom());
}

void TResultado::Repaint()
{
    Model->Refresh();
    WidenPlanColumns();
    UpdateRecalcButton();
    UpdatePondingLine();
    const bool outOfDate = ResultsOutOfDate();
    if (outOfDate == !lbDesatualizado->isHidden())
        return;
    lbDesatualizado->setVisible(outOfDate);
    // The line takes room of its own below the table, not the table's.
    if (!isMaximized() && !isMinimized()) {
        const int line = lbDesatualizado->sizeHint().height();
        resize(width(), height() + (outOfDate ? line : -line));
    }
}

void TResultado::UpdatePondingLine()
{
    const TTerreno* t = ActiveTerrain();
    const bool shown = t && HasFieldReport(*t);
    std::string key;
    if (shown) {
        const TPlano& p = t->Plans()[0];
        const TUsedRect a = t->LastArea();
        key = std::to_string(reinterpret_cast<std::uintptr_t>(t)) + ' ' + FormatShortest(p.Sx.Value(), '.') + ' '
              + FormatShortest(p.Sy.Value(), '.') + ' ' + FormatShortest(p.OriginElevation.Value(), '.') + ' '
              + std::to_string(a.FirstCol) + ' ' + std::to_string(a.FirstRow) + ' ' + std::to_string(a.LastCol) + ' '
              + std::to_string(a.LastRow) + ' ' + DecimalSeparator();
        if (key != PondingKey)
            lbEscoamento->setText(
                QString::fromStdString(PondingText(Ponding(*t, TDrainSurface::Natural, a),
                                                   Ponding(*t, TDrainSurface::Design, a), DecimalSeparator())));
    } else
        lbEscoamento->clear();
    PondingKey = key;
}

void TResultado::WidenPlanColumns()
{
    // A plan's caption ("Plano 9 (limitado)") shows whole; a column the user
    // made wider stays so.
    for (int column = 1; column < kResultColumns; ++column) {
        const int needed = Grid->fontMetrics().horizontalAdvance(CellText(column, 0)) + 2 * kMargin + 2;
        if (Grid->columnWidth(column) < needed)
            Grid->setColumnWidth(column, needed);
    }
}

void TResultado::GridSelectCell(int column, int row)
{
    // Leaving the edited row (or plan) commits what was typed there.
    if (ResultEditPending && (row != ResultEditRow || column != ResultEditColumn))
        CommitEdit();
    const QString hint = RowHint(row);
    Grid->setStatusTip(hint);
    Grid->viewport()->setStatusTip(hint);
    if (Grid->viewport()->underMouse()) {
        QStatusTipEvent tip(hint);
        QCoreApplication::sendEvent(Grid->viewport(), &tip);
    }
    UpdateRecalcButton();
}

void TResultado::GridGetEditText(int column, int row, QLineEdit* editor)
{
    TTerreno* t = ActiveTerrain();
    ResultEditPending = true;
    ResultEditRow = row;
    ResultEditColumn = column;
    ResultEditOriginal = t ? TypedText(t->Plans()[std::size_t(column)], row).Str() : std::string();
    ResultEditWasSaved = t && t->Saved();
    const TPlanLimits* limits = t ? t->LimitedPlan(column) : nullptr;
    ResultEditLimits = limits ? std::optional<TPlanLimits>(*limits) : std::nullopt;
    const TDesignSurface* surface = t && column >= 1 ? t->DesignSurface(column) : nullptr;
    ResultEditSurface = surface ? std::optional<TDesignSurface>(*surface) : std::nullopt;
    ResultEditText = ToUtf(ResultEditOriginal);
    const QSignalBlocker block(editor);
    editor->setText(ResultEditText);
}

void TResultado::GridSetEditText(const QString& text)
{
    ResultEditText = text;
    TTerreno* t = ActiveTerrain();
    if (t && ResultEditColumn >= 2 && ResultEditColumn < kResultColumns && IsTypedRow(ResultEditRow)) {
        t->SetPlanText(ResultEditColumn, TypedField(ResultEditRow), ToCp1252(text));
    }
    if (CurrentRow() != ResultEditRow)
        CommitEdit();
}

bool TResultado::GridKeyPress(QKeyEvent* e, QLineEdit* editor)
{
    const QChar key = TypedKey(e);
    if (key.isNull())
        return false;
    // Judged on the text as last reported, with the key at its end.
    TypeNumberKey(editor, key, nbPlanText, ResultEditText);
    return true;
}

void TResultado::CommitEdit()
{
    TTerreno* t = ActiveTerrain();
    // The plan whose cell was edited (the cursor may already be in another).
    if (t && ResultEditColumn >= 2 && ResultEditColumn < kResultColumns) {
        TidyPlanTexts(*t, ResultEditColumn, ResultEditText == "-", DecimalSeparator());
        ParsePlanInputs(*t, ResultEditColumn, DecimalSeparator());
    }
    ResultEditPending = false;
    ResultEditText.clear();
    Model->Refresh();
    UpdateRecalcButton();
    // The plan's texts are the document's: whatever shows them follows.
    if (TForm2* document = ActiveDocument())
        document->DocumentObject()->PlansEdited();
}

void TResultado::RevertEdit()
{
    TTerreno* t = ActiveTerrain();
    if (t && ResultEditColumn >= 2 && ResultEditColumn < kResultColumns && IsTypedRow(ResultEditRow)) {
        t->SetPlanText(ResultEditColumn, TypedField(ResultEditRow), ResultEditOriginal);
        if (ResultEditLimits)
            t->SetLimitedPlan(ResultEditColumn, ResultEditLimits);
        if (ResultEditSurface)
            t->SetDesignSurface(ResultEditColumn, ResultEditSurface);
        // Back to the file's text: nothing left to save for it.
        if (ResultEditWasSaved)
            t->SetSaved(true);
    }
    ResultEditPending = false;
    ResultEditText.clear();
    Model->Refresh();
    UpdateRecalcButton();
}

void TResultado::UpdateRecalcButton()
{
    const TTerreno* t = ActiveTerrain();
    btRecalc->setEnabled(t && PlanInputsComplete(*t, CurrentColumn(), DecimalSeparator()));
}

void TResultado::btRecalcClick()
{
    TForm2* document = ActiveDocument();
    if (!document)
        return;
    const int column = CurrentColumn();
    TTerreno& t = document->Terrain();
    // Only a plan whose three texts read is computed, from those texts.
    if (!ParsePlanInputs(t, column, DecimalSeparator()))
        return;
    // A plan designed under limits meets its ratio with its earth from
    // outside again.
    const TSystematizeResult r = RecalculatePlan(t, column, t.PlanBalance(column));
    if (!r.Computed)
        Messages().Warning(this, kNoElevationsMessage);
    else if (r.Adjust.Steps > 0 && !r.Adjust.Converged)
        Messages().Warning(this, kRatioNotReachedMessage);
    document->RefreshGrid();
    document->DocumentObject()->PlansEdited();
    Repaint();
}

void TResultado::BitBtn4Click()
{
    if (TForm2* document = ActiveDocument())
        document->ShowCutFillMap();
}

}  // namespace nivora
