#pragma once

// Fakes for the main window and the message boxes, and a scratch folder
// with a settings file.

#include <QDir>
#include <QPair>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "config/config_host.h"
#include "config/device_settings.h"
#include "core/ini_store.h"
#include "core/settings_file.h"
#include "sensors/serial_gps.h"
#include "tests/support/test_support.h"

namespace nivora::test {

class FakeHost final : public ConfigHost {
  public:
    Language lang = Language::English;
    bool running = false;
    bool foldersOk = true;
    bool recordOk = true;
    // Every call in order, by name.
    QStringList calls;
    QStringList records;
    QList<QStringList> reports;
    QStringList errors;
    std::vector<bool> monitorPaused;
    std::map<PortRole, std::unique_ptr<TNivoraSerialGPS>> readers;

    Language language() const override { return lang; }
    void appendSettingsReport(const QStringList& t) override {
        calls << QStringLiteral("appendSettingsReport");
        reports << t;
    }
    bool appendOffsetsRecord(const QString& r) override {
        calls << QStringLiteral("appendOffsetsRecord");
        if (recordOk) records << r;
        return recordOk;
    }
    bool createDayFolders(QString* message) override {
        calls << QStringLiteral("createDayFolders");
        if (!foldersOk && message) *message = QStringLiteral("Cannot create log folder");
        return foldersOk;
    }
    void reportError(const QString& t) override {
        calls << QStringLiteral("reportError");
        errors << t;
    }
    void Save() override { calls << QStringLiteral("Save"); }
    bool realtimeRunning() const override { return running; }
    void startRealtime() override {
        calls << QStringLiteral("startRealtime");
        running = true;
    }
    void showProfileWindow() override { calls << QStringLiteral("showProfileWindow"); }
    void setMonitorPaused(bool p) override { monitorPaused.push_back(p); }
    TNivoraSerialGPS* reader(PortRole role) override {
        auto& r = readers[role];
        if (!r) r = std::make_unique<TNivoraSerialGPS>();
        return r.get();
    }
    QString rawLogPath(PortRole role) override {
        return role == PortRole::Gnss ? QStringLiteral("/logs/2024-05-01 NDW_GNSS_V3.log")
                                      : QStringLiteral("/logs/2024-05-01 NDW_SBES_V3.log");
    }
};

class FakePrompts final : public OperatorPrompts {
  public:
    struct Shown {
        QString kind;
        QString text;
    };
    std::vector<Shown> shown;
    std::deque<bool> okAnswers;  // askOkCancel answers in turn; OK when empty
    QString fileToOpen;

    void showMessage(const QString& t) override { shown.push_back({QStringLiteral("message"), t}); }
    void showWarning(const QString& t) override { shown.push_back({QStringLiteral("warning"), t}); }
    void showError(const QString& t) override { shown.push_back({QStringLiteral("error"), t}); }
    bool askOkCancel(const QString& t) override {
        shown.push_back({QStringLiteral("okcancel"), t});
        if (okAnswers.empty()) return true;
        const bool a = okAnswers.front();
        okAnswers.pop_front();
        return a;
    }
    QString chooseOpenFile(const QString&, const QString&, const QString&) override {
        return fileToOpen;
    }

    QStringList texts(const QString& kind) const {
        QStringList out;
        for (const auto& s : shown) {
            if (s.kind == kind) out << s.text;
        }
        return out;
    }
};

// A scratch folder holding the settings file "NivoraDW.INI".
class ScratchIni {
  public:
    ScratchIni() : path_(dir_.filePath(QStringLiteral("NivoraDW.INI"))) {}
    const QString& path() const { return path_; }
    SettingsFile file() const { return SettingsFile(path_); }
    QString folder() const { return dir_.path(); }
    void write(const char* text) const { writeFile(path_, QByteArray(text)); }
    IniStore store() const { return IniStore(path_); }
    QByteArray bytes() const { return QFile::exists(path_) ? readFile(path_) : QByteArray(); }

  private:
    QTemporaryDir dir_;
    QString path_;
};

}  // namespace nivora::test
