// The grid document: typing, views, status text, close question, files,
// row/column commands and the clipboard, and the model under Qt's tester.

#include "GuiTestSupport.h"
#include "app/sist.h"
#include "data/NumberEdit.h"
#include "data/SaveOpenCommands.h"
#include "grid/GridControl.h"
#include "grid/GridModel.h"
#include "grid/datagrid.h"
#include "grid/uWinSurf.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QLabel>
#include <QMenu>
#include <QImage>
#include <QMdiArea>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QWindow>
#include <QToolButton>

#include <memory>

using namespace nivora;
using namespace nivora::testing;

class TestDocument : public QObject, public TFrameFixture {
    Q_OBJECT

private:
    TForm2* NewDocument()
    {
        TForm2* doc = CreateDocument(frame.get(), QString(), 20, 20, 10.0f, 10.0f, 5.0f, 5.0f);
        frame->ActivateChild(doc);
        Control<TGridControl>(doc, "Grid")->setFocus();
        return doc;
    }

private slots:
    void init() { QVERIFY(StartFrame(QLocale::c())); }

    void cleanup() { QVERIFY(CloseFrame()); }

    void typingStoresOnLeavingTheCell()
    {
        TForm2* doc = NewDocument();
        doc->SetCurrentCell(2, 3);
        QVERIFY(Type("12"));
        QVERIFY(Key(Qt::Key_Backspace));
        QVERIFY(Type("3"));
        QCOMPARE(doc->Terrain().GetCell(2, 3), 0.0f);  // not yet: the cell is still being edited
        QVERIFY(Key(Qt::Key_Down));
        QCOMPARE(doc->Terrain().GetCell(2, 3), 13.0f);
        QCOMPARE(doc->CurrentRow(), 4);
        QCOMPARE(doc->Terrain().ValueCount(), 1);
        QCOMPARE(doc->CellText(2, 3), QString("13.000"));

        // A sign alone is no value; a second sign and letters never enter.
        doc->SetCurrentCell(5, 5);
        QVERIFY(Type("-+x"));
        QVERIFY(Key(Qt::Key_Down));
        QCOMPARE(doc->Terrain().GetCell(5, 5), 0.0f);
        // Both separators are taken; Enter moves right and so commits.
        doc->SetCurrentCell(1, 1);
        QVERIFY(Type("7,25"));
        QVERIFY(Key(Qt::Key_Return));
        QCOMPARE(doc->Terrain().GetCell(1, 1), 7.25f);
        QCOMPARE(doc->CurrentCol(), 2);
        // An exponent once a digit stands before it.
        QVERIFY(Type("1e2"));
        QVERIFY(Key(Qt::Key_Return));
        QCOMPARE(doc->Terrain().GetCell(2, 1), 100.0f);
        // Committing 0 or a lone separator makes the cell missing.
        doc->SetCurrentCell(2, 3);
        QVERIFY(Type("0"));
        QVERIFY(Key(Qt::Key_Up));
        QCOMPARE(doc->Terrain().GetCell(2, 3), 0.0f);
        doc->SetCurrentCell(1, 1);
        QVERIFY(Type("."));
        QVERIFY(Key(Qt::Key_Down));
        QCOMPARE(doc->Terrain().GetCell(1, 1), 0.0f);
        // Enter in the last column does not commit.
        doc->SetCurrentCell(1000, 1);
        QVERIFY(Type("5"));
        QVERIFY(Key(Qt::Key_Return));
        QCOMPARE(doc->CurrentCol(), 1000);
        QCOMPARE(doc->Terrain().GetCell(1000, 1), 0.0f);
        QVERIFY(Key(Qt::Key_Down));
        QCOMPARE(doc->Terrain().GetCell(1000, 1), 5.0f);
        QCOMPARE(doc->Terrain().ColCount(), 1000);  // the store grew to take it
        QVERIFY(!doc->Terrain().Saved());
    }

