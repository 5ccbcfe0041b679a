#include "datagrid.h"

#include "app/Platform.h"
#include "grid/CellDelegate.h"
#include "grid/GridControl.h"
#include "grid/GridModel.h"
#include "app/sist.h"
#include "calc/uMapa.h"
#include "calc/uResult.h"
#include "grid/WinSurfText.h"
#include "grid/uWinSurf.h"
#include "data/DocumentObject.h"
#include "data/NumberEdit.h"
#include "data/NumberFormat.h"
#include "data/SaveOpenCommands.h"
#include "data/TextCodec.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QMdiArea>
#include <QMimeData>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace nivora {

namespace {

constexpr int kCellMargin = 10;

constexpr const char* kViewNeedsResults = "Esta vista exige resultados atuais: sistematize (F9).";

}  // namespace

TForm2::TForm2(std::unique_ptr<TTerreno> terrain, std::shared_ptr<TUndoBudget> undoBudget, QWidget* parent)
    : QMdiSubWindow(parent)
{
    setObjectName("Form2");
    setAttribute(Qt::WA_DeleteOnClose);
    Decimals_ = 3;

    // The history keeps at most 100 steps, within the memory the histories
    // of all documents share.
    Document_ = new TDocumentObject(std::make_unique<TDocument>(std::move(terrain), std::move(undoBudget)), this);
    // An undo or a redo: the cells shown are another's.
    connect(Document_, &TDocumentObject::CellsChanged, this, [this] {
        Grid->AbandonEdit();
        Model->Refresh();
        UpdateStatusText();
    });
    // Every edit and every undo passes through the history.
    connect(Document_, &TDocumentObject::HistoryChanged, this, [this] {
        if (TForm1* frame = Frame())
            frame->UpdateUndoItems();
    });
    connect(Document_, &TDocumentObject::GeoreferenceChanged, this, &TForm2::GeoreferenceChanged);

    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Model = new TGridModel(*this);
    Model->setParent(this);
    Model->setObjectName("Model");
    Grid = new TGridControl({.StoreTyped = [this] { StoreTyped(); },
                             .DropTyped = [this] { EditBuffer.clear(); },
                             .DeleteKey = [this] { ClearSelection(); },
                             .KeyPress = [this](QKeyEvent* e) { return GridKeyPress(e, nullptr); }},
                            body);
    Grid->setModel(Model);
    Grid->setItemDelegate(
        new TCellDelegate("GridEditor",
                          {.Window = this,
                           .Paint = [this](QPainter* painter, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) { GridDrawCell(painter, option, index); },
                           .MakeEditor = [this](QWidget* host) -> QLineEdit* {
                               auto* editor = new TGridEditor(host);
                               editor->setFont(GridFont());
                               // Only keys change the text (through GridKeyPress): no context
                               // menu, no drops, no input method composing text past the key check.
                               editor->setContextMenuPolicy(Qt::NoContextMenu);
                               editor->setAcceptDrops(false);
                               editor->setAttribute(Qt::WA_InputMethodEnabled, false);
                               return editor;
                           },
                           .BeginEdit =
                               [this](QLineEdit*, const QModelIndex& index) {
                                   GridGetEditText(index.column() + 1, index.row() + 1);
                               },
                           .TextChanged = [this](const QString& text) { GridSetEditText(text); },
                           .KeyPress = [this](QKeyEvent* e, QLineEdit* editor) { return GridKeyPress(e, editor); }},
                          Grid));
    QFont font("Arial");
    font.setPixelSize(15);
    SetGridFont(font, 0);
    layout->addWidget(Grid, 1);

    TabSet1 = new QTabBar(body);
    TabSet1->setObjectName("TabSet1");
    TabSet1->setShape(QTabBar::RoundedSouth);
    QFont tabFont("MS Sans Serif");
    tabFont.setPixelSize(13);
    TabSet1->setFont(tabFont);
    TabSet1->addTab("Cotas Naturais");
    TabSet1->addTab("Cotas Calculadas");
    TabSet1->addTab("Cortes e Aterros");
    TabSet1->setCurrentIndex(0);
    TabSet1->setExpanding(false);
    layout->addWidget(TabSet1);
    connect(TabSet1, &QTabBar::currentChanged, this, &TForm2::TabSet1Change);
    setWidget(body);
    resize(387, 273);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    const auto item = [&](const char* name, const QString& caption, const QString& hint, auto handler) {
        QAction* a = PopupMenu1->addAction(caption);
        a->setObjectName(name);
        a->setStatusTip(hint);
        connect(a, &QAction::triggered, this, [this, handler] {
            RunCommand(this, [this, handler] {
                CommitCellEdit();
                (this->*handler)();
            });
        });
        return a;
    };
    Sistematizar1 = item("Sistematizar1", "&Sistematizar...", "Executa os cálculos de sistematização.",
                         &TForm2::Sistematizar1Click);
    // The key is the frame's F9; the item only shows it.
    Sistematizar1->setShortcut(QKeySequence("F9"));
    Sistematizar1->setShortcutContext(Qt::WidgetShortcut);
    PopupMenu1->addSeparator()->setObjectName("N1");
    Inserir1 =
        item("Inserir1", "Inserir Linha", "Insere uma linha na posição da célula ativa.", &TForm2::InsertRowAtCursor);
    Excluir1 =
        item("Excluir1", "Excluir Linha", "Exclui a Linha na posição da célula ativa.", &TForm2::DeleteRowAtCursor);
    Inserir2 = item("Inserir2", "Inserir Coluna", "Insere uma coluna na posição da célula ativa.",
                    &TForm2::InsertColumnAtCursor);
    Excluir2 = item("Excluir2", "Excluir Coluna", "Exclui a coluna na posição da célula ativa.",
                    &TForm2::DeleteColumnAtCursor);
    // A pop-up menu is a window of its own: the hints of its items stop
    // there unless they are handed on to the frame, as its menus' hints are.
    PopupMenu1->installEventFilter(this);
    Grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Grid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1Popup();
        PopupMenu1->popup(Grid->viewport()->mapToGlobal(at));
    });

    connect(Grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) {
                if (current.isValid())
                    GridSelectCell(current.column() + 1, current.row() + 1);
            });
    connect(Grid->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { SelectionFollowsGrid(); });

    // Header clicks select the store's row, column or all of it.
    QHeaderView* top = Grid->horizontalHeader();
    QHeaderView* left = Grid->verticalHeader();
    disconnect(top, &QHeaderView::sectionPressed, Grid, nullptr);
    disconnect(top, &QHeaderView::sectionEntered, Grid, nullptr);
    disconnect(left, &QHeaderView::sectionPressed, Grid, nullptr);
    disconnect(left, &QHeaderView::sectionEntered, Grid, nullptr);
    connect(top, &QHeaderView::sectionPressed, this, [this](int section) {
        if (QGuiApplication::keyboardModifiers() == Qt::NoModifier)
            SelectByHeader(section + 1, 0);
    });
    connect(left, &QHeaderView::sectionPressed, this, [this](int section) {
        if (QGuiApplication::keyboardModifiers() == Qt::NoModifier)
            SelectByHeader(0, section + 1);
    });
    if (auto* corner = Grid->findChild<QAbstractButton*>()) {
        disconnect(corner, &QAbstractButton::clicked, Grid, nullptr);
        connect(corner, &QAbstractButton::clicked, this, [this] { SelectByHeader(0, 0); });
    }

    Terrain().SetOnExtremesChange([this](TCotas&) { UpdateStatusText(); });
    SetCurrentCell(1, 1);
    UpdateStatusText();
}

