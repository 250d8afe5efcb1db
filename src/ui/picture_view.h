#pragma once
// A picture view: shows a bitmap unscaled from its top-left corner and
// reports mouse presses and moves in picture coordinates. Moves are reported
// with no button held as well, and keep coming while a drag leaves the view.

#include <QLabel>
#include <functional>
#include <optional>

#include "base/bitmap.h"
#include "core/controls.h"

namespace dw::ui {

class PictureView : public QLabel {
public:
    explicit PictureView(QWidget* parent = nullptr);

    // Shows `bitmap`; converts it only when it differs from what is shown.
    void showBitmap(const Bitmap& bitmap);
    // A view inside a scrolling box takes the size of its picture.
    void setFollowsPictureSize(bool follows) { followsPictureSize_ = follows; }
    // Shown copy, for comparisons.
    const Bitmap& shownBitmap() const { return shown_; }
    // A rectangle drawn over the picture, in picture coordinates.
    void showFrame(std::optional<QRectF> frame);
    const std::optional<QRectF>& shownFrame() const { return frame_; }

    std::function<void(MouseButton button, int x, int y)> onPress;
    std::function<void(HeldButtons held, int x, int y)> onMove;
    std::function<void()> onDoubleClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Bitmap shown_;
    bool followsPictureSize_ = false;
    std::optional<QRectF> frame_;
};

QImage toQImage(const Bitmap& bitmap);

}  // namespace dw::ui
