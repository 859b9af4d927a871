#pragma once

// "NTRIP Corrections": whether the survey takes RTK corrections from a
// caster, the caster, port and mountpoint, the user and password, the
// protocol version and the receiver's GGA to the caster. Save checks the
// fields and writes the "NTRIP" section; what does not hold is said and
// nothing is saved. The client's status shows below the fields.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace nivora {

class SettingsFile;
struct NtripSettings;

class TNtripSettings : public QWidget {
    Q_OBJECT

  public:
    TNtripSettings(NtripSettings& model, const SettingsFile& settings, QWidget* parent = nullptr);

    void syncFromModel();
    bool SaveClick();
    QString status() const;
    // The client's status as it runs ("NTRIP off" while it does not).
    void showClientStatus(const QString& text);
    QString clientStatus() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    NtripSettings& model_;
    const SettingsFile& settings_;
    QCheckBox* enabled_ = nullptr;
    QLineEdit* host_ = nullptr;
    QLineEdit* port_ = nullptr;
    QLineEdit* mountpoint_ = nullptr;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
    QComboBox* version_ = nullptr;
    QCheckBox* sendGga_ = nullptr;
    QLineEdit* ggaInterval_ = nullptr;
    QLabel* clientStatus_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace nivora
