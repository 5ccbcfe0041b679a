#pragma once
// A linear programme in rows, and its solution by COIN-OR CLP: the one
// place that knows the solver.

#include <atomic>
#include <cstdint>
#include <vector>

namespace nivora {

class IProgress;

// min Objective x, RowLower <= A x <= RowUpper, ColLower <= x <= ColUpper;
// row r of A holds Index/Value[RowStart[r], RowStart[r + 1]). An infinite
// bound is no bound.
struct TLinearProgramme {
    std::vector<double> ColLower, ColUpper, Objective;
    std::vector<double> RowLower, RowUpper;
    std::vector<std::int64_t> RowStart;
    std::vector<std::int32_t> Index;
    std::vector<double> Value;
};

enum class TLpStatus { Optimal, Infeasible, Cancelled, Failed };

struct TLpSolution {
    TLpStatus Status = TLpStatus::Failed;
    std::vector<double> X;
    int Iterations = 0;
};

// Solves by the barrier method with a crossover to a vertex, whose values
// meet the rows to the solver's tolerance (1e-10 here). The progress sees
// the crossover's iterations; `cancel` is looked at between them.
TLpSolution SolveLinearProgramme(const TLinearProgramme& lp, IProgress* progress, const std::atomic<bool>* cancel);

}  // namespace nivora
