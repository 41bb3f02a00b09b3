// Cursor images at the sizes of a theme, and the Xcursor file.

#include "cursors/XcursorImages.h"

#include "thumbnailer/Thumbnail.h"
#include "util/Exceptions.h"

#include <X11/Xcursor/Xcursor.h>
#include <algorithm>
#include <map>
#include <memory>

namespace pictavo {

namespace {

int LongerSide(int width, int height) {
    return std::max(width, height);
}

// Every pixel repeated factor x factor times.
RgbaImage EnlargeWithoutSmoothing(const RgbaImage& image, int factor) {
    RgbaImage out;
    out.Width = image.Width * factor;
    out.Height = image.Height * factor;
    out.Pixels.resize(static_cast<size_t>(out.Width) * out.Height * 4);
    for (int y = 0; y < out.Height; ++y) {
        const uint8_t* from = &image.Pixels[static_cast<size_t>(y / factor) * image.Width * 4];
        uint8_t* to = &out.Pixels[static_cast<size_t>(y) * out.Width * 4];
        for (int x = 0; x < out.Width; ++x)
            std::copy_n(from + static_cast<size_t>(x / factor) * 4, 4,
                        to + static_cast<size_t>(x) * 4);
    }
    return out;
}

std::vector<uint32_t> PremultipliedArgb(const RgbaImage& image) {
    std::vector<uint32_t> out(static_cast<size_t>(image.Width) * image.Height);
    for (size_t i = 0; i < out.size(); ++i) {
        const uint8_t* p = &image.Pixels[i * 4];
        const uint32_t a = p[3];
        auto times = [a](uint32_t c) { return (c * a + 127) / 255; };
        out[i] = (a << 24) | (times(p[0]) << 16) | (times(p[1]) << 8) | times(p[2]);
    }
    return out;
}

// A hotspot coordinate on a side scaled from `from` to `to` pixels: the pixel that the old
// one's top-left corner falls in, so that a doubled image has it at the top left of the
// doubled pixel.
int ScaledHotspot(uint32_t hotspot, int from, int to) {
    const int64_t scaled = static_cast<int64_t>(hotspot) * to / from;
    return static_cast<int>(std::clamp<int64_t>(scaled, 0, to - 1));
}

struct XcursorImagesDeleter {
    void operator()(XcursorImages* images) const { XcursorImagesDestroy(images); }
};

} // namespace

std::vector<int> CursorSizes(const TAnimatedCursor& cursor, const std::vector<int>& extraSizes) {
    std::vector<int> sizes = extraSizes;
    for (const std::shared_ptr<TMultiIcon>& frame : cursor.Frames)
        for (int i = 0; i < frame->IconCount(); ++i)
            sizes.push_back(LongerSide(frame->GetIconWidth(i), frame->GetIconHeight(i)));
    std::sort(sizes.begin(), sizes.end());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    sizes.erase(std::remove_if(sizes.begin(), sizes.end(), [](int s) { return s <= 0; }),
                sizes.end());
    return sizes;
}

RgbaImage ScaleCursorImage(const RgbaImage& image, int size) {
    const int side = LongerSide(image.Width, image.Height);
    if (side <= 0 || side == size)
        return image;
    if (side > size)
        return FitByAreaAveraging(image, size);
    const int factor = (size + side - 1) / side;
    return FitByAreaAveraging(EnlargeWithoutSmoothing(image, factor), size);
}

TXcursorImage FrameAtSize(const TMultiIcon& frame, int size) {
    const int best = BestThumbnailImage(frame, size);
    if (best < 0)
        throw EInvalidGraphic("The cursor frame holds no image");
    const TMultiIconImage source = frame.GetIconData(best);
    const RgbaImage scaled = ScaleCursorImage(IconImageToRgba(source), size);
    TXcursorImage out;
    out.NominalSize = size;
    out.Width = scaled.Width;
    out.Height = scaled.Height;
    out.HotspotX = ScaledHotspot(source.HotspotX, source.Width, scaled.Width);
    out.HotspotY = ScaledHotspot(source.HotspotY, source.Height, scaled.Height);
    out.Pixels = std::make_shared<const std::vector<uint32_t>>(PremultipliedArgb(scaled));
    return out;
}

std::vector<TXcursorImage> XcursorImagesOf(const TAnimatedCursor& cursor,
                                           const std::vector<int>& sizes) {
    std::vector<TXcursorImage> out;
    for (int size : sizes) {
        // A frame shown at several steps is scaled once per size.
        std::map<int, TXcursorImage> frames;
        for (const TAniStep& step : cursor.Steps) {
            auto found = frames.find(step.Frame);
            if (found == frames.end())
                found = frames
                            .emplace(step.Frame,
                                     FrameAtSize(*cursor.Frames.at(static_cast<size_t>(step.Frame)),
                                                 size))
                            .first;
            out.push_back(found->second);
            out.back().DelayMs = step.DelayMs();
        }
    }
    return out;
}

void SaveXcursorFile(const std::vector<TXcursorImage>& images, const std::string& fileName) {
    std::unique_ptr<XcursorImages, XcursorImagesDeleter> set(
        XcursorImagesCreate(static_cast<int>(images.size())));
    if (!set)
        throw EOutOfResources("Not enough memory for the cursor's images");
    for (const TXcursorImage& image : images) {
        XcursorImage* made = XcursorImageCreate(image.Width, image.Height);
        if (!made)
            throw EOutOfResources("Not enough memory for the cursor's images");
        made->size = static_cast<XcursorDim>(image.NominalSize);
        made->xhot = static_cast<XcursorDim>(image.HotspotX);
        made->yhot = static_cast<XcursorDim>(image.HotspotY);
        made->delay = image.DelayMs;
        std::copy(image.Pixels->begin(), image.Pixels->end(), made->pixels);
        // The set owns its images from here on.
        set->images[set->nimage++] = made;
    }
    if (!XcursorFilenameSaveImages(fileName.c_str(), set.get()))
        throw Exception("Cannot write the Xcursor file " + fileName);
}

} // namespace pictavo
