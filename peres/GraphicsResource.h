#pragma once
// The common face of resources that hold one picture (icon and cursor images, bitmaps):
// their size and pixel format, and the exchange with a picture holder.

#include "peres/IconGraphics.h"
#include "peres/ResourceModule.h"
#include "platform/Raster.h"

#include <memory>

namespace pictavo {

// What ReadPicture fills and WritePicture reads: an icon or cursor graphic, or a
// bitmap with its pixel format. At most one of the two is set.
struct TPicture {
    std::unique_ptr<TExIconCursor> IconGraphic;
    std::unique_ptr<platform::Bitmap> Bitmap;
    TPixelFormat BitmapPixelFormat = TPixelFormat::pfDevice;

    void Clear() {
        IconGraphic.reset();
        Bitmap.reset();
        BitmapPixelFormat = TPixelFormat::pfDevice;
    }
};

class TGraphicsResourceDetails : public TResourceDetails {
public:
    using TResourceDetails::TResourceDetails;

    virtual int ImageHeight() = 0;
    // Raises EInvalidGraphic "图标或光标像素格式无效" for an unsupported depth.
    virtual TPixelFormat ImagePixelFormat() = 0;
    virtual int ImageWidth() = 0;
    // Puts the resource's image into the picture as a graphic.
    virtual void ReadPicture(TPicture& picture) = 0;
    // Replaces the data from the picture's graphic. The base empties the data and lets
    // an icon or cursor graphic write its container into it.
    virtual void WritePicture(const TPicture& picture);
};

} // namespace pictavo
