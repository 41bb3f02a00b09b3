#include "app/IconThumbnail.h"

#include "icons/MultiIcon.h"
#include "library/FileIcons.h"
#include "platform/Raster.h"

#include <exception>

TIconThumbnail::TIconThumbnail(QWidget* parent) : TThumbnail(parent) {
    setFixedSize(TileSize, TileSize);
}

void TIconThumbnail::SetModuleName(const std::string& value) {
    FModuleName = value;
    SetIconIndex(0);
}

void TIconThumbnail::SetIconIndex(int value) {
    FIconIndex = value;
    update();
}

void TIconThumbnail::DrawContent(QImage& tile) {
    DrawTileIcon(tile, FModuleName, FIconIndex);
}

void DrawTileIcon(QImage& tile, const std::string& moduleName, int iconIndex) {
    try {
        pictavo::TMultiIcon icon;
        icon.SetDrawAllImages(false);
        icon.SetOptimalIcon(true);
        icon.SetPreferredSize(32, 32);
        pictavo::LoadFileIcon(icon, moduleName, iconIndex);

        // The core composites straight onto the tile's pixels (ARGB32 is blue, green,
        // red, alpha in memory, rows top-down).
        const auto canvas = pictavo::platform::Surface::View(
            tile.bits(), tile.width(), tile.height(), static_cast<int>(tile.bytesPerLine()), false);
        if (!canvas)
            return;
        const int width = icon.GetIconWidth(icon.CurrentIndex());
        const int x0 = (tile.width() - 6) / 2;
        if (width > 32) {
            icon.Draw(*canvas, {x0 - 16, 3, x0 + 16, 35});
            return;
        }
        const pictavo::TMultiIconImage image = icon.GetIconData(icon.CurrentIndex());
        const int left = x0 - width / 2;
        if (image.IsPng) {
            // A small PNG image has no icon handle; it draws itself at its own size.
            icon.Draw(*canvas, {left, 3, left + width, 3 + image.Height});
            return;
        }
        const auto handle = icon.CreateIconHandle(icon.CurrentIndex());
        if (handle)
            pictavo::platform::DrawIcon(*canvas, left, 3, *handle);
    } catch (const std::exception&) {
        // A file that gives no icon still shows its framed, captioned tile.
    }
}
