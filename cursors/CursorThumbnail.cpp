// Thumbnails of animated cursors.

#include "cursors/CursorThumbnail.h"

#include "cursors/AnimatedCursor.h"
#include "thumbnailer/Thumbnail.h"

namespace pictavo {

std::vector<uint8_t> FileThumbnailPng(const std::string& fileName, int size) {
    if (!IsAnimatedCursorFile(fileName))
        return MakeThumbnailPng(fileName, size);
    const TAnimatedCursor cursor = LoadAnimatedCursor(fileName);
    return IconThumbnailPng(*cursor.Frames.front(), size);
}

} // namespace pictavo
