#include "HelpViewer.h"

#include "app/ProgramState.h"
#include "grid/NVHelp.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QToolButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <memory>
#include <string_view>

namespace nivora {

QString ProgramHelpFile()
{
    const auto found = LocateHelpFile(QCoreApplication::applicationDirPath().toStdString());
    return found ? QString::fromStdString(found->string()) : QString();
}

// A window's controls as the developer aid sees them: labels and line
// bevels are no controls of their own; buttons of the tool bar, pictures and
// shapes are drawn on their parent.
namespace {

// The controls among a widget's children. Unnamed plain widgets only hold a
// layout: their children count as the widget's own. The toolkit's inner
// parts (named "qt_...") are no controls of ours.
void AddHelpChildren(const QWidget* w, THelpControl& c)
{
    for (const QObject* child : w->children()) {
        const auto* cw = qobject_cast<const QWidget*>(child);
        if (!cw || cw->isWindow() || cw->objectName().startsWith("qt_"))
            continue;
        if (cw->objectName().isEmpty() && std::string_view(cw->metaObject()->className()) == "QWidget")
            AddHelpChildren(cw, c);
        else
            c.Children.push_back(HelpControlTree(cw));
    }
}

}  // namespace

THelpControl HelpControlTree(const QWidget* w)
{
    THelpControl c;
    c.Name = w->objectName().toStdString();
    if (const auto* label = qobject_cast<const QLabel*>(w))
        c.ControlKind = label->pixmap().isNull() ? THelpControl::Label : THelpControl::Graphic;
    else if (const auto* frame = qobject_cast<const QFrame*>(w);
             frame && (frame->frameShape() == QFrame::HLine || frame->frameShape() == QFrame::VLine))
        c.ControlKind = THelpControl::Bevel;
    else if (qobject_cast<const QToolButton*>(w) || w->objectName() == "Shape1")
        c.ControlKind = THelpControl::Graphic;
    AddHelpChildren(w, c);
    return c;
}

THelpViewer::THelpViewer(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("HelpViewer");
    setWindowTitle("Ajuda do Nivora");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Browser = new QTextBrowser(this);
    Browser->setObjectName("Browser");
    Browser->setOpenLinks(true);
    layout->addWidget(Browser);
    resize(560, 480);
}

void THelpViewer::ShowTopic(const QString& helpFile, int context)
{
    QUrl url = QUrl::fromLocalFile(QFileInfo(helpFile).absoluteFilePath());
    if (Browser->source().adjusted(QUrl::RemoveFragment) != url)
        Browser->setSource(url);
    Browser->scrollToAnchor(QString("ctx-%1").arg(context));
}

bool ShowHelpTopic(TProgramState& state, int context)
{
    if (state.HelpFile.isEmpty() || !QFileInfo::exists(state.HelpFile))
        return false;
    if (!state.HelpViewer) {
        state.HelpViewer = new THelpViewer;
        state.HelpViewer->setAttribute(Qt::WA_DeleteOnClose);
    }
    state.HelpViewer->ShowTopic(state.HelpFile, context);
    state.HelpViewer->show();
    state.HelpViewer->raise();
    state.HelpViewer->activateWindow();
    return true;
}

}  // namespace nivora
