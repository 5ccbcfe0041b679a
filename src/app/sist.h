#pragma once
// TForm1: the program's frame. A multiple-document main window with the
// menus, the tool bar, the status bar with its progress gauge and the side
// panel of the cut-and-fill map. It owns no data: its commands act on the
// active grid document or the active child window. It offers the progress
// service the long computations report through, and keeps every command's
// enabled state in step with the active window (UpdateMenuItems).

#include "app/ProgramState.h"
#include "data/Progress.h"

#include <QFont>
#include <QIcon>
#include <QKeySequence>
#include <QMainWindow>
#include <QMdiArea>
#include <QPointer>
#include <QMdiSubWindow>

#include <map>
#include <vector>

class QAction;
class QColor;
class QFrame;
class QLabel;
class QMdiSubWindow;
class QMenu;
class QProgressBar;
class QSpinBox;
class QToolButton;
class QWidget;

namespace nivora {

class TForm2;
class TShowCurvas;
class TFileNew;
class TImportaPontos;
class TPropriedades;
class TRestricoes;
class TOtimizar;
class TExportar;
class TDefSist;
class TAbout;

class TForm1 : public QMainWindow, public IProgress {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // What the program's windows share (see ProgramState.h).
    TProgramState& State() { return State_; }
    const TProgramState& State() const { return State_; }
    // Grid document windows and cut-and-fill map windows in the frame.
    int OpenDocumentCount() const;
    int MapCount() const;

    // The help request of F1 (or of the help system): in developer mode the
    // help-context procedure text of the active window goes to the
    // clipboard with a beep; otherwise the help opens at the context of the
    // control that has the focus. True when the request was handled.
    bool MyOnHelp();
    // The window whose help contexts the developer aid lists.
    const QWidget* HelpWindow() const;
    void SetHelpContext();
    void Contedo1Click();
    void HelpAboutItemClick();

    // The progress service.
    void StartProgress(const QString& message);
    void SetProgress(int done, int total);
    void Start(const std::string& message) override { StartProgress(QString::fromStdString(message)); }
    void Set(int done, int total) override { SetProgress(done, total); }
    void ShowGauge() override;

    // Writes panel 0: the progress message while the gauge is visible,
    // otherwise the long part of the hint.
    void DisplayHint();
    void UpdateMenuItems();
    // The opening updates of the menus.
    void UpdateEditMenu();
    // Enables and names "&Desfazer" and "&Refazer" after the active
    // document's history.
    void UpdateUndoItems();
    // "&Colar" and its button: a document showing its natural elevations,
    // and text on the clipboard. Also run whenever the clipboard changes.
    void UpdatePaste();
    void UpdateCalcMenu();
    void UpdateViewMenu();

    // Runs a shortcut as the key would: the opening updates of its menus,
    // outermost first, then the command if the item and its menus are
    // enabled. Returns whether the command ran.
    bool DispatchShortcut(QAction* item);

    // The side strip of the cut-and-fill map (Panel1): the active map shows
    // it, lays its zero line out for its height and draws on it the bar of
    // the stake under the mouse.
    void ShowMapLegend(bool visible);
    int MapLegendHeight() const;
    void PlaceMapLegendZeroLine(int top);
    void ShowMapLegendBar(const QColor& colour, int top, int height);
    void HideMapLegendBar();

    // The zoom box: the zoom in percent a new altimetric map opens at, and
    // the zoom of the map just activated shown in it (which that map, as the
    // active one, then takes).
    int MapZoom() const;
    void ShowMapZoom(int percent);

    // The check mark of "&Resultados...": on while the results window is open.
    void MarkResultsShown(bool shown);

    // Adds a child window to the frame and shows it.
    QMdiSubWindow* AddChild(QMdiSubWindow* child);
    // The child windows, in the order they were added or, asked for, in the
    // order they were activated (the active one last).
    QList<QMdiSubWindow*> ChildWindows(QMdiArea::WindowOrder order = QMdiArea::CreationOrder) const;
    // Makes a child the active window.
    void ActivateChild(QMdiSubWindow* child);

    // Command handlers.
    void mnNovoClick();
    void mnAbrirClick();
    void mnImportarPontosClick();
    void mnPropriedadesClick();
    // A plan under slope limits, with earth exported or imported.
    void mnRestricoesClick();
    void mnOtimizarClick();
    void mnTransporteClick();
    void mnFecharClick();
    void mnSalvarClick();
    void mnSalvarComoClick();
    void mnDesfazerClick();
    void mnRefazerClick();
    // The active window on paper or as PDF (a document: its field report).
    void mnImprimirClick();
    void mnExportarPDFClick();
    // The active document for other programs (LandXML, GeoTIFF, ...).
    void mnExportarClick();
    void mnRecortarClick();
    void mnCopiarClick();
    void mnColarClick();
    void mnInsColClick();
    void mnDelColClick();
    void mnInsRowClick();
    void mnDelRowClick();
    void mnToolBarClick();
    void mnStatusBarClick();
    void mnJanArranjarClick();
    void mnJanMiniminizarClick();
    void CopiaComponents1Click();
    void mnExibirResultadosClick();
    void mnExibirMapaClick();
    void mnWinSurfClick();
    void mnCurvasClick();
    void mnCurvasProjetoClick();
    void mnPerfilClick();
    void mnEscoamentoClick();
    void sbFontClick();
    void sbMenosDecClick();
    void sbMaisDecClick();
    // The systematize dialog, modal, for the active document.
    void ShowSystematizeDialog();

