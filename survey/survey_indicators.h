#pragma once

// What the read-out windows show of the survey as it runs: the speed and
// depth texts, the coloured frames and indicators of the real-time data and
// settings windows, the battery voltage and the settings window's monitor.
// The survey raises them; any window connects to what it shows.

#include <QByteArray>
#include <QObject>
#include <QString>

#include "config/config_host.h"
#include "core/colors.h"

namespace nivora {

class SurveyIndicators : public QObject {
    Q_OBJECT

  signals:
    void speedTextChanged(const QString& knots);  // one decimal
    void depthTextsChanged(const QString& high, const QString& low);
    void batteryVoltageChanged(const QString& volts);
    void depthFramesColourChanged(nivora::TColor colour);
    void depthFramesVisibleChanged(bool visible);
    void fixIndicatorColourChanged(nivora::TColor colour);
    void gpsGroupColourChanged(nivora::TColor colour);
    void gnssMonitorColourChanged(nivora::TColor colour);
    // A line while the settings window's monitor runs.
    void monitorLineReceived(nivora::PortRole port, const QByteArray& line);
};

}  // namespace nivora
