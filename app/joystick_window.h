#pragma once

// TfJoystick, "Battery": the stay-on-top panel of a remotely driven survey
// boat whose echosounder reports in the "Nivora SMT" family. The strip on
// top shows the boat's battery voltage; the 3 x 3 pad sends thrust
// commands for channels A and B to the GNSS port.

#include <QByteArray>
#include <QWidget>
#include <cstdint>

class QLabel;
class QTimer;

namespace nivora {

class RealtimeSurvey;

// "<A+005>\n", "<B-012>\n", "<A+1234>\n": the channel letter, the sign ("-"
// below zero, else "+") and the magnitude with at least three digits.
QByteArray thrustCommand(char channel, std::int32_t value);

class TfJoystick : public QWidget {
    Q_OBJECT

  public:
    static constexpr const char* kFamily = "Nivora SMT";
    static constexpr int kCheckIntervalMs = 1000;

    explicit TfJoystick(RealtimeSurvey& survey, QWidget* parent = nullptr);

    // The channel values, 1 at start and kept for the whole run.
    std::int32_t channelA() const { return a_; }
    std::int32_t channelB() const { return b_; }
    std::int32_t channelC() const { return c_; }

    // The pad, by button.
    void bUpClick();
    void bBottomClick();
    void bLeftClick();
    void BitBtn1Click();
    void bRightClick();
    void BitBtn5Click();
    void BitBtn2Click() {}

    // The visibility check: hidden whenever another family is chosen.
    void Timer1Timer();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void send(const QByteArray& text);

    RealtimeSurvey& survey_;
    QLabel* battery_ = nullptr;
    QTimer* timer1_ = nullptr;
    std::int32_t a_ = 1;
    std::int32_t b_ = 1;
    std::int32_t c_ = 1;
};

}  // namespace nivora
