#pragma once
// TDocument: one open project, apart from any window that shows it. It owns
// the terrain with its plans and extension (the georeference among them),
// the undo history of its elevations, the name of its file and what is known
// of its saved state. Every change of the elevations goes through it, so
// that each one is a step of the history and leaves the results and the
// saved state right; the windows and nivora-cli are its front ends.
//
// Saved state: the document is its file while the history stands at the
// step that was saved and the plans and the extension (which the history
// does not hold) are as saved. A document never saved has no such step.
//
// Typical use:
//     TDocument doc(std::move(terrain), budget, "campo.nvr");
//     doc.SetElevation(3, 2, 101.5f);      // a step "Digitação"
//     doc.Undo();
//     doc.Save("campo.nvr", view);         // writes the file, then IsSaved()

#include "calc/CalcSist.h"
#include "data/CellChange.h"
#include "data/SaveOpen.h"
#include "data/UndoHistory.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nivora {

class IProgress;
struct TTextReadResult;

class TDocument {
public:
    // What a front end is told of; each may be empty.
    struct TObservers {
        // An undo or a redo exchanged cells with the store: every view of
        // the cells is out of date.
        std::function<void()> CellsChanged;
        // A step was added, undone, redone or dropped, or the saved step moved.
        std::function<void()> HistoryChanged;
        // IsSaved() may have changed (an edit, an undo back to the file, a save).
        std::function<void(bool saved)> SavedChanged;
        std::function<void()> FileNameChanged;
        std::function<void()> GeoreferenceChanged;
    };

    // A document around `terrain`: one read from a file starts saved, a new
    // one has no saved state until it is saved. Its history shares `budget`
    // (one of its own when null).
    explicit TDocument(std::unique_ptr<TTerreno> terrain, std::shared_ptr<TUndoBudget> budget = nullptr,
                       std::string fileName = {});
    ~TDocument();
    TDocument(const TDocument&) = delete;
    TDocument& operator=(const TDocument&) = delete;

    TTerreno& Terrain() { return *Terrain_; }
    const TTerreno& Terrain() const { return *Terrain_; }
    TEditHistory& History() { return History_; }
    const TEditHistory& History() const { return History_; }

    void SetObservers(TObservers observers) { Observers_ = std::move(observers); }

    // The project file as a UTF-8 path; empty while the document has none.
    const std::string& FileName() const { return FileName_; }
    void SetFileName(std::string fileName);

    // ---- saved state
    [[nodiscard]] bool IsSaved() const { return Terrain_->Saved(); }
    // The file now holds the document as it stands: this step of the
    // history, the plans and the extension are the saved ones.
    void MarkSaved();
    // The file image of the document, with `view` as its grid's state.
    [[nodiscard]] std::vector<std::uint8_t> FileImage(const TViewState& view) const;
    // Writes the file whole (see SaveProjectFile), then takes its name and
    // is saved. A failed write throws TFileError and changes nothing.
    void Save(const std::string& fileName, const TViewState& view);

    // ---- georeference
    [[nodiscard]] const std::optional<TGeoreference>& Georeference() const
    {
        return Terrain_->Extension().Georeference;
    }
    // Sets or clears it; a change leaves the document to be saved (it is not
    // a step of the history). True when it changed.
    bool SetGeoreference(const std::optional<TGeoreference>& georeference);

    // ---- edits of the elevations, each a step of the history
    // A typed elevation: false, with no step, when the cell already held it
    // (a cell past the grid grows it, which is a change).
    bool SetElevation(std::int32_t col, std::int32_t row, float value, const std::string& name = "Digitação");
    // Empties the cells of `rect`; `name` names the step ("Excluir", "Recortar").
    void ClearCells(const TUsedRect& rect, const std::string& name);
    // Pastes `text` at (col, row); a step "Colar" when any field was read.
    TTextReadResult Paste(std::string_view text, std::int32_t col, std::int32_t row, char decimalSeparator,
                          IProgress* progress = nullptr);
    // Rows and columns: `edit` runs between a record of the whole grid and
    // its step; false when it refused and changed nothing (no step then).
    bool StructuralEdit(const std::string& name, const std::function<bool()>& edit);
    // The record of an edit of `cells`: the rectangle, or the whole grid when
    // the cells reach past the store (which then grows to take them).
    [[nodiscard]] TCellChange RecordFor(const TUsedRect& cells) const;
    // Puts a change made just now (recorded before it) on the history.
    void Push(const std::string& name, TCellChange change);
    void Undo() { History_.Undo(); }
    void Redo() { History_.Redo(); }

private:
    // Takes a step of the history back or forth on the store.
    void Apply(TCellChange& change);
    // After any change of the cells: the results no longer describe them,
    // and the document differs from its file.
    void CellsEdited();
    void TellSaved();

    std::unique_ptr<TTerreno> Terrain_;
    TEditHistory History_;
    std::string FileName_;
    // The plans and extension as last saved or read: undoing back to the
    // saved step makes the document saved again only if they still hold.
    TTerreno::TPlans SavedPlans_{};
    TProjectExtension SavedExtension_;
    TObservers Observers_;
};

}  // namespace nivora
