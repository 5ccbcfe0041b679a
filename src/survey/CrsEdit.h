#pragma once
// The box where a coordinate system is named by its EPSG code, as the
// project's properties and the import of points show it: digits (or
// "EPSG:31982" as the databases write it), the system's name shown beside it
// as the code is typed, and the check at OK.

#include <QString>

#include <cstdint>
#include <optional>

class QLabel;
class QLineEdit;
class QWidget;

namespace nivora {

// Gives the box its validator and its hint.
void SetUpEpsgEdit(QLineEdit* edit);

// The code in the box; nothing for an empty box (no system named); false
// for a text that is no code.
bool EpsgFromText(const QString& text, std::optional<std::int32_t>& code);

// Whether a project's stakes can be placed in the system: a projected one
// in metres (EpsgRefusal says why not). The database is asked once a code.
bool EpsgAccepted(std::int32_t code);

// Shows in the label the name of the system typed in the box, `whenEmpty`
// for an empty box, or (in red) why the code cannot be used. True when the
// code is refused.
bool ShowEpsgName(QLabel* label, const QString& text, const QString& whenEmpty);

// The box's code for OK: 0 for an empty box. False, with the message shown
// and the focus on the box, for a text that is no code or a system a
// project cannot be placed in.
bool ValidateEpsgEdit(QLineEdit* edit, std::int32_t& code);

}  // namespace nivora
