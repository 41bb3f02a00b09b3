// TIconThumbnail: a square tile showing one icon of one file above its caption, 60 x 60
// for the 32-px icon. The icon is loaded from the file on every paint and nothing is
// cached, so a view of thousands of tiles costs only the widgets.
#pragma once

#include "app/Thumbnail.h"

#include <QString>
#include <string>

class TIconThumbnail : public TThumbnail {
    Q_OBJECT
public:
    explicit TIconThumbnail(QWidget* parent = nullptr);

    // The icon's side in pixels (one of TileIconSizes); the tile grows to hold it, its
    // margins and the caption.
    int IconSize() const { return FIconSize; }
    void SetIconSize(int value);

    const std::string& ModuleName() const { return FModuleName; }
    // Stores the path and starts again at icon 0.
    void SetModuleName(const std::string& value);
    int IconIndex() const { return FIconIndex; }
    void SetIconIndex(int value);

protected:
    void DrawContent(QImage& tile) override;
    void changeEvent(QEvent* event) override;

private:
    void FitToIconSize();

    int FIconIndex = 0;
    int FIconSize = 32;
    std::string FModuleName;
};
