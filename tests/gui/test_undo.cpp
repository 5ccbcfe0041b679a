// Undo and redo of elevation changes in a document, through the keys and the
// "Editar" menu: every kind of change undone to its snapshot bit for bit,
// the captions naming it, and the saved state following the history.

#include "GuiTestSupport.h"
#include "app/sist.h"
#include "data/SaveOpenCommands.h"
#include "grid/datagrid.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QTest>

#include <cstring>
#include <functional>

using namespace nivora;
using namespace nivora::testing;

namespace {

// Everything undo must give back, compared bit for bit.
struct TStoreImage {
    std::vector<float> Cells;
    std::int32_t ColCount, RowCount, ValueCount;
    TCotaPoint Minimum, Maximum;
    bool ExtremesValid;
    TUsedRect UsedRect;

    explicit TStoreImage(const TCotas& s)
        : Cells(s.Cells()), ColCount(s.ColCount()), RowCount(s.RowCount()), ValueCount(s.ValueCount()),
          Minimum(s.Minimum()), Maximum(s.Maximum()), ExtremesValid(s.ExtremesValid()), UsedRect(s.UsedRect())
    {
    }
    bool operator==(const TStoreImage& o) const
    {
        return Cells.size() == o.Cells.size()
            && std::memcmp(Cells.data(), o.Cells.data(), Cells.size() * sizeof(float)) == 0
            && ColCount == o.ColCount && RowCount == o.RowCount && ValueCount == o.ValueCount
            && Minimum == o.Minimum && Maximum == o.Maximum && ExtremesValid == o.ExtremesValid
            && UsedRect == o.UsedRect;
    }
};

void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
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
        doc->Terrain().ComputeUsedRect();
        return doc;
    }

    // The menu as the user sees it when "Editar" opens.
    QString UndoCaption() const
    {
        frame->UpdateEditMenu();
        return Item("mnDesfazer")->isEnabled() ? Item("mnDesfazer")->text() : QString();
    }

private slots:
    void init() { StartFrame(QLocale::c()); }
    void cleanup() { CloseFrame(); }

    void everyChangeUndoneAndRedoneByKeys()
    {
        TForm2* doc = NewDocument();
        QCOMPARE(UndoCaption(), QString());
        QVERIFY(!Item("mnRefazer")->isEnabled());

        struct TStep {
            const char* Caption;
            std::function<void()> Act;
        };
        const TStep steps[] = {
            {"&Desfazer Digitação", [&] { doc->SetCurrentCell(2, 3); Type("7,5"); Press(Qt::Key_Down); }},
            {"&Desfazer Colar", [&] {
                 QGuiApplication::clipboard()->setText("1\t\t600\r\nx\t2\r\n");
                 doc->SetCurrentCell(5, 5);
                 Press(Qt::Key_V, Qt::ControlModifier);
             }},
            {"&Desfazer Colar", [&] {  // past the store: it grows
                 QGuiApplication::clipboard()->setText("9\t9\t9");
                 doc->SetCurrentCell(19, 2);
                 Press(Qt::Key_V, Qt::ControlModifier);
             }},
            {"&Desfazer Excluir", [&] { doc->SetGridSelection({1, 1, 3, 4}); Press(Qt::Key_Delete); }},
            {"&Desfazer Recortar", [&] { doc->SetGridSelection({4, 4, 6, 6}); Press(Qt::Key_Delete, Qt::ShiftModifier); }},
            {"&Desfazer Inserir Linha", [&] { doc->SetCurrentCell(2, 2); Item("mnInsRow")->trigger(); }},
            {"&Desfazer Excluir Linha", [&] { doc->SetCurrentCell(2, 5); Item("mnDelRow")->trigger(); }},
            {"&Desfazer Inserir Coluna", [&] { doc->SetCurrentCell(1, 1); Item("mnInsCol")->trigger(); }},
            {"&Desfazer Excluir Coluna", [&] { doc->SetCurrentCell(3, 1); Item("mnDelCol")->trigger(); }},
        };
        std::vector<TStoreImage> images{TStoreImage(doc->Terrain())};
        for (const TStep& step : steps) {
            frame->UpdateMenuItems();
            step.Act();
            QCOMPARE(UndoCaption(), QString(step.Caption));
            images.emplace_back(doc->Terrain());
            QVERIFY2(!(images.back() == images[images.size() - 2]), step.Caption);
        }
        Control<TGridControl>(doc, "Grid")->setFocus();
        for (std::size_t i = images.size() - 1; i-- > 0;) {
            Press(Qt::Key_Z, Qt::ControlModifier);
            QVERIFY2(TStoreImage(doc->Terrain()) == images[i], steps[i].Caption);
            QVERIFY(!doc->Terrain().ResultsValid());
        }
        QCOMPARE(UndoCaption(), QString());
        QCOMPARE(Item("mnRefazer")->text(), QString("&Refazer Digitação"));
        // Redo by either key, to the end.
        for (std::size_t i = 1; i < images.size(); ++i) {
            Press(i % 2 ? Qt::Key_Y : Qt::Key_Z, i % 2 ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
            QVERIFY2(TStoreImage(doc->Terrain()) == images[i], steps[i - 1].Caption);
        }
        QVERIFY(!Item("mnRefazer")->isEnabled());
        // A new change drops what could be redone.
        Press(Qt::Key_Z, Qt::ControlModifier);
        doc->SetCurrentCell(1, 1);
        Type("3");
        Press(Qt::Key_Down);
        frame->UpdateEditMenu();
        QVERIFY(!Item("mnRefazer")->isEnabled());
    }

    void eachDocumentHasItsOwnHistory()
    {
        TForm2* first = NewDocument();
        first->SetCurrentCell(1, 1);
        Type("1");
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
        Type("9");
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

    void plansComputedSinceTheSaveKeepTheDocumentUnsaved()
    {
        TForm2* doc = NewDocument();
        recorder->SaveNames = {TempFolder("undo-plans") + "/campo.NVR"};
        QVERIFY(SaveProjectAs(doc));
        Control<TGridControl>(doc, "Grid")->setFocus();
        doc->SetCurrentCell(2, 2);
        Type("9");
        Press(Qt::Key_Down);
        doc->Systematize(false, 0);
        Press(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!doc->Terrain().Saved());  // the file does not hold the new plans
    }
};

QTEST_MAIN(TestUndo)
#include "test_undo.moc"
