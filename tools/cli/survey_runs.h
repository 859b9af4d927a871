#pragma once

// Whole surveys in virtual time: the simulator feeding a survey session, or
// two time-stamped raw logs played back into one. Both write a survey day's
// folders under an output folder, exactly as the program would.

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace nivora::cli {

struct SimulateOptions {
    QString ini;
    double minutes = 30;
    QString out;
    unsigned long long seed = 1;
    QString family;  // empty: the settings' family
    double gnssRateHz = 1;
    double sounderRateHz = 10;
    bool noise = false;
    double badChecksumRate = 0;
    double garbageRate = 0;
    // Survey lines: the layout's (its run-line layer), or with `lines` the
    // simulator's own legs put on the chart; the boat steers along them in
    // order with a sine wander of this amplitude (metres) and wavelength.
    QString layout;
    bool lines = false;
    double wander = 0;
    // How long the simulated devices' lines take to reach the ports (ms),
    // to be corrected by the settings' latencies.
    double gnssLatencyMs = 0;
    double sounderLatencyMs = 0;
    double wanderWavelength = 200;
    // Fixed, so that a run gives the same files every time.
    QDateTime start = QDateTime(QDate(2026, 6, 1), QTime(9, 0));
    // Called after every simulated second (soak measurements).
    std::function<void(qint64 elapsedMs)> everySecond;
};

struct ReplayOptions {
    QString ini;
    QString gnssLog;
    QString sounderLog;
    QString out;
};

struct RunSummary {
    QString dayFolder;
    long long gnssEpochs = 0;
    long long soundings = 0;
    long long rows = 0;  // coordinate-log rows written
    long long errors = 0;
    long long surveyLines = 0;
    long long linesRun = 0;  // rows of the line log
    // Rows placed between the epochs around their sounding, and rows that
    // took the last fix (no epoch after them in time).
    long long interpolatedRows = 0;
    long long lastFixRows = 0;
    // How long after the UTC its RMC or ZDA names a GNSS line arrived, mean
    // over the last minute (none without such lines).
    std::optional<double> receiverOffsetMs;
};

// False with a one-line reason in `error`.
bool runSimulation(const SimulateOptions& options, RunSummary* summary, QString* error);
bool runReplay(const ReplayOptions& options, RunSummary* summary, QString* error);

}  // namespace nivora::cli
