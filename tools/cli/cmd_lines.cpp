// nivora lines: the survey lines of a layout, one per line, for scripts.

#include <cstdio>

#include "canvas/canvas_document.h"
#include "files/drawing_files.h"
#include "guidance/survey_line_layer.h"
#include "tools/cli/cli.h"

namespace nivora::cli {

int runLines(const Arguments& args) {
    const QStringList files = args.positional({});
    if (files.size() != 1) return usageError(QStringLiteral("lines needs one layout file"));
    CanvasDocument doc;
    QString error;
    if (!loadDrawingFile(files[0], doc, false, &error)) return fail(error);
    const std::vector<SurveyLine> lines = readSurveyLines(doc);
    std::printf(
        "name,vertices,length,bearing,start_easting,start_northing,end_easting,end_northing\n");
    double total = 0;
    for (const SurveyLine& l : lines) {
        total += l.length();
        std::printf("%s,%zu,%.3f,%.1f,%.3f,%.3f,%.3f,%.3f\n", l.name.toLocal8Bit().constData(),
                    l.points.size(), l.length(), l.bearingDeg(), l.start().x(), l.start().y(),
                    l.end().x(), l.end().y());
    }
    std::fprintf(stderr, "%zu survey lines, %.1f m in all\n", lines.size(), total);
    return 0;
}

}  // namespace nivora::cli
