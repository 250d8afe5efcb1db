#pragma once
// The zoom window: the screen next to the prepared picture, both enlarged by
// a whole factor with sharp pixels. For a pair of screens shown on alternate
// frames (gigascreen, MCX) it shows the mix, either frame, or both
// alternating at 50 Hz as the machine shows them.

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <array>
#include <optional>
#include <string>

#include "base/bitmap.h"
#include "base/result.h"

class QComboBox;
class QLabel;

namespace dw::ui {

struct ZoomContent {
    Bitmap screen;                              // as the screen view shows it
    Bitmap prepared;                            // the prepared picture
    std::optional<std::array<Bitmap, 2>> frames;  // each screen of a pair alone
};

class ZoomWindow : public QWidget {
public:
    explicit ZoomWindow(QWidget* parent = nullptr);

    void showContent(ZoomContent content);
    // What the window shows now: the screen, a gap, the prepared picture.
    const QImage& shownImage() const { return shown_; }
    // "Save as PNG...": the shown image, written atomically.
    Status saveAsPng(const std::string& name) const;
    // The factor the pictures are shown at.
    int factor() const;

    // The choices, by their index in the window's lists.
    enum Scale { fit, times1, times2, times3, times4, times5, times6 };
    enum Frames { mixed, frame1, frame2, alternating };
    void choose(Scale scale, Frames frames);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    const Bitmap& screenShown() const;
    void render();
    void saveChosenFile();

    ZoomContent content_;
    QImage shown_;
    QComboBox* scale_ = nullptr;
    QComboBox* frames_ = nullptr;
    QLabel* picture_ = nullptr;
    QTimer flip_;
    int phase_ = 0;  // the frame shown while alternating
};

}  // namespace dw::ui
