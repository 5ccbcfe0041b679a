#include "UndoHistory.h"

#include <algorithm>
#include <utility>

namespace nivora {

// ------------------------------------------------------------------ budget

std::size_t TUndoBudget::Bytes() const
{
    std::size_t total = 0;
    for (const TEditHistory* h : Histories_)
        total += h->Bytes();
    return total;
}

void TUndoBudget::Unregister(const TEditHistory& history)
{
    Histories_.erase(std::remove(Histories_.begin(), Histories_.end(), &history), Histories_.end());
}

void TUndoBudget::Trim(const TEditHistory& acting)
{
    std::size_t total = Bytes();
    while (total > Limit_) {
        TEditHistory* oldest = nullptr;
        for (TEditHistory* h : Histories_) {
            const std::size_t kept = h == &acting ? 1 : 0;
            if (h->Steps_.size() > kept && (!oldest || h->OldestAge() < oldest->OldestAge()))
                oldest = h;
        }
        if (!oldest)
            return;  // only the step just added is left: it stays
        const std::size_t before = oldest->Bytes();
        oldest->DropOldest();
        total -= before - oldest->Bytes();
    }
}

// ----------------------------------------------------------------- history

TEditHistory::TEditHistory(std::shared_ptr<TUndoBudget> budget, TApply apply)
    : Budget_(budget ? std::move(budget) : std::make_shared<TUndoBudget>()), Apply_(std::move(apply))
{
    Budget_->Register(*this);
}

TEditHistory::~TEditHistory() { Budget_->Unregister(*this); }

void TEditHistory::Push(std::string name, TCellChange change)
{
    const bool wasClean = IsClean();
    while (Steps_.size() > Index_)
        DropLast();
    TStep step{std::move(name), std::move(change), Budget_->NextAge(), 0};
    step.Bytes = Measure(step);
    Bytes_ += step.Bytes;
    Steps_.push_back(std::move(step));
    Index_ = Steps_.size();
    if (Steps_.size() > kMaxSteps)
        DropFirst();
    Budget_->Trim(*this);
    Changed(wasClean);
}

void TEditHistory::Apply(TStep& step)
{
    Apply_(step.Change);
    Bytes_ -= step.Bytes;
    step.Bytes = Measure(step);
    Bytes_ += step.Bytes;
}

void TEditHistory::Undo()
{
    if (!CanUndo())
        return;
    const bool wasClean = IsClean();
    Apply(Steps_[Index_ - 1]);
    --Index_;
    Changed(wasClean);
}

void TEditHistory::Redo()
{
    if (!CanRedo())
        return;
    const bool wasClean = IsClean();
    Apply(Steps_[Index_]);
    ++Index_;
    Changed(wasClean);
}

void TEditHistory::SetClean()
{
    const bool wasClean = IsClean();
    Clean_ = std::ptrdiff_t(Index_);
    Changed(wasClean);
}

void TEditHistory::ClearClean()
{
    const bool wasClean = IsClean();
    Clean_ = -1;
    Changed(wasClean);
}

void TEditHistory::DropOldest()
{
    // Dropping a step never moves the current state, so whether it is the
    // saved one stays as it was; the menu may have less to offer.
    const bool wasClean = IsClean();
    if (Index_ > 0)
        DropFirst();
    else
        DropLast();
    Changed(wasClean);
}

void TEditHistory::DropFirst()
{
    Bytes_ -= Steps_.front().Bytes;
    Steps_.pop_front();
    --Index_;
    // The state before the dropped step can no longer be reached.
    Clean_ = Clean_ > 0 ? Clean_ - 1 : -1;
}

void TEditHistory::DropLast()
{
    Bytes_ -= Steps_.back().Bytes;
    Steps_.pop_back();
    // The state after the dropped step can no longer be reached.
    if (Clean_ > std::ptrdiff_t(Steps_.size()))
        Clean_ = -1;
}

void TEditHistory::Changed(bool wasClean)
{
    if (IsClean() != wasClean && OnCleanChange_)
        OnCleanChange_(IsClean());
    if (OnChange_)
        OnChange_();
}

}  // namespace nivora
