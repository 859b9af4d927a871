#pragma once

// The settings file: where the INI lives and how it is read and written.
// Created once at start and handed to every model and window; nothing else
// opens the file. A write reads the file, changes it and saves it through a
// temporary file, and refuses when the file exists but could not be read,
// since saving over it would wipe every section the program did not hold.

#include <QString>
#include <functional>

#include "core/ini_store.h"

namespace nivora {

class SettingsFile {
  public:
    SettingsFile() = default;
    explicit SettingsFile(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }
    bool isSet() const { return !path_.isEmpty(); }
    // The folder and base name beside which the settings' own files live
    // (the profile memos): "/dir/NivoraDW" for "/dir/NivoraDW.INI".
    QString companionBase() const;

    // The file as it is now; a missing file is an empty store.
    IniStore read() const;
    // Reads, lets `change` write its keys, saves atomically. False with the
    // reason when the file could not be read or written.
    bool update(const std::function<void(IniStore&)>& change, QString* error = nullptr) const;

  private:
    QString path_;
};

}  // namespace nivora
