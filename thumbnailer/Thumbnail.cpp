#include "thumbnailer/Thumbnail.h"

#include "icons/ModuleIcons.h"
#include "util/Exceptions.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace pictavo {

namespace {

struct Candidate {
    int Index = -1;
    int64_t Area = 0;
    int Depth = 0;
    bool Fits = false;
};

Candidate Describe(const TMultiIcon& icon, int i, int size) {
    const TMultiIconImage image = icon.GetIconData(i);
    Candidate c;
    c.Index = i;
    int width = image.Width;
    int height = image.Height;
    if (image.IsPng && image.Png) {
        width = image.Png->Width();
        height = image.Png->Height();
    }
    c.Area = int64_t{width} * height;
    // A PNG image of a cursor has its hotspot in the bit-count field; PNG is true colour.
    c.Depth = image.IsPng ? 32 : image.BitsPerPixel;
    c.Fits = width >= size && height >= size;
    return c;
}

bool HasPixels(const TMultiIconImage& image) {
    return image.IsPng ? image.Png && !image.Png->Empty() : image.ColorBitmap && image.MaskBitmap;
}

// Better: fitting beats not fitting; among fitting images the deeper, then the smaller;
// among the others the larger, then the deeper.
bool Better(const Candidate& a, const Candidate& b) {
    if (a.Fits != b.Fits)
        return a.Fits;
    if (a.Fits) {
        if (a.Depth != b.Depth)
            return a.Depth > b.Depth;
        return a.Area < b.Area;
    }
    if (a.Area != b.Area)
        return a.Area > b.Area;
    return a.Depth > b.Depth;
}

uint8_t ToByte(float value) {
    return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

} // namespace

int BestThumbnailImage(const TMultiIcon& icon, int size) {
    Candidate best;
    for (int i = 0; i < icon.IconCount(); ++i) {
        if (!HasPixels(icon.GetIconData(i)))
            continue;
        const Candidate c = Describe(icon, i, size);
        if (best.Index < 0 || Better(c, best))
            best = c;
    }
    return best.Index;
}

void FittedSize(int width, int height, int size, int& fittedWidth, int& fittedHeight) {
    fittedWidth = width;
    fittedHeight = height;
    if (width <= size && height <= size)
        return;
    const int longer = std::max(width, height);
    fittedWidth = std::max(1, static_cast<int>(std::lround(double(width) * size / longer)));
    fittedHeight = std::max(1, static_cast<int>(std::lround(double(height) * size / longer)));
}

// The share of each source pixel in each target pixel along one axis.
std::vector<AreaAveragingScaler::Contribution> AreaAveragingScaler::Contributions(int from,
                                                                                  int to) {
    std::vector<Contribution> out(static_cast<size_t>(to));
    const double scale = static_cast<double>(from) / to;
    for (int o = 0; o < to; ++o) {
        const double start = o * scale;
        const double end = (o + 1) * scale;
        Contribution& c = out[static_cast<size_t>(o)];
        c.First = static_cast<int>(std::floor(start));
        const int last = std::min(from, static_cast<int>(std::ceil(end)));
        for (int s = c.First; s < last; ++s) {
            const double overlap = std::min(end, s + 1.0) - std::max(start, double(s));
            c.Weights.push_back(static_cast<float>(overlap / scale));
        }
    }
    return out;
}

AreaAveragingScaler::AreaAveragingScaler(const RgbaPixels& source, int fittedWidth,
                                         int fittedHeight)
    : source_(source), columns_(Contributions(source.Width, fittedWidth)),
      rows_(Contributions(source.Height, fittedHeight)),
      shrunk_(static_cast<size_t>(fittedWidth) * 4), sum_(shrunk_.size()) {}

void AreaAveragingScaler::ShrinkSourceRow(int sourceRow) {
    const uint8_t* pixels = source_.Pixels + static_cast<size_t>(sourceRow) * source_.Width * 4;
    std::fill(shrunk_.begin(), shrunk_.end(), 0.0f);
    for (size_t x = 0; x < columns_.size(); ++x) {
        const Contribution& c = columns_[x];
        float* target = &shrunk_[x * 4];
        for (size_t k = 0; k < c.Weights.size(); ++k) {
            const uint8_t* pixel = pixels + (static_cast<size_t>(c.First) + k) * 4;
            const float alpha = pixel[3];
            const float colourWeight = c.Weights[k] * alpha / 255.0f;
            for (int ch = 0; ch < 3; ++ch)
                target[ch] += pixel[ch] * colourWeight;
            target[3] += alpha * c.Weights[k];
        }
    }
    shrunkRow_ = sourceRow;
}

void AreaAveragingScaler::Row(int y, uint8_t* out) {
    const Contribution& c = rows_[static_cast<size_t>(y)];
    std::fill(sum_.begin(), sum_.end(), 0.0f);
    for (size_t k = 0; k < c.Weights.size(); ++k) {
        // A source row on the border of two target rows is shrunk once, for both.
        const int sourceRow = c.First + static_cast<int>(k);
        if (sourceRow != shrunkRow_)
            ShrinkSourceRow(sourceRow);
        for (size_t i = 0; i < sum_.size(); ++i)
            sum_[i] += shrunk_[i] * c.Weights[k];
    }
    for (size_t x = 0; x * 4 < sum_.size(); ++x) {
        const float* s = &sum_[x * 4];
        uint8_t* target = out + x * 4;
        target[3] = ToByte(s[3]);
        for (int ch = 0; ch < 3; ++ch)
            target[ch] = s[3] > 0.0f ? ToByte(s[ch] * 255.0f / s[3]) : 0;
    }
}

RgbaPixels ImagePixels(const TMultiIconImage& image, RgbaImage& converted) {
    if (image.IsPng)
        return {image.Png->Width(), image.Png->Height(), image.Png->Pixels().data()};
    converted = IconImageToRgba(image);
    return {converted.Width, converted.Height, converted.Pixels.data()};
}

RgbaImage FitByAreaAveraging(const RgbaImage& image, int size) {
    if (image.Width <= size && image.Height <= size)
        return image;
    RgbaImage out;
    FittedSize(image.Width, image.Height, size, out.Width, out.Height);
    out.Pixels.resize(static_cast<size_t>(out.Width) * out.Height * 4);
    AreaAveragingScaler scaler({image.Width, image.Height, image.Pixels.data()}, out.Width,
                               out.Height);
    for (int y = 0; y < out.Height; ++y)
        scaler.Row(y, &out.Pixels[static_cast<size_t>(y) * out.Width * 4]);
    return out;
}

namespace {

// The first icon of a module, else the file itself as an ICO or CUR file.
void LoadFirstIcon(TMultiIcon& icon, const std::string& fileName) {
    if (GetModuleIconCount(fileName) > 0)
        icon.LoadFromModule(fileName, 0);
    else if (ModuleReader::Open(fileName))
        throw Exception("The file holds no icon"); // a module without icon groups
    else
        icon.LoadFromFile(fileName);
}

TMultiIconImage BestImage(const TMultiIcon& icon, int size) {
    const int best = BestThumbnailImage(icon, size);
    if (best < 0)
        throw Exception("The file holds no icon");
    return icon.GetIconData(best);
}

} // namespace

RgbaImage MakeThumbnail(const std::string& fileName, int size) {
    TMultiIcon icon;
    LoadFirstIcon(icon, fileName);
    return FitByAreaAveraging(IconImageToRgba(BestImage(icon, size)), size);
}

std::vector<uint8_t> MakeThumbnailPng(const std::string& fileName, int size) {
    TMultiIcon icon;
    LoadFirstIcon(icon, fileName);
    return IconThumbnailPng(icon, size);
}

std::vector<uint8_t> IconThumbnailPng(const TMultiIcon& icon, int size) {
    const TMultiIconImage image = BestImage(icon, size);
    // A stored PNG that needs no scaling is the thumbnail already; encoding it again
    // would cost more than everything else together.
    if (image.IsPng && !image.Png->StoredBytes().empty() && image.Png->Width() <= size &&
        image.Png->Height() <= size)
        return image.Png->StoredBytes();
    // A PNG image is scaled from its decoded pixels where they are, and the thumbnail
    // encoded as it is scaled: file managers run many thumbnailers at once, and full
    // copies of a 4096-pixel picture would multiply the memory each one takes.
    RgbaImage converted;
    const RgbaPixels source = ImagePixels(image, converted);
    int width = 0;
    int height = 0;
    FittedSize(source.Width, source.Height, size, width, height);
    if (width == source.Width && height == source.Height) {
        const size_t stride = static_cast<size_t>(width) * 4;
        return EncodePngRows(width, height, [&](int y, uint8_t* row) {
            std::memcpy(row, source.Pixels + static_cast<size_t>(y) * stride, stride);
        });
    }
    AreaAveragingScaler scaler(source, width, height);
    return EncodePngRows(width, height, [&](int y, uint8_t* row) { scaler.Row(y, row); });
}

} // namespace pictavo
