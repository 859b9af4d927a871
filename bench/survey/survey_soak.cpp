// A 24-hour survey in virtual time at 10 Hz GNSS and 20 Hz echosounder:
// prints, per simulated hour, the wall time, the slowest simulated second
// and the resident memory, so that growth shows at once.

#include <QCoreApplication>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include "core/time_zone.h"

#include "tools/cli/survey_runs.h"

namespace {

long residentKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ')[0].toLong();
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    nivora::cacheLocalTimeZone();
    QCoreApplication app(argc, argv);
    const double hours = argc > 1 ? std::atof(argv[1]) : 24;
    QTemporaryDir dir;
    nivora::cli::SimulateOptions o;
    o.ini = QStringLiteral(NIVORA_SOURCE_DIR "/data/demo/NivoraDW.INI");
    o.minutes = hours * 60;
    o.out = dir.path();
    o.gnssRateHz = 10;
    o.sounderRateHz = 20;
    QElapsedTimer hour, second;
    hour.start();
    second.start();
    qint64 slowestSecondUs = 0;
    long peakKb = 0;
    std::printf("%6s %10s %18s %12s\n", "hour", "wall ms", "slowest second us", "RSS kB");
    o.everySecond = [&](qint64 t) {
        slowestSecondUs = std::max<qint64>(slowestSecondUs, second.nsecsElapsed() / 1000);
        second.restart();
        if (t % 3600000 == 0) {
            const long kb = residentKb();
            peakKb = std::max(peakKb, kb);
            std::printf("%6lld %10lld %18lld %12ld\n", static_cast<long long>(t / 3600000),
                        static_cast<long long>(hour.restart()),
                        static_cast<long long>(slowestSecondUs), kb);
            std::fflush(stdout);
            slowestSecondUs = 0;
        }
    };
    nivora::cli::RunSummary summary;
    QString error;
    if (!nivora::cli::runSimulation(o, &summary, &error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 2;
    }
    std::printf("soundings %lld, rows %lld, errors %lld, peak RSS %ld kB\n", summary.soundings,
                summary.rows, summary.errors, peakKb);
    return 0;
}
