// The frame: enabling rules, the progress service, hints, shortcuts, the
// window commands and the new project dialog.

#include "GuiTestSupport.h"
#include "app/sist.h"
#include "app/HelpViewer.h"
#include "data/uFileNew.h"
#include "grid/NVHelp.h"
#include "grid/uAbout.h"
#include "calc/uDefSist.h"
#include "contour/uCnivel.h"
#include "contour/uDefMapa.h"
#include "grid/GridControl.h"
#include "grid/datagrid.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFrame>
#include <QTimer>
#include <QFile>
#include <QMenuBar>
#include <QPointer>
#include <QTextBrowser>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace nivora;
using namespace nivora::testing;

namespace {

// Counts the mouse presses that reach a widget.
class TPressCounter : public QObject {
public:
    explicit TPressCounter(QWidget* w) { w->installEventFilter(this); }
    int Presses = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        Presses += e->type() == QEvent::MouseButtonPress;
        return false;
    }
};

// A press and release through the window system, where modality applies.
void ClickThroughWindow(QWidget* w)
{
    const QPoint at = w->mapTo(w->window(), QPoint(w->width() / 2, w->height() / 2));
    QTest::mouseClick(w->window()->windowHandle(), Qt::LeftButton, {}, at);
}

// The new project dialog's controls, found by name.
struct TNewProjectDialog {
    explicit TNewProjectDialog(TFileNew* dialog)
        : Dialog(dialog),
          Label3(Control<QLabel>(dialog, "Label3")),
          edLx(Control<QLineEdit>(dialog, "edLx")),
          edLy(Control<QLineEdit>(dialog, "edLy")),
          spNx(Control<QSpinBox>(dialog, "spNx")),
          spNy(Control<QSpinBox>(dialog, "spNy")),
          CheckBox1(Control<QCheckBox>(dialog, "CheckBox1")),
          BitBtn1(Control<QPushButton>(dialog, "BitBtn1"))
    {}
    TFileNew* Dialog;
    QLabel* Label3;
    QLineEdit* edLx;
    QLineEdit* edLy;
    QSpinBox* spNx;
    QSpinBox* spNy;
    QCheckBox* CheckBox1;
    QPushButton* BitBtn1;
};

}  // namespace

class TestFrame : public QObject, public TFrameFixture {
    Q_OBJECT

private:
    TForm2* NewDocument()
    {
        TForm2* doc = CreateDocument(frame.get(), QString(), 20, 20, 10.0f, 10.0f, 5.0f, 5.0f);
        frame->ActivateChild(doc);
        return doc;
    }

private slots:
    void init() { QVERIFY(StartFrame(QLocale::c())); }

    void cleanup() { QVERIFY(CloseFrame()); }

    void enablingWithoutChildren()
    {
        for (const char* name : {"mnFechar", "mnSalvar", "mnSalvarComo", "mnJanCascata", "mnJanLado", "mnJanArranjar",
                                 "mnJanMiniminizar", "mnRecortar", "mnCopiar", "mnWinSurf"})
            QVERIFY2(!Item(name)->isEnabled(), name);
        for (const char* name :
             {"sbFont", "sbMenosDec", "sbMaisDec", "seZoom", "SaveBtn", "CutBtn", "CopyBtn", "PasteBtn"})
            QVERIFY2(!FrameControl<QWidget>(name)->isEnabled(), name);
        QVERIFY(FrameControl<QToolButton>("sbNovo")->isEnabled());
        QVERIFY(FrameControl<QToolButton>("OpenBtn")->isEnabled());
        QVERIFY(frame->DispatchShortcut(Item("mnNovo")));
        QCOMPARE(recorder->DialogsRun.last(), QString("FileNew"));
        frame->UpdateEditMenu();
        frame->UpdateCalcMenu();
        frame->UpdateViewMenu();
        for (const char* name : {"mnColar", "mnInsCol", "mnDelCol", "mnInsRow", "mnDelRow", "mnSistematizar",
                                 "mnExibirResultados", "mnExibirMapa"})
            QVERIFY2(!Item(name)->isEnabled(), name);
        // A shortcut whose item is disabled runs nothing.
        QVERIFY(!frame->DispatchShortcut(Item("mnColar")));
        QVERIFY(!frame->DispatchShortcut(Item("mnSistematizar")));
    }

