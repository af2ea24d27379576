#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include <QRect>

#include <QWidget>

#include "shared/picture_box.h"

namespace editor {

// A widget that shows a picture surface. What is drawn into the surface appears on screen when
// the surface is refreshed (or when the window system asks for a repaint). Mouse events are
// handed on in the widget's pixels with the buttons held; while a button is held the widget
// keeps receiving movements, also from outside it.
class PictureView : public QWidget {
  public:
    // button: 1 left, 2 right, 4 middle, summed; shift: 1 Shift, 2 Ctrl, 4 Alt, summed.
    using MouseHandler =
        std::function<void(std::int16_t button, std::int16_t shift, float x, float y)>;

    PictureView(int width, int height, QWidget* parent = nullptr);

    core::PictureBox& Picture() { return picture_; }
    const core::PictureBox& Picture() const { return picture_; }

    // New drawable size for both the surface and the widget.
    void ResizePicture(int width, int height);

    void SetMouseMoveHandler(MouseHandler handler) { onMove_ = std::move(handler); }
    void SetMouseDownHandler(MouseHandler handler) { onDown_ = std::move(handler); }
    // Called with the button released (1, 2 or 4) and the buttons still held left out.
    void SetMouseUpHandler(MouseHandler handler) { onUp_ = std::move(handler); }

    // A rectangle outlined over the picture (not drawn into it), in its pixels; none by default.
    void SetOutline(std::optional<QRect> outline);
    const std::optional<QRect>& Outline() const { return outline_; }

    // How often the surface was refreshed: lets tests see whether a handler refreshed it.
    int RefreshCount() const { return refreshCount_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    core::PictureBox picture_;
    MouseHandler onMove_;
    MouseHandler onDown_;
    MouseHandler onUp_;
    std::optional<QRect> outline_;
    int refreshCount_ = 0;
};

std::int16_t ButtonValue(Qt::MouseButtons buttons);
std::int16_t ShiftValue(Qt::KeyboardModifiers modifiers);

}  // namespace editor