TForm2::~TForm2()
{
    // The window's destruction takes the focus from an editor still open,
    // after the terrain is gone.
    Grid->DocumentGone();
    // Steps dropped for another document's edits must not reach this
    // half-destroyed window.
    disconnect(Document_, nullptr, this, nullptr);
    // Closing the results window below may make the frame activate this
    // window once more on its way out: it must not become active again.
    Terrain().SetOnExtremesChange(nullptr);
    LeaveFrame();
    // The document goes with its window; the views that hold it weakly see it gone.
    delete Document_;
    Document_ = nullptr;
}

void TForm2::LeaveFrame()
{
    if (Destroying)
        return;  // left on closing already
    Destroying = true;
    if (TForm1* frame = Frame())
        frame->DocumentLeaving(this);
}

TForm1* TForm2::Frame() const { return FrameOf(this); }

TDocumentObject* TForm2::ViewedDocument() const { return Destroying ? nullptr : Document_; }

void TForm2::SetFileName(const QString& name)
{
    if (!name.isEmpty()) {
        Document_->SetFileName(name);
        const int slash = std::max(name.lastIndexOf('/'), name.lastIndexOf('\\'));
        setWindowTitle(name.mid(slash + 1));
    } else {
        // Numbered by the documents open, this one included.
        const TForm1* frame = Frame();
        setWindowTitle(QString("AREA-%1").arg(frame ? frame->OpenDocumentCount() : 1, 2, 10, QChar('0')));
    }
}