    void enablingWithDocumentAndOtherWindows()
    {
        TForm2* doc = NewDocument();
        QCOMPARE(ActiveDocument(), doc);
        for (const char* name :
             {"mnFechar", "mnSalvar", "mnSalvarComo", "mnJanCascata", "mnRecortar", "mnCopiar", "mnWinSurf"})
            QVERIFY2(Item(name)->isEnabled(), name);
        QVERIFY(FrameControl<QToolButton>("sbFont")->isEnabled());
        QVERIFY(FrameControl<QToolButton>("SaveBtn")->isEnabled());
        QVERIFY(FrameControl<QToolButton>("CopyBtn")->isEnabled());
        QVERIFY(!FrameControl<QSpinBox>("seZoom")->isEnabled());

        // Paste needs text on the clipboard and the natural elevations shown.
        QGuiApplication::clipboard()->setText("1\t2");
        frame->UpdateEditMenu();
        QVERIFY(Item("mnColar")->isEnabled());
        QVERIFY(FrameControl<QToolButton>("PasteBtn")->isEnabled());
        QVERIFY(Item("mnInsRow")->isEnabled());
        QGuiApplication::clipboard()->clear();
        frame->UpdateEditMenu();
        QVERIFY(!Item("mnColar")->isEnabled());

        // F9 needs a 2 x 2 block of elevations; the shortcut runs the update first.
        frame->UpdateCalcMenu();
        QVERIFY(!Item("mnSistematizar")->isEnabled());
        for (int r = 1; r <= 2; ++r)
            for (int c = 1; c <= 2; ++c)
                doc->Terrain().SetCell(c, r, 10.0f + c);
        doc->Terrain().SetSelection(doc->Terrain().ComputeUsedRect());
        QVERIFY(frame->DispatchShortcut(Item("mnSistematizar")));
        QVERIFY(Item("mnSistematizar")->isEnabled());
        QCOMPARE(recorder->DialogsRun.last(), QString("DefSist"));  // F9 opened the systematize dialog
        Item("mnCurvas")->trigger();                                // the map definition dialog
        QCOMPARE(recorder->DialogsRun.last(), QString("DefMapa"));

        // Results: enabled only with current results.
        frame->UpdateViewMenu();
        QVERIFY(!Item("mnExibirResultados")->isEnabled());
        QVERIFY(Systematize(doc->Terrain(), false, -1).Computed);
        frame->UpdateViewMenu();
        QVERIFY(Item("mnExibirResultados")->isEnabled());
        QVERIFY(Item("mnExibirMapa")->isEnabled());

        // Another kind of child active: no document commands, but the
        // window commands stay.
        auto* other = new QMdiSubWindow;
        other->setWidget(new QLabel("outra"));
        other->setAttribute(Qt::WA_DeleteOnClose);
        frame->AddChild(other);
        frame->ActivateChild(other);
        QVERIFY(!Item("mnRecortar")->isEnabled());
        QVERIFY(!Item("mnCopiar")->isEnabled());
        QVERIFY(!FrameControl<QToolButton>("sbFont")->isEnabled());
        QVERIFY(Item("mnFechar")->isEnabled());
        QCOMPARE(ActiveDocument(), doc);  // still the document activated last
    }

    void progressService()
    {
        const QProgressBar* gauge = FrameControl<QProgressBar>("Gauge1");
        const QLabel* panel0 = FrameControl<QLabel>("Panel0");
        QCOMPARE(gauge->value(), 100);  // its last position until the first report
        QVERIFY(gauge->isHidden());
        frame->StartProgress("Calculando o melhor plano.");
        QVERIFY(!gauge->isHidden());
        QCOMPARE(panel0->text(), QString("  Calculando o melhor plano."));
        frame->SetProgress(1, 3);
        QCOMPARE(gauge->value(), 33);
        frame->SetProgress(2, 3);
        QCOMPARE(gauge->value(), 67);
        // A hint while the gauge shows does not replace the message.
        QStatusTipEvent tip("Abre um arquivo de cotas existente.");
        QCoreApplication::sendEvent(frame.get(), &tip);
        QCOMPARE(panel0->text(), QString("  Calculando o melhor plano."));
        frame->SetProgress(1, 1);
        QVERIFY(gauge->isHidden());
        QCOMPARE(panel0->text(), QString());
        // A pass of one row reports a total of 0 and ends at once.
        frame->StartProgress("Calculando a cota da origem.");
        frame->SetProgress(0, 0);
        QVERIFY(gauge->isHidden());
    }

