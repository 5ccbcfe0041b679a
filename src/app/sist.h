#pragma once
// TForm1: the program's frame, a multiple-document main window.

#include <QMainWindow>

class QMdiArea;

namespace nivora {

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    QMdiArea* MdiArea() const { return mdiArea_; }

private:
    QMdiArea* mdiArea_ = nullptr;
};

}  // namespace nivora
