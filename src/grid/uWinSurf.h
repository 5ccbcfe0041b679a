#pragma once
// TWinSurf: a text window with the WinSurf listing of a document, for the
// user to copy. Each command opens a new one.

#include <QMdiSubWindow>

class QPlainTextEdit;

namespace nivora {

class TWinSurf : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit TWinSurf(QWidget* parent = nullptr);

    // The client area 250 pixels wide, as the window starts.
    void FitClientWidth();

    QPlainTextEdit* Memo1 = nullptr;
};

}  // namespace nivora