    void hintsInPanelZero()
    {
        const QLabel* panel0 = FrameControl<QLabel>("Panel0");
        QStatusTipEvent tip("Cria um novo arquivo de cotas.");
        QCoreApplication::sendEvent(frame.get(), &tip);
        QCOMPARE(panel0->text(), QString("  Cria um novo arquivo de cotas."));
        // Tool buttons carry the short part as tool-tip, the long one as status text.
        QCOMPARE(FrameControl<QToolButton>("OpenBtn")->toolTip(), QString("Abre"));
        QCOMPARE(FrameControl<QToolButton>("OpenBtn")->statusTip(), QString("Abre um arquivo de cotas existente."));
        QCOMPARE(FrameControl<QToolButton>("sbNovo")->toolTip(), QString("Cria um arquivo novo"));
        QCOMPARE(FrameControl<QToolButton>("sbNovo")->statusTip(), QString("Cria um arquivo novo"));
        // A hover over a button reaches panel 0.
        QStatusTipEvent buttonTip(FrameControl<QToolButton>("CopyBtn")->statusTip());
        QCoreApplication::sendEvent(FrameControl<QToolButton>("CopyBtn"), &buttonTip);
        QCOMPARE(panel0->text(), QString("  Copia o conteúdo selecionado para a área de transferência."));
    }

    void menuCaptionsAndShortcuts()
    {
        QCOMPARE(frame->windowTitle(), QString("Nivora 1.0"));
        QCOMPARE(Item("mnNovo")->text(), QString("&Novo..."));
        QCOMPARE(Item("mnNovo")->shortcut(), QKeySequence("Ctrl+N"));
        QCOMPARE(Item("mnAbrir")->shortcut(), QKeySequence("Ctrl+A"));
        QCOMPARE(Item("mnRecortar")->shortcut(), QKeySequence("Shift+Del"));
        QCOMPARE(Item("mnSistematizar")->shortcut(), QKeySequence("F9"));
        QCOMPARE(Item("mnDelRow")->statusTip(), QString("Exclui a coluna na posição da célula ativa."));
        QCOMPARE(Menu("XColuna1")->title(), QString("Coluna  &X"));
        QVERIFY(Item("CopiaComponents1")->associatedObjects().isEmpty());  // in no menu
        // F12 twice: developer mode on, then off again.
        QVERIFY(frame->DispatchShortcut(Item("CopiaComponents1")));
        QVERIFY(frame->State().DeveloperMode);
        QVERIFY(frame->DispatchShortcut(Item("CopiaComponents1")));
        QVERIFY(!frame->State().DeveloperMode);
        // Ctrl+B hides and shows the tool bar.
        QVERIFY(frame->DispatchShortcut(Item("mnToolBar")));
        QVERIFY(FrameControl<QWidget>("ToolBar")->isHidden());
        QVERIFY(!Item("mnToolBar")->isChecked());
        QVERIFY(frame->DispatchShortcut(Item("mnToolBar")));
        QVERIFY(!FrameControl<QWidget>("ToolBar")->isHidden());
        Item("mnStatusBar")->trigger();
        QVERIFY(FrameControl<QStatusBar>("StatusBar")->isHidden());
    }

