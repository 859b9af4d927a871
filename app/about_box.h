#pragma once

// The about box: the program, its version, its licence and the libraries it
// is built on. Shown modally from Help.

#include <QDialog>

namespace nivora {

class AboutBox : public QDialog {
    Q_OBJECT

  public:
    explicit AboutBox(QWidget* parent = nullptr);
    // The text shown, for a test and a look.
    QString text() const;

  private:
    QString text_;
};

}  // namespace nivora