QString TForm2::CellText(int col, int row) const
{
    return QString::fromStdString(
        nivora::CellText(Terrain(), static_cast<TGridView>(View), Decimals_, col, row, DecimalSeparator()));
}

QString TForm2::StatusText() const
{
    const char sep = DecimalSeparator();
    return QString("N° de Cotas: %1    Cota Mín.: %2    Cota Máx.: %3")
        .arg(Terrain().ValueCount())
        .arg(QString::fromStdString(FormatFixed(Terrain().Minimum().Value, Decimals_, 8, sep)))
        .arg(QString::fromStdString(FormatFixed(Terrain().Maximum().Value, Decimals_, 8, sep)));
}

void TForm2::UpdateStatusText()
{
    const QString text = StatusText();
    Grid->setStatusTip(text);
    Grid->viewport()->setStatusTip(text);
    // The frame shows the hint of what is under the pointer: refresh it now.
    if (Grid->viewport()->underMouse()) {
        QStatusTipEvent tip(text);
        QCoreApplication::sendEvent(Grid->viewport(), &tip);
    }
}

QFont TForm2::GridFont() const { return Grid->font(); }

void TForm2::SetGridFont(const QFont& font, int step)
{
    if (step < 0 && Decimals_ > 0)
        --Decimals_;
    else if (step > 0 && Decimals_ < 8)
        ++Decimals_;
    Grid->setFont(font);
    const QFontMetrics fm(font);
    Grid->verticalHeader()->setDefaultSectionSize(std::max(24, fm.height() + 8));
    Grid->horizontalHeader()->setDefaultSectionSize(
        std::max(64, fm.horizontalAdvance("0000000,000") + 2 * kCellMargin));
    Grid->horizontalHeader()->setFont(font);
    Grid->verticalHeader()->setFont(font);
    Grid->verticalHeader()->setMinimumWidth(fm.horizontalAdvance("00000000,0") + 12);
    Model->Refresh();
    Model->RefreshHeaders();
    UpdateStatusText();
}

bool TForm2::HasAreaSelection() const
{
    const TUsedRect r = GridSelection();
    return std::int64_t(r.LastCol - r.FirstCol) * std::int64_t(r.LastRow - r.FirstRow) > 0;
}

int TForm2::CurrentCol() const
{
    const QModelIndex i = Grid->currentIndex();
    return i.isValid() ? i.column() + 1 : 1;
}

int TForm2::CurrentRow() const
{
    const QModelIndex i = Grid->currentIndex();
    return i.isValid() ? i.row() + 1 : 1;
}

void TForm2::SetCurrentCell(int col, int row)
{
    col = std::clamp(col, 1, MaxGridSize);
    row = std::clamp(row, 1, MaxGridSize);
    Grid->setCurrentIndex(Model->index(row - 1, col - 1));
}

