#include "app/toolbar_icons.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace nivora {
namespace {

// Every icon is drawn on a 24-unit grid; a 2-unit stroke is 2 px at 24 px.
constexpr qreal kGrid = 24.0;
constexpr qreal kStroke = 2.0;
constexpr qreal kPi = 3.14159265358979323846;

// Accents: mid-tone colours, dark enough for a white window and light enough
// for the night palette.
const QColor kGreen(0x2f, 0xaa, 0x4f);
const QColor kAmber(0xe8, 0x96, 0x00);
const QColor kGrey(0x8e, 0x8e, 0x8e);
const QColor kRed(0xe0, 0x3b, 0x3b);
const QColor kBlue(0x2f, 0x8a, 0xe0);

QPointF onCircle(QPointF c, qreal r, qreal deg) {
    const qreal a = deg * kPi / 180.0;
    return {c.x() + r * std::cos(a), c.y() - r * std::sin(a)};
}

QPointF unit(QPointF v) {
    const qreal len = std::hypot(v.x(), v.y());
    return len > 0 ? v / len : QPointF(1, 0);
}

QPainterPath polyline(std::initializer_list<QPointF> pts, bool closed = false) {
    QPainterPath path;
    bool first = true;
    for (const QPointF& pt : pts) {
        if (first) {
            path.moveTo(pt);
            first = false;
        } else {
            path.lineTo(pt);
        }
    }
    if (closed) path.closeSubpath();
    return path;
}

QPainterPath circle(QPointF c, qreal r) {
    QPainterPath path;
    path.addEllipse(c, r, r);
    return path;
}

// Angles in degrees, counter-clockwise from three o'clock, as QPainterPath.
QPainterPath arc(QPointF c, qreal r, qreal startDeg, qreal sweepDeg) {
    const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
    QPainterPath path;
    path.arcMoveTo(box, startDeg);
    path.arcTo(box, startDeg, sweepDeg);
    return path;
}

// Drawing primitives on the 24-unit grid. The painter targets a private,
// transparent image, so "knock" can clear a gap where two marks cross.
class Sketch {
  public:
    Sketch(QPainter& p, const QColor& fg) : p_(p), fg_(fg) {}

    const QColor& fg() const { return fg_; }
    QPainter& painter() { return p_; }

