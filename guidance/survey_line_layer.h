#pragma once

// The survey lines of a chart: every line and open polyline on the run-line
// layer, in the order they were drawn (the plan order). A line's name is a
// text on the same layer anchored at its start, so that names and
// directions are kept by the layout (and a DXF) without a new record: the
// vertex order is the direction, and swapping a line reverses its vertices
// and moves its name to the new start.

#include <QString>
#include <cstdint>
#include <vector>

#include "guidance/survey_line.h"

namespace nivora {

class CanvasDocument;

// The lines in plan order with their names; a line without a name gets the
// next free "L001"-style name in the result (nameSurveyLines writes them).
std::vector<SurveyLine> readSurveyLines(const CanvasDocument& doc);

// Writes a name text for every line that has none; true when it added one.
bool nameSurveyLines(CanvasDocument& doc, const std::vector<SurveyLine>& lines);

// Reverses the line's shape and moves its name to the new start.
bool swapSurveyLine(CanvasDocument& doc, const SurveyLine& line);

// A line that was moved: its name text, still where the line started
// (`from`), goes to its new start. False when there is none of that name.
bool moveSurveyLineName(CanvasDocument& doc, QPointF from, const SurveyLine& line);

// Renames the line (its text is written or replaced).
void renameSurveyLine(CanvasDocument& doc, const SurveyLine& line, const QString& name);

// A copy of a line or open polyline of the chart (a DXF import's, say) as a
// survey line at the end of the plan; the original stays where it is.
// Returns the new shape's id, 0 when the shape is no line.
std::int32_t markAsSurveyLine(CanvasDocument& doc, std::int32_t shapeId);

// The vertices of a line or open polyline shape; empty for any other.
std::vector<QPointF> lineVertices(const CanvasDocument& doc, std::int32_t shapeId);

}  // namespace nivora
