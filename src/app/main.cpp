#include "app/sist.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    nivora::TForm1 frame;
    frame.show();
    return app.exec();
}
