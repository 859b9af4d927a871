#pragma once

// Planned survey lines from a drawn route: lines across the route at a
// regular spacing (perpendicular) or lines following it at regular offsets on
// both sides (parallel). The generator is pure; placing the lines on the
// canvas is a separate step.

#include <QPointF>
#include <QString>
#include <vector>

namespace nivora {

class CanvasDocument;

inline const QString kRunlineLayerName = QStringLiteral("Nivora_Runlines");

enum class RunlineType { Perpendicular, Parallel };

struct Runlines {
    // Open polylines, in drawing order; the route itself is not among them.
    std::vector<std::vector<QPointF>> lines;
    // The spacing and length used (defaults replace texts that are not
    // positive numbers).
    double spacing = 10.0;
    double length = 100.0;
    // The generator stopped at kMaxRunlines or kMaxRunlineVertices.
    bool truncated = false;
};

// A spacing far too small for its route would ask for millions of lines on
// every keystroke; generation stops at these counts.
inline constexpr std::size_t kMaxRunlines = 100'000;
inline constexpr std::size_t kMaxRunlineVertices = 4'000'000;

// Nothing for a route of fewer than two points. The texts are read as
// numbers with '.' as the decimal separator; a text that is not a number
// gives 10 (spacing) or 100 (length), and so does a value of 0 or less.
Runlines GenerateRunlines(const std::vector<QPointF>& route, const QString& spacingText,
                          const QString& lengthText, RunlineType type);

// "Runlines generated - Spacing: 10, Length: 100" (the texts as typed).
QString runlineLogText(const QString& spacingText, const QString& lengthText);

// Finds or opens the run line layer, clears it, draws the route on it as an
// open polyline and then every run line (each takes the layer's pen).
// Returns the layer's id.
int placeRunlines(CanvasDocument& doc, const std::vector<QPointF>& route, const Runlines& runlines);

}  // namespace nivora
