#pragma once

// Small helpers shared by the canvas tests.

#include <cstdint>
#include <vector>

#include "canvas/canvas_document.h"

namespace nivora::test {

// Ids in paint order.
inline std::vector<std::int32_t> paintOrder(const CanvasDocument& doc) {
    std::vector<std::int32_t> ids;
    for (const TNShape& s : doc.Shapes())
        ids.push_back(s.Id());
    return ids;
}

// Counts repaint requests of each kind.
struct RepaintCounter {
    int invalidates = 0;
    int immediates = 0;
    void attach(CanvasDocument& doc) {
        doc.RepaintRequested = [this](RepaintRequest r) {
            if (r == RepaintRequest::Invalidate) ++invalidates;
            if (r == RepaintRequest::Immediate) ++immediates;
        };
    }
};

// A shape that counts its destructions, to check ownership.
class CountingShape : public TNShape {
  public:
    explicit CountingShape(int* destroyed) : TNShape(shape_type::Point), destroyed_(destroyed) {}
    ~CountingShape() override { ++*destroyed_; }
    ShapeClass Class() const override { return ShapeClass::Point; }
    bool HitTest(double, double, double) const override { return false; }
    ShapeBounds Bounds() const override { return {}; }
    void Translate(double, double) override {}
    void Scale(double, double, QPointF) override {}
    void Rotate(double, double, double) override {}

  private:
    int* destroyed_;
};

}  // namespace nivora::test
