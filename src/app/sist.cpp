#include "sist.h"

#include <QMdiArea>

namespace nivora {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("Form1");
    setWindowTitle("Nivora 1.0");
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName("MdiArea");
    setCentralWidget(mdiArea_);
    resize(800, 600);
}

}  // namespace nivora
