#pragma once

// "Depth Colours and Grid": the depth-coloured soundings, the coverage grid
// and the colour bar on the chart; the palette and its range (from the
// survey, or set), the grid's cell size and the statistic its cells show.
// Save checks the numbers, writes the "DEPTH_DISPLAY" section and the chart
// follows at once.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace nivora {

class SettingsChanges;
class SettingsFile;
struct DepthDisplaySettings;

class TDepthDisplaySettings : public QWidget {
    Q_OBJECT

  public:
    TDepthDisplaySettings(DepthDisplaySettings& model, SettingsChanges& changes,
                          const SettingsFile& settings, QWidget* parent = nullptr);

    void syncFromModel();
    bool SaveClick();
    QString status() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void enableFields();

    DepthDisplaySettings& model_;
    SettingsChanges& changes_;
    const SettingsFile& settings_;
    QCheckBox* soundings_ = nullptr;
    QCheckBox* grid_ = nullptr;
    QCheckBox* legend_ = nullptr;
    QComboBox* palette_ = nullptr;
    QComboBox* colourBy_ = nullptr;
    QCheckBox* autoRange_ = nullptr;
    QLineEdit* shallow_ = nullptr;
    QLineEdit* deep_ = nullptr;
    QLineEdit* cellSize_ = nullptr;
    QLineEdit* importFar_ = nullptr;
    QComboBox* statistic_ = nullptr;
    QSpinBox* pointSize_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace nivora
