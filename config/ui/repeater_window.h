#pragma once

// "NMEA Output": whether the survey repeats its sentences, where to, which
// of its own sentences, the line guidance, and whether every accepted input
// line goes out as read. Save checks the destination and writes the
// "REPEATER" section; what does not hold is said and nothing is saved.

#include <QWidget>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace nivora {

class SettingsFile;
struct RepeaterSettings;

class TRepeaterSettings : public QWidget {
    Q_OBJECT

  public:
    TRepeaterSettings(RepeaterSettings& model, const SettingsFile& settings,
                      QWidget* parent = nullptr);

    void syncFromModel();
    bool SaveClick();
    QString status() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    RepeaterSettings& model_;
    const SettingsFile& settings_;
    QCheckBox* enabled_ = nullptr;
    QLineEdit* destination_ = nullptr;
    std::vector<QCheckBox*> sentences_;  // in the order RepeaterSettings::known() gives
    QCheckBox* guidance_ = nullptr;
    QCheckBox* echo_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace nivora
