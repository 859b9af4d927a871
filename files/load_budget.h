#pragma once

// How much one load may add to the drawing. A few kilobytes of a layout, a
// DXF or an XYZ file can describe millions of shapes; a load that would not
// fit is refused before it touches the drawing, with a message that says
// which limit it passed.

#include <QString>
#include <cstdint>

class QByteArray;
class QIODevice;

namespace nivora {

struct LoadBudget {
    // Memory that one shape takes in the drawing (the shape, its slot in the
    // paint order, its id and layer entries), and one polyline vertex. On a
    // 64-bit build a point or line takes about 115 bytes, a polyline 180, a
    // short text 260; a vertex 16 to 32 as its list grows.
    static constexpr std::int64_t kShapeBytes = 192;
    static constexpr std::int64_t kVertexBytes = 32;
    // No drawing file is larger than this, whatever the memory.
    static constexpr std::int64_t kMaxFileBytes = std::int64_t{1} << 30;

    std::int64_t maxShapes = 0;
    std::int64_t maxVertices = 0;
    std::int64_t maxFileBytes = 0;  // also the ceiling of an inflated layout body

    // A quarter of the memory for what one load adds, split evenly between
    // shapes and vertices; the file itself may take an eighth.
    static LoadBudget forMemory(std::uint64_t physicalBytes);
    // The budget for this computer, worked out once.
    static const LoadBudget& forThisComputer();
    // Installed memory in bytes; 0 when the system does not tell.
    static std::uint64_t physicalMemory();

    // "the drawing is too large: more than 1,000 shapes"
    QString tooManyShapes() const;
    QString tooManyVertices() const;
};

// Reads the rest of `in` when it is at most `maxBytes` long. False with a
// reason when it is longer, when it cannot be read, or when the memory for
// it cannot be had.
bool readWithin(QIODevice& in, std::int64_t maxBytes, QByteArray& out, QString& error);

}  // namespace nivora
