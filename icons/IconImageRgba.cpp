#include "icons/IconImageRgba.h"

namespace pictavo {

namespace {

bool AlphaIsZeroEverywhere(const platform::Bitmap& color) {
    for (int y = 0; y < color.Height(); ++y)
        for (int x = 0; x < color.Width(); ++x)
            if ((color.PixelBGRA(x, y) >> 24) != 0)
                return false;
    return true;
}

RgbaImage BitmapToRgba(const platform::Bitmap& color, const platform::Bitmap& mask) {
    RgbaImage out;
    out.Width = color.Width();
    out.Height = color.Height();
    out.Pixels.resize(static_cast<size_t>(out.Width) * out.Height * 4);
    const bool useAlpha = color.BitsPerPixel() == 32 && !AlphaIsZeroEverywhere(color);
    uint8_t* p = out.Pixels.data();
    for (int y = 0; y < out.Height; ++y) {
        for (int x = 0; x < out.Width; ++x, p += 4) {
            const uint32_t bgra = color.PixelBGRA(x, y);
            p[0] = static_cast<uint8_t>(bgra >> 16);
            p[1] = static_cast<uint8_t>(bgra >> 8);
            p[2] = static_cast<uint8_t>(bgra);
            if (useAlpha)
                p[3] = static_cast<uint8_t>(bgra >> 24);
            else
                p[3] = mask.RawPixel(x, y) != 0 ? 0 : 255; // a set mask bit is transparent
        }
    }
    return out;
}

} // namespace

RgbaImage IconImageToRgba(const TMultiIconImage& image) {
    if (image.IsPng && image.Png && !image.Png->Empty())
        return {image.Png->Width(), image.Png->Height(), image.Png->Pixels()};
    if (!image.ColorBitmap || !image.MaskBitmap)
        throw EInvalidGraphic("The icon image holds no pixels");
    return BitmapToRgba(*image.ColorBitmap, *image.MaskBitmap);
}

std::vector<uint8_t> ImageAsPng(const TMultiIconImage& image) {
    if (image.IsPng && image.Png && !image.Png->StoredBytes().empty())
        return image.Png->StoredBytes();
    const RgbaImage rgba = IconImageToRgba(image);
    TPngImage png;
    png.SetPixels(rgba.Width, rgba.Height, rgba.Pixels);
    return png.SaveToBytes();
}

} // namespace pictavo
