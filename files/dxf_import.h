#pragma once

// The inside of the DXF import, shared by its two source files: the file's
// lines, its groups (code and value) and the import of one drawing.

#include <QPointF>
#include <QString>
#include <cstdint>
#include <cstring>
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

// Trimmed lines of the file.
class Lines {
  public:
    explicit Lines(std::string_view text) : p_(text.data()), end_(text.data() + text.size()) {}

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
        p_ = nl ? nl + 1 : end_;
        return true;
    }
    // The line last read as it stands, without its line end.
    std::string_view raw() const { return raw_; }
    const char* pos() const { return p_; }
    void seek(const char* p) { p_ = p; }

  private:
    const char* p_;
    const char* end_;
    std::string_view raw_;
};

inline int groupCode(std::string_view s) {
    if (!s.empty() && s.size() <= 4) {
        int v = 0;
        bool digits = true;
        for (char c : s) {
            if (c < '0' || c > '9') {
                digits = false;
                break;
            }
            v = v * 10 + (c - '0');
        }
        if (digits) return v;
    }
    return leadingInt(s);
}

// One group; false at the end of the data. A code line without its value
// line gives an empty value.
inline bool readGroup(Lines& lines, int& code, std::string_view& value) {
    std::string_view codeLine;
    if (!lines.next(codeLine)) return false;
    code = groupCode(codeLine);
    if (!lines.next(value)) value = {};
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
            case 10: e.x1 = num(v); break;
            case 20: e.y1 = num(v); break;
            case 11: e.x2 = num(v); break;
            case 21: e.y2 = num(v); break;
            default: other(code, v); break;
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

struct Sections {
    const char* tables = nullptr;
    const char* blocks = nullptr;
    const char* entities = nullptr;
};

class Import {
  public:
    Import(std::string_view file, CanvasDocument& doc, FileReport& report,
           std::int64_t maxInsertLines)
        : file_(file), doc_(doc), report_(report), maxInsertLines_(maxInsertLines) {}

    bool run();
    std::int64_t imported() const { return imported_; }

  private:
    Sections findSections() const;
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
    std::int64_t imported_ = 0;
    std::int64_t insertLines_ = 0;
    std::int64_t insertsLeftOut_ = 0;
    std::unordered_map<std::string_view, int> layerIds_;
    std::string_view lastLayerRaw_;
    int lastLayerId_ = -1;
};

}  // namespace nivora::dxf