TUsedRect TForm2::GridSelection() const
{
    const QItemSelection s = Grid->selectionModel()->selection();
    if (s.isEmpty()) {
        const int c = CurrentCol(), r = CurrentRow();
        return {c, r, c, r};
    }
    TUsedRect r{MaxGridSize + 1, MaxGridSize + 1, 0, 0};
    for (const QItemSelectionRange& range : s) {
        r.FirstCol = std::min(r.FirstCol, range.left() + 1);
        r.FirstRow = std::min(r.FirstRow, range.top() + 1);
        r.LastCol = std::max(r.LastCol, range.right() + 1);
        r.LastRow = std::max(r.LastRow, range.bottom() + 1);
    }
    return r;
}

void TForm2::SetGridSelection(const TUsedRect& r)
{
    const auto clampCol = [](int v) { return std::clamp(v, 1, MaxGridSize) - 1; };
    const QModelIndex topLeft = Model->index(clampCol(r.FirstRow), clampCol(r.FirstCol));
    const QModelIndex bottomRight = Model->index(clampCol(r.LastRow), clampCol(r.LastCol));
    // The bottom-right corner becomes the current cell, the top-left the anchor.
    Grid->selectionModel()->setCurrentIndex(bottomRight, QItemSelectionModel::NoUpdate);
    Grid->selectionModel()->select(QItemSelection(topLeft, bottomRight), QItemSelectionModel::ClearAndSelect);
    SelectionFollowsGrid();
}

TViewState TForm2::ViewState() const
{
    TViewState v;
    v.Col = CurrentCol();
    v.Row = CurrentRow();
    v.LeftCol = Grid->horizontalScrollBar()->value() + 1;
    v.TopRow = Grid->verticalScrollBar()->value() + 1;
    const TUsedRect s = GridSelection();
    v.SelLeft = s.FirstCol;
    v.SelTop = s.FirstRow;
    v.SelRight = s.LastCol;
    v.SelBottom = s.LastRow;
    return v;
}

void TForm2::RestoreView(const TViewState& v)
{
    SetCurrentCell(v.Col, v.Row);
    SetGridSelection({v.SelLeft, v.SelTop, v.SelRight, v.SelBottom});
    // Scrolled after the selection, which may have scrolled to its corner.
    Grid->horizontalScrollBar()->setValue(std::clamp(v.LeftCol, 1, MaxGridSize) - 1);
    Grid->verticalScrollBar()->setValue(std::clamp(v.TopRow, 1, MaxGridSize) - 1);
}

void TForm2::SelectionFollowsGrid()
{
    // The computations cover the block selected on screen when it spans at
    // least two columns and two rows, otherwise the used rectangle.
    Terrain().SetSelection(HasAreaSelection() ? GridSelection() : Terrain().UsedRect());
}

bool TForm2::SelectView(int view)
{
    TabSet1->setCurrentIndex(view);
    return View == view;
}

void TForm2::TabSet1Change(int index)
{
    if (index == View)
        return;
    // The value being typed counts: stored, it may leave the results out of date.
    if (View == 0)
        RunCommand(this, [this] { CommitCellEdit(); });
    // Leaving the natural elevations needs current results.
    if (View == 0 && !Terrain().ResultsValid()) {
        const QSignalBlocker block(TabSet1);
        TabSet1->setCurrentIndex(View);
        Messages().Beep();
        // The beep alone does not say why: the status line does.
        if (TForm1* frame = Frame()) {
            QStatusTipEvent why(kViewNeedsResults);
            QCoreApplication::sendEvent(frame, &why);
        }
        return;
    }
    Grid->AbandonEdit();
    View = index;
    Grid->setEditTriggers(View == 0 ? (QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked
                                       | QAbstractItemView::EditKeyPressed)
                                    : QAbstractItemView::NoEditTriggers);
    Model->Refresh();
    if (TForm1* frame = Frame())
        frame->UpdateEditMenu();
}

