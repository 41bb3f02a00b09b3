#pragma once
// The thumbnail of a Windows file as a file manager shows it: the first icon of a
// module (the file itself for ICO and CUR), its best image for the wanted size, scaled
// down by area averaging when it is larger.

#include "icons/IconImageRgba.h"
#include "icons/MultiIcon.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pictavo {

// The image of the icon to show at `size` x `size`: among the images at least that
// large on both sides the deepest, and of those the smallest; when none is that large,
// the largest (the deepest of equals). -1 when the icon holds no image with pixels.
int BestThumbnailImage(const TMultiIcon& icon, int size);

// Pixels someone else holds: top-down rows of Width x 4 bytes (red, green, blue, alpha).
struct RgbaPixels {
    int Width = 0;
    int Height = 0;
    const uint8_t* Pixels = nullptr;
};

// The pixels of an image to scale: a PNG image's decoded pixels where they are (a copy of
// a large picture would double its memory), a bitmap image's converted into `converted`.
RgbaPixels ImagePixels(const TMultiIconImage& image, RgbaImage& converted);

// The width and height of an image scaled to fit `size` x `size` keeping its shape;
// an image that fits already keeps its own.
void FittedSize(int width, int height, int size, int& fittedWidth, int& fittedHeight);

// Scales an image down to a fitted size a row at a time, every target pixel the area
// average of the source pixels it covers, computed over premultiplied alpha so that
// transparent pixels leave no dark fringe. It holds two rows of the target, never a copy
// of the source: a 4096-pixel picture costs no more than its own decoded bytes.
class AreaAveragingScaler {
public:
    // The source pixels must outlive the scaler; the fitted size is at most the source's.
    AreaAveragingScaler(const RgbaPixels& source, int fittedWidth, int fittedHeight);
    // Writes target row y (fittedWidth x 4 bytes); cheapest when asked top down.
    void Row(int y, uint8_t* out);

private:
    struct Contribution {
        int First = 0;
        std::vector<float> Weights; // for source pixels First, First + 1, ...
    };
    static std::vector<Contribution> Contributions(int from, int to);
    void ShrinkSourceRow(int sourceRow);

    RgbaPixels source_;
    std::vector<Contribution> columns_;
    std::vector<Contribution> rows_;
    std::vector<float> shrunk_; // source row shrunkRow_ at the target width, premultiplied
    int shrunkRow_ = -1;
    std::vector<float> sum_;
};

// The image made to fit `size` x `size` keeping its shape: a larger image scaled down
// by ScaleByAreaAveraging; an image that already fits comes back unchanged.
RgbaImage FitByAreaAveraging(const RgbaImage& image, int size);

// The thumbnail of the file at `size`. Raises Exception when the file holds no icon or
// cannot be read.
RgbaImage MakeThumbnail(const std::string& fileName, int size);
// The same as a PNG file. A PNG image that needs no scaling is given as it is stored.
std::vector<uint8_t> MakeThumbnailPng(const std::string& fileName, int size);
// The same for an icon loaded already.
std::vector<uint8_t> IconThumbnailPng(const TMultiIcon& icon, int size);

} // namespace pictavo
