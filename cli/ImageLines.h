#pragma once
// The image lines that `images` and `icons` print: "[index] WxH - Nbit", plus " png"
// for a PNG-compressed image; and the same image as a JSON object for --json.

#include "icons/MultiIcon.h"

#include <cstdio>
#include <string>

namespace pictavo::cli {

void PrintImageLines(const TMultiIcon& icon, FILE* out = stdout);

// {"index": I, "width": W, "height": H, "bits": N, "png": B}
std::string ImageJson(const TMultiIcon& icon, int index);

} // namespace pictavo::cli
