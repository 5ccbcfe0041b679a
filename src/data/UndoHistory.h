#pragma once
// TEditHistory: the undo history of one document's elevations, and
// TUndoBudget: the memory that the histories of all open documents share.
//
// A step is the record of one user action (TCellChange, taken before the
// change) with the name the "Editar" menu shows for it. Undo and redo hand
// the step's record to the document, which exchanges it with its store.
//
// A history keeps at most 100 steps. Together the histories of the program
// keep at most the budget's bytes, counted from what their records hold, so
// the bound holds however much the grids grow after their documents were
// created, and however many documents are open. After a step is added, while
// the total is over the bound, the oldest step of the program is dropped, in
// whichever document it is; the step just added always stays. A dropped step
// can no longer be undone; the others undo and redo as before, and the state
// saved in the file stays known as long as it can still be reached.
//
// Typical use:
//     auto budget = std::make_shared<TUndoBudget>();      // one for the program
//     TEditHistory history(budget, [&](TCellChange& c) { c.Exchange(store); });
//     TCellChange record = TCellChange::Capture(store, rect);
//     ... change the store ...
//     history.Push("Colar", std::move(record));
//     history.Undo();

#include "data/CellChange.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace nivora {

class TEditHistory;

class TUndoBudget {
public:
    static constexpr std::size_t kDefaultLimit = std::size_t(256) << 20;

    explicit TUndoBudget(std::size_t limit = kDefaultLimit) : Limit_(limit) {}
    TUndoBudget(const TUndoBudget&) = delete;
    TUndoBudget& operator=(const TUndoBudget&) = delete;

    std::size_t Limit() const { return Limit_; }
    // Bytes held by the steps of every history sharing the budget.
    std::size_t Bytes() const;
    std::size_t HistoryCount() const { return Histories_.size(); }

private:
    friend class TEditHistory;
    void Register(TEditHistory& history) { Histories_.push_back(&history); }
    void Unregister(const TEditHistory& history);
    std::uint64_t NextAge() { return ++Age_; }
    // Drops the program's oldest steps while the total is over the bound;
    // `acting` keeps its newest step.
    void Trim(const TEditHistory& acting);

    std::size_t Limit_;
    std::vector<TEditHistory*> Histories_;
    std::uint64_t Age_ = 0;
};

class TEditHistory {
public:
    static constexpr std::size_t kMaxSteps = 100;
    using TApply = std::function<void(TCellChange&)>;

    // `budget` is the program's (a history of its own bound when null);
    // `apply` exchanges a step's record with the document's store.
    TEditHistory(std::shared_ptr<TUndoBudget> budget, TApply apply);
    ~TEditHistory();
    TEditHistory(const TEditHistory&) = delete;
    TEditHistory& operator=(const TEditHistory&) = delete;

    // Puts a change made just now on the history: the steps that could be
    // redone are dropped, then the oldest ones of the program while the
    // budget is exceeded.
    void Push(std::string name, TCellChange change);
    bool CanUndo() const { return Index_ > 0; }
    bool CanRedo() const { return Index_ < Steps_.size(); }
    // The names of the steps that Undo and Redo would take; empty when none.
    std::string UndoText() const { return CanUndo() ? Steps_[Index_ - 1].Name : std::string(); }
    std::string RedoText() const { return CanRedo() ? Steps_[Index_].Name : std::string(); }
    void Undo();
    void Redo();

    // The state reached now is the one in the document's file.
    void SetClean();
    // No state of the history is in a file (a document never saved).
    void ClearClean();
    bool IsClean() const { return Clean_ >= 0 && std::size_t(Clean_) == Index_; }

    std::size_t Count() const { return Steps_.size(); }
    // Steps done: the one Undo takes is Index() - 1.
    std::size_t Index() const { return Index_; }
    std::size_t Bytes() const { return Bytes_; }
    const TUndoBudget& Budget() const { return *Budget_; }

    // Called after every change of the steps, the position or the clean state.
    void SetOnChange(std::function<void()> handler) { OnChange_ = std::move(handler); }
    // Called with the new value when IsClean() changes.
    void SetOnCleanChange(std::function<void(bool)> handler) { OnCleanChange_ = std::move(handler); }

private:
    friend class TUndoBudget;
    struct TStep {
        std::string Name;
        TCellChange Change;
        std::uint64_t Age = 0;  // order of the push among all histories of the budget
        std::size_t Bytes = 0;
    };
    static std::size_t Measure(const TStep& step) { return sizeof(TStep) + step.Name.capacity() + step.Change.Bytes(); }
    // The age of the first step; only for a history with steps.
    std::uint64_t OldestAge() const { return Steps_.front().Age; }
    // The first step when it can be undone, else (every step is to be
    // redone) the last one, which no other step depends on.
    void DropOldest();
    void DropFirst();
    void DropLast();
    // Exchanges the step's record with the store and counts its bytes anew:
    // a record of the whole grid changes size when the grid has.
    void Apply(TStep& step);
    void Changed(bool wasClean);

    std::shared_ptr<TUndoBudget> Budget_;
    TApply Apply_;
    std::deque<TStep> Steps_;
    std::size_t Index_ = 0;
    // The index of the saved state; -1 when it cannot be reached.
    std::ptrdiff_t Clean_ = 0;
    std::size_t Bytes_ = 0;
    std::function<void()> OnChange_;
    std::function<void(bool)> OnCleanChange_;
};

}  // namespace nivora
