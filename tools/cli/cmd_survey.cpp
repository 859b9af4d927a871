// nivora simulate and nivora replay: whole surveys in virtual time.

#include <QElapsedTimer>
#include <cstdio>

#include "core/number_text.h"
#include "tools/cli/cli.h"
#include "tools/cli/survey_runs.h"

namespace nivora::cli {
namespace {

void printSummary(const RunSummary& s, qint64 wallMs) {
    std::fprintf(stderr,
                 "day folder: %s\nGNSS epochs: %lld, soundings: %lld, coordinate rows: %lld, "
                 "errors: %lld, %lld ms\n",
                 s.dayFolder.toLocal8Bit().constData(), s.gnssEpochs, s.soundings, s.rows, s.errors,
                 static_cast<long long>(wallMs));
    if (s.interpolatedRows || s.lastFixRows)
        std::fprintf(stderr, "rows at their sounding's time: %lld, at the last fix: %lld\n",
                     s.interpolatedRows, s.lastFixRows);
    if (s.receiverOffsetMs)
        std::fprintf(stderr,
                     "GNSS lines arrive %.0f ms after their UTC (mean of the last minute)\n",
                     *s.receiverOffsetMs);
    if (s.surveyLines)
        std::fprintf(stderr, "survey lines: %lld, lines run: %lld\n", s.surveyLines, s.linesRun);
}

}  // namespace

int runSimulate(const Arguments& args) {
    SimulateOptions o;
    const auto ini = args.value(QStringLiteral("--ini"));
    const auto out = args.value(QStringLiteral("--out"));
    const auto minutes = args.value(QStringLiteral("--minutes"));
    if (!ini || !out || !minutes)
        return usageError(QStringLiteral("simulate needs --ini FILE --minutes N --out DIR"));
    o.ini = *ini;
    o.out = *out;
    const auto m = toNumber(*minutes);
    if (!m || *m <= 0 || *m > 7 * 24 * 60)
        return usageError(QStringLiteral("--minutes needs a number of minutes up to a week"));
    o.minutes = *m;
    auto number = [&](const char* option, double& target, double lo, double hi) {
        const auto v = args.value(QLatin1String(option));
        if (!v) return true;
        const auto x = toNumber(*v);
        if (!x || *x < lo || *x > hi) {
            usageError(QStringLiteral("%1 needs a number from %2 to %3")
                           .arg(QLatin1String(option))
                           .arg(lo)
                           .arg(hi));
            return false;
        }
        target = *x;
        return true;
    };
    double seed = 1;
    if (!number("--seed", seed, 0, 1e15) || !number("--rate-gnss", o.gnssRateHz, 0.1, 20) ||
        !number("--rate-sbes", o.sounderRateHz, 0.1, 50) ||
        !number("--bad-checksums", o.badChecksumRate, 0, 1) ||
        !number("--garbage", o.garbageRate, 0, 1) ||
        !number("--latency-gnss", o.gnssLatencyMs, 0, 10000) ||
        !number("--latency-sbes", o.sounderLatencyMs, 0, 10000)) {
        return 2;
    }
    o.seed = static_cast<unsigned long long>(seed);
    o.family = args.value(QStringLiteral("--family")).value_or(QString());
    o.noise = args.has(QStringLiteral("--noise"));
    o.layout = args.value(QStringLiteral("--layout")).value_or(QString());
    o.lines = args.has(QStringLiteral("--lines")) || !o.layout.isEmpty();
    if (!number("--wander", o.wander, 0, 1000) ||
        !number("--wander-wavelength", o.wanderWavelength, 1, 100000)) {
        return 2;
    }
    if (const auto start = args.value(QStringLiteral("--start"))) {
        o.start = QDateTime::fromString(*start, Qt::ISODate);
        if (!o.start.isValid())
            return usageError(
                QStringLiteral("--start needs a date and time like 2026-06-01T09:00:00"));
    }
    QElapsedTimer wall;
    wall.start();
    RunSummary summary;
    QString error;
    if (!runSimulation(o, &summary, &error)) return fail(error);
    printSummary(summary, wall.elapsed());
    return 0;
}

int runReplayCommand(const Arguments& args) {
    ReplayOptions o;
    const auto ini = args.value(QStringLiteral("--ini"));
    const auto gnss = args.value(QStringLiteral("--gnss"));
    const auto sbes = args.value(QStringLiteral("--sbes"));
    const auto out = args.value(QStringLiteral("--out"));
    if (!ini || !gnss || !sbes || !out)
        return usageError(
            QStringLiteral("replay needs --ini FILE --gnss FILE --sbes FILE --out DIR"));
    o.ini = *ini;
    o.gnssLog = *gnss;
    o.sounderLog = *sbes;
    o.out = *out;
    QElapsedTimer wall;
    wall.start();
    RunSummary summary;
    QString error;
    if (!runReplay(o, &summary, &error)) return fail(error);
    printSummary(summary, wall.elapsed());
    return 0;
}

}  // namespace nivora::cli
