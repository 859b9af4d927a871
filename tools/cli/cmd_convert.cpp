// nivora convert: a drawing from one file format to another, loaded into an
// empty drawing as the program loads it.

#include "canvas/canvas_document.h"
#include "files/drawing_files.h"
#include "tools/cli/cli.h"

namespace nivora::cli {

int runConvert(const Arguments& args) {
    const QStringList files = args.positional({});
    if (files.size() != 2) return fail(QStringLiteral("usage: nivora convert IN OUT"));
    CanvasDocument doc;
    QString error;
    if (!loadDrawingFile(files[0], doc, false, &error)) return fail(error);
    if (!saveDrawingFile(files[1], doc, &error)) return fail(error);
    return 0;
}

}  // namespace nivora::cli
