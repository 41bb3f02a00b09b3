#include "icons/PngCodec.h"

#include "util/Exceptions.h"
#include "util/Stream.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <png.h>

namespace pictavo {

namespace {

constexpr uint32_t MaxSide = 16384;
constexpr uint64_t MaxPixelBytes = uint64_t{64} << 20;
// Deflate cannot expand data by more than this factor.
constexpr uint64_t MaxDeflateRatio = 1032;

// libpng reports errors by longjmp. Everything a job touches across that jump lives in
// the job itself (owned by the caller), so the jump skips no destructor.
struct ReadJob {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t position = 0;
    char error[256] = {};
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t>* pixels = nullptr;
    std::vector<png_bytep>* rows = nullptr;
};

struct WriteJob {
    uint32_t width = 0;
    uint32_t height = 0;
    char error[256] = {};
    std::vector<uint8_t>* output = nullptr;
    const std::function<void(int, uint8_t*)>* fillRow = nullptr;
    // Owned outside RunWrite: libpng's error handling jumps over that frame's destructors.
    std::vector<uint8_t> row;
};

void StoreError(char (&target)[256], const char* message) {
    std::snprintf(target, sizeof target, "%s", message ? message : "PNG error");
}

void OnReadError(png_structp png, png_const_charp message) {
    StoreError(static_cast<ReadJob*>(png_get_error_ptr(png))->error, message);
    png_longjmp(png, 1);
}

void OnWriteError(png_structp png, png_const_charp message) {
    StoreError(static_cast<WriteJob*>(png_get_error_ptr(png))->error, message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep target, png_size_t count) {
    ReadJob* job = static_cast<ReadJob*>(png_get_io_ptr(png));
    if (count > job->size - job->position)
        png_error(png, "Unexpected end of PNG data");
    std::memcpy(target, job->data + job->position, count);
    job->position += count;
}

void WriteBytes(png_structp png, png_bytep data, png_size_t count) {
    WriteJob* job = static_cast<WriteJob*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        job->output->insert(job->output->end(), data, data + count);
    } catch (const std::bad_alloc&) {
        failed = true;
    }
    if (failed)
        png_error(png, "Out of memory");
}

void FlushBytes(png_structp) {}

// The decoder allocates a chunk's whole length before reading it. No chunk can be
// longer than the data, so one allocation may not exceed the data's size (or 4 MB,
// room for rows, the inflate state and compressed text); a length field beyond that
// then fails as out of memory instead of reserving gigabytes.
png_voidp LimitedMalloc(png_structp png, png_alloc_size_t size) {
    const ReadJob* job = static_cast<const ReadJob*>(png_get_mem_ptr(png));
    if (size > std::max<png_alloc_size_t>(job->size, png_alloc_size_t{4} << 20))
        return nullptr;
    return std::malloc(size);
}

void LimitedFree(png_structp, png_voidp memory) {
    std::free(memory);
}

// Sets up the transformations that turn any PNG into 8-bit RGBA and sizes the buffers.
// Returns false (with job->error set) when the image is too large for its data.
bool PrepareRead(png_structp png, png_infop info, ReadJob* job) {
    png_read_info(png, info);
    job->width = png_get_image_width(png, info);
    job->height = png_get_image_height(png, info);
    const uint64_t rawBytes = uint64_t{job->height} * (png_get_rowbytes(png, info) + 1);
    const uint64_t outBytes = uint64_t{job->width} * job->height * 4;
    if (rawBytes > MaxDeflateRatio * job->size + 8 * uint64_t{job->height} + 1024 ||
        outBytes > MaxPixelBytes) {
        StoreError(job->error, "PNG image is larger than its data");
        return false;
    }
    const int colorType = png_get_color_type(png, info);
    if (png_get_bit_depth(png, info) == 16)
        png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA))
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t{job->width} * 4) {
        StoreError(job->error, "Unsupported PNG pixel format");
        return false;
    }
    try {
        job->pixels->assign(static_cast<size_t>(outBytes), 0);
        job->rows->resize(job->height);
    } catch (const std::bad_alloc&) {
        StoreError(job->error, "Out of memory");
        return false;
    }
    for (uint32_t y = 0; y < job->height; ++y)
        (*job->rows)[y] = job->pixels->data() + size_t{y} * job->width * 4;
    return true;
}

