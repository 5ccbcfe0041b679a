#pragma once
// The texts of a grid document's cells and the clipboard text format: rows
// of the grid as lines ending in CR LF, stakes within a row separated by tabs,
// an empty field for a missing elevation.

#include "data/GridTypes.h"
#include "grid/TextImport.h"

#include <string>
#include <string_view>
#include <vector>

namespace nivora {

class TTerreno;

enum TGridView { gvNatural = 0, gvDesign = 1, gvCutFill = 2 };

// The text of grid cell (col, row) in a view; column and row 0 are the
// headers with the stake coordinates.
std::string CellText(const TTerreno& terrain, TGridView view, int decimals, std::int32_t col, std::int32_t row,
                     char decimalSeparator);

// The copy of a selection (grid positions, inclusive): right and bottom are
// clamped to the store, every line ends in CR LF.
std::string CopyText(const TTerreno& terrain, TGridView view, int decimals, const TUsedRect& selection,
                     char decimalSeparator);

// The same copy headed by the stakes' coordinates, as the grid's headers show
// them: a first line of eastings (X) after an empty field, and each line
// after its northing (Y).
std::string CopyTextWithCoordinates(const TTerreno& terrain, TGridView view, int decimals, const TUsedRect& selection,
                                    char decimalSeparator);

// One pasted line to values: tab-separated fields, "," and "." both taken as
// the separator, empty or unreadable fields 0, tokens cut at 20 characters.
// A tab at the end closes an empty last field, as it does when that line is
// pasted alone.
std::vector<float> ParseClipboardLine(std::string_view line, char decimalSeparator);
// Lines end at CR, LF or the pair CR LF.
std::vector<std::string_view> SplitClipboardLines(std::string_view text);

// Pastes clipboard text with its first field at (col, row) (see
// ReadElevationText), starting the progress and closing it when the text had
// lines. The result counts the fields that were not numbers or fell outside
// the grid.
TTextReadResult PasteText(TTerreno& terrain, std::string_view text, std::int32_t col, std::int32_t row,
                          char decimalSeparator, IProgress* progress = nullptr);

}  // namespace nivora