    void cellEditorStoresWhatItShows_data()
    {
        // Keys typed over a cell holding 42 at (3, 3); "{...}" names a key.
        // What the editor shows before the move down, and the cells after it.
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QVariantList>("cells");  // col, row, value, ...
        QTest::newRow("Home, then a key") << "12{Home}3"
                                          << "312" << QVariantList{3, 3, 312.0};
        QTest::newRow("Shift+Home, then a key") << "12{Shift+Home}3"
                                                << "3" << QVariantList{3, 3, 3.0};
        QTest::newRow("Home, Delete") << "123{Home}{Delete}"
                                      << "23" << QVariantList{3, 3, 23.0};
        QTest::newRow("Left commits, moves") << "12{Left}9"
                                             << "9" << QVariantList{3, 3, 12.0, 2, 3, 9.0};
        QTest::newRow("Right commits, moves") << "5{Right}6"
                                              << "6" << QVariantList{3, 3, 5.0, 4, 3, 6.0};
        QTest::newRow("beyond a single") << "1e39"
                                         << "1e3" << QVariantList{3, 3, 1000.0};
        QTest::newRow("beyond a single, at the caret") << "3e38{Home}9"
                                                       << "3e38" << QVariantList{3, 3, 3e38};
        QTest::newRow("exponent left open") << "7e"
                                            << "7e" << QVariantList{3, 3, 42.0};
    }

    void cellEditorStoresWhatItShows()
    {
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        QFETCH(QVariantList, cells);
        TForm2* doc = NewDocument();
        doc->Terrain().SetCell(3, 3, 42.0f);
        doc->SetCurrentCell(3, 3);
        // clang-format off
        const QMap<QString, QKeyCombination> named = {
            {"Home", Qt::Key_Home},   {"Shift+Home", Qt::ShiftModifier | Qt::Key_Home},
            {"Left", Qt::Key_Left},   {"Right", Qt::Key_Right},
            {"Delete", Qt::Key_Delete},
        };
        // clang-format on
        for (int i = 0; i < keys.size(); ++i) {
            if (keys[i] == '{') {
                const int end = keys.indexOf('}', i);
                const QKeyCombination k = named.value(keys.mid(i + 1, end - i - 1));
                QTest::keyClick(QApplication::focusWidget(), k.key(), k.keyboardModifiers());
                i = end;
            } else {
                QVERIFY(Type(QString(keys[i])));
            }
        }
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        QCOMPARE(editor->text(), shown);
        QVERIFY(Key(Qt::Key_Down));
        for (int i = 0; i + 2 < cells.size(); i += 3)
            QCOMPARE(doc->Terrain().GetCell(cells[i].toInt(), cells[i + 1].toInt()), cells[i + 2].toFloat());
    }