void TForm2::GridDrawCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QColor background = selected ? option.palette.color(QPalette::Highlight) : QColor(Qt::white);
    painter->save();
    painter->fillRect(option.rect, background);
    painter->setFont(Grid->font());
    painter->setPen(selected ? option.palette.color(QPalette::HighlightedText) : QColor(Qt::black));
    painter->setBackground(background);
    DrawCellText(*painter, option.rect, CellDisplayText(index.data().toString()), kCellMargin, caRight);
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(selected ? QColor(Qt::white) : QColor(Qt::black), 1, Qt::DotLine));
        painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
    }
    painter->restore();
}

void TForm2::GridGetEditText(int col, int row)
{
    EditCol = col;
    EditRow = row;
    EditBuffer.clear();
}

bool TForm2::GridKeyPress(QKeyEvent* e, QLineEdit* editor)
{
    const int key = e->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (CurrentCol() < MaxGridSize)
            SetCurrentCell(CurrentCol() + 1, CurrentRow());
        return true;
    }
    if (!editor)
        return false;  // other keys on the grid itself: its own handling opens the editor
    if (key == Qt::Key_Escape) {
        EditBuffer.clear();  // the edit is abandoned
        return false;
    }
    // Left and Right select the neighbouring cell, as Up and Down do: left
    // to the grid, whose move commits the value typed.
    if ((key == Qt::Key_Left || key == Qt::Key_Right) && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        e->ignore();
        return true;
    }
    const QChar typed = TypedKey(e);
    if (typed.isNull())
        return false;  // Backspace, Delete, Home, End and the editor's own commands
    // Judged on the text the editor would then show: the key at the caret,
    // over the selected characters (GridSetEditText takes the new text).
    const QString shown = editor->text();
    int at = editor->cursorPosition();
    int replaced = 0;
    if (editor->hasSelectedText()) {
        at = editor->selectionStart();
        replaced = int(editor->selectedText().size());
    }
    TypeNumberKey(editor, typed, nbElevation, shown.left(at), shown.mid(at + replaced));
    return true;
}

void TForm2::GridSetEditText(const QString& text)
{
    // The buffer is what the editor shows, wherever the caret put the keys.
    EditBuffer = text.toStdString();
    UpdateStatusText();
}

void TForm2::GridSelectCell(int, int) { StoreTyped(); }

void TForm2::CommitCellEdit()
{
    StoreTyped();
    // Closed after the store: the buffer is empty by now, so the close
    // stores nothing twice.
    Grid->AbandonEdit();
}

void TForm2::StoreTyped()
{
    if (EditBuffer.empty())
        return;
    long double v = 0;
    // A text that does not read, or reads beyond what a single holds, is
    // dropped: the cell keeps its value.
    if (ParseNumber(EditBuffer, v, DecimalSeparator()) && std::isfinite(static_cast<float>(v))) {
        Document().SetElevation(EditCol, EditRow, static_cast<float>(v));
        Model->RefreshCell(EditCol, EditRow);
        UpdateStatusText();
    }
    EditBuffer.clear();
}

void TForm2::PopupMenu1Popup() { Sistematizar1->setEnabled(Terrain().HasComputableBlock()); }

void TForm2::Sistematizar1Click()
{
    if (TForm1* frame = Frame())
        frame->ShowSystematizeDialog();
}

bool TForm2::StructuralEdit(const QString& name, const std::function<bool()>& edit)
{
    if (!Document().StructuralEdit(name.toStdString(), edit))
        return false;
    // A value being typed must not come back over the moved cells.
    Grid->AbandonEdit();
    Model->Refresh();
    UpdateStatusText();
    return true;
}

void TForm2::InsertRowAtCursor()
{
    if (CurrentRow() > Terrain().RowCount())
        return;
    // At 1000 rows (or as many as the terrain's stakes fit) with elevations
    // in the last one, an insert would push them out.
    if (!StructuralEdit("Inserir Linha", [&] { return Terrain().InsertRow(CurrentRow()); }))
        Messages().Warning(this, QString("Não é possível inserir uma linha: a grade já tem %1 linhas e a última "
                                         "contém cotas.")
                                     .arg(Terrain().RowCount()));
}

