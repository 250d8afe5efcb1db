#include "ui/png_file.h"

#include <QBuffer>
#include <span>

#include "core/output_file.h"

namespace dw::ui {

Status writePng(const QImage& image, const std::string& name)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return Failure{"the picture cannot be made into a PNG file"};
    const auto* bytes = reinterpret_cast<const uint8_t*>(png.constData());
    return writeFileAtomically(name, std::span<const uint8_t>(bytes, static_cast<size_t>(png.size())));
}

// Scaled without smoothing, so every pixel stays a sharp square.
QImage enlarged(const QImage& image, int factor)
{
    if (image.isNull()) return image;
    return image.scaled(image.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

}  // namespace dw::ui
