#pragma once

// ASCII DXF import: layers from the TABLES section, blocks of lines from the
// BLOCKS section and the entities of the ENTITIES section become layers,
// blocks and shapes of the drawing. Nothing is removed; the view is fitted
// to the drawing and a summary for the operator is left in report().message.

#include <cstdint>
#include <string_view>

#include "files/file_format.h"

namespace nivora {

class DxfReader final : public DrawingReader {
  public:
    // Block lines that INSERTs may add in one import: a small file of many
    // INSERTs of a large block would otherwise grow without bound.
    static constexpr std::int64_t kMaxInsertLines = 5'000'000;

    explicit DxfReader(std::int64_t maxInsertLines = kMaxInsertLines)
        : maxInsertLines_(maxInsertLines) {}

    bool read(QIODevice& in, CanvasDocument& doc) override;
    // The same on bytes already in memory.
    bool readBytes(std::string_view file, CanvasDocument& doc);

    // Entities imported by the last read.
    std::int64_t imported() const { return imported_; }

  private:
    std::int64_t maxInsertLines_;
    std::int64_t imported_ = 0;
};

}  // namespace nivora
