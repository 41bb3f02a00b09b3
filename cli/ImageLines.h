#pragma once
// The image lines that `images` and `icons` print: "[index] WxH - Nbit", plus " png"
// for a PNG-compressed image.

#include "icons/MultiIcon.h"

#include <cstdio>

namespace pictavo::cli {

void PrintImageLines(const TMultiIcon& icon, FILE* out = stdout);

} // namespace pictavo::cli
