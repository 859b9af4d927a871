#pragma once

// The inside of the DXF import, shared by its two source files: the file's
// lines, its groups (code and value) and the import of one drawing.

#include <QPointF>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "canvas/canvas_document.h"
#include "files/file_format.h"
#include "files/text_fields.h"

namespace nivora::dxf {

using files::leadingDouble;
using files::leadingInt;

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kTwoPi = 6.283185307179586;
inline constexpr double kFullEllipse = 6.2731853071795864;  // 2 pi less 0.01
inline constexpr std::string_view kBinarySentinel = "AutoCAD Binary DXF";

inline bool isTrimmed(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

inline std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isTrimmed(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isTrimmed(s.back()))
        s.remove_suffix(1);
    return s;
}

// A group code line: an integer, as group codes are (-5 to 1071).
inline bool isGroupCode(std::string_view s) {
    if (!s.empty() && s.front() == '-') s.remove_prefix(1);
    if (s.empty() || s.size() > 6) return false;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// A record type after group code 0: upper-case letters, digits and
// underscores with at least one letter (LINE, 3DFACE, ACAD_TABLE, ENDSEC).
inline bool isRecordType(std::string_view s) {
    bool letter = false;
    for (char c : s) {
        if (c >= 'A' && c <= 'Z') {
            letter = true;
        } else if (!((c >= '0' && c <= '9') || c == '_')) {
            return false;
        }
    }
    return letter;
}

// Trimmed lines of the file. It also keeps count of the lines found out of
// place (a value broken over two lines, a blank line inside a record) and of
// the records they cut short.
class Lines {
  public:
    explicit Lines(std::string_view text)
        : begin_(text.data()),
          p_(text.data()),
          end_(text.data() + text.size()),
          last_(text.data()),
          before_(text.data()) {}

    bool next(std::string_view& line) {
        if (p_ >= end_) return false;
        const char* nl =
            static_cast<const char*>(std::memchr(p_, '\n', static_cast<std::size_t>(end_ - p_)));
        const char* stop = nl ? nl : end_;
        const char* a = p_;
        while (a < stop && isTrimmed(*a))
            ++a;
        const char* b = stop;
        while (b > a && isTrimmed(b[-1]))
            --b;
        line = std::string_view(a, static_cast<std::size_t>(b - a));
        const char* rawEnd = stop;
        if (rawEnd > p_ && rawEnd[-1] == '\r') --rawEnd;
        raw_ = std::string_view(p_, static_cast<std::size_t>(rawEnd - p_));
        before_ = last_;
        last_ = p_;
        p_ = nl ? nl + 1 : end_;
        return true;
    }
    // The line last read as it stands, without its line end.
    std::string_view raw() const { return raw_; }
    const char* pos() const { return p_; }
    void seek(const char* p) {
        p_ = p;
        last_ = before_ = p;
    }

    enum class Stray {
        CodeLine,    // a line where a group code belongs that is none
        RecordType,  // the value of a group 0 that is no record type
    };
    // After a line out of place: goes on at the next line "0" followed by a
    // record type, which is returned in `type`; false when the data ends
    // first. A stray code line is looked for from the line before it (a
    // value read as a code may have been that "0"), and cuts the record
    // short unless only the stray line itself was passed over. A stray
    // record type ends nothing: the record before it ended at its group 0.
    bool resync(Stray kind, std::string_view& type) {
        const char* stray = last_;
        if (strays_++ == 0) firstStray_ = stray;
        const bool codeLine = kind == Stray::CodeLine;
        p_ = codeLine ? before_ : last_;
        std::string_view l;
        while (next(l)) {
            if (l != "0") continue;
            const char* zero = last_;
            if (!next(type)) break;
            if (!isRecordType(type)) {
                seek(last_);
                continue;
            }
            if (codeLine && zero != lineAfter(stray)) ++cuts_;
            return true;
        }
        if (codeLine && lineAfter(stray) != end_) ++cuts_;
        return false;
    }

    std::int64_t strays() const { return strays_; }
    std::int64_t cuts() const { return cuts_; }
    // 1-based number of the first line out of place; 0 when there is none.
    std::int64_t firstStrayLine() const {
        if (!firstStray_) return 0;
        return 1 + std::count(begin_, firstStray_, '\n');
    }

  private:
    const char* lineAfter(const char* line) const {
        const char* nl = static_cast<const char*>(
            std::memchr(line, '\n', static_cast<std::size_t>(end_ - line)));
        return nl ? nl + 1 : end_;
    }

    const char* begin_;
    const char* p_;
    const char* end_;
    const char* last_;    // start of the line last read
    const char* before_;  // start of the line read before it
    std::string_view raw_;
    std::int64_t strays_ = 0;
    std::int64_t cuts_ = 0;
    const char* firstStray_ = nullptr;
};

inline int groupCode(std::string_view s) {
    int v = 0;
    const bool negative = !s.empty() && s.front() == '-';
    for (char c : s.substr(negative ? 1 : 0))
        v = v * 10 + (c - '0');
    return negative ? -v : v;
}

// One group; false at the end of the data. A code line without its value
// line gives an empty value. A line that is no group code where one belongs,
// or a group 0 whose value is no record type, puts the reader at the next
// record: the group returned is then that record's group 0.
inline bool readGroup(Lines& lines, int& code, std::string_view& value) {
    std::string_view codeLine;
    if (!lines.next(codeLine)) return false;
    if (!isGroupCode(codeLine)) {
        code = 0;
        return lines.resync(Lines::Stray::CodeLine, value);
    }
    code = groupCode(codeLine);
    if (!lines.next(value)) {
        value = {};  // the data ends after a code line
        return true;
    }
    if (code == 0 && !isRecordType(value)) return lines.resync(Lines::Stray::RecordType, value);
    return true;
}

// Calls f(code, value) for every group of the current record. True with the
// type of the following record in `next`; false when the data ends first.
// Group 101 starts data embedded in the record (newer MTEXT carries a second
// insertion point and height there); it is not the record's own and is
// passed over.
template <class F>
inline bool forEachGroup(Lines& lines, std::string_view& next, F&& f) {
    int code = 0;
    std::string_view value;
    bool embedded = false;
    while (readGroup(lines, code, value)) {
        if (code == 0) {
            next = value;
            return true;
        }
        if (code == 101) embedded = true;
        if (!embedded) f(code, value);
    }
    return false;
}

inline bool skipRecord(Lines& lines, std::string_view& next) {
    return forEachGroup(lines, next, [](int, std::string_view) {});
}

inline double num(std::string_view v) {
    return leadingDouble(v);
}

// A LINE record's two end points (groups 10, 20, 11, 21); every other group
// goes to `other`.
struct LineEnds {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
template <class F>
inline bool readLineEnds(Lines& lines, std::string_view& next, LineEnds& e, F&& other) {
    return forEachGroup(lines, next, [&](int code, std::string_view v) {
        switch (code) {
            case 10:
                e.x1 = num(v);
                break;
            case 20:
                e.y1 = num(v);
                break;
            case 11:
                e.x2 = num(v);
                break;
            case 21:
                e.y2 = num(v);
                break;
            default:
                other(code, v);
                break;
        }
    });
}

// Layer and colour of an entity.
struct Common {
    std::string_view layer = "0";
    int color = -1;
    bool take(int code, std::string_view v) {
        if (code == 8) {
            layer = v;
            return true;
        }
        if (code == 62) {
            color = leadingInt(v);
            return true;
        }
        return false;
    }
};

// The groups of an entity that are plain numbers, by code: one table per
// entity instead of one switch each. Codes not in it go to the common fields.
struct NumberGroup {
    int code;
    double* into;
};

template <std::size_t N>
bool readNumberGroups(Lines& lines, std::string_view& next, Common& common,
                      const NumberGroup (&groups)[N]) {
    return forEachGroup(lines, next, [&](int code, std::string_view v) {
        for (const NumberGroup& g : groups) {
            if (g.code == code) {
                *g.into = num(v);
                return;
            }
        }
        common.take(code, v);
    });
}

struct Sections {
    const char* tables = nullptr;
    const char* blocks = nullptr;
    const char* entities = nullptr;
};

class Import {
  public:
    Import(std::string_view file, CanvasDocument& doc, FileReport& report,
           std::int64_t maxInsertLines, const LoadBudget& budget)
        : file_(file),
          doc_(doc),
          report_(report),
          maxInsertLines_(maxInsertLines),
          budget_(budget) {}

    bool run();
    std::int64_t imported() const { return imported_; }
    // Told the share of the entities read now and then (DrawingReader::setProgress).
    // False from it stops the entities there.
    void setProgress(std::function<bool(double)> progress) { progress_ = std::move(progress); }

  private:
    Sections findSections() const;
    // Counts what the sections would add; false with report_.error when
    // that is beyond the budget. Nothing in the drawing changes.
    bool fitsBudget(const Sections& sections);
    void readLayers(const char* start);
    void readBlocks(const char* start);
    void readEntities(const char* start);
    bool entity(Lines& lines, std::string_view& type);

    bool line(Lines& lines, std::string_view& next);
    bool circle(Lines& lines, std::string_view& next);
    bool arc(Lines& lines, std::string_view& next);
    bool ellipse(Lines& lines, std::string_view& next);
    bool solid(Lines& lines, std::string_view& next);
    bool point(Lines& lines, std::string_view& next);
    bool spline(Lines& lines, std::string_view& next);
    bool text(Lines& lines, std::string_view& next, bool mtext);
    bool lwpolyline(Lines& lines, std::string_view& next);
    bool polyline(Lines& lines, std::string_view& next);
    bool insert(Lines& lines, std::string_view& next);

    // The record being read was cut short by a stray line: it is left out
    // (counted once), as its groups after that line went to the next record.
    bool keep();
    void noteStrays(const Lines& lines);
    void strayWarning();

    int layerId(std::string_view raw);
    TColor layerColor(int layer) const;
    TColor colorFor(int index, int layer) const;
    void add(std::unique_ptr<TNShape> shape, int layer);
    void addPolyline(std::vector<QPointF>&& points, bool closed, const Common& c);
    QString summary() const;

    std::string_view file_;
    CanvasDocument& doc_;
    FileReport& report_;
    const std::int64_t maxInsertLines_;
    const LoadBudget& budget_;
    std::function<bool(double)> progress_;
    std::int64_t imported_ = 0;
    std::int64_t insertLines_ = 0;
    std::int64_t insertsLeftOut_ = 0;
    std::unordered_map<std::string_view, int> layerIds_;
    std::string_view lastLayerRaw_;
    int lastLayerId_ = -1;

    const Lines* reading_ = nullptr;  // lines of the record being read
    std::int64_t recordCuts_ = 0;     // their cut count when the record began
    bool recordLeftOut_ = false;
    std::int64_t strays_ = 0;
    std::int64_t firstStrayLine_ = 0;
    std::int64_t leftOut_ = 0;
};

}  // namespace nivora::dxf
