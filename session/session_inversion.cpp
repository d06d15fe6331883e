// The session's inversion: a run of the loaded data and its publication as the loaded result.

#include "session/session.h"

#include "output/result_files.h"
#include "stress/result_states.h"

#include <QFileInfo>

bool TSession::check_inversion(const TInversionSettings& inversion) {
    if (!FD_loaded) {
        messages_.show(QStringLiteral("Fault Data must be loaded."));
        return false;
    }
    return report_refusal(check_inversion_settings(inversion));
}

TInversionJob TSession::inversion_job(const TInversionSettings& inversion) const {
    // "site.efd (grid)": the caption tells what the states came from until they are saved.
    return {
        FDSet, settings.misfitmeasure, inversion,
        QStringLiteral("%1 (%2)").arg(FD_loaded_filename, inversion_method_name(inversion.method))};
}

bool TSession::load_inversion(const TInversionJob& job, TInversionOutcome outcome) {
    switch (outcome.status) {
    case TInversionStatus::Cancelled:
        return false;
    case TInversionStatus::Failed:
        messages_.show(outcome.message);
        return false;
    case TInversionStatus::Solved:
        break;
    }
    // As read_IR publishes a result: the states go, the new ones come with their name.
    TStressStates built = result_states(outcome.candidates);
    outcome.candidates = {};
    change_flag_ST_loaded(false);
    states = std::move(built);
    change_flag_ST_loaded(true, job.name);
    if (!outcome.message.isEmpty())
        messages_.note(outcome.message);
    return true;
}

bool TSession::invert(const TInversionSettings& inversion, const TInversionControl& control) {
    if (!check_inversion(inversion))
        return false;
    const TInversionJob job = inversion_job(inversion);
    return load_inversion(job, job.run(control));
}

bool TSession::save_inversion_result(const QString& path) {
    if (path.isEmpty())
        return true;
    if (!ST_loaded) {
        messages_.show(QStringLiteral("Stress Tensor must be loaded."));
        return false;
    }
    QString error;
    if (!report(::save_inversion_result(path, FDSet, result_candidates(STSet), &error,
                                        decimal_point_to_write(settings)),
                error))
        return false;
    // Now the result of these files, as reopening them would name it.
    ST_loaded_filename = QFileInfo(path).fileName();
    states.cgp_filename = cgp_path_for_result(path);
    emit states_changed();
    return true;
}
