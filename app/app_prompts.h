#pragma once

// Questions and messages for the operator as dialogs over a window. They
// come only from the operator's own commands; a timer never opens one (the
// error report goes to the message window instead).

#include <QPointer>
#include <QWidget>

#include "config/config_host.h"

namespace nivora {

// "Name [*.nwl]|*.nwl|All Files [*.*]|*.*" as a file dialog filter.
QString qtFileFilter(const QString& pipeFilter);
// A name typed without an extension gets the first one of the chosen filter
// ("Nivora Wayline [*.nwl] (*.nwl)"); "All Files" adds none.
QString withFilterExtension(const QString& name, const QString& chosenFilter);

class WidgetPrompts : public OperatorPrompts {
  public:
    explicit WidgetPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void showMessage(const QString& text) override;
    void showWarning(const QString& text) override;
    void showError(const QString& text) override;
    bool askOkCancel(const QString& text) override;
    bool askYesNo(const QString& text) override;
    QString chooseOpenFile(const QString& title, const QString& filter,
                           const QString& folder) override;
    // The extension of the chosen filter is added to a name typed without one.
    QString chooseSaveFile(const QString& title, const QString& filter,
                           const QString& folder) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace nivora