    void frameKeysInEveryFocusState_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QKeySequence>("key");
        const char* states[] = {"menu closed with Esc", "Alt+letter then Esc", "cell editor open"};
        for (int state = 0; state < 3; ++state)
            for (const char* key : {"F9", "Ctrl+B", "Ctrl+N", "F12", "Ctrl+S"})
                QTest::newRow(qPrintable(QString("%1, %2").arg(states[state], key))) << state << QKeySequence(key);
    }

    void frameKeysInEveryFocusState()
    {
        QFETCH(int, state);
        QFETCH(QKeySequence, key);
        TForm2* doc = NewDocument();
        for (int r = 1; r <= 2; ++r)
            for (int c = 1; c <= 2; ++c)
                doc->Terrain().SetCell(c, r, 10.0f + c);
        Control<TGridControl>(doc, "Grid")->setFocus();
        doc->SetCurrentCell(4, 4);
        QMenuBar* bar = frame->menuBar();
        if (state == 0) {
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(Menu("mnCalcular")->menuAction()).center());
            QTRY_VERIFY(Menu("mnCalcular")->isVisible());
            QTest::keyClick(Menu("mnCalcular"), Qt::Key_Escape);
            QTRY_VERIFY(!Menu("mnCalcular")->isVisible());
        } else if (state == 1) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
            QTRY_VERIFY(Menu("mnCalcular")->isVisible());
            QTest::keyClick(Menu("mnCalcular"), Qt::Key_Escape);
            QTRY_VERIFY(!Menu("mnCalcular")->isVisible());
        } else {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_5);
            QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        }
        QVERIFY(QApplication::focusWidget());
        const QStringList dialogs = recorder->DialogsRun;
        const bool toolBar = FrameControl<QWidget>("ToolBar")->isVisible();
        const bool developer = frame->State().DeveloperMode;
        const int saveQuestions = recorder->ProposedSaveNames.size();
        const QKeyCombination k = key[0];
        QTest::keyClick(QApplication::focusWidget(), k.key(), k.keyboardModifiers());
        if (key == QKeySequence("F9"))
            QCOMPARE(recorder->DialogsRun.mid(dialogs.size()), QStringList{"DefSist"});
        else if (key == QKeySequence("Ctrl+N"))
            QCOMPARE(recorder->DialogsRun.mid(dialogs.size()), QStringList{"FileNew"});
        else if (key == QKeySequence("Ctrl+B"))
            QCOMPARE(FrameControl<QWidget>("ToolBar")->isVisible(), !toolBar);
        else if (key == QKeySequence("F12"))
            QCOMPARE(frame->State().DeveloperMode, !developer);
        else
            QCOMPARE(recorder->ProposedSaveNames.size(), saveQuestions + 1);  // Ctrl+S asks for a name
    }

    void windowCommands()
    {
        NewDocument();
        NewDocument();
        NewDocument();
        QCOMPARE(frame->ChildWindows().size(), 3);
        Item("mnJanMiniminizar")->trigger();
        for (QMdiSubWindow* w : frame->ChildWindows())
            QVERIFY(w->isMinimized());
        Item("mnJanArranjar")->trigger();
        const int bottom = FrameControl<QMdiArea>("MdiArea")->viewport()->height();
        for (QMdiSubWindow* w : frame->ChildWindows())
            QCOMPARE(w->geometry().bottom() + 1, bottom);
        // The window menu lists the children.
        emit Menu("mnJanela")->aboutToShow();
        QStringList titles;
        for (QAction* a : Menu("mnJanela")->actions())
            titles << a->text();
        QVERIFY(titles.contains("&1 AREA-01"));
        QVERIFY(titles.contains("&3 AREA-03"));
    }

    void captionsFollowTheCount()
    {
        TForm2* a = NewDocument();
        TForm2* b = NewDocument();
        QCOMPARE(a->windowTitle(), QString("AREA-01"));
        QCOMPARE(b->windowTitle(), QString("AREA-02"));
        recorder->ConfirmAnswers = {TAnswer::No};  // a new document was never saved: it asks
        QVERIFY(a->close());
        QTRY_COMPARE(frame->OpenDocumentCount(), 1);
        TForm2* c = NewDocument();
        QCOMPARE(c->windowTitle(), QString("AREA-02"));  // the count repeats a caption in use
    }

    void aboutBoxAndHelp()
    {
        // The about box is the opening screen, shown once.
        QTRY_VERIFY(recorder->DialogsRun.contains("About"));
        QCOMPARE(recorder->DialogsRun.count("About"), 1);
        TAbout* about = FrameControl<TAbout>("About");
        QCOMPARE(about->windowTitle(), QString("Sobre o Nivora"));
        // Four fans of six bars, Bevel10 to Bevel33: two growing down from
        // the top, two up to the baseline, each bar its own height a step.
        const int heights[24] = {6, 5, 4, 3, 2, 1, 1, 2, 3, 4, 5, 6, 6, 5, 4, 3, 2, 1, 1, 2, 3, 4, 5, 6};
        about->SetStep(3);
        for (int i = 0; i < 24; ++i) {
            const QByteArray name = "Bevel" + QByteArray::number(10 + i);
            const auto* bar = Control<QFrame>(about, name.constData());
            QCOMPARE(bar->height(), 3 * heights[i]);
            if (i >= 12)
                QCOMPARE(bar->y() + bar->height(), 188);  // growing up to the baseline
            else
                QCOMPARE(bar->y(), 8);
        }
        QVERIFY(!about->findChild<QFrame*>("Bevel34"));
        // OK in the middle of the animation: the remaining steps at once, closed.
        about->Button1Click();
        QCOMPARE(about->Step(), 10);
        QCOMPARE(about->result(), int(QDialog::Accepted));
        QVERIFY(!Control<QTimer>(about, "Timer1")->isActive());
        Item("HelpAboutItem")->trigger();
        QCOMPARE(recorder->DialogsRun.count("About"), 2);

        // Menu items carry their help contexts.
        QCOMPARE(Item("mnSistematizar")->property("HelpContext").toInt(), 18);
        QCOMPARE(Item("HelpAboutItem")->property("HelpContext").toInt(), 33);
        QCOMPARE(FrameControl<QSpinBox>("seZoom")->property("HelpContext").toInt(), 37);

        // Developer mode: F1 writes the active window's procedure, with a beep.
        QVERIFY(frame->DispatchShortcut(Item("CopiaComponents1")));
        const int beeps = recorder->Beeps;
        QTest::keyClick(frame.get(), Qt::Key_F1);
        QCOMPARE(recorder->Beeps, beeps + 1);
        const QString text = QGuiApplication::clipboard()->text();
        QVERIFY(text.startsWith("Form1\r\n"));
        QVERIFY(text.contains("\r\rprocedure Form1SetHelpContext;\rbegin\r\n"));
        QVERIFY(text.contains("  Form1.ToolBar.sbNovo.HelpContext"));  // a tool button is drawn on its bar
        QVERIFY(text.endsWith("end;\r\n"));
        // The systematize dialog's own text names its controls through it.
        const std::string dialog = HelpContextProcedureText(HelpControlTree(FrameControl<TDefSist>("DefSist")));
        QVERIFY(dialog.find("procedure DefSistSetHelpContext;") != std::string::npos);
        QVERIFY(dialog.find("  DefSist.rbSistematizaTudo.HelpContext := DefSist_rbSistematizaTudo;\r\n")
                != std::string::npos);
        QVERIFY(dialog.find("Bevel1") == std::string::npos);  // a line bevel is no control of its own
    }

    // The help window is read beside a modal dialog, which blocks only the
    // frame, and it closes with the frame ("Sair" with the help open ends the
    // program).
    void helpWindowBesideDialogsAndClosingWithTheFrame()
    {
        const QString file = TempFolder("help") + "/NVhelp.hlp";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html><body><a name=\"ctx-0\">Conteúdo</a><p>Texto.</p></body></html>");
        f.close();
        frame->State().HelpFile = file;
        QVERIFY(ShowHelpTopic(frame->State(), 0));
        QPointer<THelpViewer> help = frame->State().HelpViewer;
        QVERIFY(help);
        QVERIFY(QTest::qWaitForWindowExposed(help));

        TPressCounter onHelp(Control<QTextBrowser>(help, "Browser")->viewport());
        TPressCounter onFrame(frame->menuBar());
        QDialog* dialog = FrameControl<TDefSist>("DefSist");
        QTimer::singleShot(0, dialog, [&] {
            ClickThroughWindow(Control<QTextBrowser>(help, "Browser")->viewport());
            ClickThroughWindow(frame->menuBar());
            dialog->reject();
        });
        recorder->IFileDialogs::ExecDialog(dialog);
        QCOMPARE(onHelp.Presses, 1);
        QCOMPARE(onFrame.Presses, 0);  // the frame waits for its dialog

        // A dialog over another modal one that is not its parent makes that
        // one wait too.
        TDefMapa* mapDialog = CreateAltimetricDialogs(*frame);
        TDefCurvas* levels = frame->State().DefCurvas.data();
        TPressCounter onMapDialog(Control<QListWidget>(mapDialog, "ListBox1")->viewport());
        QTimer::singleShot(0, mapDialog, [&] {
            QTimer::singleShot(0, levels, [&] {
                ClickThroughWindow(Control<QListWidget>(mapDialog, "ListBox1")->viewport());
                levels->reject();
            });
            recorder->IFileDialogs::ExecDialog(levels);
            mapDialog->reject();
        });
        recorder->IFileDialogs::ExecDialog(mapDialog);
        QCOMPARE(onMapDialog.Presses, 0);

        Item("FileExitItem")->trigger();
        QTRY_VERIFY(help.isNull() || !help->isVisible());
        frame->State().HelpFile = QString();
    }

    void newProjectDialogOrigin()
    {
        TNewProjectDialog n(FrameControl<TFileNew>("FileNew"));
        n.Dialog->UpdateOrigin();
        QCOMPARE(n.Label3->text(), QString("Origem: X = 5; Y = 5"));
        QCOMPARE(n.edLy->text(), QString("10"));
        QVERIFY(!n.edLy->isEnabled());
        n.edLx->setText("20");
        n.spNx->setValue(3);
        QCOMPARE(n.Dialog->OriginX(), 50.0f);
        n.spNx->setValue(-2);
        QCOMPARE(n.Dialog->OriginX(), -50.0f);
        QCOMPARE(n.edLy->text(), QString("20"));  // mirrors while the box is checked
        n.edLx->setText("");
        QCOMPARE(n.edLy->text(), QString(""));
        QCOMPARE(n.Label3->text(), QString("Origem: X = ?; Y = ?"));
        QCOMPARE(n.Dialog->OriginX(), -50.0f);  // kept while the spacing is invalid

        n.edLx->setText("10");
        n.spNx->setValue(1);
        n.CheckBox1->setChecked(false);
        QVERIFY(n.edLy->isEnabled());
        n.edLy->setText("30");
        QCOMPARE(n.Dialog->OriginY(), 15.0f);
        n.Dialog->BitBtn1Click();
        QVERIFY(ActiveDocument());
        QCOMPARE(n.Dialog->Lx(), 10.0f);  // kept for the next use
        QCOMPARE(n.Dialog->Ly(), 30.0f);
        QCOMPARE(static_cast<double>(ActiveDocument()->Terrain().Lx()), 10.0);
        QCOMPARE(static_cast<double>(ActiveDocument()->Terrain().Ly()), 30.0);
        QCOMPARE(ActiveDocument()->Terrain().ColCount(), 20);
        QCOMPARE(static_cast<double>(ActiveDocument()->Terrain().OriginY()), 15.0);

        // OK with a spacing of 0: the message, and no document.
        const int before = frame->ChildWindows().size();
        n.edLx->setText("0");
        n.Dialog->BitBtn1Click();
        QCOMPARE(recorder->Shown.back().Kind, QString("Warning"));
        QCOMPARE(recorder->Shown.back().Text, QString("A caixa de edição deve conter um número positivo."));
        n.edLx->setText("abc");
        n.Dialog->BitBtn1Click();
        QCOMPARE(recorder->Shown.back().Kind, QString("Error"));
        QCOMPARE(recorder->Shown.back().Text, QString("A caixa de edição contém um número inválido."));
        // A spacing the project file would keep as 0 is no spacing either.
        recorder->Shown.clear();
        n.edLx->setText("1E-40");
        n.Dialog->BitBtn1Click();
        QCOMPARE(recorder->Shown.size(), 1);
        QCOMPARE(recorder->Shown.back().Text, QString("A caixa de edição contém um número inválido."));
        QCOMPARE(frame->ChildWindows().size(), before);
        n.CheckBox1->setChecked(true);
    }

    void newProjectDialogTakesNumberKeys_data()
    {
        // Keys typed into the emptied horizontal spacing (Nx = Ny = 1).
        QTest::addColumn<bool>("comma");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("spacing");
        QTest::addColumn<QString>("origin");
        QTest::newRow("point") << false << "2.5"
                               << "2.5"
                               << "Origem: X = 1.25; Y = 1.25";
        QTest::newRow("point, comma system") << true << "2.5"
                                             << "2,5"
                                             << "Origem: X = 1,25; Y = 1,25";
        QTest::newRow("letters and a second mark") << false << "2a.5x,"
                                                   << "2.5"
                                                   << "Origem: X = 1.25; Y = 1.25";
        QTest::newRow("exponent, its sign") << false << "1e+1"
                                            << "1e+1"
                                            << "Origem: X = 5; Y = 5";
        // A sign may lead (the OK button then judges the value); a second one never enters.
        QTest::newRow("one leading sign") << false << "-+1e1"
                                          << "-1e1"
                                          << "Origem: X = ?; Y = ?";
        QTest::newRow("a sign alone") << true << "+"
                                      << "+"
                                      << "Origem: X = ?; Y = ?";
    }

    void newProjectDialogTakesNumberKeys()
    {
        QFETCH(bool, comma);
        QFETCH(QString, keys);
        QFETCH(QString, spacing);
        QFETCH(QString, origin);
        if (comma)
            QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        TNewProjectDialog n(FrameControl<TFileNew>("FileNew"));
        n.Dialog->show();
        n.Dialog->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(n.Dialog));
        n.edLx->setFocus();
        n.edLx->selectAll();
        QVERIFY(Key(Qt::Key_Backspace));
        QVERIFY(Type(keys));
        QCOMPARE(n.edLx->text(), spacing);
        QCOMPARE(n.edLy->text(), spacing);
        QCOMPARE(n.Label3->text(), origin);
        n.Dialog->hide();
        QLocale::setDefault(QLocale::c());
    }

    void newProjectDialogEmptiedStakeNumber()
    {
        TNewProjectDialog n(FrameControl<TFileNew>("FileNew"));
        n.Dialog->show();
        n.Dialog->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(n.Dialog));
        n.spNx->setFocus();
        n.spNx->selectAll();
        QVERIFY(Key(Qt::Key_Backspace));
        QCOMPARE(n.spNx->text(), QString());
        QCOMPARE(n.Label3->text(), QString("Origem: X = -10005; Y = 5"));  // counts as -1000
        // Enter goes to OK, with the text as it is: the integer error, no document.
        QVERIFY(Key(Qt::Key_Return));
        QCOMPARE(n.spNx->text(), QString());
        QVERIFY(!recorder->Shown.empty());
        QCOMPARE(recorder->Shown.back().Text, QString("'' is not a valid integer value"));
        QVERIFY(frame->ChildWindows().isEmpty());
        // Leaving the box keeps the text too.
        n.spNy->setFocus();
        QCOMPARE(n.spNx->text(), QString());
        QCOMPARE(n.Label3->text(), QString("Origem: X = -10005; Y = 5"));
        n.Dialog->hide();
    }

    void newProjectDialogCommaLocale()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        TNewProjectDialog n(FrameControl<TFileNew>("FileNew"));
        n.edLx->setText("2,5");
        n.spNx->setValue(1);
        n.spNy->setValue(2);
        QCOMPARE(n.Label3->text(), QString("Origem: X = 1,25; Y = 3,75"));
        n.edLx->setText("2.5");  // a point is no decimal separator here
        QCOMPARE(n.Label3->text(), QString("Origem: X = ?; Y = ?"));
        // A spin edit text that is not an integer is reported at OK.
        n.edLx->setText("10");
        n.spNx->findChild<QLineEdit*>()->setText("x");
        const int before = frame->ChildWindows().size();
        n.BitBtn1->click();
        QCOMPARE(recorder->Shown.back().Text, QString("'x' is not a valid integer value"));
        QCOMPARE(frame->ChildWindows().size(), before);
        n.spNx->setValue(1);
        n.spNy->setValue(1);
        QLocale::setDefault(QLocale::c());
    }
};

QTEST_MAIN(TestFrame)
#include "test_frame.moc"
