// The undo history and the memory budget its documents share: the bytes the
// steps hold stay within the bound however far the grids grow and however
// many documents there are; the oldest step of the program goes first; what
// is left still undoes and redoes exactly, and the saved state stays known.

#include "data/UndoHistory.h"

#include "data/UCotas.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

using namespace nivora;

namespace {

constexpr std::size_t kMiB = std::size_t(1) << 20;

// A document as far as its history sees it: a store and its history.
struct TDocument {
    TCotas Store;
    TEditHistory History;

    TDocument(std::int32_t cols, std::int32_t rows, std::shared_ptr<TUndoBudget> budget)
        : Store(cols, rows), History(std::move(budget), [this](TCellChange& c) { c.Exchange(Store); })
    {}
    // Fills `rect` with values of `seed`, recorded as one step.
    void Paste(const TUsedRect& rect, float seed, const char* name = "Colar")
    {
        TCellChange record = rect.LastCol > Store.ColCount() || rect.LastRow > Store.RowCount()
                                 ? TCellChange::CaptureWhole(Store)
                                 : TCellChange::Capture(Store, rect);
        std::vector<float> row(std::size_t(rect.LastCol - rect.FirstCol + 1));
        Store.SetAutoExtremes(false);  // one rescan at the end, as a paste makes
        for (std::int32_t r = rect.FirstRow; r <= rect.LastRow; ++r) {
            for (std::size_t k = 0; k < row.size(); ++k)
                row[k] = seed + float(r) + float(k) / 16.0f;
            Store.SetRowCells(rect.FirstCol, r, row.data(), row.size());
        }
        Store.SetAutoExtremes(true);
        History.Push(name, std::move(record));
    }
    void Structural(const char* name, const std::function<void(TCotas&)>& edit)
    {
        TCellChange record = TCellChange::CaptureWhole(Store);
        edit(Store);
        History.Push(name, std::move(record));
    }
};

bool SameCells(const TCotas& a, const std::vector<float>& cells)
{
    return a.Cells().size() == cells.size() && std::memcmp(a.Cells().data(), cells.data(), cells.size() * 4) == 0;
}

}  // namespace

// The document of the report: a new 20 x 20 grid pasted over with a
// 1000 x 1000 text again and again, and rows deleted and inserted on the grown
// grid. Each step holds a whole grid; the bound holds after every one.
TEST(UndoHistory, BoundHoldsAfterTheGridGrows)
{
    const auto budget = std::make_shared<TUndoBudget>(26 * kMiB);
    TDocument doc(20, 20, budget);
    std::vector<std::vector<float>> states{doc.Store.Cells()};
    for (int step = 0; step < 16; ++step) {
        if (step % 4 == 2)
            doc.Structural("Excluir Linha", [](TCotas& s) { s.DeleteRow(7); });
        else if (step % 4 == 3)
            doc.Structural("Inserir Linha", [](TCotas& s) { ASSERT_TRUE(s.InsertRow(3)); });
        else
            doc.Paste({1, 1, 1000, 1000}, 100.0f * float(step + 1));
        states.push_back(doc.Store.Cells());
        ASSERT_LE(budget->Bytes(), budget->Limit()) << "step " << step;
        ASSERT_EQ(budget->Bytes(), doc.History.Bytes());
    }
    // Every step holds a 4 MB grid: the six newest fit in 26 MB.
    const std::size_t kept = doc.History.Count();
    EXPECT_EQ(kept, 6u);
    for (std::size_t i = 0; i < kept; ++i) {
        ASSERT_TRUE(doc.History.CanUndo());
        doc.History.Undo();
        ASSERT_TRUE(SameCells(doc.Store, states[states.size() - 2 - i])) << "undo " << i;
    }
    EXPECT_FALSE(doc.History.CanUndo());
    for (std::size_t i = 0; i < kept; ++i)
        doc.History.Redo();
    EXPECT_TRUE(SameCells(doc.Store, states.back()));
    EXPECT_LE(budget->Bytes(), budget->Limit());
}

