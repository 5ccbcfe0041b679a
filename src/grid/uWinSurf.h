#pragma once
// TWinSurf: a text window with the WinSurf listing of a document, for the
// user to copy. Each command opens a new one; it names its document.

#include "data/DocumentObject.h"

#include <QMdiSubWindow>

class QPlainTextEdit;

namespace nivora {

class TWinSurf : public QMdiSubWindow, public TDocumentSnapshot {
    Q_OBJECT
public:
    explicit TWinSurf(QWidget* parent = nullptr);

    // Puts the listing into the text box, out of sight until ShowListing.
    void SetListing(const QString& text);
    // Shows the window with its client area 250 pixels wide, as it starts,
    // and the listing in it with the keyboard focus.
    void ShowListing();

private:
    QPlainTextEdit* Memo1 = nullptr;
};

}  // namespace nivora
