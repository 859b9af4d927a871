#pragma once

// TFMsg, the "Message Window": short status messages in a stay-on-top
// window that hides itself 4 s after the last one. It never takes the
// keyboard from the chart and never waits for an answer, so a message can
// never hold up a survey. A click empties it and hides it.

#include <QTimer>
#include <QWidget>

class QPlainTextEdit;

namespace nivora {

class TFMsg : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kHideAfterMs = 4000;
    // Lines kept; a day of messages must not grow without bound.
    static constexpr int kMaxLines = 500;

    explicit TFMsg(QWidget* parent = nullptr);

    // Adds a line and shows the window (its timer starts again).
    void addMessage(const QString& text);
    QString text() const;
    bool hideTimerActive() const { return timer_.isActive(); }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPlainTextEdit* msg_;
    QTimer timer_;
};

}  // namespace nivora