void TForm2::DeleteRowAtCursor()
{
    if (CurrentRow() > Terrain().RowCount())
        return;
    StructuralEdit("Excluir Linha", [&] {
        Terrain().DeleteRow(CurrentRow());
        return true;
    });
}

void TForm2::InsertColumnAtCursor()
{
    if (CurrentCol() > Terrain().ColCount())
        return;
    if (!StructuralEdit("Inserir Coluna", [&] { return Terrain().InsertColumn(CurrentCol()); }))
        Messages().Warning(this, QString("Não é possível inserir uma coluna: a grade já tem %1 colunas e a última "
                                         "contém cotas.")
                                     .arg(Terrain().ColCount()));
}

void TForm2::DeleteColumnAtCursor()
{
    if (CurrentCol() > Terrain().ColCount())
        return;
    StructuralEdit("Excluir Coluna", [&] {
        Terrain().DeleteColumn(CurrentCol());
        return true;
    });
}

void TForm2::ClearSelection(const QString& change)
{
    // A value being typed must not come back over the cleared cells.
    Grid->AbandonEdit();
    Document().ClearCells(GridSelection(), change.toStdString());
    UpdateStatusText();
    Model->Refresh();
}

void TForm2::SelectByHeader(int col, int row)
{
    const TTerreno& t = Terrain();
    if (col == 0 && row == 0)
        SetGridSelection({1, 1, t.ColCount(), t.RowCount()});
    else if (col == 0)
        SetGridSelection({1, row, t.ColCount(), row});
    else if (row == 0)
        SetGridSelection({col, 1, col, t.RowCount()});
}

