#include "thumbnailer/Thumbnail.h"

#include "icons/ModuleIcons.h"
#include "util/Exceptions.h"

#include <algorithm>
#include <cmath>

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

// The share of each source pixel in each target pixel along one axis.
struct Contribution {
    int First = 0;
    std::vector<float> Weights; // for source pixels First, First + 1, ...
};

std::vector<Contribution> Contributions(int from, int to) {
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

RgbaImage FitByAreaAveraging(const RgbaImage& image, int size) {
    if (image.Width <= size && image.Height <= size)
        return image;
    const int longer = std::max(image.Width, image.Height);
    const int width =
        std::max(1, static_cast<int>(std::lround(double(image.Width) * size / longer)));
    const int height =
        std::max(1, static_cast<int>(std::lround(double(image.Height) * size / longer)));

    // Premultiplied source, then rows shrunk into `across`, then columns into the result.
    const size_t sourcePixels = static_cast<size_t>(image.Width) * image.Height;
    std::vector<float> premultiplied(sourcePixels * 4);
    for (size_t i = 0; i < sourcePixels; ++i) {
        const float alpha = image.Pixels[i * 4 + 3];
        for (int k = 0; k < 3; ++k)
            premultiplied[i * 4 + k] = image.Pixels[i * 4 + k] * alpha / 255.0f;
        premultiplied[i * 4 + 3] = alpha;
    }
    const std::vector<Contribution> columns = Contributions(image.Width, width);
    std::vector<float> across(static_cast<size_t>(width) * image.Height * 4, 0.0f);
    for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < width; ++x) {
            const Contribution& c = columns[static_cast<size_t>(x)];
            float* target = &across[(static_cast<size_t>(y) * width + x) * 4];
            for (size_t k = 0; k < c.Weights.size(); ++k) {
                const float* source =
                    &premultiplied[(static_cast<size_t>(y) * image.Width + c.First + k) * 4];
                for (int ch = 0; ch < 4; ++ch)
                    target[ch] += source[ch] * c.Weights[k];
            }
        }
    const std::vector<Contribution> rows = Contributions(image.Height, height);
    RgbaImage out;
    out.Width = width;
    out.Height = height;
    out.Pixels.resize(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        const Contribution& c = rows[static_cast<size_t>(y)];
        for (int x = 0; x < width; ++x) {
            float sum[4] = {0, 0, 0, 0};
            for (size_t k = 0; k < c.Weights.size(); ++k) {
                const float* source = &across[((c.First + k) * width + x) * 4];
                for (int ch = 0; ch < 4; ++ch)
                    sum[ch] += source[ch] * c.Weights[k];
            }
            uint8_t* target = &out.Pixels[(static_cast<size_t>(y) * width + x) * 4];
            target[3] = ToByte(sum[3]);
            for (int ch = 0; ch < 3; ++ch)
                target[ch] = sum[3] > 0.0f ? ToByte(sum[ch] * 255.0f / sum[3]) : 0;
        }
    }
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
    const TMultiIconImage image = BestImage(icon, size);
    // A stored PNG that needs no scaling is the thumbnail already; encoding it again
    // would cost more than everything else together.
    if (image.IsPng && !image.Png->StoredBytes().empty() && image.Png->Width() <= size &&
        image.Png->Height() <= size)
        return image.Png->StoredBytes();
    const RgbaImage thumbnail = FitByAreaAveraging(IconImageToRgba(image), size);
    TPngImage png;
    png.SetPixels(thumbnail.Width, thumbnail.Height, thumbnail.Pixels);
    return png.SaveToBytes();
}

} // namespace pictavo
