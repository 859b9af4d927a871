#pragma once

// "Survey Lines": the lines of the chart in plan order with their lengths;
// a double click (or Activate) makes one the active line, a name can be
// edited in place, and the chart's selected lines can be marked as survey
// lines.

#include <QWidget>

class QTableWidget;

namespace nivora {

class LineControl;

class SurveyLinesWindow : public QWidget {
    Q_OBJECT

  public:
    SurveyLinesWindow(LineControl& lines, QWidget* parent = nullptr);
    void reload();
    QTableWidget* table() const { return table_; }

  private:
    LineControl& lines_;
    QTableWidget* table_ = nullptr;
    bool filling_ = false;
};

}  // namespace nivora
