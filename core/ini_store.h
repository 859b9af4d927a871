#pragma once

// The settings file. Sections and keys match regardless of case and of
// blanks around them; Booleans are written "1"/"0" and read as integers
// (non-zero is true; a missing or non-numeric value gives the default).
// Callers open the file, read or write, and let go, so each handler sees what
// the last one saved:
//
//     IniStore ini(path);
//     ini.writeString("FILE", "Last File Saved", name);
//     ini.save();
//
// Saving goes through QSaveFile: a failed save leaves the old file intact.

#include <QString>
#include <QStringList>
#include <memory>

namespace nivora {

class IniStore {
  public:
    IniStore();
    // Reads `path` when it exists; a missing file is an empty store.
    explicit IniStore(const QString& path);
    ~IniStore();
    IniStore(IniStore&&) noexcept;
    IniStore& operator=(IniStore&&) noexcept;

    const QString& path() const { return path_; }
    // Whether the last load found the file readable (a missing file counts as read).
    bool loaded() const { return loaded_; }
    const QString& errorString() const { return error_; }

    bool load();
    bool save();
    bool saveAs(const QString& path);

    // Replaces the content with INI text (tests, defaults).
    void loadText(const QByteArray& text);
    QByteArray text() const;

    bool hasSection(const QString& section) const;
    bool hasKey(const QString& section, const QString& key) const;
    QStringList sections() const;
    QStringList keys(const QString& section) const;

    QString readString(const QString& section, const QString& key, const QString& def = {}) const;
    int readInteger(const QString& section, const QString& key, int def) const;
    bool readBool(const QString& section, const QString& key, bool def) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);

    void removeKey(const QString& section, const QString& key);
    void removeSection(const QString& section);

  private:
    struct Impl;
    QString path_;
    QString error_;
    bool loaded_ = true;
    std::unique_ptr<Impl> d_;
};

}  // namespace nivora
