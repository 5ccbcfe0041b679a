// A value typed into a cell and not yet committed: every command takes it
// first, as a move to another cell would; signs lead a value; the results
// window shows when its plans are out of date and lets Esc cancel an edit;
// closing the frame asks about each document in front, by name.

#include "GuiTestSupport.h"
#include "app/sist.h"
#include "calc/ResultTable.h"
#include "calc/uResult.h"
#include "data/SaveOpen.h"
#include "data/SaveOpenCommands.h"
#include "grid/GridControl.h"
#include "grid/datagrid.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabBar>
#include <QTableView>
#include <QTest>

#include <filesystem>

using namespace nivora;
using namespace nivora::testing;

namespace {

float CellInFile(const QString& file, int col, int row)
{
    return LoadProjectFile(std::filesystem::path(file.toStdString())).Terrain->GetCell(col, row);
}

QLineEdit* OpenEditor() { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }

const QColor kGrey(128, 128, 128);

}  // namespace

class TestTyping : public QObject, public TFrameFixture {
    Q_OBJECT

private:
    TForm2* NewDocument(int size = 20)
    {
        TForm2* doc = CreateDocument(frame.get(), QString(), size, size, 10.0f, 10.0f, 5.0f, 5.0f);
        frame->ActivateChild(doc);
        Control<TGridControl>(doc, "Grid")->setFocus();
        return doc;
    }

    // A 4 x 4 block of elevations, systematized and saved to `file`.
    TForm2* SavedComputedDocument(const QString& file)
    {
        TForm2* doc = NewDocument();
        for (int r = 1; r <= 4; ++r)
            for (int c = 1; c <= 4; ++c)
                doc->Terrain().SetCell(c, r, 100.0f + c * 0.5f - r * 0.25f);
        if (!Systematize(doc->Terrain(), false, -1).Computed)
            return nullptr;
        recorder->SaveNames = {file};
        if (!SaveProject(doc) || !doc->Terrain().Saved())
            return nullptr;
        return doc;
    }

    void Press(QKeyCombination key)
    {
        QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
    }

private slots:
    void init() { QVERIFY(StartFrame(QLocale::c())); }
    void cleanup() { QVERIFY(CloseFrame()); }

    void everyCommandTakesTheValueBeingTyped_data()
    {
        QTest::addColumn<QString>("command");
        for (const char* command : {"Ctrl+S", "Salvar Como", "Fechar by mouse", "Sair", "F9", "Sistematizar pop-up",
                                    "Ctrl+P", "Exportar PDF", "Inserir Linha", "Inserir Linha pop-up", "Excluir Linha",
                                    "Inserir Coluna pop-up", "Excluir Coluna", "Ctrl+C", "Shift+Del"})
            QTest::newRow(command) << QString(command);
    }

