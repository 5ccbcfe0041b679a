#pragma once
// What the program's windows share, in one place that the frame owns: the
// document activated last, the results window, the newest cut-and-fill map,
// the altimetric map window activated last, the newest WinSurf listing, the
// contour request handed from the map dialog to the map builder, the ratio
// asked for at the last systematization, and the help. Windows are held as
// QPointer: a window that is destroyed is gone from here at once, so no
// command can reach it afterwards, and nobody clears a reference by hand.

#include "contour/ContourLevels.h"

#include <QPointer>
#include <QString>

namespace nivora {

class TForm2;
class TResultado;
class TMapa;
class TShowCurvas;
class TWinSurf;
class TDefMapa;
class TDefCurvas;
class THelpViewer;

struct TProgramState {
    // The grid document activated last, or none.
    QPointer<TForm2> ActiveDocument;
    // The document that stopped being active last, or none.
    QPointer<TForm2> LastDeactivatedDocument;
    // The results window; there is at most one.
    QPointer<TResultado> Resultado;
    // The newest cut-and-fill map window, or none.
    QPointer<TMapa> CutFillMapWindow;
    // The altimetric map window activated last, or none.
    QPointer<TShowCurvas> ActiveMapWindow;
    // The WinSurf listing window created last, or none.
    QPointer<TWinSurf> WinSurf;

    // The levels the map definition dialog hands to the map builder.
    TContourRequest ContourRequest;
    // The equidistant-levels dialog's last inputs, kept for the run.
    TEquidistant Equidistant;
    // The ratio asked for in the systematize dialog; -1 when none was.
    long double RequestedRatio = -1;

    // The hidden map definition and contour level dialogs, reused for the run.
    QPointer<TDefMapa> DefMapa;
    QPointer<TDefCurvas> DefCurvas;

    // The help file found at start (empty when none) and its window once opened.
    QString HelpFile;
    QPointer<THelpViewer> HelpViewer;
};

}  // namespace nivora
