#pragma once

// The commands the settings windows give the survey: its logs, starting
// real time, the snapshot, the readers and the monitor. What the windows
// change in the settings they announce through SettingsChanges, not here.
// Message boxes and file dialogs go through OperatorPrompts so that the
// windows can be driven without a screen.

#include <QString>
#include <QStringList>

namespace nivora {

class TNivoraSerialGPS;

// The language of messages and records; English after every start.
enum class Language { English, Turkish };

// The two serial ports of the settings.
enum class PortRole { Gnss, Sounder };

class ConfigHost {
  public:
    virtual ~ConfigHost() = default;

    virtual Language language() const = 0;

    // Survey logs of the day: one events-log entry per text.
    virtual void appendSettingsReport(const QStringList& texts) = 0;
    // Appends the record as given to the day's offsets log; false when it
    // could not be written.
    virtual bool appendOffsetsRecord(const QString& record) = 0;
    // Makes the day folders where missing; false with the operator's message.
    virtual bool createDayFolders(QString* message) = 0;
    // The application's error report (message window and events log).
    virtual void reportError(const QString& text) = 0;

    // Main window.
    virtual void Save() = 0;  // the layout snapshot command
    virtual bool realtimeRunning() const = 0;
    virtual void startRealtime() = 0;  // presses the Realtime button
    virtual void showProfileWindow() = 0;
    virtual void setMonitorPaused(bool paused) = 0;
    virtual TNivoraSerialGPS* reader(PortRole role) = 0;
    // The raw log file of the port for today.
    virtual QString rawLogPath(PortRole role) = 0;
    // Where the day's sound velocity files go (file dialogs start there).
    virtual QString profilesFolder() { return {}; }
};

class OperatorPrompts {
  public:
    virtual ~OperatorPrompts() = default;
    virtual void showMessage(const QString& text) = 0;
    virtual void showWarning(const QString& text) = 0;
    virtual void showError(const QString& text) = 0;
    // A warning with OK and Cancel; true for OK.
    virtual bool askOkCancel(const QString& text) = 0;
    // A file to open, the dialog starting in `folder` (empty: where the
    // toolkit likes); empty when cancelled.
    virtual QString chooseOpenFile(const QString& title, const QString& filter,
                                   const QString& folder) = 0;
    // A warning with Yes and No; true for Yes. Unanswered is No.
    virtual bool askYesNo(const QString& text) {
        (void)text;
        return false;
    }
    // A file to write, the dialog starting in `folder`; empty when cancelled.
    virtual QString chooseSaveFile(const QString& title, const QString& filter,
                                   const QString& folder) {
        (void)title, (void)filter, (void)folder;
        return {};
    }
};

}  // namespace nivora
