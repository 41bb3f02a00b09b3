#include "app/TileIcon.h"

#include "app/TileRules.h"
#include "icons/IconImageRgba.h"
#include "icons/MultiIcon.h"
#include "library/FileIcons.h"

#include <cmath>
#include <exception>
#include <vector>

namespace {

int Scaled(int pixels, qreal ratio) {
    return static_cast<int>(std::lround(pixels * ratio));
}

QImage ToQImage(const pictavo::RgbaImage& rgba) {
    QImage image(rgba.Width, rgba.Height, QImage::Format_RGBA8888);
    const size_t row = 4 * static_cast<size_t>(rgba.Width);
    if (image.isNull() || rgba.Pixels.size() < row * static_cast<size_t>(rgba.Height))
        return {};
    for (int y = 0; y < rgba.Height; ++y)
        std::copy_n(rgba.Pixels.data() + row * static_cast<size_t>(y), row, image.scanLine(y));
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

TTileIcon RenderTileIcon(const std::string& moduleName, int iconIndex, int iconSize, int tileSide,
                         qreal ratio, pictavo::TFileIconLoader* loader) {
    try {
        pictavo::TMultiIcon icon;
        icon.SetDrawAllImages(false);
        if (loader)
            loader->Load(icon, moduleName, iconIndex);
        else
            pictavo::LoadFileIcon(icon, moduleName, iconIndex);
        std::vector<pictavo::TImageFacts> facts;
        for (int i = 0; i < icon.IconCount(); ++i)
            facts.push_back(
                {icon.GetIconWidth(i), icon.GetIconHeight(i), icon.GetIconData(i).BitsPerPixel});
        const int picked = pictavo::PickTileImage(facts, Scaled(iconSize, ratio));
        if (picked < 0)
            return {};
        QImage image = ToQImage(pictavo::IconImageToRgba(icon.GetIconData(picked)));
        if (image.isNull())
            return {};
        // A large image is fitted into the icon size; a small one keeps its own size, as
        // on a screen of normal density.
        const pictavo::TTileRect place =
            pictavo::TileIconRect(tileSide, iconSize, image.width(), image.height());
        const QSize device(Scaled(place.Width, ratio), Scaled(place.Height, ratio));
        if (image.width() > device.width() || image.height() > device.height())
            image = image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        image.setDevicePixelRatio(static_cast<qreal>(image.width()) / place.Width);
        return {image, QRect(place.Left, place.Top, place.Width, place.Height)};
    } catch (const std::exception&) {
        return {}; // the tile is still framed and captioned
    }
}
