#pragma once
// The program's help: its own file of topics keyed by context number, shown
// in a help window of ours at the topic asked for.

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace nivora {

struct THelpControl;

// A window's controls as the developer aid lists them.
THelpControl HelpControlTree(const QWidget* window);

// Looks for the help file beside the program, then in its "help" folder;
// returns whether one was found. Called once at start.
bool LocateProgramHelpFile();
QString HelpFilePath();
void SetHelpFilePath(const QString& path);

// Opens the help window at a context's topic (0: the contents). False, and
// nothing shown, when the program has no help file.
bool ShowHelpTopic(int context);

class THelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit THelpViewer(QWidget* parent = nullptr);
    void ShowTopic(int context);
    QTextBrowser* Browser = nullptr;
};

// The help window, once opened; none before. It is a window of its own, so
// that modal dialogs (which block the frame) leave it usable; the frame closes
// it when it closes.
THelpViewer* HelpViewer();

}  // namespace nivora
