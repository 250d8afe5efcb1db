#pragma once
// The picture preparation's sampling: the framing rectangle of the source
// picture down to 256x192 with contrast, brightness and saturation.

#include "base/bitmap.h"
#include "base/plane.h"

namespace dw {

// The settings one sampling reads: the framing rectangle in source pixels and
// the tone values as parsed from their edits.
struct Sampling {
    double cropX = 0, cropY = 0, cropWidth = 0, cropHeight = 0;
    double brightness = 0, contrast = 0, saturation = 0;
};

// Fills the 256x192 picture of the work planes and `normBitmap` from
// `source`; positions outside the source (all of an empty one) read as white.
void samplePicture(const Bitmap& source, const Sampling& sampling, Plane& workB, Plane& workG, Plane& workR,
                   Bitmap& normBitmap);

}  // namespace dw
