#include "ui/picture_view.h"

#include <QImage>
#include <QtMath>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <optional>

namespace dw::ui {

namespace {

std::optional<MouseButton> coreButton(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return MouseButton::left;
    case Qt::RightButton: return MouseButton::right;
    case Qt::MiddleButton: return MouseButton::middle;
    default: return std::nullopt;
    }
}

HeldButtons heldButtons(Qt::MouseButtons buttons)
{
    return {buttons.testFlag(Qt::LeftButton), buttons.testFlag(Qt::RightButton), buttons.testFlag(Qt::MiddleButton)};
}

// The pixel under a (possibly fractional) pointer position.
int pixelOf(qreal position) { return qFloor(position); }

}  // namespace

PictureView::PictureView(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMouseTracking(true);
}

QImage toQImage(const Bitmap& bitmap)
{
    if (bitmap.empty()) return {};
    const QImage view(bitmap.rgb().data(), bitmap.width(), bitmap.height(), bitmap.width() * 3, QImage::Format_RGB888);
    return view.copy();
}

void PictureView::showBitmap(const Bitmap& bitmap)
{
    if (bitmap == shown_) return;
    shown_ = bitmap;
    if (bitmap.empty())
        clear();
    else
        setPixmap(QPixmap::fromImage(toQImage(bitmap)));
    if (followsPictureSize_) resize(bitmap.width(), bitmap.height());
}

// A double click arrives here as a second press, as a button press would.
void PictureView::mousePressEvent(QMouseEvent* event)
{
    const std::optional<MouseButton> button = coreButton(event->button());
    if (button && onPress) {
        onPress(*button, pixelOf(event->position().x()), pixelOf(event->position().y()));
    }
    event->accept();
}

void PictureView::showFrame(std::optional<QRectF> frame)
{
    if (frame == frame_) return;
    frame_ = frame;
    update();
}

// The frame in a dashed line of both black and white, seen on any picture.
void PictureView::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!frame_) return;
    QPainter painter(this);
    const QRectF outline = frame_->adjusted(0, 0, -1, -1);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(outline);
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.drawRect(outline);
}

// Still a second press for the brush, then the double click itself.
void PictureView::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
    if (onDoubleClick) onDoubleClick();
}

void PictureView::mouseMoveEvent(QMouseEvent* event)
{
    if (onMove) {
        onMove(heldButtons(event->buttons()), pixelOf(event->position().x()), pixelOf(event->position().y()));
    }
    event->accept();
}

}  // namespace dw::ui
