#include "stress/result_states.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

TStressStates result_states(const std::vector<TInversionCandidate>& candidates) {
    TStressStates states;
    float sum = 0;
    for (const TInversionCandidate& c : candidates) {
        sum = static_cast<float>(double(sum) + c.fitness); // as the reader sums fitness lines
        states.max_L = std::max(states.max_L, c.fitness);
    }
    // The reader's order, found on numbers before any state is built: a few hundred thousand
    // states are not worth moving.
    std::vector<std::uint32_t> order(candidates.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return candidates[a].fitness < candidates[b].fitness;
    });
    states.STSet.reserve(candidates.size());
    for (const std::uint32_t k : order) {
        TStressTensor& st =
            states.STSet.emplace_back(candidate_stress_tensor(candidates[k], int(k) + 1));
        set_normalised_fitness(st, sum, states.max_Ln, states.min_Ln_nonzero);
    }
    return states;
}

std::vector<TInversionCandidate> result_candidates(const std::vector<TStressTensor>& STSet) {
    std::vector<const TStressTensor*> by_number;
    by_number.reserve(STSet.size());
    for (const TStressTensor& st : STSet)
        by_number.push_back(&st);
    std::stable_sort(by_number.begin(), by_number.end(),
                     [](const TStressTensor* a, const TStressTensor* b) { return a->id < b->id; });
    std::vector<TInversionCandidate> candidates;
    candidates.reserve(STSet.size());
    for (const TStressTensor* st : by_number)
        candidates.push_back({st->ax[0], st->ax[2], st->sr, st->L, 0});
    return candidates;
}
