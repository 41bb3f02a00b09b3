#pragma once
// Bounds on decoding. A few kilobytes of PNG data can describe a picture of 64 MB, and
// an icon or a module can name the same picture many times; counting what is decoded,
// before it is decoded, lets a small hostile file end in "too large" instead of
// gigabytes of memory and seconds of work.

#include <cstddef>
#include <cstdint>
#include <string>

namespace pictavo {

// All the pictures of one icon together. A real icon needs a few MB (the largest real
// images are 256 x 256, a few formats use 1024 x 1024 at 4 MB); one picture alone may
// take up to 64 MB.
constexpr uint64_t IconDecodeLimit = uint64_t{64} << 20;

// What one pass over a file may decode in all, beyond this base: 1024 bytes for every
// byte of the file, more than compressed pictures ever need, so only a file that names
// the same pictures over and over reaches it.
constexpr uint64_t FileDecodeBase = uint64_t{256} << 20;
constexpr uint64_t FileDecodePerByte = 1024;

class TDecodeBudget {
public:
    // `message` is the error text when the budget is exceeded.
    TDecodeBudget(uint64_t bytes, std::string message)
        : left_(bytes), message_(std::move(message)) {}

    // Takes `bytes` from the budget, or raises EInvalidGraphic with the message, taking
    // nothing, when fewer are left.
    void Spend(uint64_t bytes);
    uint64_t Left() const { return left_; }

private:
    uint64_t left_;
    std::string message_;
};

// The budget of one icon: IconDecodeLimit, "Icon too large: its images need more than 64 MB".
TDecodeBudget IconDecodeBudget();
// The budget of one pass over a file of `fileSize` bytes: "File too large: its icons
// need more than N MB".
TDecodeBudget FileDecodeBudget(uint64_t fileSize);

// The pixel memory that decoding an image data block (a bitmap block or a PNG file)
// takes: the colour and mask bits of a bitmap, width x height x 4 of a PNG. 0 when the
// block's header does not tell; decoding such a block fails anyway.
uint64_t DecodedBytesOfBlock(const uint8_t* block, size_t size);

} // namespace pictavo
