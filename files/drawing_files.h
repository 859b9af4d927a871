#pragma once

// Loading and saving whole drawings by file name, whatever the format: the
// extension picks the reader or writer (.nwl, .dxf, .xyz).

#include <QString>

namespace nivora {

class CanvasDocument;

// Loads `path` into `doc` as the program would (replacing the drawing when
// `append` is false). False with a one-line reason in `error` on failure.
bool loadDrawingFile(const QString& path, CanvasDocument& doc, bool append, QString* error);

// Saves `doc` to `path` (.nwl or .dxf). False with a one-line reason on failure.
bool saveDrawingFile(const QString& path, CanvasDocument& doc, QString* error);

}  // namespace nivora
