// Undo and redo of elevation changes in a document, through the keys and the
// "Editar" menu: every kind of change undone to its snapshot bit for bit,
// the captions naming it, the saved state following the history, the memory
// the histories of all documents share, and every state a file can hold.

#include "GuiTestSupport.h"
#include "app/sist.h"
#include "data/StoreSnapshot.h"
#include "data/SaveOpenCommands.h"
#include "grid/GridControl.h"
#include "grid/datagrid.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QTest>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <functional>

using namespace nivora;
using namespace nivora::testing;

namespace {

// Everything undo must give back, compared bit for bit; an undo leaves the
// results out of date, so the flags are not compared.
using TStoreImage = TStoreSnapshot;

// The differences from the image, for a failing check's message.
QByteArray Differences(const TCotas& s, const TStoreImage& image, const char* step)
{
    return QByteArray(step) + ": " + QByteArray::fromStdString(TStoreImage(s).DifferencesFrom(image, false));
}

void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

// A clipboard text of `cols` x `rows` elevations, each line ending in CR LF.
QString BlockText(int cols, int rows, int seed)
{
    QString text;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            if (c)
                text += '\t';
            text += QString::number(100 + seed + r % 50 + c % 7);
        }
        text += "\r\n";
    }
    return text;
}

}  // namespace

class TestUndo : public QObject, public TFrameFixture {
    Q_OBJECT

    TForm2* NewDocument()
    {
        TForm2* doc = CreateDocument(frame.get(), QString(), 20, 20, 10.0f, 10.0f, 5.0f, 5.0f);
        frame->ActivateChild(doc);
        Control<TGridControl>(doc, "Grid")->setFocus();
        for (std::int32_t r = 1; r <= 6; ++r)
            for (std::int32_t c = 1; c <= 6; ++c)
                doc->Terrain().SetCell(c, r, 500.0f + float(r) + float(c) / 8.0f);
        doc->Terrain().UpdateUsedRect();
        return doc;
    }

    // The menu as the user sees it when "Editar" opens.
    QString UndoCaption() const
    {
        frame->UpdateEditMenu();
        return Item("mnDesfazer")->isEnabled() ? Item("mnDesfazer")->text() : QString();
    }

private slots:
    void init() { QVERIFY(StartFrame(QLocale::c())); }
    void cleanup() { QVERIFY(CloseFrame()); }

