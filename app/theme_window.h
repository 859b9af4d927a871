#pragma once

// TfTheme: choosing a style in the list applies it at once; "Save && Exit"
// keeps the choice for the next start.

#include <QWidget>

#include "core/settings_file.h"

class QListWidget;

namespace nivora {

class TfTheme : public QWidget {
    Q_OBJECT

  public:
    static constexpr const char* kSection = "APPLICATION";
    static constexpr const char* kKey = "ThemeStyle";

    explicit TfTheme(const SettingsFile& settings, QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }
    // Writes the choice in use to the settings file and hides; false with
    // the reason when the file could not be written.
    bool SaveAndExitClick(QString* error = nullptr);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    SettingsFile settings_;
    QListWidget* list_;
};

}  // namespace nivora