    void stroke(const QPainterPath& path, const QColor& c, qreal w = kStroke) {
        p_.setBrush(Qt::NoBrush);
        p_.setPen(QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p_.drawPath(path);
    }
    void stroke(const QPainterPath& path) { stroke(path, fg_); }

    // Dashes stay long enough to read as dashes at 16 px.
    void dashed(const QPainterPath& path, const QColor& c, qreal w = kStroke) {
        QPen pen(c, w, Qt::CustomDashLine, Qt::FlatCap, Qt::RoundJoin);
        pen.setDashPattern({1.6, 1.1});
        p_.setBrush(Qt::NoBrush);
        p_.setPen(pen);
        p_.drawPath(path);
    }

    void line(QPointF a, QPointF b, const QColor& c, qreal w = kStroke) {
        stroke(polyline({a, b}), c, w);
    }
    void line(QPointF a, QPointF b) { line(a, b, fg_); }

    void fill(const QPainterPath& path, const QColor& c) {
        p_.setPen(Qt::NoPen);
        p_.setBrush(c);
        p_.drawPath(path);
    }

    void dot(QPointF c, qreal r, const QColor& col) { fill(circle(c, r), col); }

    void knockStroke(const QPainterPath& path, qreal w) {
        p_.save();
        p_.setCompositionMode(QPainter::CompositionMode_Clear);
        stroke(path, Qt::black, w);
        p_.restore();
    }
    void knockFill(const QPainterPath& path, qreal margin) {
        p_.save();
        p_.setCompositionMode(QPainter::CompositionMode_Clear);
        fill(path, Qt::black);
        if (margin > 0) stroke(path, Qt::black, 2 * margin);
        p_.restore();
    }

    // An open arrow head at tip, pointing along dir.
    void chevron(QPointF tip, QPointF dir, qreal len, const QColor& c, qreal w = kStroke) {
        const QPointF d = unit(dir);
        const QPointF n(-d.y(), d.x());
        stroke(polyline({tip - d * len + n * len, tip, tip - d * len - n * len}), c, w);
    }

    // A filled arrow head whose base centre is at base, pointing along dir.
    void head(QPointF base, QPointF dir, qreal len, qreal halfWidth, const QColor& c) {
        const QPointF d = unit(dir);
        const QPointF n(-d.y(), d.x());
        QPainterPath tri =
            polyline({base + d * len, base + n * halfWidth, base - n * halfWidth}, true);
        fill(tri, c);
        p_.setPen(QPen(c, 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p_.setBrush(Qt::NoBrush);
        p_.drawPath(tri);
    }

    // A circular arrow; the head sits at the end of the sweep.
    void circularArrow(QPointF c, qreal r, qreal startDeg, qreal sweepDeg, const QColor& col,
                       qreal w = kStroke, qreal headLen = 3.6) {
        stroke(arc(c, r, startDeg, sweepDeg), col, w);
        const qreal endDeg = startDeg + sweepDeg;
        const qreal a = endDeg * kPi / 180.0;
        QPointF dir(-std::sin(a), -std::cos(a));
        if (sweepDeg < 0) dir = -dir;
        head(onCircle(c, r, endDeg), dir, headLen, headLen * 0.85, col);
    }

    // A vertex grip of the drawing tools: a solid square with a clear rim so
    // it stands apart from the line it sits on.
    void grip(QPointF c) {
        const qreal h = 2.3;
        QPainterPath sq;
        sq.addRect(QRectF(c.x() - h, c.y() - h, 2 * h, 2 * h));
        knockFill(sq, 1.0);
        fill(sq, fg_);
    }

    void magnifier(QPointF c, qreal r, QPointF handleEnd, const QColor& col) {
        stroke(circle(c, r), col);
        const QPointF d = unit(handleEnd - c);
        line(c + d * (r + 0.6), handleEnd, col, 3.2);
    }

    void cross(QPointF c, qreal half, const QColor& col, qreal w = kStroke) {
        line(c + QPointF(-half, -half), c + QPointF(half, half), col, w);
        line(c + QPointF(half, -half), c + QPointF(-half, half), col, w);
    }
    // A cross with a clear rim, for marks laid over other marks.
    void clearedCross(QPointF c, qreal half, const QColor& col, qreal w = kStroke) {
        QPainterPath x = polyline({c + QPointF(-half, -half), c + QPointF(half, half)});
        x.addPath(polyline({c + QPointF(half, -half), c + QPointF(-half, half)}));
        knockStroke(x, w + 2.4);
        stroke(x, col, w);
    }

    void digitOne(QPointF c, qreal h, const QColor& col, qreal w) {
        const qreal top = c.y() - h / 2;
        const qreal x = c.x() + h * 0.08;
        stroke(polyline({{x - h * 0.32, top + h * 0.26}, {x, top}, {x, top + h}}), col, w);
    }

  private:
    QPainter& p_;
    QColor fg_;
};

// ---- shapes shared by several icons ----

void trackDots(Sketch& s, const QColor& c) {
    for (QPointF pt : {QPointF(3.5, 19.5), QPointF(5.2, 13.6), QPointF(8.6, 8.8),
                       QPointF(13.4, 5.6), QPointF(19.2, 4.2)})
        s.dot(pt, 2.3, c);
}

void clearTrack(Sketch& s, const QColor& c) {
    trackDots(s, c);
    s.cross({17.5, 17.5}, 3.6, s.fg(), 2.4);
}

void flag(Sketch& s) {
    s.line({4.5, 3}, {4.5, 21.5});
    s.fill(polyline({{4.5, 3.2}, {16.5, 3.2}, {13.4, 7.2}, {16.5, 11.2}, {4.5, 11.2}}, true),
           s.fg());
}

void reticle(Sketch& s) {
    s.stroke(circle({12, 12}, 7.4));
    s.line({12, 1.5}, {12, 5});
    s.line({12, 19}, {12, 22.5});
    s.line({1.5, 12}, {5, 12});
    s.line({19, 12}, {22.5, 12});
}

QPainterPath vesselArrow() {
    return polyline({{12, 6.4}, {16.1, 16.8}, {12, 14.4}, {7.9, 16.8}}, true);
}

QPainterPath lassoPath(std::initializer_list<QPointF> pts) {
    // A smooth closed loop through the given points (Catmull-Rom as cubics).
    std::vector<QPointF> v(pts);
    QPainterPath path;
    const std::size_t n = v.size();
    path.moveTo(v[0]);
    for (std::size_t i = 0; i < n; ++i) {
        const QPointF p0 = v[(i + n - 1) % n], p1 = v[i], p2 = v[(i + 1) % n], p3 = v[(i + 2) % n];
        path.cubicTo(p1 + (p2 - p0) / 6.0, p2 - (p3 - p1) / 6.0, p2);
    }
    path.closeSubpath();
    return path;
}

QPainterPath windowFrame(const QRectF& r) {
    QPainterPath path;
    path.addRoundedRect(r, 1.5, 1.5);
    return path;
}

void tray(Sketch& s) {
    s.stroke(polyline({{3.5, 14}, {3.5, 20.5}, {20.5, 20.5}, {20.5, 14}}));
}

// ---- the program's own icon, in full colour ----

void applicationIcon(Sketch& s) {
    QPainter& p = s.painter();
    QPainterPath tile;
    tile.addRoundedRect(QRectF(1, 1, 22, 22), 4.5, 4.5);

    QLinearGradient sky(0, 1, 0, 10);
    sky.setColorAt(0, QColor(0x9b, 0xd6, 0xff));
    sky.setColorAt(1, QColor(0xd8, 0xf0, 0xff));
    QLinearGradient sea(0, 10, 0, 23);
    sea.setColorAt(0, QColor(0x1f, 0x7a, 0xcf));
    sea.setColorAt(1, QColor(0x0a, 0x2e, 0x66));

    p.save();
    p.setClipPath(tile);
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRect(QRectF(0, 0, 24, 10.5));
    p.setBrush(sea);
    p.drawRect(QRectF(0, 10.5, 24, 14));

    // The sounding beam, a translucent cone from the keel to the seabed.
    s.fill(polyline({{12, 12.5}, {6.8, 20}, {17.2, 20}}, true), QColor(255, 236, 120, 150));
    s.line({12, 12.5}, {12, 18.8}, QColor(255, 244, 170), 1.2);

    QPainterPath bed;
    bed.moveTo(0, 19.5);
    bed.cubicTo(5, 17.3, 8, 21.2, 13, 19.6);
    bed.cubicTo(17, 18.3, 20, 17.6, 24, 19);
    bed.lineTo(24, 24);
    bed.lineTo(0, 24);
    bed.closeSubpath();
    s.fill(bed, QColor(0xe0, 0xb2, 0x62));
    s.stroke(bed, QColor(0x8a, 0x5a, 0x1c), 1.0);
    p.restore();

    // The boat: cabin, antenna mast and an orange hull on the waterline.
    const QColor navy(0x12, 0x2e, 0x55);
    s.line({15.8, 3}, {15.8, 7.5}, navy, 1.3);
    s.dot({15.8, 3}, 1.3, navy);
    QPainterPath cabin;
    cabin.addRoundedRect(QRectF(7.5, 5.2, 6.5, 3.6), 0.8, 0.8);
    s.fill(cabin, Qt::white);
    s.stroke(cabin, navy, 1.0);
    s.fill(polyline({{9, 6.4}, {12.5, 6.4}, {12.5, 7.6}, {9, 7.6}}, true), navy);
    QPainterPath hull = polyline({{3.5, 8.6}, {20.5, 8.6}, {17.8, 12.8}, {6.6, 12.8}}, true);
    s.fill(hull, QColor(0xf2, 0x7a, 0x1a));
    s.stroke(hull, navy, 1.0);

    p.setPen(QPen(QColor(0, 0, 0, 60), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tile);
}

// ---- every icon ----

void drawIcon(Sketch& s, IconId id) {
    const QColor& fg = s.fg();
    switch (id) {
        case IconId::Runline: {
            // Parallel planned lines joined by the turns a boat runs them in.
            QPainterPath route;
            route.moveTo(3, 4.5);
            route.lineTo(17.5, 4.5);
            route.arcTo(QRectF(14, 4.5, 7, 7), 90, -180);
            route.lineTo(6.5, 11.5);
            route.arcTo(QRectF(3, 11.5, 7, 7), 90, 180);
            route.lineTo(20, 18.5);
            s.stroke(route);
            s.chevron({21, 18.5}, {1, 0}, 3.2, fg);
            s.dot({3, 4.5}, 2.0, kBlue);
            break;
        }
        case IconId::Settings: {
            QPainterPath gear;
            const QPointF c(12, 12);
            const qreal rIn = 6.9, rOut = 10.0;
            for (int i = 0; i < 8; ++i) {
                const qreal a = i * 45.0;
                const QPointF pts[] = {onCircle(c, rIn, a - 13), onCircle(c, rOut, a - 8.5),
                                       onCircle(c, rOut, a + 8.5), onCircle(c, rIn, a + 13)};
                if (i == 0)
                    gear.moveTo(pts[0]);
                else
                    gear.lineTo(pts[0]);
                for (int k = 1; k < 4; ++k)
                    gear.lineTo(pts[k]);
            }
            gear.closeSubpath();
            gear.addEllipse(c, 3.0, 3.0);
            gear.setFillRule(Qt::OddEvenFill);
            s.fill(gear, fg);
            break;
        }
        case IconId::ClearFixed:
            clearTrack(s, kGreen);
            break;
        case IconId::ClearFloat:
            clearTrack(s, kAmber);
            break;
        case IconId::ClearAuto:
            clearTrack(s, kGrey);
            break;
        case IconId::SelectTrack:
            s.dashed(lassoPath({{3, 9}, {9, 3.2}, {18.5, 3.5}, {21, 11}, {15.5, 20.5}, {5.5, 19}}),
                     fg);
            for (QPointF pt : {QPointF(7.5, 14.5), QPointF(11.5, 10.5), QPointF(16, 8.5)})
                s.dot(pt, 2.1, fg);
            break;
        case IconId::DeleteSelected:
            s.dashed(
                lassoPath({{2.5, 7.5}, {8, 2.5}, {15.5, 3.5}, {16.5, 11}, {10, 16}, {3.5, 14}}),
                fg);
            for (QPointF pt : {QPointF(6.5, 10), QPointF(10.5, 7.5)})
                s.dot(pt, 2.0, fg);
            s.clearedCross({17.5, 17.5}, 3.7, kRed, 2.6);
            break;
        case IconId::Follow:
            reticle(s);
            s.fill(vesselArrow(), kBlue);
            break;
        case IconId::NoFollow: {
            // A red slash, so that it still reads across the blue vessel.
            reticle(s);
            s.fill(vesselArrow(), kBlue);
            QPainterPath slash = polyline({{3.5, 3.5}, {20.5, 20.5}});
            s.knockStroke(slash, kStroke + 1.4);
            s.stroke(slash, kRed, 2.0);
            break;
        }
        case IconId::Open:
            s.stroke(polyline({{3, 19}, {3, 5}, {9, 5}, {11, 7.2}, {18.5, 7.2}, {18.5, 10.5}}));
            s.stroke(polyline({{3, 19}, {6.5, 10.5}, {22, 10.5}, {18.5, 19}}, true));
            break;
        case IconId::Save:
            s.stroke(polyline({{3.5, 3.5}, {17, 3.5}, {20.5, 7}, {20.5, 20.5}, {3.5, 20.5}}, true));
            s.stroke(polyline({{8, 3.5}, {8, 8.5}, {15, 8.5}, {15, 3.5}}));
            s.stroke(polyline({{7, 20.5}, {7, 13.5}, {17, 13.5}, {17, 20.5}}));
            break;
        case IconId::ZoomIn:
            s.magnifier({10, 10}, 6.6, {20.5, 20.5}, fg);
            s.line({7, 10}, {13, 10});
            s.line({10, 7}, {10, 13});
            break;
        case IconId::ZoomOut:
            s.magnifier({10, 10}, 6.6, {20.5, 20.5}, fg);
            s.line({7, 10}, {13, 10});
            break;
        case IconId::ZoomExtents:
            for (int sx : {-1, 1})
                for (int sy : {-1, 1}) {
                    const QPointF corner(12 + sx * 8.5, 12 + sy * 8.5);
                    s.line(QPointF(12 + sx * 3, 12 + sy * 3), corner);
                    s.stroke(polyline(
                        {corner - QPointF(0, sy * 5.5), corner, corner - QPointF(sx * 5.5, 0)}));
                }
            break;
        case IconId::ZoomWindow: {
            QPainterPath frame;
            frame.addRect(QRectF(2.5, 3, 15, 11));
            s.dashed(frame, fg);
            s.knockFill(circle({14.5, 14.5}, 4.6), 2.0);
            s.magnifier({14.5, 14.5}, 4.6, {21.5, 21.5}, fg);
            break;
        }
        case IconId::ZoomDynamic: {
            s.magnifier({14, 9.5}, 5.5, {21, 17.5}, fg);
            s.line({5, 3.5}, {5, 20.5});
            s.chevron({5, 2.8}, {0, -1}, 3.0, fg);
            s.chevron({5, 21.2}, {0, 1}, 3.0, fg);
            break;
        }
        case IconId::Pan:
            s.line({12, 2.5}, {12, 21.5});
            s.line({2.5, 12}, {21.5, 12});
            s.chevron({12, 2.5}, {0, -1}, 3.2, fg);
            s.chevron({12, 21.5}, {0, 1}, 3.2, fg);
            s.chevron({2.5, 12}, {-1, 0}, 3.2, fg);
            s.chevron({21.5, 12}, {1, 0}, 3.2, fg);
            break;
        case IconId::ShapeSelect: {
            QPainterPath square;
            square.addRect(QRectF(3, 3, 10, 10));
            s.stroke(square);
            QPainterPath cursor = polyline({{10, 8},
                                            {10, 21},
                                            {13.2, 17.8},
                                            {15.6, 22},
                                            {18, 20.8},
                                            {15.8, 16.6},
                                            {20.2, 16.2}},
                                           true);
            s.knockFill(cursor, 1.8);
            s.fill(cursor, fg);
            break;
        }
        case IconId::ClearUserShapes: {
            s.stroke(circle({8, 8}, 5));
            QPainterPath square;
            square.addRect(QRectF(9.5, 9.5, 8.5, 8.5));
            s.knockFill(square, 1.2);
            s.stroke(square);
            s.clearedCross({18, 18}, 3.6, fg, 2.4);
            break;
        }
        case IconId::AddEvent:
            flag(s);
            s.dot({17, 17}, 5.4, kBlue);
            s.digitOne({17, 17}, 6.0, Qt::white, 1.7);
            break;
        case IconId::ResetEvent:
            flag(s);
            s.knockFill(circle({16.8, 16.8}, 6.0), 1.0);
            s.circularArrow({16.8, 16.8}, 5.6, 70, 280, fg, 1.9, 3.2);
            s.digitOne({16.8, 17.0}, 5.6, fg, 1.8);
            break;
        case IconId::Exit:
            s.stroke(arc({12, 13}, 8, 125, 290), kRed, 2.6);
            s.line({12, 2.5}, {12, 11.5}, kRed, 2.6);
            break;
        case IconId::Restart:
            s.circularArrow({12, 12.5}, 7.8, 100, -300, fg, kStroke, 4.4);
            break;
        case IconId::ToolPoint:
            s.line({12, 2.5}, {12, 7.5});
            s.line({12, 16.5}, {12, 21.5});
            s.line({2.5, 12}, {7.5, 12});
            s.line({16.5, 12}, {21.5, 12});
            s.grip({12, 12});
            break;
        case IconId::ToolLine:
            s.line({4.5, 19.5}, {19.5, 4.5});
            s.grip({4.5, 19.5});
            s.grip({19.5, 4.5});
            break;
        case IconId::ToolRectangle: {
            QPainterPath r;
            r.addRect(QRectF(4.5, 6.5, 15, 11));
            s.stroke(r);
            for (QPointF pt :
                 {QPointF(4.5, 6.5), QPointF(19.5, 6.5), QPointF(19.5, 17.5), QPointF(4.5, 17.5)})
                s.grip(pt);
            break;
        }
        case IconId::ToolPolyline:
            s.stroke(polyline({{3.5, 18}, {9, 6.5}, {15, 16.5}, {20.5, 6}}));
            for (QPointF pt :
                 {QPointF(3.5, 18), QPointF(9, 6.5), QPointF(15, 16.5), QPointF(20.5, 6)})
                s.grip(pt);
            break;
        case IconId::ToolEllipse: {
            QPainterPath e;
            e.addEllipse(QPointF(12, 12), 9, 5.8);
            s.stroke(e);
            for (QPointF pt :
                 {QPointF(3, 12), QPointF(21, 12), QPointF(12, 6.2), QPointF(12, 17.8)})
                s.grip(pt);
            break;
        }
        case IconId::ToolPolygon: {
            const QPointF v[] = {{12, 3.5}, {20.5, 10}, {17, 20}, {6.5, 20}, {3.5, 10}};
            s.stroke(polyline({v[0], v[1], v[2], v[3], v[4]}, true));
            for (QPointF pt : v)
                s.grip(pt);
            break;
        }
        case IconId::ToolCurve: {
            QPainterPath c;
            c.moveTo(3.5, 19);
            c.cubicTo(7, 1, 17, 23, 20.5, 5);
            s.stroke(c);
            s.grip({3.5, 19});
            s.grip({20.5, 5});
            break;
        }
        case IconId::ToolArc: {
            const QPointF c(12, 16);
            s.stroke(arc(c, 8.5, 10, 160));
            s.grip(onCircle(c, 8.5, 10));
            s.grip(onCircle(c, 8.5, 90));
            s.grip(onCircle(c, 8.5, 170));
            break;
        }
        case IconId::ToolCircle: {
            const QPointF c(12, 12);
            s.stroke(circle(c, 8));
            s.line(c, {20, 12}, fg, 1.2);
            s.grip(c);
            s.grip({20, 12});
            break;
        }
        case IconId::Offsets: {
            // Hull cross-section, antenna on its mast, transducer under the
            // keel and the vertical offset between them.
            s.line({9.5, 7}, {9.5, 3.5});
            s.dot({9.5, 3}, 2.0, fg);
            QPainterPath cabin;
            cabin.addRect(QRectF(6, 7, 7, 4));
            s.fill(cabin, fg);
            QPainterPath hull;
            hull.moveTo(2, 11);
            hull.lineTo(17, 11);
            hull.cubicTo(16.5, 14.5, 13.5, 17, 9.5, 17);
            hull.cubicTo(5.5, 17, 2.5, 14.5, 2, 11);
            hull.closeSubpath();
            s.stroke(hull);
            s.fill(polyline({{7.8, 17.5}, {11.2, 17.5}, {10.6, 20.5}, {8.4, 20.5}}, true), kBlue);
            s.line({21, 4.5}, {21, 19.5}, kBlue);
            s.chevron({21, 3.8}, {0, -1}, 2.6, kBlue);
            s.chevron({21, 20.2}, {0, 1}, 2.6, kBlue);
            break;
        }
        case IconId::LogFolder:
            s.stroke(polyline({{2.5, 5}, {9, 5}, {11, 7.5}, {21.5, 7.5}, {21.5, 19.5}, {2.5, 19.5}},
                              true));
            s.line({6.5, 12}, {17.5, 12}, fg, 1.8);
            s.line({6.5, 15.5}, {13.5, 15.5}, fg, 1.8);
            break;
        case IconId::CompactMode: {
            QPainterPath bar;
            bar.addRoundedRect(QRectF(2.5, 3, 19, 5.5), 1.2, 1.2);
            s.fill(bar, fg);
            s.dashed(polyline({{3.5, 8.5}, {3.5, 20.5}, {20.5, 20.5}, {20.5, 8.5}}), fg, 1.6);
            s.line({12, 19}, {12, 11.5});
            s.chevron({12, 11.5}, {0, -1}, 3.2, fg);
            break;
        }
        case IconId::Echogram: {
            s.stroke(windowFrame(QRectF(2.5, 3.5, 19, 17)));
            QPainterPath trace;
            trace.moveTo(2.5, 10.5);
            trace.cubicTo(6, 9, 8, 14.5, 11.5, 13);
            trace.cubicTo(15, 11.5, 17, 16, 21.5, 14);
            QPainterPath below = trace;
            below.lineTo(21.5, 20.5);
            below.lineTo(2.5, 20.5);
            below.closeSubpath();
            QColor shade = fg;
            shade.setAlphaF(0.35);
            s.fill(below, shade);
            s.stroke(trace);
            break;
        }
        case IconId::RealtimeWindow: {
            s.stroke(windowFrame(QRectF(2.5, 3.5, 19, 17)));
            s.fill(windowFrame(QRectF(2.5, 3.5, 19, 4.5)), fg);
            s.line({6, 12.5}, {13, 12.5}, fg, 2.2);
            s.line({6, 16.5}, {17.5, 16.5}, fg, 2.2);
            s.dot({17.5, 12.5}, 2.0, kGreen);
            break;
        }
        case IconId::SoundVelocity: {
            s.line({3.5, 3.5}, {21, 3.5});
            s.line({3.5, 3.5}, {3.5, 20});
            s.chevron({3.5, 20.8}, {0, 1}, 2.6, fg);
            QPainterPath v;
            v.moveTo(18, 6);
            v.cubicTo(18, 11, 9.5, 9.5, 9.5, 14.5);
            v.cubicTo(9.5, 17.5, 11.5, 19.5, 13, 21);
            s.stroke(v, kBlue, 2.2);
            break;
        }
        case IconId::Navigation: {
            s.stroke(circle({12, 12}, 9.2));
            s.fill(polyline({{12, 3.8}, {15.2, 12}, {8.8, 12}}, true), fg);
            s.stroke(polyline({{8.8, 12}, {12, 20.2}, {15.2, 12}}), fg, 1.6);
            break;
        }
        case IconId::VesselShape: {
            QPainterPath hull;
            hull.moveTo(12, 2.5);
            hull.cubicTo(16.5, 5, 18, 8.5, 18, 12);
            hull.lineTo(18, 20.5);
            hull.lineTo(6, 20.5);
            hull.lineTo(6, 12);
            hull.cubicTo(6, 8.5, 7.5, 5, 12, 2.5);
            s.fill(hull, kBlue);
            s.stroke(hull);
            s.dot({12, 13.5}, 2.0, fg);
            break;
        }
        case IconId::Latency: {
            const QPointF c(12, 13.5);
            s.stroke(circle(c, 7.6));
            s.line({12, 5.9}, {12, 3.6});
            s.line({9.5, 2.5}, {14.5, 2.5});
            s.line({18, 6.6}, {19.6, 5});
            s.line(c, {12, 9.2});
            s.line(c, {15.2, 15.4});
            break;
        }
        case IconId::Theme: {
            const QPointF c(12, 12);
            s.stroke(circle(c, 8.8));
            QPainterPath half;
            half.moveTo(12, 3.2);
            half.arcTo(QRectF(3.2, 3.2, 17.6, 17.6), 90, 180);
            half.closeSubpath();
            s.fill(half, fg);
            break;
        }
        case IconId::About:
            s.stroke(circle({12, 12}, 9.2));
            s.dot({12, 7.4}, 1.7, fg);
            s.line({12, 11}, {12, 17.2}, fg, 2.6);
            break;
        case IconId::NewLayout:
            s.stroke(polyline({{5, 2.5}, {14, 2.5}, {19, 7.5}, {19, 21.5}, {5, 21.5}}, true));
            s.stroke(polyline({{14, 2.5}, {14, 7.5}, {19, 7.5}}));
            s.line({8.5, 14.5}, {15.5, 14.5});
            s.line({12, 11}, {12, 18});
            break;
        case IconId::Import:
            tray(s);
            s.line({12, 2.5}, {12, 15});
            s.chevron({12, 15}, {0, 1}, 4.0, fg);
            break;
        case IconId::Export:
            tray(s);
            s.line({12, 15}, {12, 2.5});
            s.chevron({12, 2.5}, {0, -1}, 4.0, fg);
            break;
        case IconId::Application:
            applicationIcon(s);
            break;
    }
}

QColor windowText(QPalette::ColorGroup group, QPalette::ColorRole role) {
    if (!qGuiApp) return group == QPalette::Disabled ? QColor(0x80, 0x80, 0x80) : Qt::black;
    return QGuiApplication::palette().color(group, role);
}

// Greys an icon out: its luminance, pulled toward the palette's disabled
// text colour, at reduced opacity.
void greyOut(QImage& img) {
    const QColor dis = windowText(QPalette::Disabled, QPalette::WindowText);
    img = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb px = row[x];
            const int a = qAlpha(px);
            if (a == 0) continue;
            const int g = qGray(px);
            row[x] = qRgba((g + dis.red()) / 2, (g + dis.green()) / 2, (g + dis.blue()) / 2,
                           a * 11 / 20);
        }
    }
    img = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage renderIcon(IconId id, const QSize& px, QIcon::Mode mode) {
    QImage img(px.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    const QColor fg = mode == QIcon::Selected
                          ? windowText(QPalette::Active, QPalette::HighlightedText)
                          : windowText(QPalette::Active, QPalette::WindowText);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal side = std::min(img.width(), img.height());
        p.translate((img.width() - side) / 2.0, (img.height() - side) / 2.0);
        p.scale(side / kGrid, side / kGrid);
        Sketch sketch(p, fg);
        drawIcon(sketch, id);
    }
    if (mode == QIcon::Disabled) greyOut(img);
    return img;
}

class NivoraIconEngine : public QIconEngine {
  public:
    explicit NivoraIconEngine(IconId id) : id_(id) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State /*state*/) override {
        // Render at the target's device pixels so high-DPI screens get a sharp icon.
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QImage img = renderIcon(id_, (QSizeF(rect.size()) * dpr).toSize(), mode);
        img.setDevicePixelRatio(dpr);
        painter->drawImage(rect.topLeft(), img);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State /*state*/) override {
        return QPixmap::fromImage(renderIcon(id_, size, mode));
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State /*state*/,
                         qreal scale) override {
        // Qt before 6.8 passes the size already in device pixels, later ones the
        // logical size.
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        const QSize px = (QSizeF(size) * scale).toSize();
#else
        const QSize px = size;
#endif
        QPixmap pm = QPixmap::fromImage(renderIcon(id_, px, mode));
        pm.setDevicePixelRatio(scale);
        return pm;
    }

    QList<QSize> availableSizes(QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
        // Any size works; these are the ones a window manager or the
        // taskbar asks for first.
        return {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
    }

    QIconEngine* clone() const override {
        return new NivoraIconEngine(id_);
    }
    QString key() const override {
        return QStringLiteral("nivora");
    }
    QString iconName() override {
        return nivora::iconName(id_);
    }

  private:
    IconId id_;
};

}  // namespace

QIcon nivoraIcon(IconId id) {
    return QIcon(new NivoraIconEngine(id));
}

const std::vector<IconId>& allIconIds() {
    static const std::vector<IconId> ids = [] {
        std::vector<IconId> v;
        for (int i = 0; i <= static_cast<int>(IconId::Application); ++i)
            v.push_back(static_cast<IconId>(i));
        return v;
    }();
    return ids;
}

QString iconName(IconId id) {
    switch (id) {
        case IconId::Runline:
            return QStringLiteral("Run Lines");
        case IconId::Settings:
            return QStringLiteral("Settings");
        case IconId::ClearFixed:
            return QStringLiteral("Clear Fixed Track");
        case IconId::ClearFloat:
            return QStringLiteral("Clear Float Track");
        case IconId::ClearAuto:
            return QStringLiteral("Clear Autonomous Track");
        case IconId::SelectTrack:
            return QStringLiteral("Select Track");
        case IconId::DeleteSelected:
            return QStringLiteral("Delete Selected");
        case IconId::Follow:
            return QStringLiteral("Follow Vessel");
        case IconId::NoFollow:
            return QStringLiteral("Stop Following");
        case IconId::Open:
            return QStringLiteral("Open");
        case IconId::Save:
            return QStringLiteral("Save");
        case IconId::ZoomIn:
            return QStringLiteral("Zoom In");
        case IconId::ZoomOut:
            return QStringLiteral("Zoom Out");
        case IconId::ZoomExtents:
            return QStringLiteral("Zoom Extents");
        case IconId::ZoomWindow:
            return QStringLiteral("Zoom Window");
        case IconId::ZoomDynamic:
            return QStringLiteral("Zoom Dynamic");
        case IconId::Pan:
            return QStringLiteral("Pan");
        case IconId::ShapeSelect:
            return QStringLiteral("Select Shapes");
        case IconId::ClearUserShapes:
            return QStringLiteral("Clear User Shapes");
        case IconId::AddEvent:
            return QStringLiteral("Add Event");
        case IconId::ResetEvent:
            return QStringLiteral("Reset Event");
        case IconId::Exit:
            return QStringLiteral("Exit");
        case IconId::Restart:
            return QStringLiteral("Restart");
        case IconId::ToolPoint:
            return QStringLiteral("Point");
        case IconId::ToolLine:
            return QStringLiteral("Line");
        case IconId::ToolRectangle:
            return QStringLiteral("Rectangle");
        case IconId::ToolPolyline:
            return QStringLiteral("Polyline");
        case IconId::ToolEllipse:
            return QStringLiteral("Ellipse");
        case IconId::ToolPolygon:
            return QStringLiteral("Polygon");
        case IconId::ToolCurve:
            return QStringLiteral("Curve");
        case IconId::ToolArc:
            return QStringLiteral("Arc");
        case IconId::ToolCircle:
            return QStringLiteral("Circle");
        case IconId::Offsets:
            return QStringLiteral("Offsets");
        case IconId::LogFolder:
            return QStringLiteral("Log Folder");
        case IconId::CompactMode:
            return QStringLiteral("Compact Mode");
        case IconId::Echogram:
            return QStringLiteral("Echogram");
        case IconId::RealtimeWindow:
            return QStringLiteral("Real-Time Window");
        case IconId::SoundVelocity:
            return QStringLiteral("Sound Velocity");
        case IconId::Navigation:
            return QStringLiteral("Navigation");
        case IconId::VesselShape:
            return QStringLiteral("Vessel Shape");
        case IconId::Latency:
            return QStringLiteral("Latency");
        case IconId::Theme:
            return QStringLiteral("Theme");
        case IconId::About:
            return QStringLiteral("About");
        case IconId::NewLayout:
            return QStringLiteral("New Layout");
        case IconId::Import:
            return QStringLiteral("Import");
        case IconId::Export:
            return QStringLiteral("Export");
        case IconId::Application:
            return QStringLiteral("Application");
    }
    return {};
}

}  // namespace nivora
