#pragma once
// The number helpers that need windows: checking a dialog's edit box, writing
// a text into a grid cell, reading the clipboard's text.

#include "data/NumberUtils.h"

#include <QByteArray>
#include <QRect>
#include <QString>

class QKeyEvent;
class QLineEdit;
class QMimeData;
class QPainter;

#include <string>
#include <string_view>

namespace nivora {

// The bytes of a QByteArray, without a copy.
inline std::string_view BytesView(const QByteArray& bytes) { return {bytes.constData(), std::size_t(bytes.size())}; }

// A window's text as the code page 1252 bytes the store and the project file
// keep (Utf8ToCp1252).
std::string ToCp1252(const QString& text);

// A number as the dialogs show it: general format, 10 significant digits, the
// user's decimal separator.
QString General(long double value);

// Reads a box's text as a number with the user's decimal separator
// (ParseNumber); false, value untouched, when it does not read.
bool ReadNumber(const QString& text, long double& value);

// Reads the edit box's number and checks it against the rule; on failure
// shows the fixed message (an error box for an empty or unreadable text, a
// warning for the wrong sign), gives the box the focus and returns false.
bool ValidateNumberEdit(QLineEdit* edit, TNumberRule rule, long double& value);

// The character a key press types, or a null QChar for a key that types
// none: keys with Ctrl or Alt, and keys without a printable character
// (Backspace, Return, Esc, the arrows), which keep their own meaning.
QChar TypedKey(const QKeyEvent* event);

// Puts `key` into the box at its caret when the box's rule lets it stand
// (NumberBoxKey with the user's decimal separator), judged on the text
// `before` and `after` it; any other key is discarded.
void TypeNumberKey(QLineEdit* edit, QChar key, TNumberBox box, const QString& before, const QString& after = {});

// The key filter of a dialog's number box, judged with the key at the end of
// the box's text. Backspace and keys without a printable character pass
// (false); for any other key, inserted or discarded, true.
bool FilterNumberKey(QLineEdit* edit, QChar key);
// The same for a key press on the box (TypedKey).
bool FilterNumberKeyEvent(QLineEdit* edit, const QKeyEvent* event);

enum TCellAlignment { caLeft = 0, caRight = 1, caCentre = 2 };

// Writes text inside rect in the painter's font, vertically centred (from
// the top when taller than the cell), left with `margin`, right ending
// `margin` pixels before the edge, or centred; clipped to rect, which is
// first filled with the painter's background brush.
void DrawCellText(QPainter& painter, const QRect& rect, const QString& text, int margin, TCellAlignment alignment);
// Where DrawCellText puts the text's top-left corner.
QPoint CellTextOrigin(const QRect& rect, int textWidth, int textHeight, int margin, TCellAlignment alignment);

// The clipboard's text as bytes for the elevation reader: UTF-8 (a leading
// byte-order mark kept for the reader to skip), or the raw bytes of a UTF-16
// plain text that some spreadsheets offer instead. Empty when there is no
// text.
QByteArray ClipboardTextBytes(const QMimeData* mime);
// The clipboard holds text that a paste can read (in either form above).
bool ClipboardHoldsText(const QMimeData* mime);

}  // namespace nivora