// A record of a grid that grew is counted at its new size once an undo has
// swapped the grown grid into it.
TEST(UndoHistory, CountsWhatTheRecordsHoldAfterEachSwap)
{
    const auto budget = std::make_shared<TUndoBudget>();
    TDocument doc(20, 20, budget);
    doc.Paste({1, 1, 1000, 1000}, 5.0f);
    const std::size_t small = doc.History.Bytes();
    EXPECT_LT(small, 64 * 1024u);  // the record of the 20 x 20 grid
    doc.History.Undo();
    EXPECT_EQ(doc.Store.ColCount(), 20);
    EXPECT_GE(doc.History.Bytes(), 4'000'000u);
    EXPECT_LT(doc.History.Bytes(), 4'000'000u + 64 * 1024u);
    EXPECT_EQ(budget->Bytes(), doc.History.Bytes());
    doc.History.Redo();
    EXPECT_EQ(doc.History.Bytes(), small);

    // A grid grown by rows keeps room for its full height; its record, once
    // undone, keeps only the cells.
    TDocument tall(20, 20, budget);
    tall.Paste({1, 1, 20, 30}, 7.0f);
    ASSERT_GE(tall.Store.Cells().capacity(), 20u * 1000u);
    tall.History.Undo();
    EXPECT_LT(tall.History.Bytes(), 4096u);
}

// Ten documents share one bound. The steps dropped are the oldest of the
// program, whichever document holds them; a document closed gives its
// bytes back.
TEST(UndoHistory, OneBoundForEveryDocument)
{
    const auto budget = std::make_shared<TUndoBudget>(10 * kMiB);
    std::vector<std::unique_ptr<TDocument>> docs;
    for (int d = 0; d < 10; ++d)
        docs.push_back(std::make_unique<TDocument>(500, 500, budget));  // a step holds 1 MB
    EXPECT_EQ(budget->HistoryCount(), 10u);
    // Uneven turns: document d edits d + 1 times a round.
    std::vector<std::size_t> order;
    for (int round = 0; round < 4; ++round)
        for (std::size_t d = 0; d < docs.size(); ++d)
            for (std::size_t k = 0; k <= d; ++k) {
                docs[d]->Paste({1, 1, 500, 500}, float(order.size()));
                order.push_back(d);
                ASSERT_LE(budget->Bytes(), budget->Limit());
            }
    std::size_t kept = 0;
    for (const auto& doc : docs)
        kept += doc->History.Count();
    EXPECT_EQ(kept, 10u);  // ten steps of 1 MB in 10 MiB
    // The steps kept are the last ones made, counted per document.
    std::vector<std::size_t> expected(docs.size(), 0);
    for (std::size_t i = order.size() - kept; i < order.size(); ++i)
        ++expected[order[i]];
    for (std::size_t d = 0; d < docs.size(); ++d)
        EXPECT_EQ(docs[d]->History.Count(), expected[d]) << "document " << d;

    const std::size_t before = budget->Bytes();
    const std::size_t closing = docs[9]->History.Bytes();
    ASSERT_GT(closing, 0u);
    docs.pop_back();
    EXPECT_EQ(budget->HistoryCount(), 9u);
    EXPECT_EQ(budget->Bytes(), before - closing);
}

