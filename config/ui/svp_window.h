#pragma once

// TfSVP, "Sound Velocity": loads a probe file and turns it into the
// per-metre velocity column the echosounder corrects depths with.

#include <QString>
#include <QWidget>

#include "config/config_host.h"
#include "config/svp_model.h"
#include "core/settings_file.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace nivora {

class SvpProfileView;

class TfSVP : public QWidget {
    Q_OBJECT

  public:
    // Shows the model as created at program start (memo files and section
    // "SVP"); `settings` is where the section and, beside it, the memos are saved.
    TfSVP(SvpModel& model, ConfigHost& host, OperatorPrompts& prompts, const SettingsFile& settings,
          QWidget* parent = nullptr);

    SvpModel& model() { return model_; }
    // The memo files' common start: the settings file's path without its extension.
    QString memoBase() const;

    void SVPClick();
    void bRawToSVVClick();
    void bSVVtoAveragedSVClick();
    void bAveragedSVtoSVPClick();
    void SaveAndCloseClick();
    void DefaultsClick();

  signals:
    // "Use Sound Velocity Profile" changed: whether the profile is in use.
    void profileInUseChanged(bool used);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPlainTextEdit* memo(const char* name, QStringList* lines);
    void syncFromModel();
    void syncProfileBox();
    void refreshProfileView();

    SvpModel& model_;
    ConfigHost& host_;
    OperatorPrompts& prompts_;
    SettingsFile settings_;
    bool syncing_ = false;

    QPlainTextEdit* mRawSVData_ = nullptr;
    QPlainTextEdit* mRawSVExtracted_ = nullptr;
    QPlainTextEdit* mSortedAveragedSV_ = nullptr;
    QPlainTextEdit* mSVPColumn_ = nullptr;
    QLineEdit* eSearchString_ = nullptr;
    QLineEdit* eMaxDepth_ = nullptr;
    QRadioButton* rSVFirst_ = nullptr;
    QRadioButton* rDFirst_ = nullptr;
    QCheckBox* cUseSVP_ = nullptr;
    QPushButton* bSaveClose_ = nullptr;
    SvpProfileView* profileView_ = nullptr;
};

}  // namespace nivora
