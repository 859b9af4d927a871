#pragma once

// A shown TNivoraCanvas of 400 x 300 pixels whose world maps one unit to one
// pixel (pixel (x, y) is world (x, 300 - y)), QTest input on it, and a record
// of every event it raised.

#include <gtest/gtest.h>

#include <QTest>
#include <memory>
#include <vector>

#include "canvas/ui/nivora_canvas.h"

namespace nivora::test {

struct Raised {
    struct Selected {
        short type;
        std::int32_t id;
    };
    struct Down {
        short button, shift, action;
        double x, y;
    };
    struct Move {
        short shift;
        double x, y, magnitude, angle;
    };
    struct Draw {
        short type;
        double x, y;
    };
    std::vector<Selected> selected;
    std::vector<Down> downs;
    std::vector<Move> moves;
    std::vector<Draw> begins;
    std::vector<Draw> ends;
    std::vector<QPoint> dblClicks;
};

class CanvasWidgetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        canvas = std::make_unique<TNivoraCanvas>();
        canvas->resize(400, 300);
        canvas->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(canvas.get()));
        canvas->WorldSet(0, 300, 400, 0);
        TNivoraCanvas* c = canvas.get();
        QObject::connect(c, &TNivoraCanvas::OnShapeNumberSelected, c,
                         [this](short t, std::int32_t id) {
                             raised.selected.push_back({t, id});
                         });
        QObject::connect(c, &TNivoraCanvas::OnWorldMouseDown, c,
                         [this](short b, short s, short a, double x, double y) {
                             raised.downs.push_back({b, s, a, x, y});
                         });
        QObject::connect(c, &TNivoraCanvas::OnWorldMouseMove, c,
                         [this](short s, double x, double y, double m, double a) {
                             raised.moves.push_back({s, x, y, m, a});
                         });
        QObject::connect(c, &TNivoraCanvas::OnDrawBegin, c, [this](short t, double x, double y) {
            raised.begins.push_back({t, x, y});
        });
        QObject::connect(c, &TNivoraCanvas::OnDrawEnd, c, [this](short t, double x, double y) {
            raised.ends.push_back({t, x, y});
        });
        QObject::connect(c, &TNivoraCanvas::OnDblClick, c, [this](int x, int y) {
            raised.dblClicks.push_back({x, y});
        });
    }

    void click(QPoint p, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {}) {
        QTest::mouseClick(canvas.get(), b, m, p);
    }
    // A real double click: press and release, then the second press arrives
    // as the double-click event.
    void doubleClick(QPoint p) {
        QTest::mouseClick(canvas.get(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(canvas.get(), Qt::LeftButton, {}, p);
    }
    void move(QPoint p) { QTest::mouseMove(canvas.get(), p); }
    void press(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mousePress(canvas.get(), b, {}, p);
    }
    void release(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mouseRelease(canvas.get(), b, {}, p);
    }
    void key(Qt::Key k) { QTest::keyClick(canvas.get(), k); }

    // World point of a client pixel.
    static QPointF world(QPoint p) { return {double(p.x()), 300.0 - p.y()}; }
    Qt::CursorShape cursor() const { return canvas->cursor().shape(); }

    std::unique_ptr<TNivoraCanvas> canvas;
    Raised raised;
};

}  // namespace nivora::test