    void typingWithCommaSeparator()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        TForm2* doc = NewDocument();
        doc->SetCurrentCell(1, 1);
        QVERIFY(Type("12.5"));  // the point is taken as the comma
        QVERIFY(Key(Qt::Key_Down));
        QCOMPARE(doc->Terrain().GetCell(1, 1), 12.5f);
        QCOMPARE(doc->CellText(1, 1), QString("12,500"));
        QCOMPARE(doc->StatusText(), QString("N° de Cotas: 1    Cota Mín.: 12,500    Cota Máx.: 12,500"));
        QCOMPARE(Control<TGridModel>(doc, "Model")->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QString("5"));
        QLocale::setDefault(QLocale::c());
    }

    void viewsNeedCurrentResults()
    {
        TForm2* doc = NewDocument();
        for (int r = 1; r <= 2; ++r)
            for (int c = 1; c <= 2; ++c)
                doc->Terrain().SetCell(c, r, static_cast<float>(9 + c + 2 * r));
        QVERIFY(!doc->SelectView(1));
        QCOMPARE(recorder->Beeps, 1);
        QCOMPARE(Control<QTabBar>(doc, "TabSet1")->currentIndex(), 0);
        QVERIFY(Systematize(doc->Terrain(), false, -1).Computed);
        QVERIFY(doc->SelectView(2));
        QCOMPARE(doc->ViewIndex(), 2);
        QVERIFY(!(Control<TGridModel>(doc, "Model")->flags(Control<TGridModel>(doc, "Model")->index(0, 0))
                  & Qt::ItemIsEditable));
        QVERIFY(!doc->CellText(1, 1).isEmpty());
        QCOMPARE(doc->CellText(3, 3), QString());  // outside the last run's area
        QVERIFY(doc->SelectView(0));               // back to the natural elevations: always allowed
        QVERIFY(Control<TGridModel>(doc, "Model")->flags(Control<TGridModel>(doc, "Model")->index(0, 0))
                & Qt::ItemIsEditable);
        QCOMPARE(recorder->Beeps, 1);
    }

    void statusTextAndDecimals()
    {
        TForm2* doc = NewDocument();
        doc->Terrain().SetCell(1, 1, 100.5f);
        doc->Terrain().SetCell(2, 1, 98.25f);
        QCOMPARE(doc->StatusText(), QString("N° de Cotas: 2    Cota Mín.: 98.250    Cota Máx.: 100.500"));
        QCOMPARE(Control<TGridControl>(doc, "Grid")->statusTip(), doc->StatusText());  // the extremes' event rebuilt it
        for (int i = 0; i < 5; ++i)
            frame->sbMenosDecClick();
        QCOMPARE(doc->Decimals(), 0);
        QCOMPARE(doc->CellText(1, 1), QString("101"));  // 100.5 rounds away from zero
        for (int i = 0; i < 12; ++i)
            frame->sbMaisDecClick();
        QCOMPARE(doc->Decimals(), 8);
        doc->Terrain().SetCell(3, 1, 123456.5f);
        QCOMPARE(doc->CellText(3, 1), QString("123456.50000000"));  // drawn cut to 12 characters
    }

    void closeQuestion()
    {
        TForm2* doc = NewDocument();
        doc->Terrain().SetCell(1, 1, 5.0f);
        recorder->ConfirmAnswers = {TAnswer::Cancel};
        QVERIFY(!doc->close());
        // The question names the document on its first line.
        QCOMPARE(recorder->Shown.back().Text, QString("AREA-01\n\nVocê deseja salvar as alterações feitas?"));
        QCOMPARE(recorder->Shown.back().Kind, QString("Confirm"));
        // Yes on a document without a name asks for one; cancelling that keeps it open.
        recorder->ConfirmAnswers = {TAnswer::Yes};
        QVERIFY(!doc->close());
        QCOMPARE(recorder->ProposedSaveNames.last(), QString("AREA-01"));
        // Yes with a name given: saved and closed.
        const QString file = TempFolder("close") + "/campo.NVR";
        recorder->ConfirmAnswers = {TAnswer::Yes};
        recorder->SaveNames = {file};
        QVERIFY(doc->close());
        QVERIFY(QFile::exists(file));
        QTRY_COMPARE(frame->OpenDocumentCount(), 0);
        // No closes without saving; an unchanged document asks nothing.
        TForm2* other = NewDocument();
        other->Terrain().SetCell(1, 1, 5.0f);
        recorder->ConfirmAnswers = {TAnswer::No};
        const auto asked = recorder->Shown.size();
        QVERIFY(other->close());
        QCOMPARE(recorder->Shown.size(), asked + 1);
        // Just opened: nothing to ask.
        recorder->OpenNames = {file};
        OpenProject(*frame);
        QVERIFY(ActiveDocument() && ActiveDocument()->Terrain().Saved());
        QVERIFY(ActiveDocument()->close());
        QCOMPARE(recorder->Shown.size(), asked + 1);
    }

    void saveAndReopenRestoreTheView()
    {
        TForm2* doc = NewDocument();
        for (int r = 1; r <= 40; ++r)
            for (int c = 1; c <= 30; ++c)
                doc->Terrain().SetCell(c, r, 100.0f + c * 0.5f - r * 0.25f);
        doc->SetGridSelection({3, 4, 7, 9});
        Control<TGridControl>(doc, "Grid")->horizontalScrollBar()->setValue(2);
        Control<TGridControl>(doc, "Grid")->verticalScrollBar()->setValue(5);
        const TViewState saved = doc->ViewState();
        QCOMPARE(saved.Col, 7);
        QCOMPARE(saved.Row, 9);
        QCOMPARE(saved.LeftCol, 3);
        QCOMPARE(saved.TopRow, 6);
        QVERIFY(doc->HasAreaSelection());
        QCOMPARE(doc->Terrain().Selection(), (TUsedRect{3, 4, 7, 9}));

        const QString file = TempFolder("reopen") + "/CAMPO.NVR";
        recorder->SaveNames = {file};
        QVERIFY(SaveProject(doc));
        QCOMPARE(recorder->ProposedSaveNames.last(), QString("AREA-01"));
        QCOMPARE(doc->windowTitle(), QString("CAMPO.NVR"));
        QVERIFY(doc->Terrain().Saved());
        // Saving again writes without asking.
        doc->Terrain().SetCell(1, 1, 1.0f);
        QVERIFY(SaveProject(doc));
        QCOMPARE(recorder->ProposedSaveNames.size(), 1);
        QVERIFY(doc->close());
        QTRY_COMPARE(frame->OpenDocumentCount(), 0);

        recorder->OpenNames = {file};
        OpenProject(*frame);
        QVERIFY(ActiveDocument());
        TForm2* back = ActiveDocument();
        QCOMPARE(back->windowTitle(), QString("CAMPO.NVR"));
        QCOMPARE(back->Terrain().GetCell(30, 40), 100.0f + 30 * 0.5f - 40 * 0.25f);
        QCOMPARE(back->Terrain().GetCell(1, 1), 1.0f);
        const TViewState v = back->ViewState();
        QCOMPARE(v, saved);
        QCOMPARE(back->GridSelection(), (TUsedRect{3, 4, 7, 9}));
        QVERIFY(back->Terrain().Saved());
        QVERIFY(back->StatusText().startsWith("N° de Cotas: 1200"));
    }

    void failedSaveAsChangesNothing()
    {
        TForm2* doc = NewDocument();
        doc->Terrain().SetCell(1, 1, 5.0f);
        const QString folder = TempFolder("saveas");
        recorder->SaveNames = {folder + "/CAMPO.NVR"};
        QVERIFY(SaveProject(doc));
        // Another name, in a folder that does not exist: the error is shown
        // and the document keeps its file, its title and its saved state.
        recorder->SaveNames = {folder + "/nao/existe/OUTRO.NVR"};
        auto* saveAs = frame->findChild<QAction*>("mnSalvarComo");
        QVERIFY(saveAs && saveAs->isEnabled());
        saveAs->trigger();
        QVERIFY(!recorder->Shown.empty());
        QCOMPARE(recorder->Shown.back().Kind, QString("Error"));
        QCOMPARE(doc->FileName(), folder + "/CAMPO.NVR");
        QCOMPARE(doc->windowTitle(), QString("CAMPO.NVR"));
        QVERIFY(doc->Terrain().Saved());
    }

    void badFilesCreateNoWindow()
    {
        const QString folder = TempFolder("bad");
        QFile f(folder + "/ESTRANHO.NVR");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(400, 'x'));
        f.close();
        recorder->OpenNames = {folder + "/ESTRANHO.NVR"};
        Item("mnAbrir")->trigger();
        QCOMPARE(recorder->Shown.back().Kind, QString("Error"));
        QCOMPARE(recorder->Shown.back().Text,
                 QString("O arquivo ESTRANHO.NVR não foi gerado pelo Nivora ou teve sua estrutura alterada."));
        QVERIFY(frame->ChildWindows().isEmpty());
        // Shorter than a header: an input/output error through the generic report.
        QFile g(folder + "/CURTO.NVR");
        QVERIFY(g.open(QIODevice::WriteOnly));
        g.write(QByteArray(10, 0));
        g.close();
        recorder->OpenNames = {folder + "/CURTO.NVR"};
        Item("mnAbrir")->trigger();
        QVERIFY(recorder->Shown.back().Text.contains("CURTO.NVR"));
        QVERIFY(frame->ChildWindows().isEmpty());
        QVERIFY(ActiveDocument() == nullptr);
    }

    void rowsColumnsAndHeaders()
    {
        TForm2* doc = NewDocument();
        for (int r = 1; r <= 3; ++r)
            for (int c = 1; c <= 3; ++c)
                doc->Terrain().SetCell(c, r, static_cast<float>(r * 10 + c));
        doc->Terrain().SetSaved(true);
        doc->SetCurrentCell(2, 2);
        frame->UpdateEditMenu();  // as opening the menu does
        Item("mnInsRow")->trigger();
        QCOMPARE(doc->Terrain().GetCell(2, 2), 0.0f);
        QCOMPARE(doc->Terrain().GetCell(2, 3), 22.0f);
        QVERIFY(!doc->Terrain().Saved());
        QVERIFY(!doc->Terrain().ResultsValid());
        Item("mnDelCol")->trigger();
        QCOMPARE(doc->Terrain().GetCell(2, 3), 23.0f);
        // Outside the store: nothing.
        doc->SetCurrentCell(2, 25);
        const auto cells = doc->Terrain().Cells();
        Item("mnDelRow")->trigger();
        QCOMPARE(doc->Terrain().Cells(), cells);

        // The corner selects the store; a row header its row across the store.
        doc->SelectByHeader(0, 0);
        QCOMPARE(doc->GridSelection(), (TUsedRect{1, 1, 20, 20}));
        QCOMPARE(doc->Terrain().Selection(), (TUsedRect{1, 1, 20, 20}));
        doc->SelectByHeader(0, 3);
        QCOMPARE(doc->GridSelection(), (TUsedRect{1, 3, 20, 3}));
        QCOMPARE(doc->Terrain().Selection(), doc->Terrain().UsedRect());  // a single row is no block
        doc->SelectByHeader(4, 0);
        QCOMPARE(doc->GridSelection(), (TUsedRect{4, 1, 4, 20}));

        // Delete clears the selection.
        doc->SetGridSelection({1, 1, 1, 4});
        QVERIFY(Key(Qt::Key_Delete));
        QCOMPARE(doc->Terrain().GetCell(1, 1), 0.0f);
        QCOMPARE(doc->Terrain().GetCell(1, 4), 0.0f);
        QCOMPARE(doc->Terrain().GetCell(2, 4), 33.0f);  // outside the selection: kept
    }

    void insertsKeepTheLastRowAndColumn()
    {
        TForm2* doc = NewDocument();
        doc->Terrain().SetCell(3, 20, 2020.0f);  // the maximum, in the store's last row
        doc->Terrain().SetCell(20, 4, 5.0f);     // and one in its last column
        doc->SetCurrentCell(2, 2);
        Control<QAction>(doc, "Inserir1")->trigger();
        Control<QAction>(doc, "Inserir2")->trigger();
        QCOMPARE(doc->Terrain().GetCell(4, 21), 2020.0f);
        QCOMPARE(doc->Terrain().GetCell(21, 5), 5.0f);
        QCOMPARE(doc->StatusText(), QString("N° de Cotas: 2    Cota Mín.: 5.000    Cota Máx.: 2020.000"));
        QVERIFY(recorder->Shown.empty());
        // A full grid whose last row holds an elevation refuses, and says so.
        doc->Terrain().SetCell(1, 1000, 7.0f);
        const auto cells = doc->Terrain().Cells();
        Control<QAction>(doc, "Inserir1")->trigger();
        QCOMPARE(doc->Terrain().Cells(), cells);
        QCOMPARE(recorder->Shown.size(), std::size_t(1));
        QCOMPARE(recorder->Shown.back().Kind, QString("Warning"));
        QCOMPARE(recorder->Shown.back().Text,
                 QString("Não é possível inserir uma linha: a grade já tem 1000 linhas e a última contém cotas."));
        // Deleting every row leaves no count behind.
        for (int i = 0; i < 1000; ++i)
            Control<QAction>(doc, "Excluir1")->trigger();
        QVERIFY(doc->StatusText().startsWith("N° de Cotas: 0 "));
        QCOMPARE(doc->Terrain().ValueCount(), 0);
    }

    void clipboardCopyCutPaste()
    {
        TForm2* doc = NewDocument();
        doc->Terrain().SetCell(1, 1, 1.0f);
        doc->Terrain().SetCell(3, 1, 3.0f);
        doc->Terrain().SetCell(1, 2, 4.0f);
        doc->Terrain().SetCell(3, 2, 6.0f);
        doc->SetGridSelection({1, 1, 3, 2});
        frame->UpdateMenuItems();
        Item("mnCopiar")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("1.000\t\t3.000\r\n4.000\t\t6.000\r\n"));
        // Paste at the cursor, both separators read.
        QGuiApplication::clipboard()->setText("7,5\t\t9\r\n");
        doc->SetCurrentCell(5, 5);
        frame->UpdateEditMenu();
        QVERIFY(frame->DispatchShortcut(Item("mnColar")));
        QCOMPARE(doc->Terrain().GetCell(5, 5), 7.5f);
        QCOMPARE(doc->Terrain().GetCell(7, 5), 9.0f);
        QVERIFY(FrameControl<QProgressBar>("Gauge1")->isHidden());
        // Cut copies, then clears.
        doc->SetGridSelection({1, 1, 1, 2});
        Item("mnRecortar")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("1.000\r\n4.000\r\n"));
        QCOMPARE(doc->Terrain().GetCell(1, 1), 0.0f);
        QCOMPARE(doc->Terrain().ValueCount(), 4);
    }

    void frameKeysReachTheFrameFromTheGrid()
    {
        TForm2* doc = NewDocument();
        doc->Terrain().SetCell(1, 1, 2.5f);
        doc->SetCurrentCell(1, 1);
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("2.500\r\n"));
        // Even with the cell editor open, Ctrl+V pastes into the grid.
        doc->SetCurrentCell(3, 3);
        QVERIFY(Type("9"));
        QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        QGuiApplication::clipboard()->setText("4\t5");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(doc->Terrain().GetCell(3, 3), 4.0f);
        QCOMPARE(doc->Terrain().GetCell(4, 3), 5.0f);
        QVERIFY(Key(Qt::Key_Down));  // the abandoned "9" does not come back over the paste
        QCOMPARE(doc->Terrain().GetCell(3, 3), 4.0f);
        // F12 from the grid switches the developer mode.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F12);
        QVERIFY(frame->State().DeveloperMode);
    }

    void pasteFollowsTheClipboard()
    {
        TForm2* doc = NewDocument();
        doc->Terrain().SetCell(1, 1, 2.5f);
        doc->SetCurrentCell(1, 1);
        QGuiApplication::clipboard()->clear();
        QVERIFY(!FrameControl<QToolButton>("PasteBtn")->isEnabled());
        // A copy in the grid enables paste at once, without opening a menu.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(FrameControl<QToolButton>("PasteBtn")->isEnabled());
        QVERIFY(Item("mnColar")->isEnabled());
        QGuiApplication::clipboard()->clear();  // another program took the clipboard
        QVERIFY(!FrameControl<QToolButton>("PasteBtn")->isEnabled());
        QGuiApplication::clipboard()->setText("7\t8");
        QVERIFY(FrameControl<QToolButton>("PasteBtn")->isEnabled());
        // With no document there is nothing to paste into.
        doc->Terrain().SetSaved(true);
        doc->close();
        QTRY_VERIFY(!FrameControl<QToolButton>("PasteBtn")->isEnabled());
    }

    void popupMenuHintsReachTheStatusBar()
    {
        TForm2* doc = NewDocument();
        // A right click as the window system gives it, which brings the pop-up menu.
        const QRect cell =
            Control<TGridControl>(doc, "Grid")->visualRect(Control<TGridModel>(doc, "Model")->index(1, 1));
        const QPoint at = Control<TGridControl>(doc, "Grid")->viewport()->mapTo(frame.get(), cell.center());
        QTest::mouseClick(frame->windowHandle(), Qt::RightButton, {}, at);
        QTRY_VERIFY(Control<QMenu>(doc, "PopupMenu1")->isVisible());
        for (int i = 0; i < 6 && Control<QMenu>(doc, "PopupMenu1")->activeAction() != Control<QAction>(doc, "Inserir1");
             ++i)
            QTest::keyClick(Control<QMenu>(doc, "PopupMenu1"), Qt::Key_Down);
        QCOMPARE(Control<QMenu>(doc, "PopupMenu1")->activeAction(), Control<QAction>(doc, "Inserir1"));
        QCOMPARE(FrameControl<QLabel>("Panel0")->text(), QString("  Insere uma linha na posição da célula ativa."));
        QTest::keyClick(Control<QMenu>(doc, "PopupMenu1"), Qt::Key_Down);
        QCOMPARE(FrameControl<QLabel>("Panel0")->text(), QString("  Exclui a Linha na posição da célula ativa."));
        QTest::keyClick(Control<QMenu>(doc, "PopupMenu1"), Qt::Key_Escape);
        QTRY_VERIFY(!Control<QMenu>(doc, "PopupMenu1")->isVisible());
    }

    void winSurfListingWindows()
    {
        TForm2* doc = NewDocument();
        doc->Terrain().SetCell(1, 1, 101.5f);
        doc->Terrain().SetCell(1, 2, 99.25f);
        frame->UpdateMenuItems();
        QVERIFY(Item("mnWinSurf")->isEnabled());
        Item("mnWinSurf")->trigger();
        TWinSurf* first = WinSurf();
        QVERIFY(first);
        QCOMPARE(first->windowTitle(), QString("WinSurf"));
        const auto* memo = Control<QPlainTextEdit>(first, "Memo1");
        QCOMPARE(memo->toPlainText(), QString("5.000\t15.000\t101.500\n5.000\t5.000\t99.250"));
        QCOMPARE(memo->width(), 250);
        QVERIFY(memo->isVisible());
        // A second command opens a second window; the reference is the newest.
        frame->ActivateChild(doc);
        Item("mnWinSurf")->trigger();
        QVERIFY(WinSurf() && WinSurf() != first);
        QCOMPARE(frame->ChildWindows().size(), 3);
    }

    // A georeferenced document's headers and WinSurf listing give the
    // stakes' surveyed easting and northing with the decimal comma, where a
    // single would step by a metre (rows run south: row 4 is 7,5 m south).
    void georeferencedDocumentShowsSurveyedCoordinates()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        TForm2* doc = CreateDocument(frame.get(), QString(), 20, 20, 2.5f, 2.5f, 0.0f, 0.0f);
        frame->ActivateChild(doc);
        doc->Terrain().SetGeoreference(TGeoreference{31982, 512345.25, 9100010.0, true});
        doc->Terrain().SetCell(4, 4, 101.5f);
        const auto* model = Control<TGridModel>(doc, "Model");
        QCOMPARE(model->headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), QString("512352,75"));
        QCOMPARE(model->headerData(3, Qt::Vertical, Qt::DisplayRole).toString(), QString("9100002,5"));
        QCOMPARE(model->headerData(0, Qt::Vertical, Qt::DisplayRole).toString(), QString("9100010"));
        frame->UpdateMenuItems();
        Item("mnWinSurf")->trigger();
        QVERIFY(WinSurf());
        QCOMPARE(Control<QPlainTextEdit>(WinSurf(), "Memo1")->toPlainText(),
                 QString("512352,750\t9100002,500\t101,500"));
        QLocale::setDefault(QLocale::c());
    }

    void cellTextPlacement()
    {
        // Right-aligned with a margin of 10: the text ends 10 pixels before the edge.
        const QRect cell(0, 0, 100, 24);
        QCOMPARE(CellTextOrigin(cell, 30, 14, 10, caRight), QPoint(60, 5));
        QCOMPARE(CellTextOrigin(cell, 30, 14, 10, caLeft), QPoint(10, 5));
        QCOMPARE(CellTextOrigin(cell, 31, 14, 10, caCentre), QPoint(34, 5));
        QCOMPARE(CellTextOrigin(cell, 30, 30, 10, caRight), QPoint(60, 0));  // taller than the cell: from the top
        // Drawn for real: the ink of the last digit stops short of x = 90.
        QImage image(100, 24, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setBackground(QColor(Qt::white));
        painter.setPen(Qt::black);
        DrawCellText(painter, cell, "88,5", 10, caRight);
        painter.end();
        int rightmost = -1;
        for (int x = 0; x < 100; ++x)
            for (int y = 0; y < 24; ++y)
                if (qGray(image.pixel(x, y)) < 128)
                    rightmost = std::max(rightmost, x);
        QVERIFY(rightmost >= 80);
        QVERIFY(rightmost < 90);
        // An empty text draws nothing, not even the background.
        QImage blank(10, 10, QImage::Format_RGB32);
        blank.fill(Qt::red);
        QPainter p2(&blank);
        p2.setBackground(QColor(Qt::white));
        DrawCellText(p2, QRect(0, 0, 10, 10), QString(), 1, caLeft);
        p2.end();
        QCOMPARE(blank.pixelColor(5, 5), QColor(Qt::red));
    }

    void modelPassesQtsTester()
    {
        TForm2* doc = NewDocument();
        doc->Terrain().SetCell(3, 3, 2.0f);
        QAbstractItemModelTester tester(Control<TGridModel>(doc, "Model"),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        Control<TGridModel>(doc, "Model")->Refresh();
        QCOMPARE(Control<TGridModel>(doc, "Model")->rowCount(), 1000);
        QCOMPARE(Control<TGridModel>(doc, "Model")->columnCount(), 1000);
        QCOMPARE(Control<TGridModel>(doc, "Model")
                     ->data(Control<TGridModel>(doc, "Model")->index(2, 2), Qt::DisplayRole)
                     .toString(),
                 QString("2.000"));
    }
};

QTEST_MAIN(TestDocument)
#include "test_document.moc"
