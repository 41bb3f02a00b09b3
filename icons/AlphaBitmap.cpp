#include "icons/AlphaBitmap.h"

#include "icons/MultiIcon.h"
#include "util/Bytes.h"

#include <algorithm>

namespace pictavo {

namespace {

constexpr int FileHeaderBytes = 14;
constexpr int InfoHeaderBytes = 40;

} // namespace

void BlendRow(const uint8_t* source, uint8_t* destination, int n) {
    for (int i = 0; i < n; ++i, source += 4, destination += 4) {
        const unsigned a = source[3];
        for (int c = 0; c < 3; ++c)
            destination[c] =
                static_cast<uint8_t>((source[c] * a + destination[c] * (255 - a)) >> 8);
    }
}

void StretchCopy(platform::Surface& destination, const platform::Rect& destinationRect,
                 const platform::Surface& source, const platform::Rect& sourceRect) {
    platform::StretchBlt(destination, destinationRect, source, sourceRect);
}

void FillWithBackground(platform::Surface& canvas, const platform::Rect& rect, TColor color) {
    canvas.SetOpaqueBackground(true);
    canvas.SetBackgroundColor(color);
    canvas.FillRect(rect);
}

bool IsScaledCanvas(const platform::Surface& canvas) {
    return canvas.GetMapMode() != platform::MapMode::Text;
}

void TAlphaBitmap::SetSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == FWidth && height == FHeight)
        return;
    FWidth = width;
    FHeight = height;
    FBitmap.reset();
    if (width > 0 && height > 0)
        FBitmap = GdiCheck(platform::Surface::Create(width, height));
}

void TAlphaBitmap::CopyFromCanvas(platform::Surface& canvas, const platform::Rect& rect) {
    if (!FBitmap)
        return;
    if (IsScaledCanvas(canvas)) {
        FBitmap->SetBrushColor(canvas.BrushColor());
        FillWithBackground(*FBitmap, Bounds(), canvas.BackgroundColor());
    } else {
        StretchCopy(*FBitmap, Bounds(), canvas, rect);
    }
    AfterCopyFromCanvas();
}

void TAlphaBitmap::DrawTo(platform::Surface& canvas, const platform::Rect& rect) {
    if (!FBitmap)
        return;
    BeforeDrawTo();
    StretchCopy(canvas, rect, *FBitmap, Bounds());
}

void TAlphaBitmap::Draw(platform::Surface& canvas, const platform::Rect& rect) {
    if (!FBitmap)
        return;
    TAlphaBitmap background;
    background.SetSize(FWidth, FHeight);
    background.CopyFromCanvas(canvas, rect);
    for (int row = 0; row < FHeight; ++row)
        BlendRow(ScanLine(row), background.ScanLine(row), FWidth);
    background.DrawTo(canvas, rect);
}

void TAlphaBitmap::SetAlpha(uint8_t value, bool onlyIfAllZero) {
    uint8_t* pixels = Pixels();
    if (!pixels)
        return;
    const size_t count = static_cast<size_t>(FWidth) * FHeight;
    if (onlyIfAllZero)
        for (size_t i = 0; i < count; ++i)
            if (pixels[4 * i + 3] != 0)
                return;
    for (size_t i = 0; i < count; ++i)
        pixels[4 * i + 3] = value;
}

void TAlphaBitmap::LoadFromStream(Stream* stream) {
    SetSize(0, 0);
    if (!stream)
        return;
    uint8_t header[FileHeaderBytes + InfoHeaderBytes];
    stream->ReadBuffer(header, sizeof header);
    const uint8_t* info = header + FileHeaderBytes;
    if (LoadU16(info + 14) != 32)
        return;
    const int32_t width = std::max(LoadI32(info + 4), 0);
    const int32_t height = std::max(LoadI32(info + 8), 0);
    // The pixels are read by the picture's own size, whatever the image-size field
    // says, and must all be there. Two 31-bit sides times 4 fit in 64 unsigned bits.
    const uint64_t pixelBytes =
        uint64_t{static_cast<uint32_t>(width)} * static_cast<uint32_t>(height) * 4;
    if (static_cast<uint64_t>(std::max<int64_t>(stream->Remaining(), 0)) < pixelBytes)
        throw EReadError("Stream read error");
    SetSize(width, height);
    if (!Pixels())
        return; // one side is 0: a picture without pixels
    try {
        stream->ReadBuffer(Pixels(), static_cast<size_t>(pixelBytes));
    } catch (...) {
        SetSize(0, 0);
        throw;
    }
    SetAlpha(255, true);
}

void TAlphaBitmap::SaveToStream(Stream* stream) {
    if (!stream)
        return;
    const uint32_t pixelBytes = static_cast<uint32_t>(FWidth) * FHeight * 4;
    uint8_t header[FileHeaderBytes + InfoHeaderBytes] = {};
    header[0] = 'B';
    header[1] = 'M';
    StoreU32(header + 2, FileHeaderBytes + InfoHeaderBytes + pixelBytes);
    StoreU32(header + 10, FileHeaderBytes + InfoHeaderBytes);
    uint8_t* info = header + FileHeaderBytes;
    StoreU32(info, InfoHeaderBytes);
    StoreI32(info + 4, FWidth);
    StoreI32(info + 8, FHeight);
    StoreU16(info + 12, 1);
    StoreU16(info + 14, 32);
    StoreU32(info + 20, pixelBytes);
    stream->WriteBuffer(header, sizeof header);
    if (Pixels())
        stream->WriteBuffer(Pixels(), pixelBytes);
}

} // namespace pictavo
