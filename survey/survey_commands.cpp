#include "survey/survey_commands.h"

#include "survey/chart_files.h"
#include "survey/chart_session.h"
#include "survey/realtime_survey.h"

namespace nivora {

SurveyCommands::SurveyCommands(RealtimeSurvey& survey, ChartSession* chart, QObject* parent)
    : QObject(parent), survey_(survey), chart_(chart) {}

void SurveyCommands::appendSettingsReport(const QStringList& texts) {
    survey_.logs().appendSettingsReport(texts);
}

bool SurveyCommands::appendOffsetsRecord(const QString& record) {
    return survey_.logs().appendOffsetsRecord(record);
}

bool SurveyCommands::createDayFolders(QString* message) {
    return survey_.logs().folders().create(message);
}

void SurveyCommands::reportError(const QString& text) {
    survey_.reportError(text);
}

void SurveyCommands::Save() {
    if (chart_) chart_->files().saveSnapshot();
}

bool SurveyCommands::realtimeRunning() const {
    return survey_.running();
}

void SurveyCommands::startRealtime() {
    survey_.RealtimeClick();
}

void SurveyCommands::setMonitorPaused(bool paused) {
    survey_.setMonitorPaused(paused);
}

TNivoraSerialGPS* SurveyCommands::reader(PortRole role) {
    return role == PortRole::Gnss ? &survey_.gnss() : &survey_.sounder();
}

QString SurveyCommands::rawLogPath(PortRole role) {
    return survey_.logs().folders().rawLogPath(
        role == PortRole::Gnss ? RawLogKind::Gnss : RawLogKind::Sounder,
        survey_.clock().now().date());
}

QString SurveyCommands::profilesFolder() {
    return survey_.logs().folders().profilesFolder();
}

}  // namespace nivora
