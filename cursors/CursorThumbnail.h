#pragma once
// Thumbnails that know animated cursors: the thumbnailer and `extract --best` show an
// .ani file by its first frame, every other file as MakeThumbnailPng does.

#include <cstdint>
#include <string>
#include <vector>

namespace pictavo {

// The PNG thumbnail of the file at `size`; raises as MakeThumbnailPng and
// LoadAnimatedCursor do.
std::vector<uint8_t> FileThumbnailPng(const std::string& fileName, int size);

} // namespace pictavo
