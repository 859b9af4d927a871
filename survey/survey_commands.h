#pragma once

// The commands the settings windows give (ConfigHost), carried out by the
// real-time survey and, for the layout snapshot, by the chart.

#include <QObject>
#include <QPointer>

#include "config/config_host.h"

namespace nivora {

class ChartSession;
class RealtimeSurvey;

class SurveyCommands : public QObject, public ConfigHost {
    Q_OBJECT

  public:
    explicit SurveyCommands(RealtimeSurvey& survey, ChartSession* chart = nullptr,
                            QObject* parent = nullptr);

    Language language() const override { return Language::English; }
    void appendSettingsReport(const QStringList& texts) override;
    bool appendOffsetsRecord(const QString& record) override;
    bool createDayFolders(QString* message) override;
    void reportError(const QString& text) override;
    // The layout snapshot; without a chart there is none to write.
    void Save() override;
    bool realtimeRunning() const override;
    void startRealtime() override;
    void showProfileWindow() override { emit profileWindowRequested(); }
    void setMonitorPaused(bool paused) override;
    TNivoraSerialGPS* reader(PortRole role) override;
    QString rawLogPath(PortRole role) override;
    QString profilesFolder() override;

  signals:
    void profileWindowRequested();

  private:
    RealtimeSurvey& survey_;
    QPointer<ChartSession> chart_;
};

}  // namespace nivora
