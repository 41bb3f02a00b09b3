// The container: its images, the best-fit current image and canvas resizing.

#include "icons/MultiIcon.h"
#include "util/Bytes.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace pictavo {

TMultiIcon::TMultiIcon() {
    FConstructing = true;
    SetTransparent(true);
    FConstructing = false;
    ClearImages();
}

TMultiIcon::~TMultiIcon() {
    for (TMultiIconImage& image : FImages)
        FreeImage(image);
}

void TMultiIcon::Assign(const TGraphic* source) {
    const auto* other = dynamic_cast<const TMultiIcon*>(source);
    if (source && !other) {
        TGraphic::Assign(source);
        return;
    }
    ClearImages();
    if (other) {
        FIsCursor = other->FIsCursor;
        FDrawAllImages = other->FDrawAllImages;
        FOptimalIcon = other->FOptimalIcon;
        FOversizePenalty = other->FOversizePenalty;
        FPreferredWidth = other->FPreferredWidth;
        FPreferredHeight = other->FPreferredHeight;
    }
    if (!other || other->GetEmpty()) {
        Changed();
        return;
    }
    MemoryStream stream;
    // Saving re-encodes PNG images and updates their byte counts, nothing visible.
    const_cast<TMultiIcon*>(other)->SaveToStream(&stream);
    stream.SetPosition(0);
    LoadFromStream(&stream);
    FCurrentIndex = other->FCurrentIndex;
}

void TMultiIcon::Changed() {
    UpdateMetrics();
    TGraphic::Changed();
}

int TMultiIcon::GetWidth() const {
    if (FDrawAllImages && IconCount() > 0)
        return FExtentWidth;
    return GetIconWidth(FCurrentIndex);
}

int TMultiIcon::GetHeight() const {
    if (FDrawAllImages && IconCount() > 0)
        return FExtentHeight;
    return GetIconHeight(FCurrentIndex);
}

void TMultiIcon::SetWidth(int value) {
    if (!FDrawAllImages)
        SetIconWidth(FCurrentIndex, value);
}

void TMultiIcon::SetHeight(int value) {
    if (!FDrawAllImages)
        SetIconHeight(FCurrentIndex, value);
}

void TMultiIcon::SetTransparent(bool value) {
    // Transparency is switched on once, while constructing, and stays on.
    if (FConstructing)
        TGraphic::SetTransparent(value);
}

void TMultiIcon::UpdateMetrics() {
    FScreenDepth = 0;
    FExtentWidth = 0;
    FExtentHeight = 0;
    if (FImages.empty()) {
        FCurrentIndex = -1;
        return;
    }
    FScreenDepth = platform::ScreenDepth();

    for (size_t i = 0; i < FImages.size(); ++i) {
        FExtentWidth = std::max(FExtentWidth, FImages[i].Width);
        if (FDrawAllImages)
            FExtentHeight += FImages[i].Height + (i > 0 ? 2 : 0);
        else
            FExtentHeight = std::max(FExtentHeight, FImages[i].Height);
    }

    if (FOptimalIcon && FImages.size() >= 2) {
        FCurrentIndex = 0;
        int bestDepth = FImages[0].BitsPerPixel;
        int64_t bestScore = INT_MAX;
        for (size_t i = 0; i < FImages.size(); ++i) {
            const TMultiIconImage& image = FImages[i];
            if (image.BitsPerPixel > FScreenDepth || image.BitsPerPixel < bestDepth)
                continue;
            bestDepth = image.BitsPerPixel;
            int64_t dx = int64_t{FPreferredWidth} - image.Width;
            int64_t dy = int64_t{FPreferredHeight} - image.Height;
            if (dx < 0)
                dx = std::llrint(static_cast<double>(-dx) * FOversizePenalty);
            if (dy < 0)
                dy = std::llrint(static_cast<double>(-dy) * FOversizePenalty);
            const int64_t score = dx + dy;
            if (score <= bestScore) {
                bestScore = score;
                FCurrentIndex = static_cast<int>(i);
            }
        }
    } else if (FCurrentIndex < 0 || FCurrentIndex >= IconCount()) {
        FCurrentIndex = 0;
    }
}

void TMultiIcon::ClearImages() {
    for (TMultiIconImage& image : FImages)
        FreeImage(image);
    FImages.clear();
    UpdateMetrics();
}

