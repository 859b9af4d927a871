#pragma once

// The file operations of the canvas, on its document: the names and results
// the canvas interface has always had. Each returns a success flag and never
// throws, not even when memory runs out; nothing here shows a message: the
// report (when asked for) carries the reason of a failure and, for DXF
// import, the text for the operator. A refused load leaves the drawing as it
// was.
//
// Every save goes through QSaveFile: a failed or interrupted save leaves the
// previous file as it was.

#include <QString>

#include "files/file_format.h"

namespace nivora {

class CanvasDocument;

// Writes through `writer` into a temporary file that replaces `name` only
// when everything was written.
bool saveWith(DrawingWriter& writer, const CanvasDocument& doc, const QString& name,
              FileReport* report = nullptr);
// Reads `name` through `reader`. False when the file is missing, cannot be
// read or is refused by the reader; an exception (memory that runs out)
// ends here as a failure with its reason.
bool loadWith(DrawingReader& reader, CanvasDocument& doc, const QString& name,
              FileReport* report = nullptr);

// Writes the layout file (.nwl). The reserved integer is not used.
bool CadSave(const CanvasDocument& doc, const QString& name, int reserved = -1,
             FileReport* report = nullptr);

// Reads a layout file: `append` 0 replaces the drawing, any other value adds
// to it. False when the file is missing or cannot be read; the drawing is
// then unchanged. The reserved integers are not used.
bool CadLoad(CanvasDocument& doc, const QString& name, int reserved1 = -1, int reserved2 = -1,
             int append = 0, FileReport* report = nullptr);

// Adds an ASCII DXF drawing. True when at least one entity was imported.
// report->message is the summary or failure text to show the operator
// (empty when the file does not exist).
bool DXFLoad(CanvasDocument& doc, const QString& name, FileReport* report = nullptr);

// Writes the visible shapes as DXF R12.
bool DXFSave(const CanvasDocument& doc, const QString& name, FileReport* report = nullptr);

// Adds the samples of an XYZ file on `layer`. True when a shape was made.
bool XYZLoad(CanvasDocument& doc, const QString& name, int layer, double zMin, double zMax,
             FileReport* report = nullptr);

}  // namespace nivora
