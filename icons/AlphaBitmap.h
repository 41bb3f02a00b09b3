#pragma once
// TAlphaBitmap: a 32-bit off-screen picture (blue, green, red, alpha; rows bottom-up)
// used as the work surface of icon compositing: it captures a canvas's background,
// takes the blended result and is copied back.

#include "icons/Graphic.h"
#include "platform/Raster.h"
#include "util/Color.h"

#include <cstdint>
#include <memory>

namespace pictavo {

class TAlphaBitmap : public TGraphic {
public:
    TAlphaBitmap() = default;
    ~TAlphaBitmap() override = default;

    const char* ClassName() const override { return "TAlphaBitmap"; }

    // Blends this picture over the canvas inside rect.
    void Draw(platform::Surface& canvas, const platform::Rect& rect) override;
    // True only when both sides are 0.
    bool GetEmpty() const override { return FWidth == 0 && FHeight == 0; }
    int GetHeight() const override { return FHeight; }
    int GetWidth() const override { return FWidth; }
    bool GetTransparent() const override { return true; }
    void SetHeight(int value) override { SetSize(FWidth, value); }
    void SetTransparent(bool) override {}
    void SetWidth(int value) override { SetSize(value, FHeight); }
    // A 32-bit BMP file, sized as SetSize sizes (a side below 1 gives no pixels). Other
    // depths leave the picture empty; a file whose pixels are missing raises EReadError
    // and leaves it empty too.
    void LoadFromStream(Stream* stream) override;
    void SaveToStream(Stream* stream) override;

    // Negative sides become 0. The bitmap exists when both sides are positive; its
    // pixels start unset. Raises EOutOfResources when it cannot be made (the size is
    // then already stored).
    void SetSize(int width, int height);
    // The drawing surface; null while there is no bitmap.
    platform::Surface* Canvas() { return FBitmap.get(); }
    uint8_t* Pixels() { return FBitmap ? FBitmap->Pixels() : nullptr; }
    // Row `row` in memory order (row 0 is the bottom of the picture); no range check.
    uint8_t* ScanLine(int row) { return Pixels() + static_cast<ptrdiff_t>(row) * FWidth * 4; }

    // Captures the canvas inside rect into the whole picture; a canvas in a scaled
    // mapping mode gives its brush filled with its background colour instead.
    void CopyFromCanvas(platform::Surface& canvas, const platform::Rect& rect);
    // Copies the whole picture into rect of the canvas.
    void DrawTo(platform::Surface& canvas, const platform::Rect& rect);
    // Sets every alpha byte; with onlyIfAllZero, only when all of them are 0.
    void SetAlpha(uint8_t value, bool onlyIfAllZero);

protected:
    // Hooks for subclasses: at the start of DrawTo, at the end of CopyFromCanvas.
    virtual void BeforeDrawTo() {}
    virtual void AfterCopyFromCanvas() {}

private:
    platform::Rect Bounds() const { return {0, 0, FWidth, FHeight}; }

    std::unique_ptr<platform::Surface> FBitmap;
    int FHeight = 0;
    int FWidth = 0;
};

// Blends n source pixels over n destination pixels: blue, green and red become
// (source * a + destination * (255 - a)) >> 8; the destination's alpha stays.
void BlendRow(const uint8_t* source, uint8_t* destination, int n);
// StretchBlt in copy mode.
void StretchCopy(platform::Surface& destination, const platform::Rect& destinationRect,
                 const platform::Surface& source, const platform::Rect& sourceRect);
// Fills rect with the canvas's brush in opaque background mode with the given colour.
void FillWithBackground(platform::Surface& canvas, const platform::Rect& rect, TColor color);
// True when the canvas's mapping mode is not the default text mode.
bool IsScaledCanvas(const platform::Surface& canvas);

} // namespace pictavo
