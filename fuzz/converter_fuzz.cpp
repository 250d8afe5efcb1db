// Every mode's converter on a random prepared picture, with random settings,
// a palette read from random ".act" bytes and "tablo.dat" records as start-up
// leaves them (colour numbers folded into 0..15, mix indices into the table).
// A converter must finish without a fault and leave its previews 256x192.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/mode_table.h"
#include "picture/palette_bytes.h"

namespace {

struct Parts : dw::PictureState, dw::ScreenState, dw::Palette, dw::Tables, dw::Scratch {
    dw::ModeSettings settings;
};

dw::ModeSettings randomSettings(FuzzedDataProvider& input)
{
    dw::ModeSettings s;
    s.floyd = input.ConsumeBool();
    s.projecting = input.ConsumeBool();
    s.centering = input.ConsumeBool();
    s.brightOnly = input.ConsumeBool();
    s.limitMC = input.ConsumeBool();
    s.evenMC = input.ConsumeBool();
    s.brightGrey = input.ConsumeBool();
    s.rModeNoise = input.ConsumeBool();
    s.chunkMask = input.ConsumeBool() ? 1 : 7;
    // The band of a dithering level from 0 to 1: its low end falls from 128 to
    // 0 as its high end rises from 127 to 255.
    s.dithLo = input.ConsumeIntegralInRange(0, 128);
    s.dithHi = input.ConsumeIntegralInRange(127, 255);
    // Any number an edit can hold.
    s.mcLevel = input.ConsumeFloatingPoint<double>();
    s.kcolerr = input.ConsumeFloatingPoint<double>();
    return s;
}

void randomRecords(FuzzedDataProvider& input, dw::Tables& tables)
{
    const std::vector<uint8_t> bytes = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange(0, 256));
    for (int i = 0; i < dw::gigaTabSize; ++i)
        for (int k = 0; k < 8; ++k) {
            const uint8_t byte = bytes.empty() ? 0 : bytes[(8 * i + k) % bytes.size()];
            tables.gigaTab[i][k] = k < 4 ? byte & 15 : byte % dw::mixCount;
        }
}

// The work planes tiled with the remaining bytes; the reference planes copy
// them, as a run takes them.
void randomPicture(FuzzedDataProvider& input, dw::PictureState& picture)
{
    const std::vector<uint8_t> bytes = input.ConsumeRemainingBytes<uint8_t>();
    dw::Plane* planes[] = {&picture.workB, &picture.workG, &picture.workR};
    size_t next = 0;
    for (int y = 0; y < dw::screenHeight; ++y)
        for (int x = 0; x < dw::screenWidth; ++x)
            for (dw::Plane* plane : planes) (*plane)[y][x] = bytes.empty() ? 0 : bytes[next++ % bytes.size()];
    picture.origB.copyFrom(picture.workB), picture.origG.copyFrom(picture.workG), picture.origR.copyFrom(picture.workR);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const auto& modes = dw::modeTable();
    const dw::Mode& mode = modes[input.ConsumeIntegralInRange<size_t>(0, modes.size() - 1)];
    auto parts = std::make_unique<Parts>();
    parts->settings = randomSettings(input);
    const std::vector<uint8_t> act = input.ConsumeBytes<uint8_t>(dw::paletteFileBytes);
    dw::readPaletteBytes(act, parts->palB, parts->palG, parts->palR);
    randomRecords(input, *parts);
    randomPicture(input, *parts);
    for (dw::Bitmap* b : {&parts->zxBitmap, &parts->modelBitmap, &parts->layer1Bitmap, &parts->layer2Bitmap})
        b->resize(dw::screenWidth, dw::screenHeight);

    mode.convert({*parts, parts->settings, *parts, *parts, *parts, *parts});

    for (const dw::Bitmap* b : {&parts->zxBitmap, &parts->modelBitmap, &parts->layer1Bitmap, &parts->layer2Bitmap})
        if (b->width() != dw::screenWidth || b->height() != dw::screenHeight) __builtin_trap();
    return 0;
}
