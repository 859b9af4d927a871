#pragma once

// The drawing formats, in one table: the file extension, the file dialog's
// filter, the labels of a long load or save, and the reader and writer of
// each. The command line picks by extension, the file commands by format;
// a new format is one entry.

#include <QString>
#include <memory>

#include "files/file_format.h"

namespace nivora {

class CanvasDocument;

enum class DrawingFormat { Layout, Dxf, Xyz };

struct DrawingFormatInfo {
    DrawingFormat format;
    const char* extension;  // "nwl"
    // The file dialogs' filter ("Name [*.nwl]|*.nwl|All Files [*.*]|*.*").
    const char* dialogFilter;
    const char* loadLabel;  // "Opening", "Importing"
    const char* saveLabel;  // "Saving", "Exporting"; null: not written
    // A reader that adds to `target` (the layout reader replaces unless
    // `append`); a writer, null when the format is not written.
    std::unique_ptr<DrawingReader> (*reader)(const CanvasDocument& target, bool append);
    std::unique_ptr<DrawingWriter> (*writer)();
};

const DrawingFormatInfo& drawingFormat(DrawingFormat format);
// The format of a file name by its extension, null for none of them.
const DrawingFormatInfo* drawingFormatOf(const QString& path);

// Loads `path` into `doc` as the program would (replacing the drawing when
// `append` is false). False with a one-line reason in `error` on failure.
bool loadDrawingFile(const QString& path, CanvasDocument& doc, bool append, QString* error);

// Saves `doc` to `path` (.nwl or .dxf). False with a one-line reason on failure.
bool saveDrawingFile(const QString& path, CanvasDocument& doc, QString* error);

}  // namespace nivora
