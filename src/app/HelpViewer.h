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

struct TProgramState;

// The help file beside the program, or in its "help" folder; empty when
// there is none. Looked for once at start.
QString ProgramHelpFile();

// Opens the program's help window at a context's topic (0: the contents).
// False, and nothing shown, when the program has no help file.
bool ShowHelpTopic(TProgramState& state, int context);

class THelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit THelpViewer(QWidget* parent = nullptr);
    void ShowTopic(const QString& helpFile, int context);

private:
    QTextBrowser* Browser = nullptr;
};

// The help window is a window of its own, so that modal dialogs (which block
// the frame) leave it usable; the frame keeps it in its state and closes it
// when it closes.

}  // namespace nivora