bool RunRead(ReadJob* job) {
    png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, job, OnReadError, OnWarning,
                                               job, LimitedMalloc, LimitedFree);
    if (!png) {
        StoreError(job->error, "Out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        StoreError(job->error, "Out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_user_limits(png, MaxSide, MaxSide);
    png_set_read_fn(png, job, ReadBytes);
    if (!PrepareRead(png, info, job)) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_read_image(png, job->rows->data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// A failure of the caller's row maker must not unwind through libpng's frames.
bool FillRow(const WriteJob& job, int y, uint8_t* row) {
    try {
        (*job.fillRow)(y, row);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool RunWrite(WriteJob* job) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, job, OnWriteError, OnWarning);
    if (!png) {
        StoreError(job->error, "Out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        StoreError(job->error, "Out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, job, WriteBytes, FlushBytes);
    png_set_IHDR(png, info, job->width, job->height, 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (uint32_t y = 0; y < job->height; ++y) {
        if (!FillRow(*job, static_cast<int>(y), job->row.data()))
            png_error(png, "Out of memory");
        png_write_row(png, job->row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

void TPngImage::LoadFromBytes(const uint8_t* data, size_t size) {
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
    ReadJob job;
    job.data = data;
    job.size = data ? size : 0;
    job.pixels = &pixels;
    job.rows = &rows;
    if (!RunRead(&job))
        throw EInvalidGraphic(job.error);
    width_ = static_cast<int>(job.width);
    height_ = static_cast<int>(job.height);
    pixels_ = std::move(pixels);
    // The decoder stops behind IEND: padding a module stores after the file is left out.
    stored_.assign(data, data + job.position);
}

std::vector<uint8_t> TPngImage::SaveToBytes() const {
    if (Empty())
        throw ECompressionError("Cannot encode an empty PNG image");
    const size_t stride = static_cast<size_t>(width_) * 4;
    return EncodePngRows(width_, height_, [&](int y, uint8_t* row) {
        std::memcpy(row, pixels_.data() + static_cast<size_t>(y) * stride, stride);
    });
}

std::vector<uint8_t> EncodePngRows(int width, int height,
                                   const std::function<void(int y, uint8_t* row)>& fillRow) {
    if (width <= 0 || height <= 0)
        throw ECompressionError("Cannot encode an empty PNG image");
    std::vector<uint8_t> output;
    WriteJob job;
    job.width = static_cast<uint32_t>(width);
    job.height = static_cast<uint32_t>(height);
    job.output = &output;
    job.fillRow = &fillRow;
    job.row.resize(static_cast<size_t>(width) * 4);
    if (!RunWrite(&job))
        throw ECompressionError(job.error);
    return output;
}

void TPngImage::SaveToFile(const std::string& fileName) const {
    WriteFileBytes(fileName, SaveToBytes());
}

void TPngImage::SetPixels(int width, int height, std::vector<uint8_t> rgba) {
    if (width <= 0 || height <= 0 ||
        rgba.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 4)
        throw EInvalidGraphic("Invalid PNG image size");
    width_ = width;
    height_ = height;
    pixels_ = std::move(rgba);
    stored_.clear();
}

void TPngImage::Draw(platform::Surface& canvas, const platform::Rect& rect) const {
    const int w = rect.Width(), h = rect.Height();
    if (Empty() || w <= 0 || h <= 0)
        return;
    for (int dy = 0; dy < h; ++dy) {
        const int ty = rect.top + dy;
        if (ty < 0 || ty >= canvas.Height())
            continue;
        const int sy = static_cast<int>(static_cast<int64_t>(dy) * height_ / h);
        const uint8_t* sourceRow = pixels_.data() + static_cast<size_t>(sy) * width_ * 4;
        uint8_t* targetRow = canvas.Row(ty);
        for (int dx = 0; dx < w; ++dx) {
            const int tx = rect.left + dx;
            if (tx < 0 || tx >= canvas.Width())
                continue;
            const int sx = static_cast<int>(static_cast<int64_t>(dx) * width_ / w);
            const uint8_t* s = sourceRow + 4 * sx; // red, green, blue, alpha
            uint8_t* d = targetRow + 4 * tx;       // blue, green, red, alpha
            const unsigned a = s[3];
            const uint8_t rgb[3] = {s[2], s[1], s[0]};
            for (int c = 0; c < 3; ++c)
                d[c] = static_cast<uint8_t>((rgb[c] * a + d[c] * (255 - a) + 127) / 255);
            d[3] = static_cast<uint8_t>(a + (d[3] * (255 - a) + 127) / 255);
        }
    }
}

} // namespace pictavo
