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

namespace nivora {

// Reads the edit box's number and checks it against the rule; on failure
// shows the fixed message (an error box for an empty or unreadable text, a
// warning for the wrong sign), gives the box the focus and returns false.
bool ValidateNumberEdit(QLineEdit* edit, TNumberRule rule, long double& value);

// The key filter of every number box: "," and "." become the user's decimal
// separator, Backspace and control keys pass, any other character is kept
// only when the text with it at its end can still become a number
// (IsTypedNumber). True when the key has been dealt with here (inserted or
// discarded).
bool FilterNumberKey(QLineEdit* edit, QChar key);
// The same for a key press on the box: keys with Ctrl or Alt, Backspace and
// keys without a character pass (false); the rest go through FilterNumberKey.
bool FilterNumberKeyEvent(QLineEdit* edit, const QKeyEvent* event);

enum TCellAlignment { caLeft = 0, caRight = 1, caCentre = 2 };

// Writes text inside rect in the painter's font, vertically centred (from
// the top when taller than the cell), left with `margin`, right ending
// `margin` pixels before the edge, or centred; clipped to rect, which is
// first filled with the painter's background brush.
void DrawCellText(QPainter& painter, const QRect& rect, const QString& text, int margin, TCellAlignment alignment);
// Where DrawCellText puts the text's top-left corner.
QPoint CellTextOrigin(const QRect& rect, int textWidth, int textHeight, int margin, TCellAlignment alignment);

// Copies the clipboard's plain text, at most size - 1 characters and a
// terminating zero, into buffer (code page 1252); returns the characters
// copied, 0 when the clipboard holds no text (buffer untouched).
int ReadClipboardText(char* buffer, int size);

// The clipboard's text as bytes for the elevation reader: UTF-8 (a leading
// byte-order mark kept for the reader to skip), or the raw bytes of a UTF-16
// plain text that some spreadsheets offer instead. Empty when there is no
// text.
QByteArray ClipboardTextBytes(const QMimeData* mime);
// The clipboard holds text that a paste can read (in either form above).
bool ClipboardHoldsText(const QMimeData* mime);

}  // namespace nivora
