#include "app/message_window.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace nivora {

TFMsg::TFMsg(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus) {
    setObjectName(QStringLiteral("TFMsg"));
    setWindowTitle(QStringLiteral("Message Window"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    msg_ = new QPlainTextEdit(this);
    msg_->setObjectName(QStringLiteral("Msg"));
    msg_->setReadOnly(true);
    msg_->setFocusPolicy(Qt::NoFocus);
    msg_->setMaximumBlockCount(kMaxLines);
    msg_->viewport()->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(msg_);
    resize(420, 140);
    timer_.setSingleShot(true);
    timer_.setInterval(kHideAfterMs);
    connect(&timer_, &QTimer::timeout, this, &QWidget::hide);
}

void TFMsg::addMessage(const QString& text) {
    msg_->appendPlainText(text);
    if (isVisible()) {
        timer_.start();
    } else {
        show();
    }
}

QString TFMsg::text() const {
    return msg_->toPlainText();
}

void TFMsg::showEvent(QShowEvent* event) {
    timer_.start();
    QWidget::showEvent(event);
}

void TFMsg::hideEvent(QHideEvent* event) {
    timer_.stop();
    QWidget::hideEvent(event);
}

bool TFMsg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == msg_->viewport() && event->type() == QEvent::MouseButtonPress) {
        hide();
        msg_->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace nivora
