#pragma once

// Controls shared by the settings windows: a spin field that shows its text
// as stored, a colour choice box, message boxes and window placement.

#include <QAbstractSpinBox>
#include <QColor>
#include <QComboBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QWidget>
#include <functional>

#include "canvas/qt_color.h"
#include "config/config_host.h"
#include "core/colors.h"
#include "core/settings_file.h"

class QLineEdit;

namespace nivora {

class SettingsFile;

// A spin field whose text is the setting itself: it shows whatever the
// settings file holds (an update period of "20" below the field's minimum of
// 100, an emptied field), while typing accepts whole numbers only and the
// arrows step within the range.
class TextSpinEdit : public QAbstractSpinBox {
    Q_OBJECT

  public:
    TextSpinEdit(int minimum, int maximum, int step, QWidget* parent = nullptr);

    QString fieldText() const;
    // Sets the text without emitting textEdited.
    void setFieldText(const QString& text);
    void stepBy(int steps) override;

  signals:
    // The user changed the text (typing or arrows).
    void textEdited(const QString& text);

  protected:
    QValidator::State validate(QString& input, int& pos) const override;
    StepEnabled stepEnabled() const override;

  private:
    int minimum_;
    int maximum_;
    int step_;
    bool setting_ = false;
};

// The colour boxes: the sixteen named colours, the current colour when it
// is none of them, and "Custom..." for any other.
class ColorBox : public QComboBox {
    Q_OBJECT

  public:
    explicit ColorBox(QWidget* parent = nullptr);

    TColor colour() const { return colour_; }
    void setColour(TColor colour);

  signals:
    // The user chose a colour.
    void colourChosen(TColor colour);

  private:
    void chosen(int index);
    void rebuild();

    TColor colour_ = colors::Black;
};

// Message boxes and file dialogs on the screen.
class QtOperatorPrompts final : public OperatorPrompts {
  public:
    void showMessage(const QString& text) override;
    void showWarning(const QString& text) override;
    void showError(const QString& text) override;
    bool askOkCancel(const QString& text) override;
    QString chooseOpenFile(const QString& title, const QString& filter,
                           const QString& folder) override;
};

// The placement section is the window's object name; it holds the client
// area (without the frame) and whether the window was open. Saving returns
// false with the reason when the settings file could not be written; a
// window never shown stores nothing.
bool SaveWindowPlacement(const QWidget& window, const SettingsFile& settings,
                         QString* error = nullptr);
// Puts a window where it was, at the size it had (not below the size it
// needs), on a screen that is there, with its title bar in view; a window
// without a stored place opens over its main window, the main window over
// most of its screen.
void RestoreWindowPlacement(QWidget& window, const SettingsFile& settings);
// The window was open when its placement was last stored.
bool WindowWasVisible(const QWidget& window, const SettingsFile& settings);

// A label and field row helper for the windows' forms.
QLineEdit* namedLineEdit(const char* name, QWidget* parent);
// A small square of the colour, framed, for lists and combo boxes.
QIcon colourSwatch(TColor colour);

// A settings window's foot: its status text ("lStatus", stretching), Save
// ("bSave", which runs `save`) and Close ("bClose").
QHBoxLayout* saveCloseRow(QWidget& window, QLabel*& status, std::function<void()> save);

// The Save of a settings window: `problem` (empty when every field is
// usable) or the file's error goes to `status` and nothing changes;
// otherwise `edited` is written through `save` and becomes the model.
template <class Model, class Save>
bool saveEditedModel(Model& model, const Model& edited, const QString& problem,
                     const SettingsFile& settings, Save&& save, QLabel* status) {
    QString said = problem;
    const bool saved = said.isEmpty() && settings.update(save, &said);
    if (saved) {
        model = edited;
        said = QStringLiteral("Saved");
    }
    status->setText(said);
    return saved;
}

}  // namespace nivora
