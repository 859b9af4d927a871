#include "core/ini_store.h"

#include <QFile>
#include <QSaveFile>
#include <cstring>
// Bytes in, bytes out: text is converted with the system code page by Qt.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION  // Debian splits the template bodies out of the header
#include <SimpleIni.h>

#include "core/interrupted_saves.h"
#include "core/number_format.h"
#include "core/system_text.h"

namespace nivora {
namespace {

// A settings file is a few kilobytes; anything near this is not one.
constexpr qint64 kMaxIniBytes = 16 * 1024 * 1024;

QByteArray name(const QString& s) {
    return toSystemBytes(s.trimmed());
}

// A value is one line of the file.
QByteArray value(const QString& s) {
    QString v = s;
    v.replace(QLatin1Char('\r'), QLatin1Char(' '));
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return toSystemBytes(v);
}

// SimpleIni skips a "[name" line without "]" but files the keys after it
// under a section named from that line to the next key, line breaks and
// all, and every save adds a line. As a comment the line is kept and the
// keys stay in the section above it.
QByteArray unclosedSectionsAsComments(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype start = 0;
    while (start < n) {
        qsizetype end = start;
        while (end < n && text[end] != '\n' && text[end] != '\r')
            ++end;
        qsizetype i = start;
        while (i < end && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (i < end && text[i] == '[' &&
            !std::memchr(text.constData() + i, ']', static_cast<std::size_t>(end - i)))
            out += ';';
        while (end < n && (text[end] == '\n' || text[end] == '\r'))
            ++end;
        out += text.mid(start, end - start);
        start = end;
    }
    return out;
}

}  // namespace

struct IniStore::Impl {
    CSimpleIniA ini{false, false, false};
    Impl() {
        ini.SetSpaces(false);
        ini.SetQuotes(false);
    }
};

IniStore::IniStore() : d_(std::make_unique<Impl>()) {}

IniStore::IniStore(const QString& path) : path_(path), d_(std::make_unique<Impl>()) {
    load();
}

IniStore::~IniStore() = default;
IniStore::IniStore(IniStore&&) noexcept = default;
IniStore& IniStore::operator=(IniStore&&) noexcept = default;

bool IniStore::load() {
    d_ = std::make_unique<Impl>();
    error_.clear();
    loaded_ = true;
    if (path_.isEmpty()) return true;
    QFile f(path_);
    if (!f.exists()) return true;
    if (f.size() > kMaxIniBytes) {
        error_ = QStringLiteral("Settings file %1 is too large to be a settings file").arg(path_);
        loaded_ = false;
        return false;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        error_ = QStringLiteral("Cannot read settings file %1: %2").arg(path_, f.errorString());
        loaded_ = false;
        return false;
    }
    loadText(f.readAll());
    return true;
}

void IniStore::loadText(const QByteArray& text) {
    d_ = std::make_unique<Impl>();
    const QByteArray loadable = unclosedSectionsAsComments(text);
    d_->ini.LoadData(loadable.constData(), static_cast<size_t>(loadable.size()));
}

QByteArray IniStore::text() const {
    std::string out;
    d_->ini.Save(out, false);
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

bool IniStore::save() {
    return saveAs(path_);
}

bool IniStore::saveAs(const QString& path) {
    error_.clear();
    if (path.isEmpty()) {
        error_ = QStringLiteral("No settings file name");
        return false;
    }
    removeInterruptedSaves(path);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        error_ = QStringLiteral("Cannot write settings file %1: %2").arg(path, f.errorString());
        return false;
    }
    const QByteArray bytes = text();
    if (f.write(bytes) != bytes.size() || !f.commit()) {
        error_ = QStringLiteral("Cannot write settings file %1: %2").arg(path, f.errorString());
        return false;
    }
    path_ = path;
    return true;
}

bool IniStore::hasSection(const QString& section) const {
    return d_->ini.GetSectionSize(name(section).constData()) >= 0;
}

bool IniStore::hasKey(const QString& section, const QString& key) const {
    return d_->ini.GetValue(name(section).constData(), name(key).constData(), nullptr) != nullptr;
}

QStringList IniStore::sections() const {
    CSimpleIniA::TNamesDepend all;
    d_->ini.GetAllSections(all);
    all.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList out;
    for (const auto& e : all)
        out << fromSystemBytes(e.pItem);
    return out;
}

QStringList IniStore::keys(const QString& section) const {
    CSimpleIniA::TNamesDepend all;
    d_->ini.GetAllKeys(name(section).constData(), all);
    all.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList out;
    for (const auto& e : all)
        out << fromSystemBytes(e.pItem);
    return out;
}

QString IniStore::readString(const QString& section, const QString& key, const QString& def) const {
    const char* v = d_->ini.GetValue(name(section).constData(), name(key).constData(), nullptr);
    return v ? fromSystemBytes(v) : def;
}

int IniStore::readInteger(const QString& section, const QString& key, int def) const {
    const char* v = d_->ini.GetValue(name(section).constData(), name(key).constData(), nullptr);
    if (!v) return def;
    return parseInteger(v).value_or(def);
}

bool IniStore::readBool(const QString& section, const QString& key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniStore::writeString(const QString& section, const QString& key, const QString& v) {
    d_->ini.SetValue(name(section).constData(), name(key).constData(), value(v).constData());
}

void IniStore::writeInteger(const QString& section, const QString& key, int v) {
    writeString(section, key, QString::number(v));
}

void IniStore::writeBool(const QString& section, const QString& key, bool v) {
    writeString(section, key, v ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniStore::removeKey(const QString& section, const QString& key) {
    d_->ini.Delete(name(section).constData(), name(key).constData(), false);
}

void IniStore::removeSection(const QString& section) {
    d_->ini.Delete(name(section).constData(), nullptr);
}

}  // namespace nivora