    void everyCommandTakesTheValueBeingTyped()
    {
        QFETCH(QString, command);
        const QString folder = TempFolder("typing");
        const QString file = folder + "/CAMPO.NVR";
        TForm2* doc = SavedComputedDocument(file);
        QVERIFY(doc);
        const float before = doc->Terrain().GetCell(2, 3);
        doc->SetCurrentCell(2, 3);
        QVERIFY(Type("99"));
        QVERIFY(OpenEditor());
        QCOMPARE(doc->Terrain().GetCell(2, 3), before);  // still being typed
        const std::size_t steps = doc->History().Count();
        const int dialogs = recorder->DialogsRun.size();  // the opening screen may be among them
        // The row and column items are enabled as their menu opens.
        frame->UpdateEditMenu();
        const auto warned = [&](const char* text) {
            return !recorder->Shown.empty() && recorder->Shown.back().Kind == "Warning"
                   && recorder->Shown.back().Text == QString::fromUtf8(text);
        };
        const char* noReport = "É impossível gerar o relatório de campo antes de sistematizar o terreno.";

        if (command == "Ctrl+S") {
            Press(Qt::ControlModifier | Qt::Key_S);
            QCOMPARE(CellInFile(file, 2, 3), 99.0f);
            QVERIFY(doc->Terrain().Saved());
        } else if (command == "Salvar Como") {
            recorder->SaveNames = {folder + "/OUTRO.NVR"};
            Item("mnSalvarComo")->trigger();
            QCOMPARE(CellInFile(folder + "/OUTRO.NVR", 2, 3), 99.0f);
        } else if (command == "Fechar by mouse" || command == "Sair") {
            // The change is asked about, and Yes saves it.
            recorder->ConfirmAnswers = {TAnswer::Yes};
            if (command == "Sair") {
                Item("FileExitItem")->trigger();
                QVERIFY(!frame->isVisible());
            } else {
                QMenuBar* bar = frame->menuBar();
                QMenu* menu = Menu("File1");
                QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
                QTRY_VERIFY(menu->isVisible());
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(Item("mnFechar")).center());
            }
            QVERIFY(recorder->ConfirmAnswers.empty());
            QTRY_COMPARE(frame->OpenDocumentCount(), 0);
            QCOMPARE(CellInFile(file, 2, 3), 99.0f);
            return;
        } else if (command == "F9" || command == "Sistematizar pop-up") {
            // The dialog opens on the cells as the user sees them.
            float seen = 0;
            recorder->OnExec = [&](QDialog*) {
                seen = doc->Terrain().GetCell(2, 3);
                return 0;
            };
            if (command == "F9")
                Press(Qt::Key_F9);
            else
                Control<QAction>(doc, "Sistematizar1")->trigger();
            QCOMPARE(recorder->DialogsRun.size(), dialogs + 1);
            QCOMPARE(seen, 99.0f);
        } else if (command == "Ctrl+P" || command == "Exportar PDF") {
            // The value makes the results out of date: no report of the old ones.
            recorder->ExportNames = {folder + "/relatorio.pdf"};
            if (command == "Ctrl+P")
                Press(Qt::ControlModifier | Qt::Key_P);
            else
                Item("mnExportarPDF")->trigger();
            QVERIFY(warned(noReport));
            QVERIFY(recorder->ProposedExportNames.isEmpty());
            QCOMPARE(recorder->DialogsRun.size(), dialogs);
        } else if (command == "Inserir Linha") {
            Item("mnInsRow")->trigger();
            QCOMPARE(doc->Terrain().GetCell(2, 4), 99.0f);
        } else if (command == "Inserir Linha pop-up") {
            Control<QAction>(doc, "Inserir1")->trigger();
            QCOMPARE(doc->Terrain().GetCell(2, 4), 99.0f);
        } else if (command == "Inserir Coluna pop-up") {
            Control<QAction>(doc, "Inserir2")->trigger();
            QCOMPARE(doc->Terrain().GetCell(3, 3), 99.0f);
        } else if (command == "Excluir Linha" || command == "Excluir Coluna") {
            // The value went with its row or column, and comes back with it.
            Item(command == "Excluir Linha" ? "mnDelRow" : "mnDelCol")->trigger();
            QCOMPARE(doc->History().Count(), steps + 2);
            doc->History().Undo();
            QCOMPARE(doc->Terrain().GetCell(2, 3), 99.0f);
        } else if (command == "Ctrl+C") {
            Press(Qt::ControlModifier | Qt::Key_C);
            QCOMPARE(QGuiApplication::clipboard()->text().trimmed(), QString("99.000"));
        } else if (command == "Shift+Del") {
            // Cut: the value on the clipboard, the cell emptied.
            Press(Qt::ShiftModifier | Qt::Key_Delete);
            QCOMPARE(QGuiApplication::clipboard()->text().trimmed(), QString("99.000"));
            QCOMPARE(doc->Terrain().GetCell(2, 3), 0.0f);
        }
        // Stored as a move would store it: one step of its own, the editor closed.
        QVERIFY(!OpenEditor());
        if (command != "Shift+Del" && !command.startsWith("Inserir") && !command.startsWith("Excluir"))
            QCOMPARE(doc->Terrain().GetCell(2, 3), 99.0f);
        if (command != "Ctrl+S" && command != "Salvar Como")
            QVERIFY(!doc->Terrain().Saved());
        QVERIFY(doc->History().Count() > steps);
        while (doc->History().Index() > steps + 1)
            doc->History().Undo();
        QCOMPARE(doc->History().UndoText(), std::string("Digitação"));
    }

    void unreadableTextAtACommandKeepsTheCell()
    {
        const QString file = TempFolder("typing_sign") + "/CAMPO.NVR";
        TForm2* doc = SavedComputedDocument(file);
        QVERIFY(doc);
        const float before = doc->Terrain().GetCell(2, 3);
        doc->SetCurrentCell(2, 3);
        QVERIFY(Type("-"));
        QVERIFY(OpenEditor());
        Press(Qt::ControlModifier | Qt::Key_S);
        QVERIFY(!OpenEditor());
        QCOMPARE(doc->Terrain().GetCell(2, 3), before);
        QCOMPARE(doc->History().Count(), std::size_t(0));
        QVERIFY(doc->Terrain().ResultsValid());
    }

    void aValueTypedIntoAnotherWindowIsKept()
    {
        // The editor closes when the focus goes elsewhere: what it held is stored.
        TForm2* first = NewDocument();
        first->SetCurrentCell(4, 5);
        QVERIFY(Type("12"));
        TForm2* second = NewDocument();
        QVERIFY(frame->ActiveChild() == second);
        QCOMPARE(first->Terrain().GetCell(4, 5), 12.0f);
        QCOMPARE(first->History().Count(), std::size_t(1));
        // And nothing comes back at the next move in that window.
        frame->ActivateChild(first);
        Control<TGridControl>(first, "Grid")->setFocus();
        first->SetCurrentCell(1, 1);
        QVERIFY(Type("3"));
        QVERIFY(Key(Qt::Key_Down));
        QCOMPARE(first->History().Count(), std::size_t(2));
        QCOMPARE(first->Terrain().ValueCount(), 2);
    }

    void signsLeadAValue_data()
    {
        // Keys typed over a cell holding 42.
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<float>("stored");
        QTest::newRow("minus") << "-5"
                               << "-5" << -5.0f;
        QTest::newRow("plus") << "+5"
                              << "+5" << 5.0f;
        QTest::newRow("minus, separator first") << "-.5"
                                                << "-.5" << -0.5f;
        QTest::newRow("minus, exponent") << "-1e2"
                                         << "-1e2" << -100.0f;
        QTest::newRow("a second sign") << "-+-5"
                                       << "-5" << -5.0f;
        QTest::newRow("a sign after digits") << "5-"
                                             << "5" << 5.0f;
        QTest::newRow("minus alone") << "-"
                                     << "-" << 42.0f;  // unreadable: the cell keeps its value
        QTest::newRow("plus alone") << "+"
                                    << "+" << 42.0f;
        QTest::newRow("minus zero") << "-0"
                                    << "-0" << 0.0f;  // zero: no elevation
    }

    void signsLeadAValue()
    {
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        QFETCH(float, stored);
        TForm2* doc = NewDocument();
        doc->Terrain().SetCell(3, 3, 42.0f);
        doc->SetCurrentCell(3, 3);
        QVERIFY(Type(keys));
        QVERIFY(OpenEditor());
        QCOMPARE(OpenEditor()->text(), shown);
        QVERIFY(Key(Qt::Key_Down));
        QCOMPARE(doc->Terrain().GetCell(3, 3), stored);
        QCOMPARE(doc->History().Count(), std::size_t(stored == 42.0f ? 0 : 1));
        if (stored < 0)
            QCOMPARE(doc->Terrain().Minimum().Value, stored);
    }

    void resultsShowWhenTheyAreOutOfDate()
    {
        TForm2* doc = NewDocument();
        for (int r = 1; r <= 2; ++r)
            for (int c = 1; c <= 2; ++c)
                doc->Terrain().SetCell(c, r, 9.0f + c + 2 * r);
        doc->Systematize(false, -1);
        TResultado* results = Resultado();
        QVERIFY(results);
        auto* line = Control<QLabel>(results, "lbDesatualizado");
        const QAbstractItemModel* model = Control<QTableView>(results, "Grid")->model();
        const auto colour = [&](int row, int column) {
            return model->index(row, column).data(Qt::ForegroundRole).value<QColor>();
        };
        QVERIFY(line->isHidden());
        QCOMPARE(colour(rrSx, 1), QColor(0, 0, 255));
        QCOMPARE(colour(rrOrigin, 1), QColor(0, 0, 0));
        const int height = results->height();

        // An edit: the figures turn grey and the line says so.
        frame->ActivateChild(doc);
        Control<TGridControl>(doc, "Grid")->setFocus();
        doc->SetCurrentCell(1, 1);
        QVERIFY(Type("20"));
        QVERIFY(Key(Qt::Key_Down));
        QVERIFY(!line->isHidden());
        QCOMPARE(line->text(), QString("Resultados desatualizados: sistematize novamente (F9)."));
        QCOMPARE(colour(rrSx, 1), kGrey);
        QCOMPARE(colour(rrOrigin, 1), kGrey);
        QCOMPARE(colour(rrSx, 2), QColor(0, 0, 255));  // a plan never computed: its texts are not results
        QCOMPARE(colour(0, 1), QColor(0, 0, 0));
        QVERIFY(results->height() > height);  // the line has room of its own

        // Computed again: current. An undo: out of date again.
        doc->Systematize(false, -1);
        QVERIFY(line->isHidden());
        QCOMPARE(colour(rrOrigin, 1), QColor(0, 0, 0));
        QCOMPARE(results->height(), height);
        frame->ActivateChild(doc);
        Control<TGridControl>(doc, "Grid")->setFocus();
        Press(Qt::ControlModifier | Qt::Key_Z);
        QCOMPARE(doc->Terrain().GetCell(1, 1), 12.0f);
        QVERIFY(!line->isHidden());
        QCOMPARE(colour(rrMaxCut, 1), kGrey);

        // Another document, never computed, has nothing out of date.
        NewDocument();
        QVERIFY(line->isHidden());
    }

    void refusedViewSaysWhy()
    {
        TForm2* doc = NewDocument();
        for (int r = 1; r <= 2; ++r)
            for (int c = 1; c <= 2; ++c)
                doc->Terrain().SetCell(c, r, 9.0f + c + 2 * r);
        QVERIFY(Systematize(doc->Terrain(), false, -1).Computed);
        auto* tabs = Control<QTabBar>(doc, "TabSet1");
        auto* panel0 = FrameControl<QLabel>("Panel0");
        // A value still being typed counts: stored, it leaves the results out of date.
        doc->SetCurrentCell(3, 3);
        QVERIFY(Type("7"));
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
        QCOMPARE(doc->Terrain().GetCell(3, 3), 7.0f);
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(doc->ViewIndex(), 0);
        QCOMPARE(recorder->Beeps, 1);
        QCOMPARE(panel0->text(), QString("  Esta vista exige resultados atuais: sistematize (F9)."));
        // With current results the view changes.
        QVERIFY(Systematize(doc->Terrain(), false, -1).Computed);
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
        QCOMPARE(doc->ViewIndex(), 2);
        QCOMPARE(recorder->Beeps, 1);
    }

    void resultCellsEditWithoutStrayWarningsAndEscCancels()
    {
        QTest::failOnWarning(QRegularExpression("does not belong to this view"));
        TForm2* doc = NewDocument();
        for (int r = 1; r <= 2; ++r)
            for (int c = 1; c <= 2; ++c)
                doc->Terrain().SetCell(c, r, 9.0f + c + 2 * r);
        doc->Systematize(false, -1);
        recorder->SaveNames = {TempFolder("typing_results") + "/CAMPO.NVR"};
        QVERIFY(SaveProject(doc));
        TResultado* results = Resultado();
        frame->ActivateChild(results);
        Control<QTableView>(results, "Grid")->setFocus();
        results->SetCurrentCell(2, rrSx);
        QVERIFY(Type("5"));
        QVERIFY(Key(Qt::Key_Down));
        const TPlano& plan = doc->Terrain().Plans()[2];
        QCOMPARE(plan.SxText.Str(), std::string("5"));
        QVERIFY(!doc->Terrain().Saved());
        QVERIFY(SaveProject(doc));

        // Esc: the typed text is dropped, the document saved as it was.
        results->SetCurrentCell(2, rrSy);
        QVERIFY(Type("7"));
        QCOMPARE(plan.SyText.Str(), std::string("7"));
        QVERIFY(Key(Qt::Key_Escape));
        QCOMPARE(plan.SyText.Str(), std::string());
        QVERIFY(Key(Qt::Key_Down));
        QCOMPARE(plan.SyText.Str(), std::string());
        QCOMPARE(results->CellText(2, rrSy), QString());
        QVERIFY(doc->Terrain().Saved());
        // Over a text already there, Esc gives that text back.
        results->SetCurrentCell(2, rrSx);
        Press(Qt::Key_F2);
        Press(Qt::Key_End);
        QVERIFY(Type("3"));
        QCOMPARE(plan.SxText.Str(), std::string("53"));
        QVERIFY(Key(Qt::Key_Escape));
        QVERIFY(Key(Qt::Key_Up));
        QCOMPARE(plan.SxText.Str(), std::string("5"));
        QVERIFY(doc->Terrain().Saved());
    }

    void closingTheFrameAsksAboutEachDocumentInFront()
    {
        TForm2* a = NewDocument();
        TForm2* b = NewDocument();
        TForm2* c = NewDocument();
        for (TForm2* doc : {a, b, c})
            doc->Terrain().SetCell(1, 1, 5.0f);
        frame->ActivateChild(a);
        QStringList asked;  // the name above the question, and the window in front then
        // A question of another shape is listed whole, and fails the
        // comparisons below.
        recorder->OnConfirm = [&](const QString& text) {
            const QStringList lines = text.split('\n');
            if (lines.size() != 3 || lines[2] != QString("Você deseja salvar as alterações feitas?"))
                asked << "unexpected question: " + text;
            else
                asked << lines[0] + " in front of " + frame->ActiveChild()->windowTitle();
        };
        // One Cancel keeps the program and every document open.
        recorder->ConfirmAnswers = {TAnswer::Cancel};
        QVERIFY(!frame->close());
        QCOMPARE(asked, QStringList{"AREA-01 in front of AREA-01"});
        QCOMPARE(frame->OpenDocumentCount(), 3);
        // The active document first, then the others, last active first.
        asked.clear();
        recorder->ConfirmAnswers = {TAnswer::No, TAnswer::No, TAnswer::No};
        QVERIFY(frame->close());
        QCOMPARE(asked, (QStringList{"AREA-01 in front of AREA-01", "AREA-03 in front of AREA-03",
                                     "AREA-02 in front of AREA-02"}));
        QTRY_COMPARE(frame->OpenDocumentCount(), 0);
    }
};

QTEST_MAIN(TestTyping)
#include "test_typing.moc"
