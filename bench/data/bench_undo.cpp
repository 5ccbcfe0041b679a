// Undo of the largest edit: a paste of 1 000 000 cells over a full grid. The
// paste takes its undo record first (4 MB copied) and then parses the text;
// undo and redo only swap the record with the store.

#include "BenchGrids.h"
#include "data/CellChange.h"
#include "grid/GridText.h"

#include <benchmark/benchmark.h>

using namespace nivora;

namespace {

const std::string& FullText()
{
    static const std::string text = [] {
        auto t = bench::FullGrid();
        return CopyText(*t, gvNatural, 3, {1, 1, 1000, 1000}, ',');
    }();
    return text;
}

// The paste as the document runs it: the record, then the paste.
void BM_PasteWithRecord(benchmark::State& state)
{
    auto t = bench::FullGrid();
    const std::string& text = FullText();
    for (auto _ : state) {
        auto rec = TCellChange::Capture(*t, {1, 1, 1000, 1000});
        PasteText(*t, text, 1, 1, ',');
        benchmark::DoNotOptimize(rec);
    }
}
BENCHMARK(BM_PasteWithRecord)->Unit(benchmark::kMillisecond);

void BM_UndoPaste(benchmark::State& state)
{
    auto t = bench::FullGrid();
    auto rec = TCellChange::Capture(*t, {1, 1, 1000, 1000});
    PasteText(*t, FullText(), 1, 1, ',');
    for (auto _ : state) {
        rec.Exchange(*t);  // undo, then redo on the next turn
        benchmark::DoNotOptimize(t->Cells().data());
    }
}
BENCHMARK(BM_UndoPaste)->Unit(benchmark::kMillisecond);

// A change of shape keeps the whole grid; undoing it swaps the blocks.
void BM_UndoInsertRow(benchmark::State& state)
{
    auto t = bench::FullGrid();
    auto rec = TCellChange::CaptureWhole(*t);
    if (!t->InsertRow(500)) {
        state.SkipWithError("the row could not be inserted");
        return;
    }
    for (auto _ : state) {
        rec.Exchange(*t);
        benchmark::DoNotOptimize(t->Cells().data());
    }
}
BENCHMARK(BM_UndoInsertRow)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
