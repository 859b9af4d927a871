#pragma once

// The survey's depths on its chart: every logged sounding goes into the
// depth picture (coloured dot and coverage grid), and the colour bar follows
// its range. At start the day's coordinate logs are read again on a thread
// of their own, so a restart shows the day's coverage without holding the
// screen; soundings that arrive meanwhile are kept and the two are joined.

#include <QObject>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

#include "products/depth_picture.h"

namespace nivora {

class CanvasDocument;
struct CoordinateRow;
struct DepthDisplaySettings;
class RealtimeSurvey;

class DepthLayer : public QObject {
    Q_OBJECT

  public:
    DepthLayer(RealtimeSurvey& survey, CanvasDocument& doc, QObject* parent = nullptr);
    ~DepthLayer() override;

    DepthPicture& picture() { return picture_; }
    // Takes the display settings as they are now.
    void applySettings();
    void setNight(bool night);
    // Reads the coordinate logs of the survey's day folder again (start).
    void rebuildFromLogs();
    bool rebuilding() const { return loader_ != nullptr; }
    // A sounding as it was logged.
    void addRow(const CoordinateRow& row);

  signals:
    // The day's logs are read and joined: how many soundings they held.
    void rebuilt(qint64 soundings);

  private:
    void changed();
    void finishRebuild();

    RealtimeSurvey& survey_;
    CanvasDocument& doc_;
    DepthPicture picture_;
    bool reduced_ = false;  // colour by depth below the datum
    struct Loaded;
    std::shared_ptr<Loaded> loaded_;
    QThread* loader_ = nullptr;
    std::shared_ptr<std::atomic<bool>> cancel_;
    std::optional<std::int64_t> firstLiveMs_;
};

// The picture's settings from the display settings.
DepthPictureSettings depthPictureSettings(const DepthDisplaySettings& s);

}  // namespace nivora