    // The window that is active among the children, or none.
    QMdiSubWindow* ActiveChild() const;
    TForm2* ActiveChildDocument() const;
    // The document the frame's commands act on: the one the active child
    // shows (a grid window, or a map or listing naming its document), else
    // the one shown by the child activated before it, and so on; none when
    // no open window shows a document. Shown by its grid window.
    TForm2* ActiveDocument() const;
    // An altimetric map window became the active one: the zoom box is its.
    void MapWindowActivated(TShowCurvas* map);
    // A grid window is closing (it no longer shows its document).
    void DocumentLeaving(const TForm2* document);

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* object, QEvent* event) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateShortcuts();
    QAction* Item(QMenu* menu, const char* name, const QString& caption, const QString& hint,
                  void (TForm1::*handler)() = nullptr, const QKeySequence& key = {});
    void RebuildWindowList();
    // Stores the value being typed in the active document's cell editor, as
    // a move to another cell would; every command runs it first.
    void CommitActiveEdit();
    void SubWindowActivated(QMdiSubWindow* window);
    // The results window shows the active document: repainted when another
    // one becomes active.
    void FollowActiveDocument();
    void LayOutStatusBar();
    void SetHint(const QString& hint);

    // Controls, by their names; each carries its name as its object name.
    QWidget* ToolBar = nullptr;
    QToolButton* sbNovo = nullptr;
    QToolButton* OpenBtn = nullptr;
    QToolButton* SaveBtn = nullptr;
    QToolButton* CutBtn = nullptr;
    QToolButton* CopyBtn = nullptr;
    QToolButton* PasteBtn = nullptr;
    QToolButton* sbFont = nullptr;
    QToolButton* sbMenosDec = nullptr;
    QToolButton* sbMaisDec = nullptr;
    QLabel* Image1 = nullptr;
    QSpinBox* seZoom = nullptr;
    QWidget* StatusBar = nullptr;
    QLabel* Panel0 = nullptr;
    QLabel* PanelGauge = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QWidget* Panel1 = nullptr;
    QFrame* Shape1 = nullptr;
    QFrame* Bevel1 = nullptr;
    // The font dialog's font: the active document's grid font.
    QFont FontDialogFont;

    QMenu* File1 = nullptr;
    QMenu* Edit1 = nullptr;
    QMenu* XColuna1 = nullptr;
    QMenu* LinhaY1 = nullptr;
    QMenu* mnCalcular = nullptr;
    QMenu* mnExibir = nullptr;
    QMenu* mnJanela = nullptr;
    QMenu* mnAjuda = nullptr;
    QAction* mnNovo = nullptr;
    QAction* mnAbrir = nullptr;
    QAction* mnImportarPontos = nullptr;
    QAction* mnPropriedades = nullptr;
    QAction* mnFechar = nullptr;
    QAction* mnSalvar = nullptr;
    QAction* mnSalvarComo = nullptr;
    QAction* mnImprimir = nullptr;
    QAction* mnExportarPDF = nullptr;
    QAction* mnExportar = nullptr;
    QAction* FileExitItem = nullptr;
    QAction* mnDesfazer = nullptr;
    QAction* mnRefazer = nullptr;
    QAction* mnRecortar = nullptr;
    QAction* mnCopiar = nullptr;
    QAction* mnColar = nullptr;
    QAction* mnInsCol = nullptr;
    QAction* mnDelCol = nullptr;
    QAction* mnInsRow = nullptr;
    QAction* mnDelRow = nullptr;
    QAction* mnSistematizar = nullptr;
    QAction* mnRestricoes = nullptr;
    QAction* mnOtimizar = nullptr;
    QAction* mnTransporte = nullptr;
    QAction* mnExibirResultados = nullptr;
    QAction* mnExibirMapa = nullptr;
    QAction* mnCurvas = nullptr;
    QAction* mnCurvasProjeto = nullptr;
    QAction* mnPerfil = nullptr;
    QAction* mnEscoamento = nullptr;
    QAction* mnWinSurf = nullptr;
    QAction* mnToolBar = nullptr;
    QAction* mnStatusBar = nullptr;
    QAction* mnJanCascata = nullptr;
    QAction* mnJanLado = nullptr;
    QAction* mnJanArranjar = nullptr;
    QAction* mnJanMiniminizar = nullptr;
    QAction* Contedo1 = nullptr;
    QAction* HelpAboutItem = nullptr;
    QAction* CopiaComponents1 = nullptr;

    QMdiArea* MdiArea_ = nullptr;
    TFileNew* FileNew = nullptr;
    // Made on first use and kept, so it keeps its last inputs for the run.
    TImportaPontos* ImportaPontos = nullptr;
    TPropriedades* Propriedades = nullptr;
    TRestricoes* Restricoes = nullptr;
    TOtimizar* Otimizar = nullptr;
    TExportar* Exportar = nullptr;
    TDefSist* DefSist = nullptr;
    TAbout* About = nullptr;
    bool AboutShown = false;
    QString GaugeText;
    QString CurrentHint;
    QPointer<QMdiSubWindow> PreviousChild;
    // The document the results window was last repainted for.
    QPointer<TForm2> ResultsDocument;
    std::vector<QMetaObject::Connection> ResultsFollow;
    std::vector<QAction*> WindowListActions;
    // For each item with a shortcut, its menus from the outermost in.
    std::map<QAction*, std::vector<QMenu*>> ItemMenus;
    TProgramState State_;
};

// The frame a window, dialog or control belongs to; none while it is not
// placed in one (a child window not yet added, or the frame on its way out).
TForm1* FrameOf(const QWidget* widget);

// The program's icon: a levelled field under a sloping one.
QIcon ProgramIcon();

}  // namespace nivora
