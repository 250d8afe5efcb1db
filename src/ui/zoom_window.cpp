#include "ui/zoom_window.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/picture_view.h"
#include "ui/png_file.h"

namespace dw::ui {

namespace {

constexpr int gap = 8;         // between the screen and the prepared picture, unscaled pixels
constexpr int largest = 6;     // the largest factor
constexpr int frameMs = 20;    // one frame of a 50 Hz display

}  // namespace

ZoomWindow::ZoomWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("ZoomWindow");
    setWindowTitle("Zoom");
    scale_ = new QComboBox;
    scale_->setObjectName("scale");
    scale_->addItems({"fit", "1x", "2x", "3x", "4x", "5x", "6x"});
    frames_ = new QComboBox;
    frames_->setObjectName("frames");
    frames_->addItems({"mixed", "frame 1", "frame 2", "alternating, 50 Hz"});
    auto* save = new QPushButton("Save as PNG...");
    save->setObjectName("save");
    auto* bar = new QHBoxLayout;
    bar->addWidget(scale_);
    bar->addWidget(frames_);
    bar->addWidget(save);
    bar->addStretch();

    picture_ = new QLabel;
    picture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* scroll = new QScrollArea;
    scroll->setWidget(picture_);
    scroll->setWidgetResizable(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(scroll);

    connect(scale_, &QComboBox::currentIndexChanged, this, [this] { render(); });
    connect(frames_, &QComboBox::currentIndexChanged, this, [this] { render(); });
    connect(save, &QPushButton::clicked, this, [this] { saveChosenFile(); });
    flip_.setInterval(frameMs);
    connect(&flip_, &QTimer::timeout, this, [this] {
        phase_ ^= 1;
        render();
    });
    resize(3 * (2 * 256 + gap) + 40, 3 * 192 + 80);
}

void ZoomWindow::showContent(ZoomContent content)
{
    if (content.screen == content_.screen && content.prepared == content_.prepared && content.frames == content_.frames)
        return;
    content_ = std::move(content);
    frames_->setEnabled(content_.frames.has_value());
    render();
}

void ZoomWindow::choose(Scale scale, Frames frames)
{
    scale_->setCurrentIndex(scale);
    frames_->setCurrentIndex(frames);
    render();
}

void ZoomWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (scale_->currentIndex() == fit) render();
}

// "fit": the largest factor at which both pictures fit the window's width
// and height.
int ZoomWindow::factor() const
{
    if (scale_->currentIndex() != fit) return scale_->currentIndex();
    const int width = std::max(1, content_.screen.width() + gap + content_.prepared.width());
    const int height = std::max({1, content_.screen.height(), content_.prepared.height()});
    const QSize room = picture_->parentWidget() ? picture_->parentWidget()->size() : size();
    return std::clamp(std::min(room.width() / width, room.height() / height), 1, largest);
}

const Bitmap& ZoomWindow::screenShown() const
{
    if (!content_.frames || !frames_->isEnabled()) return content_.screen;
    switch (frames_->currentIndex()) {
    case frame1: return (*content_.frames)[0];
    case frame2: return (*content_.frames)[1];
    case alternating: return (*content_.frames)[phase_];
    default: return content_.screen;
    }
}

void ZoomWindow::render()
{
    const bool alternate = content_.frames && frames_->currentIndex() == alternating;
    if (alternate && !flip_.isActive()) flip_.start();
    if (!alternate) flip_.stop();

    const int k = factor();
    const QImage screen = enlarged(toQImage(screenShown()), k), prepared = enlarged(toQImage(content_.prepared), k);
    QImage image(screen.width() + k * gap + prepared.width(), std::max(screen.height(), prepared.height()),
                 QImage::Format_RGB888);
    if (image.isNull()) {  // nothing opened or converted yet
        shown_ = image;
        picture_->clear();
        return;
    }
    image.fill(palette().color(QPalette::Window));
    QPainter painter(&image);
    painter.drawImage(0, 0, screen);
    painter.drawImage(screen.width() + k * gap, 0, prepared);
    painter.end();
    shown_ = image;
    picture_->setPixmap(QPixmap::fromImage(shown_));
}

Status ZoomWindow::saveAsPng(const std::string& name) const { return writePng(shown_, name); }

void ZoomWindow::saveChosenFile()
{
    const QString name = QFileDialog::getSaveFileName(this, "Save as PNG", QString(), "PNG picture (*.png)");
    if (name.isEmpty()) return;
    if (Status saved = saveAsPng(name.toStdString()); !saved)
        QMessageBox::warning(this, "Save as PNG",
                             QString::fromStdString("cannot write " + name.toStdString() + ": " + saved.error()));
}

}  // namespace dw::ui
