#pragma once
// Pictures the window saves as PNG files, written atomically.

#include <QImage>
#include <string>

#include "base/result.h"

namespace dw::ui {

Status writePng(const QImage& image, const std::string& name);

// `image` with every pixel made a `factor` x `factor` square.
QImage enlarged(const QImage& image, int factor);

}  // namespace dw::ui
