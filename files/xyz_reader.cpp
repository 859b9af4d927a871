// XYZ sample import.

#include "files/xyz_reader.h"

#include <QIODevice>
#include <algorithm>
#include <cmath>

#include "canvas/canvas_document.h"
#include "files/text_fields.h"

namespace nivora {
namespace {

bool isSeparator(char c) {
    return c == ',' || files::isFieldBlank(c);
}

// Three numbers from the start of a line; anything after the third is ignored.
bool readSample(std::string_view line, double& x, double& y, double& z) {
    const char* p = line.data();
    const char* end = p + line.size();
    double* out[3] = {&x, &y, &z};
    for (double* v : out) {
        while (p < end && isSeparator(*p))
            ++p;
        p = files::numberPrefix(p, end, *v);
        if (!p) return false;
    }
    return true;
}

std::uint8_t channel(double v) {
    if (!(v > 0)) return 0;
    if (v >= 255) return 255;
    return static_cast<std::uint8_t>(v);
}

}  // namespace

TColor rampColor(double z, double low, double high) {
    double range = high - low;
    if (!(range > 0)) range = 1;
    double t = (z - low) / range;
    if (!(t > 0)) t = 0;  // also a value that is not a number
    if (t > 1) t = 1;
    if (t < 0.25) return rgbColor(255, channel(255 * t / 0.25), 0);
    if (t < 0.5) return rgbColor(channel(255 * (1 - (t - 0.25) / 0.25)), 255, 0);
    if (t < 0.75) return rgbColor(0, 255, channel(255 * (t - 0.5) / 0.25));
    return rgbColor(0, channel(255 * (1 - (t - 0.75) / 0.25)), 255);
}

XyzReader::Samples XyzReader::parse(std::string_view file) {
    Samples s;
    // Editors on Windows put a byte order mark before the first sample.
    if (file.substr(0, 3) == "\xEF\xBB\xBF") file.remove_prefix(3);
    // A sample line takes at least six bytes ("1 2 3\n").
    const std::size_t guess =
        std::min<std::size_t>(file.size() / 24 + 16, static_cast<std::size_t>(budget_.maxShapes));
    s.x.reserve(guess);
    s.y.reserve(guess);
    s.z.reserve(guess);
    files::LineCursor lines(file);
    std::string_view line;
    std::int64_t skipped = 0;
    while (lines.next(line)) {
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        double x = 0, y = 0, z = 0;
        if (!readSample(line, x, y, z)) {
            if (skipped++ == 0) report_.line = lines.lineNo();
            continue;
        }
        // Every sample becomes a shape: stop at the first one beyond the budget.
        if (static_cast<std::int64_t>(s.x.size()) >= budget_.maxShapes) {
            tooMany_ = true;
            break;
        }
        s.x.push_back(x);
        s.y.push_back(y);
        s.z.push_back(z);
    }
    if (skipped > 0)
        report_.warning = QStringLiteral("%1 lines without three numbers skipped").arg(skipped);
    return s;
}

XyzReader::Grid XyzReader::detectGrid(const Samples& s) {
    Grid g;
    const std::size_t n = s.x.size();
    if (n <= 10) return g;
    const std::size_t m = std::min<std::size_t>(n, 1000);
    double gx = 1e30, gy = 1e30;
    for (std::size_t j = 0; j < m; ++j) {
        for (std::size_t k = j + 1; k < m && k <= j + 49; ++k) {
            const double dx = std::fabs(s.x[k] - s.x[j]);
            const double dy = std::fabs(s.y[k] - s.y[j]);
            if (dx > 1e-9 && dx < gx) gx = dx;
            if (dy > 1e-9 && dy < gy) gy = dy;
        }
    }
    if (!(gx < 1e20 && gy < 1e20 && gx > 0 && gy > 0)) return g;
    auto onGrid = [](double d, double step) {
        const double r = d / step;
        return std::fabs(r - std::round(r)) < 0.1;
    };
    int tests = 0, hits = 0;
    for (std::size_t j = 0; j < m && tests < 100; ++j) {
        for (std::size_t k = j + 1; k < m && k <= j + 9; ++k) {
            const double dx = std::fabs(s.x[k] - s.x[j]);
            const double dy = std::fabs(s.y[k] - s.y[j]);
            if (dx > 1e-9) {
                ++tests;
                if (onGrid(dx, gx)) ++hits;
            }
            if (dy > 1e-9) {
                ++tests;
                if (onGrid(dy, gy)) ++hits;
            }
        }
    }
    g.gx = gx;
    g.gy = gy;
    g.detected = tests > 0 && hits * 100 / tests > 79;
    return g;
}

bool XyzReader::readBytes(std::string_view file, CanvasDocument& doc) {
    report_ = {};
    created_ = 0;
    tooMany_ = false;
    const Samples s = parse(file);
    if (tooMany_) {
        report_ = {};
        report_.error = budget_.tooManyShapes();
        return false;
    }
    if (s.x.empty()) {
        report_.error = QStringLiteral("no line with three numbers");
        return false;
    }
    double low = zMin_, high = zMax_;
    if (zMin_ == 0 && zMax_ == 0) {
        const auto [lo, hi] = std::minmax_element(s.z.begin(), s.z.end());
        low = *lo;
        high = *hi;
    }
    const Grid grid = detectGrid(s);
    const double hx = grid.gx / 2;
    const double hy = grid.gy / 2;
    for (std::size_t i = 0; i < s.x.size(); ++i) {
        const TColor color = rampColor(s.z[i], low, high);
        std::unique_ptr<TNShape> shape;
        if (grid.detected) {
            auto r =
                std::make_unique<TNRectangle>(s.x[i] - hx, s.y[i] - hy, s.x[i] + hx, s.y[i] + hy);
            r->PenFg = color;
            r->BrushFg = color;
            r->Rounded = false;
            r->CornerRadius = 10.0;
            r->Z = s.z[i];
            shape = std::move(r);
        } else {
            auto p = std::make_unique<TNPoint>(s.x[i], s.y[i]);
            p->Size = 1;
            p->PenFg = color;
            p->Z = s.z[i];
            shape = std::move(p);
        }
        if (doc.AddShape(std::move(shape), layer_) >= 0) ++created_;
    }
    if (created_ > 0) {
        doc.Dirty = true;
        doc.WorldExtents();
    }
    return created_ > 0;
}

bool XyzReader::read(QIODevice& in, CanvasDocument& doc) {
    report_ = {};
    created_ = 0;
    QByteArray file;
    if (!readWithin(in, budget_.maxFileBytes, file, report_.error)) return false;
    return readBytes(std::string_view(file.constData(), static_cast<std::size_t>(file.size())),
                     doc);
}

}  // namespace nivora
