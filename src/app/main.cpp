#include "app/HelpViewer.h"
#include "app/Platform.h"
#include "app/sist.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setWindowIcon(nivora::ProgramIcon());
    nivora::InstallQtPlatform();
    nivora::InstallQtTranslations(QLocale());
    nivora::TForm1 frame;
    frame.State().HelpFile = nivora::ProgramHelpFile();
    frame.show();
    return app.exec();
}
