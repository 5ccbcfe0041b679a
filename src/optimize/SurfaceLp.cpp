#include "optimize/SurfaceLp.h"

#include "data/Progress.h"

#include <ClpEventHandler.hpp>
#include <ClpSimplex.hpp>
#include <ClpSolve.hpp>
#include <CoinPackedMatrix.hpp>

#include <string>

namespace nivora {

namespace {

// Stops the solver when the user cancels, and moves the gauge.
class TSolveEvents : public ClpEventHandler {
public:
    TSolveEvents(IProgress* progress, const std::atomic<bool>* cancel) : Progress_(progress), Cancel_(cancel) {}
    ClpEventHandler* clone() const override { return new TSolveEvents(*this); }
    int event(Event which) override
    {
        if (Cancel_ && Cancel_->load())
            return 0;
        if (which == endOfIteration && Progress_ && model_ && ++Seen_ % 200 == 0)
            Progress_->Set(Seen_ / 200 % 100, 100);
        return -1;
    }

private:
    IProgress* Progress_;
    const std::atomic<bool>* Cancel_;
    int Seen_ = 0;
};

}  // namespace

TLpSolution SolveLinearProgramme(const TLinearProgramme& lp, IProgress* progress, const std::atomic<bool>* cancel)
{
    TLpSolution out;
    const int rows = int(lp.RowLower.size()), cols = int(lp.ColLower.size());
    std::vector<CoinBigIndex> start(lp.RowStart.begin(), lp.RowStart.end());
    std::vector<int> length(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r)
        length[std::size_t(r)] = int(lp.RowStart[std::size_t(r) + 1] - lp.RowStart[std::size_t(r)]);
    const CoinPackedMatrix matrix(false, cols, rows, CoinBigIndex(lp.Index.size()), lp.Value.data(), lp.Index.data(),
                                  start.data(), length.data());
    ClpSimplex model;
    model.setLogLevel(0);
    model.loadProblem(matrix, lp.ColLower.data(), lp.ColUpper.data(), lp.Objective.data(), lp.RowLower.data(),
                      lp.RowUpper.data());
    model.setPrimalTolerance(1e-10);
    const TSolveEvents events(progress, cancel);
    model.passInEventHandler(&events);
    ClpSolve options;
    options.setSolveType(ClpSolve::useBarrier);
    options.setPresolveType(ClpSolve::presolveOn);
    // No signal handlers: the run may be in a worker thread.
    options.setSpecialOption(2, 1);
    if (cancel && cancel->load()) {
        out.Status = TLpStatus::Cancelled;
        return out;
    }
    model.initialSolve(options);
    out.Iterations = model.numberIterations();
    if (cancel && cancel->load()) {
        out.Status = TLpStatus::Cancelled;
        return out;
    }
    switch (model.status()) {
    case 0: out.Status = TLpStatus::Optimal; break;
    case 1: out.Status = TLpStatus::Infeasible; return out;
    case 5: out.Status = TLpStatus::Cancelled; return out;
    default: out.Status = TLpStatus::Failed; return out;
    }
    out.X.assign(model.primalColumnSolution(), model.primalColumnSolution() + cols);
    return out;
}

}  // namespace nivora
