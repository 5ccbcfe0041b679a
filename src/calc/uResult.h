#pragma once
// TResultado: the results window. One instance for the whole program; it
// shows the ten plan slots of the active document side by side (the best plan
// and nine of the user's). In a user plan the user types the slopes and a
// cut/fill ratio; "&Recalcular" computes that plan.

#include "data/DesignSurface.h"
#include "data/ProjectExtension.h"

#include <QAbstractTableModel>
#include <QMdiSubWindow>
#include <QStyledItemDelegate>
#include <QTableView>

#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace nivora {

class TForm1;
class TForm2;
class TResultado;
class TTerreno;

class TResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TResultModel(const TResultado& window) : Window(window) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void Refresh();

private:
    const TResultado& Window;
};

// The results table keeps its caption row and its first two columns (the
// captions and the best plan) in view while the plans scroll: three views
// over the same model lie on the grid's edges (the fixed columns, the caption
// row and their corner) and follow its scrolling and column widths.
class TResultGrid : public QTableView {
    Q_OBJECT
public:
    static constexpr int kFixedColumns = 2;
    static constexpr int kFixedRows = 1;

    explicit TResultGrid(QWidget* parent = nullptr);
    // Makes the fixed views; after the model and the delegate are set.
    void FreezeFixedCells();

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

protected:
    void updateGeometries() override;

private:
    QTableView* FixedView(const char* name, bool columns, bool rows);
    void PlaceFixedViews();

    QTableView* FixedColumns = nullptr;
    QTableView* FixedRow = nullptr;
    QTableView* FixedCorner = nullptr;
};

class TResultado : public QMdiSubWindow {
    Q_OBJECT
public:
    // Creates the frame's results window if absent and shows it in front.
    static TResultado* ShowResults(TForm1& frame);

    explicit TResultado(QWidget* parent = nullptr);
    ~TResultado() override;

    // Redraws the table for the active document.
    void Repaint();
    // A client area 445 pixels wide and tall enough for the table.
    void FitClientArea();

    void GridSelectCell(int column, int row);
    void GridGetEditText(int column, int row, QLineEdit* editor);
    void GridSetEditText(const QString& text);
    // A key typed in the editor; true when it is handled here.
    bool GridKeyPress(QKeyEvent* e, QLineEdit* editor);
    void CommitEdit();
    // Esc in the editor: the plan's text goes back to what it was when the
    // edit began, and nothing is committed.
    void RevertEdit();
    void btRecalcClick();
    void BitBtn4Click();

    int CurrentColumn() const;
    int CurrentRow() const;
    void SetCurrentCell(int column, int row);
    QString CellText(int column, int row) const;

    // The frame's active document and its terrain, which the table shows;
    // null without one.
    TForm2* ActiveDocument() const;
    TTerreno* ActiveTerrain() const;
    // The table shows computed plans that no longer describe the document's
    // elevations (an edit or an undo since they were computed).
    bool ResultsOutOfDate() const;

private:
    void UpdateRecalcButton();
    void WidenPlanColumns();
    // The line of where water stands on the natural ground and on the
    // working plan; computed again only for another plan or document.
    void UpdatePondingLine();
    std::string PondingKey;

    // The cell being edited and the text last reported from its editor.
    bool ResultEditPending = false;
    int ResultEditRow = 0;
    int ResultEditColumn = 0;
    QString ResultEditText;
    // The plan's text and the document's saved state as the edit found them.
    std::string ResultEditOriginal;
    bool ResultEditWasSaved = false;
    // The limits the edited plan was designed under: typing its slopes drops
    // them, Esc brings them back with the texts.
    std::optional<TPlanLimits> ResultEditLimits;
    // The same for the plan's design layer (an optimised surface).
    std::optional<TDesignSurface> ResultEditSurface;

    TResultGrid* Grid = nullptr;
    TResultModel* Model = nullptr;
    QLabel* lbDesatualizado = nullptr;
    QLabel* lbEscoamento = nullptr;
    QWidget* Panel2 = nullptr;
    QPushButton* btRecalc = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
};

}  // namespace nivora