// Whatever is dropped, the document is clean exactly when it shows the
// state saved, and the clean signal follows; steps to redo go from the far
// end so that those left still redo in order.
TEST(UndoHistory, SavedStateAndRedoSurviveDroppedSteps)
{
    struct TCase {
        const char* Name;
        int PushesBeforeSave;
        int PushesAfterSave;
        int UndosBeforeOthers;
        bool EditAfterUndo;  // then another document's edits trim this one
    };
    const TCase cases[] = {
        {"saved_state_kept", 5, 1, 0, false},
        {"saved_state_dropped", 1, 5, 0, false},
        {"undone_to_the_saved_state", 2, 3, 3, false},
        {"wholly_undone", 3, 3, 6, false},
        {"saved_state_to_redo_dropped", 6, 0, 4, false},
        {"edited_after_undoing_the_save", 4, 0, 2, true},
        {"never_saved", -1, 6, 2, false},
    };
    for (const TCase& k : cases) {
        SCOPED_TRACE(k.Name);
        // Steps of 40 KB in a bound of some four and a half of them.
        const auto budget = std::make_shared<TUndoBudget>(180 * 1024);
        TDocument doc(100, 100, budget);
        int cleanSignals = 0;
        doc.History.SetOnCleanChange([&](bool) { ++cleanSignals; });
        std::vector<std::vector<float>> states{doc.Store.Cells()};
        std::vector<float> saved;
        const auto push = [&](float seed) {
            doc.Paste({1, 1, 100, 100}, seed);
            states.push_back(doc.Store.Cells());
        };
        if (k.PushesBeforeSave < 0)
            doc.History.ClearClean();
        for (int i = 0; i < k.PushesBeforeSave; ++i)
            push(float(i + 1));
        if (k.PushesBeforeSave >= 0) {
            doc.History.SetClean();
            saved = doc.Store.Cells();
        }
        for (int i = 0; i < k.PushesAfterSave; ++i)
            push(float(100 + i));
        for (int i = 0; i < k.UndosBeforeOthers; ++i)
            doc.History.Undo();
        if (k.EditAfterUndo) {
            // The states undone go; the saved one among them is out of reach.
            std::size_t now = 0;
            while (!SameCells(doc.Store, states[now]))
                ++now;
            states.resize(now + 1);
            push(500.0f);
        }
        TDocument other(100, 100, budget);
        for (int i = 0; i < 2; ++i)
            other.Paste({1, 1, 100, 100}, float(1000 + i));
        ASSERT_LE(budget->Bytes(), budget->Limit());

        // Walk the whole history down and up: clean exactly at the saved cells.
        bool clean = doc.History.IsClean();
        int expectedSignals = cleanSignals;
        const auto check = [&](const char* where) {
            EXPECT_EQ(doc.History.IsClean(), !saved.empty() && SameCells(doc.Store, saved)) << where;
            if (doc.History.IsClean() != clean) {
                ++expectedSignals;
                clean = doc.History.IsClean();
            }
            EXPECT_EQ(cleanSignals, expectedSignals) << where;
        };
        check("after the trim");
        while (doc.History.CanUndo()) {
            doc.History.Undo();
            check("undo");
        }
        // Redo walks forward through the states in the order they were made.
        std::size_t at = 0;
        while (at < states.size() && !SameCells(doc.Store, states[at]))
            ++at;
        ASSERT_LT(at, states.size()) << "the oldest state kept is not one the document had";
        while (doc.History.CanRedo()) {
            doc.History.Redo();
            check("redo");
            ASSERT_LT(++at, states.size());
            EXPECT_TRUE(SameCells(doc.Store, states[at])) << "redo to state " << at;
        }
        // New edits never land on a saved state that was dropped.
        for (int i = 0; i < 4; ++i) {
            doc.Paste({1, 1, 100, 100}, float(2000 + i));
            check("new edit");
        }
    }
}

// The names the menu shows, and at most 100 steps however small.
TEST(UndoHistory, NamesAndStepLimit)
{
    TDocument doc(20, 20, nullptr);
    EXPECT_EQ(doc.History.UndoText(), "");
    doc.Paste({2, 2, 2, 2}, 1.0f, "Digitação");
    doc.Structural("Inserir Coluna", [](TCotas& s) { ASSERT_TRUE(s.InsertColumn(1)); });
    EXPECT_EQ(doc.History.UndoText(), "Inserir Coluna");
    doc.History.Undo();
    EXPECT_EQ(doc.History.UndoText(), "Digitação");
    EXPECT_EQ(doc.History.RedoText(), "Inserir Coluna");
    // A new step drops what could be redone.
    doc.Paste({3, 3, 3, 3}, 2.0f, "Excluir");
    EXPECT_FALSE(doc.History.CanRedo());
    EXPECT_EQ(doc.History.Count(), 2u);
    for (int i = 0; i < 150; ++i)
        doc.Paste({1, 1, 1, 1}, float(i), "Digitação");
    EXPECT_EQ(doc.History.Count(), TEditHistory::kMaxSteps);
    EXPECT_EQ(doc.History.Index(), TEditHistory::kMaxSteps);
    EXPECT_EQ(doc.History.Budget().HistoryCount(), 1u);
}
