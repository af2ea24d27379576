#include "editor/picture_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPen>

#include "editor/painting.h"
#include "qt_picture/convert.h"

namespace editor {

PictureView::PictureView(int width, int height, QWidget* parent)
    : QWidget(parent), picture_(width, height) {
    setFixedSize(width, height);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    picture_.SetPresenter([this](const core::PictureBox&) {
        ++refreshCount_;
        update();
    });
}

void PictureView::ResizePicture(int width, int height) {
    picture_.Resize(width, height);
    setFixedSize(width, height);
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (picture_.Width() <= 0 || picture_.Height() <= 0) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    // The surface's buffer is shown as it is, without a copy.
    painter.fillRect(rect(), Qt::white);
    painter.drawImage(0, 0, qt_picture::ImageOver(picture_));
    if (outline_) {
        // Two lines, dark inside light, so the outline shows over any brick.
        painter.setPen(QPen(QColor(255, 255, 255), 1));
        painter.drawRect(outline_->adjusted(1, 1, -2, -2));
        painter.setPen(QPen(QColor(0, 90, 200), 1, Qt::DashLine));
        painter.drawRect(outline_->adjusted(0, 0, -1, -1));
    }
}

void PictureView::SetOutline(std::optional<QRect> outline) {
    if (outline != outline_) {
        outline_ = outline;
        update();
    }
}

void PictureView::mouseReleaseEvent(QMouseEvent* event) {
    if (onUp_) {
        const QPointF pos = event->position();
        onUp_(ButtonValue(event->button()), ShiftValue(event->modifiers()),
              static_cast<float>(pos.x()), static_cast<float>(pos.y()));
    }
    event->accept();
}

void PictureView::mouseMoveEvent(QMouseEvent* event) {
    if (onMove_) {
        const QPointF pos = event->position();
        onMove_(ButtonValue(event->buttons()), ShiftValue(event->modifiers()),
                static_cast<float>(pos.x()), static_cast<float>(pos.y()));
    }
    event->accept();
}

void PictureView::mousePressEvent(QMouseEvent* event) {
    if (onDown_) {
        const QPointF pos = event->position();
        onDown_(ButtonValue(event->buttons()), ShiftValue(event->modifiers()),
                static_cast<float>(pos.x()), static_cast<float>(pos.y()));
    }
    event->accept();
}

std::int16_t ButtonValue(Qt::MouseButtons buttons) {
    std::int16_t value = 0;
    if (buttons.testFlag(Qt::LeftButton)) {
        value = static_cast<std::int16_t>(value + kLeftButton);
    }
    if (buttons.testFlag(Qt::RightButton)) {
        value = static_cast<std::int16_t>(value + kRightButton);
    }
    if (buttons.testFlag(Qt::MiddleButton)) {
        value = static_cast<std::int16_t>(value + kMiddleButton);
    }
    return value;
}

std::int16_t ShiftValue(Qt::KeyboardModifiers modifiers) {
    std::int16_t value = 0;
    if (modifiers.testFlag(Qt::ShiftModifier)) {
        value = static_cast<std::int16_t>(value + 1);
    }
    if (modifiers.testFlag(Qt::ControlModifier)) {
        value = static_cast<std::int16_t>(value + 2);
    }
    if (modifiers.testFlag(Qt::AltModifier)) {
        value = static_cast<std::int16_t>(value + 4);
    }
    return value;
}

}  // namespace editor
