#pragma once

// "Vertical Reduction": the geoid model that gives the separation where
// the receiver gives none (or always), and where each sounding's tide
// comes from (the Offsets window's height, a tide file, the RTK tide).
// Save checks that the grid reads and the tide file is there, and writes
// the "VERTICAL" section; what does not hold is said and nothing is saved.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace nivora {

class SettingsChanges;
class SettingsFile;
struct VerticalSettings;

class TVerticalSettings : public QWidget {
    Q_OBJECT

  public:
    TVerticalSettings(VerticalSettings& model, const SettingsFile& settings,
                      QWidget* parent = nullptr);

    void syncFromModel();
    bool SaveClick();
    QString status() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    VerticalSettings& model_;
    const SettingsFile& settings_;
    QLineEdit* geoid_ = nullptr;
    QCheckBox* geoidAlways_ = nullptr;
    QComboBox* source_ = nullptr;
    QLineEdit* tideFile_ = nullptr;
    QLineEdit* maxGap_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace nivora
