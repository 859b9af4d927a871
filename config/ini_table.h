#pragma once

// Each settings model names its INI keys once, in a table of (section, key,
// kind, member, default); loading and saving walk the same table, so a key
// cannot be read under one spelling and written under another.

#include <QString>
#include <optional>
#include <variant>
#include <vector>

#include "core/colors.h"
#include "core/ini_store.h"
#include "core/number_format.h"
#include "core/number_text.h"

namespace nivora {

enum class IniKind {
    Text,     // the text as stored
    Boolean,  // "1"/"0", read as an integer (non-zero is true)
    Integer,  // decimal integer; a text field shows it in decimal
    Real,     // a number; a text field shows it in its shortest general form
    Colour,   // decimal integer of a 0x00BBGGRR colour
};

template <class M>
struct IniKey {
    // A value whose setting has side effects (a check box that acts as if
    // clicked, a text that enables tabs).
    struct BoolAccess {
        bool (M::*get)() const;
        void (M::*set)(bool);
    };
    struct TextAccess {
        QString (M::*get)() const;
        void (M::*set)(const QString&);
    };
    using Member =
        std::variant<QString M::*, bool M::*, int M::*, TColor M::*, BoolAccess, TextAccess>;

    // Null: the section the caller names (tables shared by several sections).
    const char* section;
    const char* key;
    IniKind kind;
    Member member;
    // Text of a missing key; null keeps what the model holds.
    const char* missing;
    // Read-only keys are never written.
    bool written = true;
};

namespace ini_table_detail {

inline QString latin(const char* s) {
    return QString::fromLatin1(s);
}

inline std::optional<int> integerOf(const char* text) {
    if (!text) return std::nullopt;
    return parseInteger(text);
}

inline QString realText(double v) {
    return QString::fromStdString(formatGeneral15(v));
}

}  // namespace ini_table_detail

// Reads one key into the model. A missing key takes the table's default, or
// leaves the model alone when there is none; a number key that does not hold
// a number counts as missing.
template <class M>
void loadIniKey(const IniStore& ini, const IniKey<M>& k, M& m, const QString& sectionName = {}) {
    namespace d = ini_table_detail;
    const QString section = k.section ? d::latin(k.section) : sectionName;
    const QString key = d::latin(k.key);
    const bool present = ini.hasKey(section, key);
    const QString stored = ini.readString(section, key);

    switch (k.kind) {
        case IniKind::Text: {
            if (!present && !k.missing) return;
            const QString v = present ? stored : d::latin(k.missing);
            if (auto p = std::get_if<QString M::*>(&k.member)) m.*(*p) = v;
            if (auto a = std::get_if<typename IniKey<M>::TextAccess>(&k.member)) (m.*(a->set))(v);
            return;
        }
        case IniKind::Boolean: {
            std::optional<int> v = present ? toInteger(stored) : std::nullopt;
            if (!v) v = d::integerOf(k.missing);
            if (!v) return;
            if (auto p = std::get_if<bool M::*>(&k.member)) m.*(*p) = *v != 0;
            if (auto a = std::get_if<typename IniKey<M>::BoolAccess>(&k.member))
                (m.*(a->set))(*v != 0);
            return;
        }
        case IniKind::Integer:
        case IniKind::Colour: {
            std::optional<int> v = present ? toInteger(stored) : std::nullopt;
            if (!v) v = d::integerOf(k.missing);
            if (!v) return;
            if (auto p = std::get_if<int M::*>(&k.member)) m.*(*p) = *v;
            if (auto p = std::get_if<QString M::*>(&k.member)) m.*(*p) = QString::number(*v);
            // Only the 24 colour bits mean anything; higher bits would be
            // taken for an alpha channel.
            if (auto p = std::get_if<TColor M::*>(&k.member))
                m.*(*p) = static_cast<TColor>(*v) & 0xFFFFFFu;
            return;
        }
        case IniKind::Real: {
            std::optional<double> v = present ? toNumber(stored) : std::nullopt;
            if (!v && k.missing) v = parseNumber(k.missing);
            if (!v) return;
            if (auto p = std::get_if<QString M::*>(&k.member)) m.*(*p) = d::realText(*v);
            return;
        }
    }
}

// Writes one key from the model (read-only keys are skipped). Text, integer
// and real fields held as texts are written as the field shows them.
template <class M>
void saveIniKey(IniStore& ini, const IniKey<M>& k, const M& m, const QString& sectionName = {}) {
    if (!k.written) return;
    const QString section = k.section ? ini_table_detail::latin(k.section) : sectionName;
    const QString key = ini_table_detail::latin(k.key);
    if (auto p = std::get_if<QString M::*>(&k.member)) ini.writeString(section, key, m.*(*p));
    if (auto a = std::get_if<typename IniKey<M>::TextAccess>(&k.member)) {
        ini.writeString(section, key, (m.*(a->get))());
    }
    if (auto p = std::get_if<bool M::*>(&k.member)) ini.writeBool(section, key, m.*(*p));
    if (auto a = std::get_if<typename IniKey<M>::BoolAccess>(&k.member)) {
        ini.writeBool(section, key, (m.*(a->get))());
    }
    if (auto p = std::get_if<int M::*>(&k.member)) ini.writeInteger(section, key, m.*(*p));
    if (auto p = std::get_if<TColor M::*>(&k.member))
        ini.writeInteger(section, key, static_cast<int>(m.*(*p) & 0xFFFFFFu));
}

template <class M>
void loadIniKeys(const IniStore& ini, const std::vector<IniKey<M>>& table, M& m,
                 const QString& sectionName = {}) {
    for (const auto& k : table)
        loadIniKey(ini, k, m, sectionName);
}

template <class M>
void saveIniKeys(IniStore& ini, const std::vector<IniKey<M>>& table, const M& m,
                 const QString& sectionName = {}) {
    for (const auto& k : table)
        saveIniKey(ini, k, m, sectionName);
}

}  // namespace nivora
