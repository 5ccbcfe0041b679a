#pragma once
// Reading rows of elevations from text, for the document's paste and the
// batch front end's import: one line per grid row, one field per stake.
//
// The text is read as a stream: lines and fields are taken one at a time and
// nothing past row or column 1000 is kept, so memory stays bounded by the grid
// whatever the size of the input. A UTF-8 byte-order mark is skipped; UTF-16
// text (with its mark, or recognised by its zero bytes) is read as text.
//
// Fields follow the clipboard's rules whatever the separator: lines end at
// CR, LF or CR LF; every field there is, empty or not, sets its cell, and an
// empty field or one that is not a number stores 0 (no elevation); a field
// is read from its first 20 characters; a value beyond single precision is
// not a number. A field wholly enclosed in double quotes is read as its
// content (UnquoteField), and a separator between quotes is part of it.
// A separator that ends every line of a text of two lines or more is what
// some programs put after each line: it ends the line and makes no field.
// Anywhere else ("1<tab>2<tab>", a spreadsheet's row whose last cell is
// empty) it closes an empty last field, which clears its cell.
//
// Typical use:
//     TTerreno t(20, 20, lx, ly);
//     std::ifstream in(path, std::ios::binary);
//     const TTextReadResult r = ReadElevationText(t, in, 1, 1, kDetectLayout);
//     if (r.Elevations == 0) ... nothing was read
//     if (r.Unreadable || r.Outside) ... say how many fields were lost

#include "data/Progress.h"

#include <cstdint>
#include <iosfwd>
#include <string_view>

namespace nivora {

class TTerreno;

// How the fields of a text are laid out.
struct TTextLayout {
    enum THeader : std::uint8_t {
        hNone,    // every line holds elevations
        hSkip,    // the first line is a header: it is skipped unread
        hDetect,  // the first line is skipped when none of its fields is a number
    };
    // Between fields: '\t', ';' or ','; 0 detects it from the first lines
    // (a tab, else a semicolon, else a comma when the commas cannot be
    // decimal commas; a single column otherwise).
    char Separator = '\t';
    // The decimal mark: '.' or ',' reads only that one; 0 reads both (with
    // ',' between fields, only the point can be the mark).
    char DecimalMark = 0;
    THeader Header = hNone;
};

// The clipboard's layout: tabs, both decimal marks, no header line.
inline constexpr TTextLayout kClipboardLayout{'\t', 0, TTextLayout::hNone};
// What a spreadsheet or survey program may have written: all detected.
inline constexpr TTextLayout kDetectLayout{0, 0, TTextLayout::hDetect};

struct TTextReadResult {
    // The layout read with: detection resolved (Separator is never 0; a
    // text of one column reports '\t'), DecimalMark as asked for or found.
    TTextLayout Layout = kClipboardLayout;
    bool HeaderSkipped = false;
    std::int64_t Lines = 0;       // lines of the text, the header and those past row 1000 included
    std::int64_t Fields = 0;      // fields of those lines (the header's excluded)
    std::int64_t Elevations = 0;  // fields stored with an elevation (a number other than 0)
    std::int64_t Unreadable = 0;  // fields inside the grid that are not numbers: stored as 0
    std::int64_t Outside = 0;     // non-empty fields beyond column or row 1000: not stored
    std::int64_t Cleared = 0;     // empty fields (or 0) over a cell that held an elevation: it no longer does
};

// One field of clipboard text as a paste reads it: its first 20 characters
// as a typed number with either decimal mark (kEitherMark), whatever the
// user's separator.
// False, value 0, for an empty field or one that is not a number (or beyond
// single precision).
bool ReadClipboardField(std::string_view field, char decimalSeparator, float& value);

// Reads text into the terrain with its first field at (col, row): every
// field inside the grid goes through SetCell (empty and unreadable ones store
// 0 and clear the cell), in one bracket of AutoExtremes; the store grows as
// needed up to 1000 x 1000. The used rectangle becomes the terrain's
// Selection. The decimal marks the layout takes read alike whatever the
// user's separator (`decimalSeparator`).
// The progress, when given, is advanced (Set, in hundredths) as the text is
// read, never started or closed here.
TTextReadResult ReadElevationText(TTerreno& terrain, std::string_view text, std::int32_t col, std::int32_t row,
                                  const TTextLayout& layout, char decimalSeparator = '.',
                                  IProgress* progress = nullptr);
// The same from a stream (a file opened in binary mode), read in pieces. A
// read error of the stream is left in its state for the caller to report.
TTextReadResult ReadElevationText(TTerreno& terrain, std::istream& in, std::int32_t col, std::int32_t row,
                                  const TTextLayout& layout, char decimalSeparator = '.',
                                  IProgress* progress = nullptr);

}  // namespace nivora
