#pragma once
// What the program's windows share, in one place that the frame owns: the
// results window, the newest cut-and-fill map,
// the altimetric map window activated last, the newest WinSurf listing, the
// contour request handed from the map dialog to the map builder, the ratio
// asked for at the last systematization, developer mode, the help, and the
// memory the documents' undo histories share.
// Windows are held weakly, so that no command can reach a window once it has
// closed, and nobody clears a reference by hand; the frame alone records them,
// as they join it or become active. The active document is not kept here:
// the frame derives it from the order its children were activated in.

#include "contour/ContourLevels.h"
#include "data/UndoHistory.h"

#include <QMdiArea>
#include <QPointer>
#include <QString>

#include <memory>

namespace nivora {

// A child window of the frame, held weakly: empty once the window has closed.
// A child that closes leaves the frame's window list at once and is deleted
// a moment later; from its closing on it is no longer the program's. A
// window not yet placed in the frame counts as open.
template <class T>
class TChildWindow {
public:
    TChildWindow& operator=(T* window)
    {
        Window_ = window;
        return *this;
    }
    T* data() const
    {
        T* w = Window_.data();
        if (!w)
            return nullptr;
        const QMdiArea* area = w->mdiArea();
        return !area || area->subWindowList().contains(w) ? w : nullptr;
    }
    operator T*() const { return data(); }
    T* operator->() const { return data(); }
    // The window held, closed or not, until it is destroyed: for the window
    // itself on its way out.
    T* Held() const { return Window_.data(); }

private:
    QPointer<T> Window_;
};

class TResultado;
class TMapa;
class TShowCurvas;
class TWinSurf;
class TDefMapa;
class TDefCurvas;
class THelpViewer;

struct TProgramState {
    // The results window; there is at most one.
    TChildWindow<TResultado> Resultado;
    // The newest cut-and-fill map window, or none.
    TChildWindow<TMapa> CutFillMapWindow;
    // The altimetric map window activated last, or none.
    TChildWindow<TShowCurvas> ActiveMapWindow;
    // The WinSurf listing window created last, or none.
    TChildWindow<TWinSurf> WinSurf;

    // The levels the map definition dialog hands to the map builder.
    TContourRequest ContourRequest;
    // The equidistant-levels dialog's last inputs, kept for the run.
    TEquidistant Equidistant;
    // The ratio asked for in the systematize dialog; -1 when none was.
    long double RequestedRatio = -1;

    // On while the hidden "Copia Components" item (F12) is checked: a help
    // request then copies the active window's help-context text instead.
    bool DeveloperMode = false;

    // The hidden map definition and contour level dialogs, reused for the run.
    QPointer<TDefMapa> DefMapa;
    QPointer<TDefCurvas> DefCurvas;

    // The bound of every document's undo history together. Shared, since a
    // document may outlive the frame's state while the frame is destroyed.
    std::shared_ptr<TUndoBudget> UndoBudget = std::make_shared<TUndoBudget>();

    // The help file found at start (empty when none) and its window once opened.
    QString HelpFile;
    QPointer<THelpViewer> HelpViewer;
};

}  // namespace nivora
