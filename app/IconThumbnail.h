// TIconThumbnail: a 60 x 60 tile showing one icon of one file above its caption. The
// icon is loaded from the file on every paint and nothing is cached, so a view of
// thousands of tiles costs only the widgets.
#pragma once

#include "app/Thumbnail.h"

#include <QString>
#include <string>

class TIconThumbnail : public TThumbnail {
    Q_OBJECT
public:
    // The tile's side in pixels: the 32-pixel icon, its frame and the caption.
    static constexpr int TileSize = 60;

    explicit TIconThumbnail(QWidget* parent = nullptr);

    const std::string& ModuleName() const { return FModuleName; }
    // Stores the path and starts again at icon 0.
    void SetModuleName(const std::string& value);
    int IconIndex() const { return FIconIndex; }
    void SetIconIndex(int value);

protected:
    void DrawContent(QImage& tile) override;

private:
    int FIconIndex = 0;
    std::string FModuleName;
};

// Draws icon `iconIndex` of the file onto the tile's pixels: the image that best fits
// 32 x 32, at its own size centred at the top when it is 32 pixels wide or less,
// otherwise scaled into the 32 x 32 square. Draws nothing when the file gives no icon.
void DrawTileIcon(QImage& tile, const std::string& moduleName, int iconIndex);
