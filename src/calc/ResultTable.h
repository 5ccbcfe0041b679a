#pragma once
// The texts of the results table: ten plans side by side (the best plan and
// nine of the user's), one row per parameter.

#include "calc/Plan.h"

#include <string>

namespace nivora {

class TTerreno;

constexpr int kResultColumns = 11;  // the caption column and ten plans
constexpr int kResultRows = 9;      // the caption row and eight parameters

// Rows whose values the user types for a plan of their own.
enum TResultRow { rrSx = 1, rrSy = 2, rrOrigin = 3, rrCut = 4, rrFill = 5, rrRatio = 6, rrMaxCut = 7, rrMaxFill = 8 };

inline bool IsTypedRow(int row) { return row == rrSx || row == rrSy || row == rrRatio; }

// The text of one cell, in UTF-8; `terrain` may be null (no document: every
// cell is empty, captions included).
std::string ResultCellText(const TTerreno* terrain, int column, int row, char decimalSeparator);

// Blue for the typed rows of the plan columns, black otherwise (0xRRGGBB).
unsigned ResultCellColour(int column, int row);

// The plan's text that a typed row of the table edits, and that text.
TShortText TPlano::*TypedField(int row);
const TShortText& TypedText(const TPlano& plan, int row);

// The plan holds results whose ratio has no value (nothing below the plane).
bool HasUndefinedRatio(const TPlano& plan);

// A typed ratio that reads as a number outside kMinRatio..kMaxRatio becomes
// the nearest bound, in general format; any other text stays as typed.
std::string TidyRatioText(const std::string& text, char decimalSeparator);

// What leaving an edit does to the plan's texts: a lone "-" is emptied (the
// first such text of Sx, Sy, ratio), and the ratio is tidied (TidyRatioText).
void TidyPlanTexts(TPlano& plan, bool loneMinus, char decimalSeparator);
// The same for the texts of the terrain's plan `column` (2..10): a text that
// changes leaves the document to be saved.
void TidyPlanTexts(TTerreno& terrain, int column, bool loneMinus, char decimalSeparator);

// Whether the typed texts of plan `column` all read as numbers (nothing is
// stored).
bool PlanInputsComplete(const TTerreno& terrain, int column, char decimalSeparator);

}  // namespace nivora
