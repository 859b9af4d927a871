#pragma once

// Layers, fonts and blocks of the chart document.

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "canvas/shapes.h"
#include "core/colors.h"

namespace nivora {

// Standard layer names shared by the survey, the files and the canvas.
namespace layer_names {
inline const QString Default = QStringLiteral("Default");
inline const QString SelectPoly = QStringLiteral("Nivora_SelectPoly");
inline const QString Route = QStringLiteral("Nivora_Route");
}  // namespace layer_names

// One layer. Id and name are fixed at creation (the document indexes both);
// the pen and brush values are the defaults for shapes created on it later.
class TNLayer {
  public:
    TNLayer(int id, const QString& name) : id_(id), name_(name) {}

    int Id() const { return id_; }
    const QString& Name() const { return name_; }

    bool Visible = true;  // hidden layers are not drawn; hit tests and extents ignore it
    bool Locked = false;  // stored only
    int Action = 0;       // free value for the host
    TColor PenFg = colors::Black;
    int PenWidth = 1;
    int PenStyle = 0;
    TColor BrushFg = colors::White;
    TColor BrushBg = colors::White;
    std::uint8_t BrushStyle = kBrushClear;
    int BrushMode = 0;

  private:
    int id_;
    QString name_;
};

struct TNFont {
    QString Name;
    int Size = 10;  // points
    bool Bold = false;
    bool Italic = false;
};

// A named group of shapes from a drawing import, owning its shapes.
class TNBlock {
  public:
    TNBlock(const QString& name, double baseX, double baseY)
        : name_(name), BaseX(baseX), BaseY(baseY) {}

    const QString& Name() const { return name_; }

  private:
    QString name_;

  public:
    double BaseX;
    double BaseY;
    std::vector<std::unique_ptr<TNShape>> Shapes;
};

}  // namespace nivora
