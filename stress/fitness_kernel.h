#pragma once

// The fitness of stress states against fault data, for the hundreds of thousands of states of a
// grid search: the number of data whose representative misfit, as
// calc_theoretical_slip_and_misfit and choose_representative give it under the measure, is at
// most the tolerance. Every value that decides the count is computed with the same
// single-precision roundings as there, so the counts agree exactly; the work per datum is
// prepared once, and the per-plane arithmetic runs on vector instructions where the processor
// has them.

#include "faults/fd_classes.h"
#include "stress/compatibility.h"
#include "stress/st_classes.h"

#include <memory>

struct TFitness {
    int fitness = 0;
    // Mean representative misfit of the counted data (summed in double precision); 0 for none.
    double mean_misfit = 0;
};

// Working buffers of one thread's evaluations, reused so that an evaluation allocates nothing.
class TFitnessScratch {
public:
    TFitnessScratch();
    ~TFitnessScratch();
    TFitnessScratch(TFitnessScratch&&) noexcept;
    TFitnessScratch& operator=(TFitnessScratch&&) noexcept;

private:
    friend class TFitnessKernel;
    struct TBuffers;
    std::unique_ptr<TBuffers> b_;
};

class TFitnessKernel {
public:
    enum class TInstructions {
        Best,     // vector instructions when the processor has them
        Portable, // plain arithmetic only; the same results
    };

    // The data are copied as far as needed: the kernel does not refer to them afterwards.
    TFitnessKernel(const TFaultDataSet& data, TMifitMeasure measure, double tolerance,
                   TInstructions instructions = TInstructions::Best);
    ~TFitnessKernel();
    TFitnessKernel(TFitnessKernel&&) noexcept;
    TFitnessKernel& operator=(TFitnessKernel&&) noexcept;

    // Reads sg and ss of the state only. Safe to call from several threads at once, each with
    // its own scratch.
    TFitness evaluate(const TStressTensor& st, TFitnessScratch& scratch) const;
    TFitness evaluate(const TStressTensor& st) const;

    // Data with at least one alternative: the largest fitness there can be.
    int used_data() const;
    // Whether evaluate runs on vector instructions.
    bool vectorised() const;

private:
    struct TPrepared;
    std::unique_ptr<TPrepared> p_;
};
