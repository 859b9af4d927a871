#include "files/drawing_files.h"

#include <QFileInfo>

#include "canvas/canvas_document.h"

namespace nivora {

bool loadDrawingFile(const QString& path, CanvasDocument&, bool, QString* error) {
    // The readers are being written; until then no format is known.
    if (error) *error = QStringLiteral("%1: unsupported file type").arg(QFileInfo(path).suffix());
    return false;
}

bool saveDrawingFile(const QString& path, CanvasDocument&, QString* error) {
    if (error) *error = QStringLiteral("%1: unsupported file type").arg(QFileInfo(path).suffix());
    return false;
}

}  // namespace nivora
