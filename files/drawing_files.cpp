#include "files/drawing_files.h"

#include <QFile>
#include <QFileInfo>
#include <functional>

#include "canvas/canvas_document.h"
#include "files/dxf_reader.h"
#include "files/dxf_writer.h"
#include "files/layout_files.h"
#include "files/nwl_file.h"
#include "files/xyz_reader.h"

namespace nivora {
namespace {

const DrawingFormatInfo kFormats[] = {
    {DrawingFormat::Layout, "nwl", "Nivora Wayline [*.nwl]|*.nwl|All Files [*.*]|*.*", "Opening",
     "Saving",
     [](const CanvasDocument&, bool append) -> std::unique_ptr<DrawingReader> {
         return std::make_unique<NwlReader>(append);
     },
     []() -> std::unique_ptr<DrawingWriter> { return std::make_unique<NwlWriter>(); }},
    {DrawingFormat::Dxf, "dxf", "AutoCAD R12 DXF [*.dxf]|*.dxf|All Files [*.*]|*.*", "Importing",
     "Exporting",
     [](const CanvasDocument&, bool) -> std::unique_ptr<DrawingReader> {
         return std::make_unique<DxfReader>();
     },
     []() -> std::unique_ptr<DrawingWriter> { return std::make_unique<DxfWriter>(); }},
    {DrawingFormat::Xyz, "xyz", "XYZ samples [*.xyz]|*.xyz|All Files [*.*]|*.*", "Importing",
     nullptr,
     [](const CanvasDocument& target, bool) -> std::unique_ptr<DrawingReader> {
         return std::make_unique<XyzReader>(target.CurrentLayer, 0.0, 0.0);
     },
     nullptr},
};

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

bool load(const DrawingFormatInfo& f, CanvasDocument& doc, const QString& path, bool append,
          FileReport* report) {
    const auto read = [&](CanvasDocument& d) {
        const std::unique_ptr<DrawingReader> reader = f.reader(d, append);
        return loadWith(*reader, d, path, report);
    };
    // The layout reader replaces by itself (the start-up restore), or adds (Open).
    const bool ok = f.format == DrawingFormat::Layout
                        ? read(doc)
                        : replaceable(doc, append, report, read) && read(doc);
    // Every DXF failure but a missing file has a text for the operator.
    if (!ok && f.format == DrawingFormat::Dxf && report && report->message.isEmpty() &&
        QFile::exists(path))
        report->message = QStringLiteral("DXF load failed: ") + report->error;
    return ok;
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

const DrawingFormatInfo& drawingFormat(DrawingFormat format) {
    for (const DrawingFormatInfo& f : kFormats) {
        if (f.format == format) return f;
    }
    return kFormats[0];
}

const DrawingFormatInfo* drawingFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const DrawingFormatInfo& f : kFormats) {
        if (suffix == QLatin1String(f.extension)) return &f;
    }
    return nullptr;
}

bool loadDrawingFile(const QString& path, CanvasDocument& doc, bool append, QString* error) {
    const DrawingFormatInfo* f = drawingFormatOf(path);
    if (!f) {
        if (error) *error = unsupported(path, "read");
        return false;
    }
    FileReport report;
    if (load(*f, doc, path, append, &report)) return true;
    if (error) *error = reason(path, report);
    return false;
}

bool saveDrawingFile(const QString& path, CanvasDocument& doc, QString* error) {
    const DrawingFormatInfo* f = drawingFormatOf(path);
    if (!f || !f->writer) {
        if (error) *error = unsupported(path, "write");
        return false;
    }
    FileReport report;
    if (saveWith(*f->writer(), doc, path, &report)) return true;
    if (error) *error = reason(path, report);
    return false;
}

}  // namespace nivora
