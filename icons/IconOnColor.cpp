#include "icons/IconOnColor.h"

#include "icons/MultiIcon.h"

namespace pictavo {

namespace {

// The pen of the mask scan: a horizontal line from x0 to x1 (x1 excluded) on row y.
void DrawRowLine(platform::Surface& canvas, int x0, int x1, int y) {
    canvas.FillRect({x0, y, x1, y + 1});
}

void PaintTransparentRuns(const platform::IconHandle& icon, platform::Surface& canvas) {
    const int width = icon.Width();
    for (int y = 0; y < icon.Height(); ++y) {
        int runStart = -1;
        for (int x = 0; x < width; ++x) {
            const bool transparent = icon.MaskBit(x, y);
            if (transparent && runStart < 0)
                runStart = x;
            else if (!transparent && runStart >= 0) {
                DrawRowLine(canvas, runStart, x, y);
                runStart = -1;
            }
        }
        if (runStart >= 0)
            DrawRowLine(canvas, runStart, width, y);
    }
}

} // namespace

void DrawIconOnColor(const platform::IconHandle& icon, TColor color, TAlphaBitmap& bitmap) {
    bitmap.SetSize(icon.Width(), icon.Height() + 1);
    platform::Surface& canvas = *GdiCheck(bitmap.Canvas());
    canvas.SetBrushColor(clWhite);
    canvas.FillRect({0, 0, canvas.Width(), canvas.Height()});
    platform::DrawIcon(canvas, 0, 0, icon);

    canvas.SetBrushColor(color);
    PaintTransparentRuns(icon, canvas);
    DrawRowLine(canvas, 0, canvas.Width(), canvas.Height() - 1);
}

void DrawPngOnWhite(const TPngImage& png, TAlphaBitmap& bitmap) {
    bitmap.SetSize(256, 256);
    platform::Surface& canvas = *GdiCheck(bitmap.Canvas());
    canvas.SetBrushColor(clWhite);
    canvas.FillRect({0, 0, 256, 256});
    png.Draw(canvas, {0, 0, 256, 256});
}

} // namespace pictavo
