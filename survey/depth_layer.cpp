#include "survey/depth_layer.h"

#include "canvas/canvas_document.h"
#include "config/settings_models.h"
#include "core/number_format.h"
#include "products/sounding_records.h"
#include "survey/realtime_survey.h"
#include "survey/survey_logs.h"

namespace nivora {

struct DepthLayer::Loaded {
    CoverageGrid grid;
    std::vector<QPointF> points;
    std::vector<float> depths;
    std::vector<std::int64_t> times;  // as the rows write them
    ReadSummary summary;
};

DepthPictureSettings depthPictureSettings(const DepthDisplaySettings& s) {
    DepthPictureSettings p;
    p.showSoundings = s.showSoundings;
    p.showGrid = s.showGrid;
    p.palette = s.palette == 1   ? DepthPaletteKind::Ocean
                : s.palette == 2 ? DepthPaletteKind::Contrast
                                 : DepthPaletteKind::Rainbow;
    p.autoRange = s.autoRange || !s.problem().isEmpty();
    p.shallowM = s.shallowM();
    p.deepM = s.deepM();
    p.cellSizeM = s.cellSizeM();
    p.statistic = s.statistic == 0   ? GridStatistic::Minimum
                  : s.statistic == 1 ? GridStatistic::Maximum
                  : s.statistic == 3 ? GridStatistic::Last
                                     : GridStatistic::Mean;
    p.pointPx = s.pointSize;
    return p;
}

DepthLayer::DepthLayer(RealtimeSurvey& survey, CanvasDocument& doc, QObject* parent)
    : QObject(parent), survey_(survey), doc_(doc) {
    applySettings();
    doc_.ProductsLayer = &picture_;
    connect(&survey, &RealtimeSurvey::soundingLogged, this, &DepthLayer::addRow);
    connect(&survey.models().changes, &SettingsChanges::depthColoursChanged, this,
            &DepthLayer::applySettings);
}

DepthLayer::~DepthLayer() {
    if (doc_.ProductsLayer == &picture_) doc_.ProductsLayer = nullptr;
    if (loader_) {
        cancel_->store(true);
        loader_->wait();
        delete loader_;
    }
}

void DepthLayer::applySettings() {
    const DepthDisplaySettings& s = survey_.models().depthDisplay;
    const bool reduced = s.colourBy == 1;
    if (reduced != reduced_ && !loader_) {
        // Another number is coloured: the day's logs give it for every sounding.
        reduced_ = reduced;
        picture_.setSettings(depthPictureSettings(s));
        picture_.clear();
        rebuildFromLogs();
    } else {
        reduced_ = reduced;
        picture_.setSettings(depthPictureSettings(s));
    }
    doc_.Overlay.DepthLegend.Shown =
        s.showLegend && (s.showSoundings || s.showGrid) && picture_.pointCount() > 0;
    doc_.Overlay.DepthLegend.Title =
        depthValueTitle(reduced_ ? DepthValue::Reduced : DepthValue::Depth);
    changed();
}

void DepthLayer::setNight(bool night) {
    picture_.setNight(night);
    changed();
}

void DepthLayer::changed() {
    const DepthDisplaySettings& s = survey_.models().depthDisplay;
    DepthLegendState& legend = doc_.Overlay.DepthLegend;
    legend.Shown = s.showLegend && (s.showSoundings || s.showGrid) && picture_.pointCount() > 0;
    legend.Colours = picture_.colours();
    doc_.Refresh();
}

namespace {

// A number as the coordinate log keeps it (two decimals), so that the grid
// read back from the log at the next start is the grid built now.
double asLogged(double v) {
    return parseNumber(formatFixed(v, 2)).value_or(v);
}

}  // namespace

void DepthLayer::addRow(const CoordinateRow& row) {
    const double depth = asLogged(row.trueDepthHi);
    const double value = reduced_ ? -asLogged(row.manualTide - row.trueDepthHi) : depth;
    if (loader_ && !firstLiveMs_) {
        // The time as the log writes it: local date and time.
        firstLiveMs_ = row.time.toMSecsSinceEpoch() + row.time.offsetFromUtc() * 1000LL;
    }
    const bool first = picture_.pointCount() == 0;
    const DepthColours before = picture_.colours();
    picture_.add(asLogged(row.easting), asLogged(row.northing), value);
    // Only a new range or the first sounding changes the legend.
    if (first || !(before == picture_.colours())) {
        changed();
    } else {
        doc_.Refresh();
    }
}

void DepthLayer::rebuildFromLogs() {
    if (loader_) return;
    const QStringList files = coordinateLogFiles({survey_.logs().folders().logsFolder()});
    if (files.isEmpty()) return;
    auto loaded = std::make_shared<Loaded>();
    loaded->grid = CoverageGrid(picture_.grid().cellSize());
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    const bool reduced = reduced_;
    loaded_ = loaded;
    cancel_ = cancel;
    // The rows logged from now on come live; those the files hold already
    // are the older ones. A row written while the files are read comes both
    // ways: the join keeps the live one.
    firstLiveMs_.reset();
    loader_ = QThread::create([loaded, cancel, files, reduced] {
        loaded->summary = readCoordinateLogs(files, [&](const SoundingRecord& r) {
            if (cancel->load(std::memory_order_relaxed)) return false;
            const double v = valueOf(r, reduced ? DepthValue::Reduced : DepthValue::Depth);
            loaded->grid.add(r.easting, r.northing, v);
            loaded->points.emplace_back(r.easting, r.northing);
            loaded->depths.push_back(static_cast<float>(v));
            loaded->times.push_back(r.timeMs);
            return true;
        });
    });
    connect(loader_, &QThread::finished, this, &DepthLayer::finishRebuild);
    loader_->start(QThread::LowPriority);
}

void DepthLayer::finishRebuild() {
    if (!loader_) return;
    loader_->wait();
    delete loader_;
    loader_ = nullptr;
    std::shared_ptr<Loaded> loaded = std::move(loaded_);
    if (!loaded || loaded->summary.cancelled) return;
    if (firstLiveMs_) {
        // Rows the files and the live feed both gave: the live ones stay.
        std::size_t w = 0;
        for (std::size_t k = 0; k < loaded->times.size(); ++k) {
            if (loaded->times[k] >= *firstLiveMs_) continue;
            loaded->points[w] = loaded->points[k];
            loaded->depths[w] = loaded->depths[k];
            ++w;
        }
        if (w != loaded->times.size()) {
            loaded->points.resize(w);
            loaded->depths.resize(w);
            loaded->grid = CoverageGrid(picture_.grid().cellSize());
            for (std::size_t k = 0; k < w; ++k)
                loaded->grid.add(loaded->points[k].x(), loaded->points[k].y(), loaded->depths[k]);
        }
    }
    picture_.addOlder(loaded->grid, loaded->points, loaded->depths);
    changed();
    emit rebuilt(loaded->summary.rows);
}

}  // namespace nivora
