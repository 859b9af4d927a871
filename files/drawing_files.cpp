#include "files/drawing_files.h"

#include <QFileInfo>
#include <functional>

#include "canvas/canvas_document.h"
#include "files/layout_files.h"

namespace nivora {
namespace {

using Loader = bool (*)(CanvasDocument& doc, const QString& path, bool append, FileReport* report);
using Saver = bool (*)(const CanvasDocument& doc, const QString& path, FileReport* report);

bool loadNwl(CanvasDocument& doc, const QString& path, bool append, FileReport* report) {
    // The Open command adds with mode 2; the start-up restore replaces with 0.
    return CadLoad(doc, path, -1, -1, append ? 2 : 0, report);
}

// DXF and XYZ files only ever add; replacing clears the drawing first, but
// only once the file has been read into a scratch drawing, so that a refused
// file leaves the drawing as it was.
bool replaceable(CanvasDocument& doc, bool append, FileReport* report,
                 const std::function<bool(CanvasDocument&)>& load) {
    if (append) return true;
    if (doc.ShapeCount() > 0 || doc.Layers().size() > 1) {
        CanvasDocument trial;
        if (!load(trial)) return false;
    }
    doc.ResetDrawing();
    if (report) *report = {};
    return true;
}

bool loadDxf(CanvasDocument& doc, const QString& path, bool append, FileReport* report) {
    const auto load = [&](CanvasDocument& d) { return DXFLoad(d, path, report); };
    return replaceable(doc, append, report, load) && load(doc);
}

bool loadXyz(CanvasDocument& doc, const QString& path, bool append, FileReport* report) {
    const auto load = [&](CanvasDocument& d) {
        return XYZLoad(d, path, d.CurrentLayer, 0.0, 0.0, report);
    };
    return replaceable(doc, append, report, load) && load(doc);
}

bool saveNwl(const CanvasDocument& doc, const QString& path, FileReport* report) {
    return CadSave(doc, path, -1, report);
}

bool saveDxf(const CanvasDocument& doc, const QString& path, FileReport* report) {
    return DXFSave(doc, path, report);
}

struct Format {
    const char* extension;
    Loader load;
    Saver save;  // null: not written
};

const Format kFormats[] = {
    {"nwl", loadNwl, saveNwl},
    {"dxf", loadDxf, saveDxf},
    {"xyz", loadXyz, nullptr},
};

const Format* formatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const Format& f : kFormats) {
        if (suffix == QLatin1String(f.extension)) return &f;
    }
    return nullptr;
}

QString unsupported(const QString& path, const char* what) {
    const QString suffix = QFileInfo(path).suffix();
    return QStringLiteral("%1: cannot %2 files of type '%3' (use .nwl, .dxf or .xyz)")
        .arg(path, QLatin1String(what), suffix);
}

// One line for the command line and the logs.
QString reason(const QString& path, const FileReport& report) {
    QString text = report.error.isEmpty() ? QStringLiteral("failed") : report.error;
    if (!text.contains(path)) text = path + QStringLiteral(": ") + text;
    if (report.line > 0 && !report.error.isEmpty())
        text += QStringLiteral(" (line %1)").arg(report.line);
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

}  // namespace

bool loadDrawingFile(const QString& path, CanvasDocument& doc, bool append, QString* error) {
    const Format* f = formatOf(path);
    if (!f) {
        if (error) *error = unsupported(path, "read");
        return false;
    }
    FileReport report;
    if (f->load(doc, path, append, &report)) return true;
    if (error) *error = reason(path, report);
    return false;
}

bool saveDrawingFile(const QString& path, CanvasDocument& doc, QString* error) {
    const Format* f = formatOf(path);
    if (!f || !f->save) {
        if (error) *error = unsupported(path, "write");
        return false;
    }
    FileReport report;
    if (f->save(doc, path, &report)) return true;
    if (error) *error = reason(path, report);
    return false;
}

}  // namespace nivora
