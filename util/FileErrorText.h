#pragma once
// Error messages that name the file they concern. The core's messages ("Stream read
// error", "图像无效", "Invalid DOS signature") do not say which file they are about; the
// front ends (command line, the window's error box) put the file's name in front.

#include <string>

namespace pictavo {

// "FILE: message", or the message as it is when it names the file already (as
// 'Cannot open file "FILE". ...' does) or when there is no file name.
std::string FileErrorText(const std::string& fileName, const std::string& message);

} // namespace pictavo
