// nivora convert: a drawing from one file format to another, loaded into an
// empty drawing as the program loads it; several inputs are added together
// in order, as the program's Open and Import add them.

#include "canvas/canvas_document.h"
#include "files/drawing_files.h"
#include "tools/cli/cli.h"

namespace nivora::cli {

int runConvert(const Arguments& args) {
    const QStringList files = args.positional({});
    if (files.size() < 2) return usageError(QStringLiteral("convert needs IN... OUT"));
    CanvasDocument doc;
    QString error;
    for (qsizetype i = 0; i + 1 < files.size(); ++i) {
        if (!loadDrawingFile(files[i], doc, i > 0, &error)) return fail(error);
    }
    if (!saveDrawingFile(files.back(), doc, &error)) return fail(error);
    return 0;
}

}  // namespace nivora::cli
