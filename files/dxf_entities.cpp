// The entities of a DXF drawing and the shapes they become.

#include <cmath>

#include "files/dxf_import.h"
#include "files/dxf_text.h"

namespace nivora::dxf {

bool Import::entity(Lines& lines, std::string_view& type) {
    const std::string_view t = type;
    switch (t.size()) {
        case 3:
            if (t == "ARC") return arc(lines, type);
            break;
        case 4:
            if (t == "LINE") return line(lines, type);
            if (t == "TEXT") return text(lines, type, false);
            break;
        case 5:
            if (t == "POINT") return point(lines, type);
            if (t == "MTEXT") return text(lines, type, true);
            if (t == "SOLID" || t == "TRACE") return solid(lines, type);
            break;
        case 6:
            if (t == "CIRCLE") return circle(lines, type);
            if (t == "SPLINE") return spline(lines, type);
            if (t == "INSERT") return insert(lines, type);
            break;
        case 7:
            if (t == "ELLIPSE") return ellipse(lines, type);
            break;
        case 8:
            if (t == "POLYLINE") return polyline(lines, type);
            break;
        case 10:
            if (t == "LWPOLYLINE") return lwpolyline(lines, type);
            break;
        default:
            break;
    }
    return skipRecord(lines, type);
}

bool Import::line(Lines& lines, std::string_view& next) {
    Common c;
    LineEnds e;
    const bool more =
        readLineEnds(lines, next, e, [&](int code, std::string_view v) { c.take(code, v); });
    if (!keep()) return more;
    const int layer = layerId(c.layer);
    auto s = std::make_unique<TNLine>(e.x1, e.y1, e.x2, e.y2);
    s->PenFg = colorFor(c.color, layer);
    add(std::move(s), layer);
    return more;
}

bool Import::circle(Lines& lines, std::string_view& next) {
    Common c;
    double cx = 0, cy = 0, r = 0;
    const bool more = readNumberGroups(lines, next, c, {{10, &cx}, {20, &cy}, {40, &r}});
    if (!keep()) return more;
    const int layer = layerId(c.layer);
    auto s = std::make_unique<TNCircle>(cx, cy, r);
    s->PenFg = colorFor(c.color, layer);
    add(std::move(s), layer);
    return more;
}

bool Import::arc(Lines& lines, std::string_view& next) {
    Common c;
    double cx = 0, cy = 0, r = 0, start = 0, end = 0;
    const bool more = readNumberGroups(lines, next, c,
                                       {{10, &cx}, {20, &cy}, {40, &r}, {50, &start}, {51, &end}});
    double sweep = end - start;
    if (sweep < 0) sweep += 360.0;
    std::vector<QPointF> pts;
    pts.reserve(21);
    for (int i = 0; i <= 20; ++i) {
        const double a = (start + sweep * i / 20.0) * kPi / 180.0;
        pts.emplace_back(cx + r * std::cos(a), cy + r * std::sin(a));
    }
    addPolyline(std::move(pts), false, c);
    return more;
}

bool Import::ellipse(Lines& lines, std::string_view& next) {
    Common c;
    double cx = 0, cy = 0, mx = 0, my = 0, ratio = 1.0, start = 0, end = kTwoPi;
    const bool more = readNumberGroups(
        lines, next, c,
        {{10, &cx}, {20, &cy}, {11, &mx}, {21, &my}, {40, &ratio}, {41, &start}, {42, &end}});
    const double a = std::sqrt(mx * mx + my * my);
    const double theta = std::atan2(my, mx);
    const double ct = std::cos(theta);
    const double st = std::sin(theta);
    std::vector<QPointF> pts;
    pts.reserve(37);
    for (int i = 0; i <= 36; ++i) {
        const double t = start + (end - start) * i / 36.0;
        const double px = a * std::cos(t);
        const double py = a * ratio * std::sin(t);
        pts.emplace_back(cx + px * ct - py * st, cy + px * st + py * ct);
    }
    addPolyline(std::move(pts), std::fabs(end - start) >= kFullEllipse, c);
    return more;
}

bool Import::solid(Lines& lines, std::string_view& next) {
    Common c;
    double v[8] = {};
    const bool more = forEachGroup(lines, next, [&](int code, std::string_view value) {
        if (code >= 10 && code <= 13) {
            v[2 * (code - 10)] = num(value);
        } else if (code >= 20 && code <= 23) {
            v[2 * (code - 20) + 1] = num(value);
        } else {
            c.take(code, value);
        }
    });
    std::vector<QPointF> pts{{v[0], v[1]}, {v[2], v[3]}, {v[4], v[5]}};
    if (!(v[6] == v[4] && v[7] == v[5])) pts.emplace_back(v[6], v[7]);
    addPolyline(std::move(pts), true, c);
    return more;
}

bool Import::point(Lines& lines, std::string_view& next) {
    Common c;
    double x = 0, y = 0;
    const bool more = readNumberGroups(lines, next, c, {{10, &x}, {20, &y}});
    if (keep() && doc_.DrawPoint(x, y, layerId(c.layer)) >= 0) ++imported_;
    return more;
}

bool Import::spline(Lines& lines, std::string_view& next) {
    Common c;
    int flags = 0;
    std::vector<double> xs, ys;
    const bool more = forEachGroup(lines, next, [&](int code, std::string_view v) {
        switch (code) {
            case 10:
                xs.push_back(num(v));
                break;
            case 20:
                ys.push_back(num(v));
                break;
            case 70:
                flags = leadingInt(v);
                break;
            default:
                c.take(code, v);
                break;
        }
    });
    if (ys.size() < 2 || xs.size() != ys.size()) return more;
    std::vector<QPointF> pts;
    pts.reserve(xs.size());
    for (std::size_t i = 0; i < xs.size(); ++i)
        pts.emplace_back(xs[i], ys[i]);
    addPolyline(std::move(pts), (flags & 1) != 0, c);
    return more;
}

bool Import::text(Lines& lines, std::string_view& next, bool mtext) {
    std::string_view layerRaw = "0";
    double x = 0, y = 0, height = 0, angle = 0;
    std::string_view value;
    // A long MTEXT comes in pieces: groups 3, then the last piece in group 1.
    // The pieces are joined as they stand (a piece may end in a blank) and
    // the whole text is trimmed like a single line.
    std::string pieces;
    std::string joined;
    const bool more = forEachGroup(lines, next, [&](int code, std::string_view v) {
        switch (code) {
            case 1:
                value = v;
                if (!pieces.empty()) {
                    joined = pieces;
                    joined.append(lines.raw());
                    value = trimmed(joined);
                }
                break;
            case 3:
                if (mtext) pieces.append(lines.raw());
                break;
            case 8:
                layerRaw = v;
                break;
            case 10:
                x = num(v);
                break;
            case 20:
                y = num(v);
                break;
            case 40:
                height = num(v);
                break;
            case 50:
                angle = num(v);
                break;
            default:
                break;
        }
    });
    if (!keep()) return more;
    // A text that shows nothing is not exported either (see the writer).
    const QString string = dxf::decodeText(dxf::cleanTextCodes(value));
    if (dxf::isBlankText(string)) return more;
    const int layer = layerId(layerRaw);
    auto t = std::make_unique<TNText>(x, y, string);
    t->SetText(string);
    t->FontIndex = -1;
    t->FontName = QStringLiteral("Arial");
    t->Bold = false;
    t->Italic = false;
    t->Height = height > 0.1 ? height : 2.5;
    t->Angle = angle;
    t->HAlign = 0;
    t->VAlign = 2;
    t->PenFg = layerColor(layer);
    add(std::move(t), layer);
    return more;
}

bool Import::lwpolyline(Lines& lines, std::string_view& next) {
    Common c;
    int flags = 0;
    std::vector<QPointF> pts;
    bool haveX = false;
    double x = 0;
    const bool more = forEachGroup(lines, next, [&](int code, std::string_view v) {
        switch (code) {
            case 10:
                x = num(v);
                haveX = true;
                break;
            case 20:
                if (haveX) pts.emplace_back(x, num(v));
                haveX = false;
                break;
            case 70:
                flags = leadingInt(v);
                break;
            default:
                c.take(code, v);
                break;
        }
    });
    if (pts.size() >= 2) addPolyline(std::move(pts), (flags & 1) != 0, c);
    return more;
}

bool Import::polyline(Lines& lines, std::string_view& next) {
    Common c;
    int flags = 0;
    bool more = forEachGroup(lines, next, [&](int code, std::string_view v) {
        if (code == 70) {
            flags = leadingInt(v);
        } else {
            c.take(code, v);
        }
    });
    const bool header = keep();
    std::vector<QPointF> pts;
    while (more && next == "VERTEX") {
        double x = 0, y = 0;
        const std::int64_t cuts = lines.cuts();
        more = forEachGroup(lines, next, [&](int code, std::string_view v) {
            if (code == 10) x = num(v);
            if (code == 20) y = num(v);
        });
        // A damaged vertex is left out on its own; the rest of the line stays.
        if (lines.cuts() != cuts) {
            if (header) ++leftOut_;
            continue;
        }
        pts.emplace_back(x, y);
    }
    if (header) recordCuts_ = lines.cuts();  // the vertices were judged one by one
    // SEQEND, or whatever record ends the list, is read by the caller next.
    if (pts.size() >= 2) addPolyline(std::move(pts), (flags & 1) != 0, c);
    return more;
}

bool Import::insert(Lines& lines, std::string_view& next) {
    Common c;
    std::string_view name;
    double ix = 0, iy = 0, sx = 1.0, sy = 1.0, rotation = 0;
    const bool more = forEachGroup(lines, next, [&](int code, std::string_view v) {
        switch (code) {
            case 2:
                name = v;
                break;
            case 10:
                ix = num(v);
                break;
            case 20:
                iy = num(v);
                break;
            case 41:
                sx = num(v);
                break;
            case 42:
                sy = num(v);
                break;
            case 50:
                rotation = num(v);
                break;
            default:
                c.take(code, v);
                break;
        }
    });
    if (!keep()) return more;
    const TNBlock* block = doc_.FindBlock(dxf::decodeName(name));
    if (!block) return more;
    std::int64_t lineCount = 0;
    for (const auto& s : block->Shapes) {
        if (s->ShapeType() == shape_type::Line && s->Class() == ShapeClass::Line) ++lineCount;
    }
    if (lineCount == 0) return more;
    if (insertLines_ + lineCount > maxInsertLines_) {
        ++insertsLeftOut_;
        return more;
    }
    insertLines_ += lineCount;
    const int layer = layerId(c.layer);
    const auto own = dxf::colorOfIndex(c.color);
    const double r = rotation * kPi / 180.0;
    const double cr = std::cos(r);
    const double sr = std::sin(r);
    auto place = [&](double x, double y) {
        const double dx = (x - block->BaseX) * sx;
        const double dy = (y - block->BaseY) * sy;
        return QPointF(dx * cr - dy * sr + ix, dx * sr + dy * cr + iy);
    };
    for (const auto& s : block->Shapes) {
        if (s->ShapeType() != shape_type::Line || s->Class() != ShapeClass::Line) continue;
        const auto& l = static_cast<const TNLine&>(*s);
        const QPointF a = place(l.x1, l.y1);
        const QPointF b = place(l.x2, l.y2);
        auto line = std::make_unique<TNLine>(a.x(), a.y(), b.x(), b.y());
        line->PenFg = own ? *own : l.PenFg;
        add(std::move(line), layer);
    }
    return more;
}

}  // namespace nivora::dxf