void TMultiIcon::SetDrawAllImages(bool value) {
    if (value == FDrawAllImages)
        return;
    FDrawAllImages = value;
    Changed();
}

void TMultiIcon::SetOptimalIcon(bool value) {
    if (value == FOptimalIcon)
        return;
    FOptimalIcon = value;
    Changed();
}

void TMultiIcon::SetPreferredSize(int width, int height) {
    if (width <= 0 || height <= 0)
        return;
    FPreferredWidth = width;
    FPreferredHeight = height;
    Changed();
}

TMultiIconImage TMultiIcon::GetIconData(int i) const {
    if (i < 0 || i >= IconCount())
        return TMultiIconImage{};
    return FImages[static_cast<size_t>(i)];
}

void TMultiIcon::GetIconDimensions(int i, int& width, int& height) const {
    width = GetIconWidth(i);
    height = GetIconHeight(i);
}

int TMultiIcon::GetIconWidth(int i) const {
    return i >= 0 && i < IconCount() ? FImages[static_cast<size_t>(i)].Width : 0;
}

int TMultiIcon::GetIconHeight(int i) const {
    return i >= 0 && i < IconCount() ? FImages[static_cast<size_t>(i)].Height : 0;
}

void TMultiIcon::DeleteIcon(int i) {
    if (i < 0 || i >= IconCount())
        return;
    FreeImage(FImages[static_cast<size_t>(i)]);
    FImages.erase(FImages.begin() + i);
    Changed();
}

void TMultiIcon::SetIconWidth(int i, int width) {
    SetIconSize(i, width, GetIconHeight(i));
}

void TMultiIcon::SetIconHeight(int i, int height) {
    SetIconSize(i, GetIconWidth(i), height);
}

namespace {

// Copies every pixel of `from` into `to` shifted by (dx, dy), rows counted from the
// top; pixels that fall outside are dropped. Both bitmaps have the same depth.
void CopyShifted(const platform::Bitmap& from, platform::Bitmap& to, int dx, int dy) {
    platform::StretchBlt(to, {dx, dy, dx + from.Width(), dy + from.Height()}, from,
                         {0, 0, from.Width(), from.Height()});
}

void ResizeBitmapImage(TMultiIconImage& image, int width, int height) {
    const int dx = (width - image.Width) / 2;
    const int dy = (height - image.Height) / 2;
    auto header = std::make_shared<uint8_t[]>(static_cast<size_t>(image.HeaderSize));
    std::memcpy(header.get(), image.Header.get(), static_cast<size_t>(image.HeaderSize));
    StoreI32(header.get() + 4, width);
    StoreI32(header.get() + 8, height);
    StoreI32(header.get() + 20, RowSize(width, image.BitsPerPixel) * height);

    std::shared_ptr<platform::Bitmap> color =
        GdiCheck(platform::Bitmap::CreateDIBSection(header.get(), image.HeaderSize));
    std::shared_ptr<platform::Bitmap> mask =
        GdiCheck(platform::Bitmap::CreateMonochrome(width, height));
    std::fill_n(mask->Bits(), mask->BitsSize(), 0xFF);
    CopyShifted(*image.ColorBitmap, *color, dx, dy);
    CopyShifted(*image.MaskBitmap, *mask, dx, dy);

    image.Header = std::move(header);
    image.ColorBitmap = std::move(color);
    image.ColorBits = image.ColorBitmap->Bits();
    image.ColorBitsSize = static_cast<int32_t>(image.ColorBitmap->BitsSize());
    image.MaskBitmap = std::move(mask);
    image.MaskBits = image.MaskBitmap->Bits();
    image.MaskBitsSize = static_cast<int32_t>(image.MaskBitmap->BitsSize());
    image.Width = width;
    image.Height = height;
}

} // namespace

void TMultiIcon::SetIconSize(int i, int width, int height) {
    if (i < 0 || i >= IconCount() || width < 1 || height < 1)
        return;
    TMultiIconImage& image = FImages[static_cast<size_t>(i)];
    if (image.Width == width && image.Height == height)
        return;
    if (!image.IsPng) {
        try {
            if (!image.Header || !image.ColorBitmap || !image.MaskBitmap)
                throw Exception("no bitmap");
            ResizeBitmapImage(image, width, height);
        } catch (const std::exception&) {
            FreeImage(image);
            throw Exception("Error while resizing icon");
        }
    }
    Changed();
}

} // namespace pictavo
