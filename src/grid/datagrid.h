#pragma once
// TForm2: the grid document window. One child window of the frame per
// elevation grid: it owns the grid's terrain, shows it in a cell grid with
// three views (natural elevations, design elevations, cuts and fills), takes
// typed elevations, reports the count and extremes as its status text and
// asks to save on closing.
//
// The grid is a TGridControl (GridControl.h) over a TGridModel (GridModel.h)
// that answers every cell from the terrain; nothing is stored per cell.

#include "calc/CalcSist.h"
#include "data/DocumentObject.h"
#include "data/SaveOpen.h"
#include "grid/GridText.h"

#include <QFont>
#include <QMdiSubWindow>
#include <QStyleOptionViewItem>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QKeyEvent;
class QLineEdit;
class QMenu;
class QTabBar;

namespace nivora {

struct TTextReadResult;

class TForm1;
class TGridControl;
class TGridModel;

class TForm2 : public QMdiSubWindow, public TDocumentView {
    Q_OBJECT
public:
    // A document window around a terrain (CreateDocument makes them); its
    // undo history shares the program's budget (one of its own when none).
    TForm2(std::unique_ptr<TTerreno> terrain, std::shared_ptr<TUndoBudget> undoBudget = nullptr,
           QWidget* parent = nullptr);
    ~TForm2() override;

    // The document the window shows; it closes with the window.
    TDocumentObject* DocumentObject() const { return Document_; }
    TDocument& Document() { return Document_->Document(); }
    const TDocument& Document() const { return Document_->Document(); }
    TTerreno& Terrain() { return Document_->Terrain(); }
    const TTerreno& Terrain() const { return Document_->Terrain(); }
    // The project file, empty while the document has none.
    QString FileName() const { return Document_->FileName(); }
    // Decimals shown in the cells, 0 to 8; SetGridFont steps them.
    int Decimals() const { return Decimals_; }

    void SetFileName(const QString& name);
    QString CellText(int col, int row) const;
    void UpdateStatusText();
    QString StatusText() const;
    void SetGridFont(const QFont& font, int step);
    QFont GridFont() const;
    bool HasAreaSelection() const;
    int ViewIndex() const { return View; }
    // Selects a view as a click on its tab would; false (with a beep) when
    // the view cannot be left.
    bool SelectView(int view);

    // Grid position of the cursor (1-based stake column and row).
    int CurrentCol() const;
    int CurrentRow() const;
    void SetCurrentCell(int col, int row);
    // The selection rectangle in grid positions.
    TUsedRect GridSelection() const;
    void SetGridSelection(const TUsedRect& r);
    TViewState ViewState() const;
    void RestoreView(const TViewState& v);

    // Row and column editing, clipboard.
    void InsertRowAtCursor();
    void DeleteRowAtCursor();
    void InsertColumnAtCursor();
    void DeleteColumnAtCursor();
    // Clears the selected cells; `change` names the step in the undo
    // history ("Excluir" for the Delete key, "Recortar" for a cut).
    void ClearSelection(const QString& change = QStringLiteral("Excluir"));
    void SelectByHeader(int col, int row);
    void CopyToClipboard();
    // Pastes at the current cell; then, once, a warning with how many fields
    // were not numbers or fell outside the grid (or that the text held none).
    void PasteFromClipboard();
    static QString PasteLossMessage(const TTextReadResult& result);

    // The systematization run: the best plane over the whole used area or
    // the selection, the ratio adjustment when ratio > 0, then the results
    // window in front. Warns when the area holds no 2 x 2 block of elevations.
    void Systematize(bool selectionOnly, long double ratio);
    // A new map window on the working plan's cut-and-fill map, and the map
    // on the clipboard.
    void ShowCutFillMap();
    // Redraws every cell (after a computation changed the computed views).
    void RefreshGrid();
    // The georeference changed: the headers show the stakes' new coordinates.
    void GeoreferenceChanged();
    // Stores the value being typed, as a move to another cell does, and
    // closes the cell editor. Every command runs it first, so that it reads,
    // saves or changes the cells with the value the user sees.
    void CommitCellEdit();
    // A new WinSurf listing window with the natural elevations.
    void ExportWinSurf();

    // The document's history of elevation changes, one step per user action.
    TEditHistory& History() { return Document().History(); }
    const TEditHistory& History() const { return Document().History(); }

    // The document, while the window shows it (not once it is closing).
    TDocumentObject* ViewedDocument() const override;

    // Event handlers.
    void GridDrawCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    void GridGetEditText(int col, int row);
    // A key typed in the grid or its editor; true when it was handled here
    // (used or discarded), false to let the editor have it.
    bool GridKeyPress(QKeyEvent* e, QLineEdit* editor);
    // The editor's text changed: it becomes EditBuffer.
    void GridSetEditText(const QString& text);
    void GridSelectCell(int col, int row);
    void TabSet1Change(int index);
    void PopupMenu1Popup();
    void Sistematizar1Click();

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
    void closeEvent(QCloseEvent* e) override;

private:
    // The frame the window is in; none before it is added to one.
    TForm1* Frame() const;
    // On closing, or on destruction without a close: the window no longer
    // shows its document, and the frame is told (the results window goes
    // with the last document, or shows the one active now).
    void LeaveFrame();
    // Row and column commands: a whole-grid record around the edit; false
    // when the edit refused and changed nothing.
    bool StructuralEdit(const QString& name, const std::function<bool()>& edit);
    void SelectionFollowsGrid();
    // Stores EditBuffer at the cell the editor was opened on (an unreadable
    // text is dropped) and empties it.
    void StoreTyped();

    TDocumentObject* Document_ = nullptr;
    int Decimals_ = 3;
    // The cell editor: what was typed since it opened, and where.
    std::string EditBuffer;
    int EditCol = 0;
    int EditRow = 0;

    // Controls, by their names.
    TGridControl* Grid = nullptr;
    TGridModel* Model = nullptr;
    QTabBar* TabSet1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Sistematizar1 = nullptr;
    QAction* Inserir1 = nullptr;
    QAction* Excluir1 = nullptr;
    QAction* Inserir2 = nullptr;
    QAction* Excluir2 = nullptr;

    int View = 0;
    bool Destroying = false;
};

// The one way a document comes into existence: a window for a new terrain of
// the given size, or (with `loaded`) for a terrain read from a file. The
// window is added to the frame, shown, and becomes the active document.
TForm2* CreateDocument(TForm1* frame, const QString& fileName, int columns, int rows, float lx, float ly, float originX,
                       float originY);
TForm2* CreateDocument(TForm1* frame, const QString& fileName, TLoadedProject loaded);

}  // namespace nivora
