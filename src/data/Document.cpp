#include "data/Document.h"

#include "grid/GridText.h"
#include "grid/TextImport.h"

namespace nivora {

TDocument::TDocument(std::unique_ptr<TTerreno> terrain, std::shared_ptr<TUndoBudget> budget, std::string fileName)
    : Terrain_(std::move(terrain)),
      History_(std::move(budget), [this](TCellChange& c) { Apply(c); }),
      FileName_(std::move(fileName)),
      SavedPlans_(Terrain_->Plans()),
      SavedExtension_(Terrain_->Extension())
{
    if (!Terrain_->Saved())
        History_.ClearClean();
    // Back at the saved cells, the document is its file again only if what
    // the history does not hold (plans, georeference) is as saved too.
    History_.SetOnCleanChange([this](bool clean) {
        Terrain_->SetSaved(clean && Terrain_->Plans() == SavedPlans_ && Terrain_->Extension() == SavedExtension_);
        TellSaved();
    });
    History_.SetOnChange([this] {
        if (Observers_.HistoryChanged)
            Observers_.HistoryChanged();
    });
}

TDocument::~TDocument()
{
    // Steps dropped for another document's edits must not reach a document
    // on its way out.
    History_.SetOnChange(nullptr);
    History_.SetOnCleanChange(nullptr);
}

void TDocument::SetFileName(std::string fileName)
{
    if (fileName == FileName_)
        return;
    FileName_ = std::move(fileName);
    if (Observers_.FileNameChanged)
        Observers_.FileNameChanged();
}

void TDocument::MarkSaved()
{
    SavedPlans_ = Terrain_->Plans();
    SavedExtension_ = Terrain_->Extension();
    Terrain_->SetSaved(true);
    History_.SetClean();
    TellSaved();
}

std::vector<std::uint8_t> TDocument::FileImage(const TViewState& view) const { return WriteDocument(*Terrain_, view); }

void TDocument::Save(const std::string& fileName, const TViewState& view)
{
    SaveProjectFile(std::filesystem::path(fileName), *Terrain_, view);
    SetFileName(fileName);
    MarkSaved();
}

bool TDocument::SetGeoreference(const std::optional<TGeoreference>& georeference)
{
    if (Georeference() == georeference)
        return false;
    Terrain_->SetGeoreference(georeference);
    TellSaved();
    if (Observers_.GeoreferenceChanged)
        Observers_.GeoreferenceChanged();
    return true;
}

bool TDocument::SetElevation(std::int32_t col, std::int32_t row, float value, const std::string& name)
{
    TCellChange record = RecordFor({col, row, col, row});
    const std::size_t cells = Terrain_->Cells().size();
    const float before = Terrain_->GetCell(col, row);
    Terrain_->SetCell(col, row, value);
    // Retyping what the cell holds changes nothing: no step for it.
    if (Terrain_->GetCell(col, row) == before && Terrain_->Cells().size() == cells)
        return false;
    Push(name, std::move(record));
    return true;
}

void TDocument::ClearCells(const TUsedRect& rect, const std::string& name)
{
    TCellChange record = TCellChange::Capture(*Terrain_, rect);
    Terrain_->ClearRect(rect);
    Push(name, std::move(record));
}

TTextReadResult TDocument::Paste(std::string_view text, std::int32_t col, std::int32_t row, char decimalSeparator,
                                 IProgress* progress)
{
    TCellChange record = RecordFor(PasteReach(text, col, row));
    TTextReadResult r = PasteText(*Terrain_, text, col, row, decimalSeparator, progress);
    if (r.Fields > 0)
        Push("Colar", std::move(record));
    return r;
}

bool TDocument::StructuralEdit(const std::string& name, const std::function<bool()>& edit)
{
    TCellChange change = TCellChange::CaptureWhole(*Terrain_);
    if (!edit())
        return false;  // refused: nothing changed, nothing to undo
    CellsEdited();
    Push(name, std::move(change));
    return true;
}

TCellChange TDocument::RecordFor(const TUsedRect& cells) const
{
    if (cells.LastCol > Terrain_->ColCount() || cells.LastRow > Terrain_->RowCount())
        return TCellChange::CaptureWhole(*Terrain_);
    return TCellChange::Capture(*Terrain_, cells);
}

void TDocument::Push(const std::string& name, TCellChange change) { History_.Push(name, std::move(change)); }

void TDocument::Apply(TCellChange& change)
{
    change.Exchange(*Terrain_);
    // Unless the history is back at the saved step, which its clean change
    // says right after this.
    CellsEdited();
    if (Observers_.CellsChanged)
        Observers_.CellsChanged();
}

void TDocument::CellsEdited()
{
    Terrain_->InvalidateResults();
    Terrain_->SetSaved(false);
}

void TDocument::TellSaved()
{
    if (Observers_.SavedChanged)
        Observers_.SavedChanged(IsSaved());
}

}  // namespace nivora