    void everyChangeUndoneAndRedoneByKeys()
    {
        TForm2* doc = NewDocument();
        QCOMPARE(QString::fromStdString(TStoreSnapshot::Text(doc->Terrain().ComputeUsedRect())), QString("1,1,6,6"));
        QCOMPARE(UndoCaption(), QString());
        QVERIFY(!Item("mnRefazer")->isEnabled());

        struct TStep {
            const char* Caption;
            std::function<bool()> Act;  // false when the keys found no widget
        };
        // clang-format off
        const TStep steps[] = {
            {"&Desfazer Digitação", [&] { doc->SetCurrentCell(2, 3); return Type("7,5") && Key(Qt::Key_Down); }},
            {"&Desfazer Colar", [&] {
                 QGuiApplication::clipboard()->setText("1\t\t600\r\nx\t2\r\n");
                 doc->SetCurrentCell(5, 5);
                 Press(Qt::Key_V, Qt::ControlModifier);
                 return true;
             }},
            {"&Desfazer Colar", [&] {  // past the store: it grows
                 QGuiApplication::clipboard()->setText("9\t9\t9");
                 doc->SetCurrentCell(19, 2);
                 Press(Qt::Key_V, Qt::ControlModifier);
                 return true;
             }},
            {"&Desfazer Excluir", [&] { doc->SetGridSelection({1, 1, 3, 4}); Press(Qt::Key_Delete); return true; }},
            {"&Desfazer Recortar", [&] { doc->SetGridSelection({4, 4, 6, 6}); Press(Qt::Key_Delete, Qt::ShiftModifier); return true; }},
            {"&Desfazer Inserir Linha", [&] { doc->SetCurrentCell(2, 2); Item("mnInsRow")->trigger(); return true; }},
            {"&Desfazer Excluir Linha", [&] { doc->SetCurrentCell(2, 5); Item("mnDelRow")->trigger(); return true; }},
            {"&Desfazer Inserir Coluna", [&] { doc->SetCurrentCell(1, 1); Item("mnInsCol")->trigger(); return true; }},
            {"&Desfazer Excluir Coluna", [&] { doc->SetCurrentCell(3, 1); Item("mnDelCol")->trigger(); return true; }},
        };
        // clang-format on
        std::vector<TStoreImage> images{TStoreImage(doc->Terrain())};
        for (const TStep& step : steps) {
            frame->UpdateMenuItems();
            QVERIFY2(step.Act(), step.Caption);
            QCOMPARE(UndoCaption(), QString(step.Caption));
            images.emplace_back(doc->Terrain());
            QVERIFY2(!images.back().DifferencesFrom(images[images.size() - 2], false).empty(), step.Caption);
        }
        Control<TGridControl>(doc, "Grid")->setFocus();
        for (std::size_t i = images.size() - 1; i-- > 0;) {
            Press(Qt::Key_Z, Qt::ControlModifier);
            QVERIFY2(TStoreImage(doc->Terrain()).DifferencesFrom(images[i], false).empty(),
                     Differences(doc->Terrain(), images[i], steps[i].Caption).constData());
            QVERIFY(!doc->Terrain().ResultsValid());
        }
        QCOMPARE(UndoCaption(), QString());
        QCOMPARE(Item("mnRefazer")->text(), QString("&Refazer Digitação"));
        // Redo by either key, to the end.
        for (std::size_t i = 1; i < images.size(); ++i) {
            Press(i % 2 ? Qt::Key_Y : Qt::Key_Z, i % 2 ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
            QVERIFY2(TStoreImage(doc->Terrain()).DifferencesFrom(images[i], false).empty(),
                     Differences(doc->Terrain(), images[i], steps[i - 1].Caption).constData());
        }
        QVERIFY(!Item("mnRefazer")->isEnabled());
        // A new change drops what could be redone.
        Press(Qt::Key_Z, Qt::ControlModifier);
        doc->SetCurrentCell(1, 1);
        QVERIFY(Type("3"));
        Press(Qt::Key_Down);
        frame->UpdateEditMenu();
        QVERIFY(!Item("mnRefazer")->isEnabled());
    }

    void eachDocumentHasItsOwnHistory()
    {
        TForm2* first = NewDocument();
        first->SetCurrentCell(1, 1);
        QVERIFY(Type("1"));
        Press(Qt::Key_Down);
        TForm2* second = NewDocument();
        QCOMPARE(ActiveDocument(), second);
        QCOMPARE(UndoCaption(), QString());
        Press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(first->Terrain().GetCell(1, 1), 1.0f);
        frame->ActivateChild(first);
        QCOMPARE(UndoCaption(), QString("&Desfazer Digitação"));
    }

    void savedStateFollowsTheHistory()
    {
        TForm2* doc = NewDocument();
        const QString file = TempFolder("undo") + "/campo.NVR";
        recorder->SaveNames = {file};
        QVERIFY(SaveProjectAs(doc));
        QVERIFY(doc->Terrain().Saved());
        Control<TGridControl>(doc, "Grid")->setFocus();
        doc->SetCurrentCell(2, 2);
        QVERIFY(Type("9"));
        Press(Qt::Key_Down);
        QVERIFY(!doc->Terrain().Saved());
        Press(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(doc->Terrain().Saved());
        const auto shown = recorder->Shown.size();
        Press(Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(!doc->Terrain().Saved());
        Press(Qt::Key_Z, Qt::ControlModifier);
        // Back at the saved step, closing asks nothing.
        QVERIFY(doc->close());
        QCOMPARE(recorder->Shown.size(), shown);
    }

    // The report: pastes that grow a new document, then row deletes and
    // inserts on the grown grid, in two documents sharing the program's bound.
    void historyBoundHoldsAsGridsGrowAndAcrossDocuments()
    {
        const auto budget = std::make_shared<TUndoBudget>(std::size_t(6) << 20);
        frame->State().UndoBudget = budget;
        TForm2* first = NewDocument();
        TForm2* second = NewDocument();
        QCOMPARE(budget->HistoryCount(), 2u);
        std::size_t most = 0;
        for (TForm2* doc : {first, second}) {
            frame->ActivateChild(doc);
            Control<TGridControl>(doc, "Grid")->setFocus();
            for (int i = 0; i < 8; ++i) {
                QGuiApplication::clipboard()->setText(BlockText(300, 300, i));
                doc->SetCurrentCell(1, 1);
                Press(Qt::Key_V, Qt::ControlModifier);
                QCOMPARE(doc->Terrain().ColCount(), 300);
                QVERIFY2(budget->Bytes() <= budget->Limit(), "after a paste");
                most = std::max(most, budget->Bytes());
            }
            for (int i = 0; i < 4; ++i) {
                doc->SetCurrentCell(2, 3);
                Item("mnDelRow")->trigger();
                QVERIFY2(budget->Bytes() <= budget->Limit(), "after a row delete");
                Item("mnInsRow")->trigger();
                QVERIFY2(budget->Bytes() <= budget->Limit(), "after a row insert");
            }
        }
        QVERIFY(most > budget->Limit() / 2);  // the bound was what held the history
        // The second document's edits took the first one's steps first.
        QVERIFY(first->History().Count() < second->History().Count());
        // What is left of the first document's history still undoes, and the
        // menu follows it down to nothing.
        frame->ActivateChild(first);
        Control<TGridControl>(first, "Grid")->setFocus();
        const std::size_t left = first->History().Count();
        for (std::size_t i = 0; i < left; ++i) {
            QVERIFY(UndoCaption().startsWith("&Desfazer "));
            Press(Qt::Key_Z, Qt::ControlModifier);
        }
        QCOMPARE(UndoCaption(), QString());
        QCOMPARE(Item("mnRefazer")->isEnabled(), left > 0);
        QVERIFY(budget->Bytes() <= budget->Limit() + (std::size_t(1) << 20));
        // A document closed gives its steps back.
        const std::size_t held = second->History().Bytes();
        recorder->ConfirmAnswers = {TAnswer::No};
        const std::size_t before = budget->Bytes();
        QVERIFY(second->close());
        QTRY_COMPARE(budget->HistoryCount(), 1u);
        QCOMPARE(budget->Bytes(), before - held);
    }

    // Typing, pasting and the row and column commands, undone and redone:
    // every state the document passes through saves and opens again.
    void everyStateSavesAndOpensAgain()
    {
        TForm2* doc = NewDocument();
        const QString folder = TempFolder("undo-states");
        // What differs between the document and the file it saves, or "".
        const auto saveAndReopen = [&](const char* where) -> QString {
            recorder->SaveNames = {folder + "/campo.NVR"};
            if (!SaveProjectAs(doc))
                return QString(where) + ": not saved";
            TLoadedProject back;
            try {
                back = LoadProjectFile((folder + "/campo.NVR").toStdString());
            } catch (const std::exception& e) {
                return QString(where) + ": " + e.what();
            }
            const TTerreno& t = doc->Terrain();
            if (back.Terrain->ColCount() != t.ColCount() || back.Terrain->RowCount() != t.RowCount())
                return QString("%1: %2 x %3 read back as %4 x %5")
                    .arg(where)
                    .arg(t.ColCount())
                    .arg(t.RowCount())
                    .arg(back.Terrain->ColCount())
                    .arg(back.Terrain->RowCount());
            for (std::int32_t r = 1; r <= t.RowCount(); ++r)
                for (std::int32_t c = 1; c <= t.ColCount(); ++c)
                    if (back.Terrain->GetCell(c, r) != t.GetCell(c, r))
                        return QString("%1: cell %2,%3 %4 read back as %5")
                            .arg(where)
                            .arg(c)
                            .arg(r)
                            .arg(double(t.GetCell(c, r)))
                            .arg(double(back.Terrain->GetCell(c, r)));
            return {};
        };
        Control<TGridControl>(doc, "Grid")->setFocus();
        // Each false when its keys found no widget.
        // clang-format off
        const std::function<bool()> actions[] = {
            [&] { doc->SetCurrentCell(2, 2); return Type("1e39") && Key(Qt::Key_Down); },
            [&] { doc->SetCurrentCell(3, 3); return Type("3.4028234e38") && Key(Qt::Key_Down); },
            [&] {
                QGuiApplication::clipboard()->setText("1e39\t3,4028234e38\t-1e39\r\n3,5e38\t-3,4028234e38\r\n");
                doc->SetCurrentCell(19, 19);  // the grid grows
                Press(Qt::Key_V, Qt::ControlModifier);
                return true;
            },
            [&] { doc->SetCurrentCell(1, 1); Item("mnInsRow")->trigger(); return true; },
            [&] { doc->SetCurrentCell(1, 1); Item("mnInsCol")->trigger(); return true; },
            [&] { doc->SetCurrentCell(2, 3); Item("mnDelRow")->trigger(); return true; },
            [&] { doc->SetCurrentCell(4, 1); Item("mnDelCol")->trigger(); return true; },
        };
        // clang-format on
        for (const auto& act : actions) {
            QVERIFY(act());
            QCOMPARE(saveAndReopen("after an edit"), QString());
            Control<TGridControl>(doc, "Grid")->setFocus();
        }
        // The overflowing fields were refused with a word to the user, the
        // largest single stored.
        QVERIFY(std::any_of(recorder->Shown.begin(), recorder->Shown.end(),
                            [](const TShownMessage& m) { return m.Text.contains("não são números"); }));
        const TTerreno& t = doc->Terrain();
        QVERIFY(std::isfinite(t.Minimum().Value) && std::isfinite(t.Maximum().Value));
        QCOMPARE(t.Maximum().Value, FLT_MAX);
        QCOMPARE(t.Minimum().Value, -FLT_MAX);
        for (std::size_t i = 0; i < std::size(actions); ++i) {
            Press(Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(saveAndReopen("after an undo"), QString());
            Control<TGridControl>(doc, "Grid")->setFocus();
        }
        for (std::size_t i = 0; i < std::size(actions); ++i) {
            Press(Qt::Key_Y, Qt::ControlModifier);
            QCOMPARE(saveAndReopen("after a redo"), QString());
            Control<TGridControl>(doc, "Grid")->setFocus();
        }
        QCOMPARE(t.Maximum().Value, FLT_MAX);
    }

    // A new document has no saved state: undoing its first edit leaves it
    // as unsaved as it was, and closing it still asks.
    void newDocumentStaysUnsavedAfterUndo()
    {
        TForm2* doc = NewDocument();
        QVERIFY(!doc->Terrain().Saved());
        doc->SetCurrentCell(8, 8);
        QVERIFY(Type("4"));
        Press(Qt::Key_Down);
        Press(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!doc->Terrain().Saved());
        const auto shown = recorder->Shown.size();
        recorder->ConfirmAnswers = {TAnswer::No};
        QVERIFY(doc->close());
        QCOMPARE(recorder->Shown.size(), shown + 1);
    }

    void plansComputedSinceTheSaveKeepTheDocumentUnsaved()
    {
        TForm2* doc = NewDocument();
        recorder->SaveNames = {TempFolder("undo-plans") + "/campo.NVR"};
        QVERIFY(SaveProjectAs(doc));
        Control<TGridControl>(doc, "Grid")->setFocus();
        doc->SetCurrentCell(2, 2);
        QVERIFY(Type("9"));
        Press(Qt::Key_Down);
        doc->Systematize(false, 0);
        Press(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!doc->Terrain().Saved());  // the file does not hold the new plans
    }
};

QTEST_MAIN(TestUndo)
#include "test_undo.moc"
