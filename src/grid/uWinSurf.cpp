#include "uWinSurf.h"

#include <QPlainTextEdit>

namespace nivora {

TWinSurf::TWinSurf(QWidget* parent) : QMdiSubWindow(parent)
{
    setObjectName("WinSurf");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("WinSurf");
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    QFont f("MS Sans Serif");
    f.setPixelSize(13);
    Memo1->setFont(f);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    setWidget(Memo1);
    resize(319, 297);
}

void TWinSurf::SetListing(const QString& text)
{
    Memo1->hide();  // filled out of sight
    Memo1->setPlainText(text);
}

void TWinSurf::ShowListing()
{
    show();
    // The frame around the client area is known once the window is shown.
    const QMargins frame = contentsMargins();
    resize(250 + frame.left() + frame.right(), height());
    Memo1->show();
    Memo1->setFocus();
}

}  // namespace nivora
