#include "session/inversion.h"

#include "stress/inversion_grid.h"
#include "stress/inversion_linear.h"

namespace {

QString count(long long n) {
    return QString::number(n);
}

TInversionOutcome failed(const QString& reason) {
    return {TInversionStatus::Failed, reason, {}};
}

TInversionOutcome cancelled() {
    return {TInversionStatus::Cancelled, {}, {}};
}

TInversionOutcome grid(const TInversionJob& job, const TInversionControl& control) {
    if (const QString few = check_data_count(grid_usable_data(job.data)); !few.isEmpty())
        return failed(few);
    const TInversionSettings& s = job.settings;
    TGridResult result = grid_search(
        job.data, TGridSettings{s.grid_spacing, s.ratio_step, s.tolerance, job.measure, 0},
        control);
    if (result.cancelled)
        return cancelled();
    if (result.candidates.empty())
        return failed(no_fitting_candidate_message(s.tolerance));
    const QString summary =
        QStringLiteral("Grid search: %1 stress states scored against %2 fault data; %3 of them "
                       "explain at least one datum within %4 degrees; the fittest explains %5.")
            .arg(count(result.evaluated), count(result.used_data),
                 count((long long)result.candidates.size()), QString::number(s.tolerance))
            .arg(result.candidates.front().fitness);
    return {TInversionStatus::Solved, summary, std::move(result.candidates)};
}

TInversionOutcome linear(const TInversionJob& job, const TInversionControl& control) {
    const TInversionSettings& s = job.settings;
    TLinearResult result =
        linear_inversion(job.data, TLinearSettings{int(s.resamples), s.seed}, control);
    switch (result.status) {
    case TLinearStatus::Solved:
        break;
    case TLinearStatus::Cancelled:
        return cancelled();
    case TLinearStatus::TooFewData:
    case TLinearStatus::Degenerate:
        return failed(result.message);
    }
    QString summary = QStringLiteral("Linear inversion of %1 fault data (%2 F, %3 M); %4 not used "
                                     "(L, S, or without a sense of slip).")
                          .arg(result.used_ful + result.used_mec)
                          .arg(result.used_ful)
                          .arg(result.used_mec)
                          .arg(result.not_used);
    if (!result.nodal_choice_stable)
        summary += QStringLiteral(" The choice of nodal planes did not settle in %1 rounds.")
                       .arg(result.nodal_rounds);
    summary +=
        QStringLiteral("\nSolution of all data: ") + linear_solution_text(result.solution) + u'.';
    if (s.resamples > 0)
        summary += QStringLiteral("\n%1 bootstrap resamples").arg(s.resamples) +
                   (result.degenerate_resamples > 0
                        ? QStringLiteral(", %1 of which determined no stress state")
                              .arg(result.degenerate_resamples)
                        : QString()) +
                   u'.';
    return {TInversionStatus::Solved, summary, std::move(result.candidates)};
}

} // namespace

QString inversion_method_name(TInversionMethod method) {
    return method == TInversionMethod::Linear ? QStringLiteral("linear") : QStringLiteral("grid");
}

QString check_inversion_settings(const TInversionSettings& s) {
    if (s.method == TInversionMethod::Linear)
        return check_bootstrap_count(s.resamples);
    for (const QString& problem : {check_grid_spacing(s.grid_spacing),
                                   check_ratio_step(s.ratio_step), check_tolerance(s.tolerance)})
        if (!problem.isEmpty())
            return problem;
    return check_grid_size(s.grid_spacing, s.ratio_step);
}

TInversionOutcome TInversionJob::run(const TInversionControl& control) const {
    return settings.method == TInversionMethod::Linear ? linear(*this, control)
                                                       : grid(*this, control);
}
