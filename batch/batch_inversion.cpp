#include "batch/batch_inversion.h"

#include "core/number_text.h"
#include "session/session.h"
#include "stress/inversion_grid.h"

#include <QCommandLineParser>
#include <QElapsedTimer>

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

struct Refusal {
    QString reason;
};

double real_option(const QCommandLineParser& parser, const QString& name) {
    double value = 0;
    if (!text_to_double(parser.value(name).trimmed(), value, u'.') || !std::isfinite(value))
        throw Refusal{
            QStringLiteral("--%1 must be a number, not '%2'").arg(name, parser.value(name))};
    return value;
}

long long integer_option(const QCommandLineParser& parser, const QString& name, long long low,
                         long long high) {
    bool ok = false;
    const long long value = parser.value(name).trimmed().toLongLong(&ok);
    if (!ok || value < low || value > high)
        throw Refusal{QStringLiteral("--%1 must be an integer from %2 to %3, not '%4'")
                          .arg(name)
                          .arg(low)
                          .arg(high)
                          .arg(parser.value(name))};
    return value;
}

// The window's message, after the option it is about.
void check(const QString& name, const QString& problem) {
    if (!problem.isEmpty())
        throw Refusal{QStringLiteral("--%1: %2").arg(name, problem)};
}

// The fraction done, on one line of a terminal once the run has taken about a second. The grid
// search reports from its worker threads, one call at a time.
class TInversionProgress {
public:
    TInversionProgress() { timer_.start(); }
    void show(double fraction) {
        if (timer_.elapsed() < 1000)
            return;
        const int percent = int(fraction * 100);
        if (percent == last_)
            return;
        last_ = percent;
        std::fprintf(stderr, "\r%s: inverting the fault data, %d %%", "quomtel-batch", percent);
        std::fflush(stderr);
    }
    void end() {
        if (last_ < 0)
            return;
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
    }

private:
    QElapsedTimer timer_;
    int last_ = -1;
};

} // namespace

QString parse_inversion_options(const QCommandLineParser& parser, TBatchOptions& options) {
    const QStringList grid_only{QStringLiteral("grid-step"), QStringLiteral("ratio-step"),
                                QStringLiteral("tolerance")};
    const QStringList linear_only{QStringLiteral("bootstrap"), QStringLiteral("seed")};
    try {
        if (!parser.isSet(QStringLiteral("invert"))) {
            for (const QString& name : grid_only + linear_only)
                if (parser.isSet(name))
                    throw Refusal{QStringLiteral("--%1 needs --invert").arg(name)};
            return {};
        }
        TInversionSettings s;
        const QString method = parser.value(QStringLiteral("invert"));
        if (method == inversion_method_name(TInversionMethod::Grid))
            s.method = TInversionMethod::Grid;
        else if (method == inversion_method_name(TInversionMethod::Linear))
            s.method = TInversionMethod::Linear;
        else
            throw Refusal{QStringLiteral("--invert must be grid or linear, not '%1'").arg(method)};
        const bool grid = s.method == TInversionMethod::Grid;
        for (const QString& name : grid ? linear_only : grid_only)
            if (parser.isSet(name))
                throw Refusal{
                    QStringLiteral("--%1 does not apply to --invert %2").arg(name, method)};

        const auto is_set = [&](const char* name) {
            return parser.isSet(QString::fromLatin1(name));
        };
        if (is_set("grid-step")) {
            s.grid_spacing = real_option(parser, QStringLiteral("grid-step"));
            check(QStringLiteral("grid-step"), check_grid_spacing(s.grid_spacing));
        }
        if (is_set("ratio-step")) {
            s.ratio_step = real_option(parser, QStringLiteral("ratio-step"));
            check(QStringLiteral("ratio-step"), check_ratio_step(s.ratio_step));
        }
        if (is_set("tolerance")) {
            s.tolerance = real_option(parser, QStringLiteral("tolerance"));
            check(QStringLiteral("tolerance"), check_tolerance(s.tolerance));
        }
        if (grid)
            check(QStringLiteral("grid-step"), check_grid_size(s.grid_spacing, s.ratio_step));
        if (is_set("bootstrap")) {
            bool ok = false;
            s.resamples = parser.value(QStringLiteral("bootstrap")).trimmed().toLongLong(&ok);
            if (!ok)
                throw Refusal{QStringLiteral("--bootstrap must be an integer, not '%1'")
                                  .arg(parser.value(QStringLiteral("bootstrap")))};
            check(QStringLiteral("bootstrap"), check_bootstrap_count(s.resamples));
        }
        if (is_set("seed"))
            s.seed = std::uint32_t(integer_option(parser, QStringLiteral("seed"), 0,
                                                  std::numeric_limits<std::uint32_t>::max()));
        options.invert = s;
    } catch (const Refusal& refusal) {
        return refusal.reason;
    }
    return {};
}

bool run_batch_inversion(TSession& session, const TBatchOptions& options, bool shown) {
    if (!options.invert)
        return true;
    if (!session.check_inversion(*options.invert))
        return false;
    TInversionProgress progress;
    TInversionControl control;
    if (shown)
        control.progress = [&progress](double fraction) { progress.show(fraction); };
    const TInversionJob job = session.inversion_job(*options.invert);
    TInversionOutcome outcome = job.run(control);
    progress.end(); // before the messages of the outcome
    return session.load_inversion(job, std::move(outcome));
}