void TForm2::CopyToClipboard()
{
    const std::string text =
        CopyText(Terrain(), static_cast<TGridView>(View), Decimals_, GridSelection(), DecimalSeparator());
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void TForm2::PasteFromClipboard()
{
    // The pasted values win over a value being typed.
    Grid->AbandonEdit();
    const QByteArray bytes = ClipboardTextBytes(QGuiApplication::clipboard()->mimeData());
    const std::string_view text = BytesView(bytes);
    TForm1* frame = Frame();
    const TTextReadResult r = Document().Paste(text, CurrentCol(), CurrentRow(), DecimalSeparator(), frame);
    // A text without lines leaves no progress indicator behind.
    if (frame)
        frame->SetProgress(1, 1);
    Model->Refresh();
    UpdateStatusText();
    const QString lost = PasteLossMessage(r);
    if (!lost.isEmpty())
        Messages().Warning(this, lost);
}

QString TForm2::PasteLossMessage(const TTextReadResult& r)
{
    // Unreadable fields still clear their cells and fields past the grid
    // are still dropped; the user is told once how many.
    const QLocale locale;
    if (r.Fields == 0)
        return QStringLiteral("A área de transferência não contém cotas para colar.");
    QStringList parts;
    if (r.Unreadable == 1)
        parts << QStringLiteral("1 campo colado não é um número e ficou sem cota.");
    else if (r.Unreadable > 1)
        parts << QStringLiteral("%1 campos colados não são números e ficaram sem cota.")
                     .arg(locale.toString(qint64(r.Unreadable)));
    if (r.Outside == 1)
        parts << QStringLiteral("1 campo ficou fora da grade (além da coluna ou da linha 1000) e foi ignorado.");
    else if (r.Outside > 1)
        parts << QStringLiteral("%1 campos ficaram fora da grade (além da coluna ou da linha 1000) e foram ignorados.")
                     .arg(locale.toString(qint64(r.Outside)));
    if (r.Cleared == 1)
        parts << QStringLiteral("1 cota que havia na grade foi apagada por um campo vazio.");
    else if (r.Cleared > 1)
        parts << QStringLiteral("%1 cotas que havia na grade foram apagadas por campos vazios.")
                     .arg(locale.toString(qint64(r.Cleared)));
    return parts.join(QLatin1Char(' '));
}

void TForm2::RefreshGrid()
{
    Model->Refresh();
    UpdateStatusText();
}

void TForm2::GeoreferenceChanged()
{
    Model->RefreshHeaders();
    RefreshGrid();
}

void TForm2::Systematize(bool selectionOnly, long double ratio)
{
    Grid->AbandonEdit();
    const TSystematizeResult r = nivora::Systematize(Terrain(), selectionOnly, ratio);
    TForm1* frame = Frame();
    if (frame)
        frame->SetProgress(1, 1);
    if (!r.Computed) {
        Messages().Warning(this, kNoElevationsMessage);
        return;
    }
    RefreshGrid();
    Document_->PlansEdited();
    if (frame)
        TResultado::ShowResults(*frame);
    if (ratio > 0 && !r.Adjust.Converged)
        Messages().Warning(this, kRatioNotReachedMessage);
}

void TForm2::ShowCutFillMap()
{
    TForm1* frame = Frame();
    TCutFillMap map = BuildCutFillMap(Terrain(), frame);
    QImage copy = map.Bitmap;
    OpenMapWindow(frame, std::move(map), Document_)->SetProjectName(windowTitle());
    QGuiApplication::clipboard()->setImage(copy);
}

void TForm2::ExportWinSurf()
{
    auto* w = new TWinSurf;
    w->SetViewedDocument(Document_);
    w->SetListing(QString::fromStdString(WinSurfListing(Terrain(), Decimals_, DecimalSeparator())));
    if (TForm1* frame = Frame())
        frame->AddChild(w);
    w->ShowListing();
}

bool TForm2::eventFilter(QObject* object, QEvent* event)
{
    if (TForm1* frame = Frame(); object == PopupMenu1 && event->type() == QEvent::StatusTip && frame) {
        QCoreApplication::sendEvent(frame, event);
        return true;
    }
    return QMdiSubWindow::eventFilter(object, event);
}

void TForm2::closeEvent(QCloseEvent* e)
{
    // The value being typed is a change like any other: stored first, it is
    // asked about and saved with the rest.
    if (!RunCommand(this, [this] { CommitCellEdit(); })) {
        e->ignore();
        return;
    }
    bool close = Terrain().Saved();
    if (!close) {
        // Closing the frame asks once per document: the name above the
        // question says which.
        switch (Messages().Confirm(this, windowTitle() + "\n\n" + "Você deseja salvar as alterações feitas?")) {
        case TAnswer::Yes:
            // Saved as the Save command does; a cancelled or failed save
            // keeps the window open, so nothing is lost.
            RunCommand(this, [&] { close = SaveProject(this); });
            break;
        case TAnswer::No: close = true; break;
        default: break;
        }
    }
    if (!close) {
        e->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(e);
    // Closed, the window has left the frame's list; it is deleted a moment
    // later, but from now on another document stands in for it.
    LeaveFrame();
}

// ------------------------------------------------------------ documents

TForm2* CreateDocument(TForm1* frame, const QString& fileName, int columns, int rows, float lx, float ly, float originX,
                       float originY)
{
    auto terrain = std::make_unique<TTerreno>(columns, rows, lx, ly);
    terrain->SetOrigin(originX, originY);
    TLoadedProject project;
    project.Terrain = std::move(terrain);
    return CreateDocument(frame, fileName, std::move(project));
}

TForm2* CreateDocument(TForm1* frame, const QString& fileName, TLoadedProject loaded)
{
    loaded.Terrain->RestoreLastArea();
    auto* doc = new TForm2(std::move(loaded.Terrain), frame ? frame->State().UndoBudget : nullptr);
    if (!frame) {
        doc->SetFileName(fileName);
        doc->show();
        return doc;
    }
    doc->Terrain().SetProgress(frame);
    // In the frame first: a new document's caption numbers it among the open ones.
    frame->AddChild(doc);
    doc->SetFileName(fileName);
    // The new document is the active one, whether or not the frame itself is.
    frame->ActivateChild(doc);
    return doc;
}

}  // namespace nivora
