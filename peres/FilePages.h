#pragma once
// A file read in pages, each read once and kept: the many small reads of a module's
// headers, resource directory and resources (eight per icon group) become a read per
// page. What is kept is bounded; past the bound, and for pieces of a page or more, reads
// go to the file directly.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace pictavo {

class FilePages {
public:
    static constexpr uint64_t PageSize = 4096;
    // 64 MB: what a module's directory and icons take, and not more.
    static constexpr size_t MaxPages = 16384;

    using Page = std::shared_ptr<const std::vector<uint8_t>>;

    // fd: a regular file of `size` bytes, not owned. firstPage, when not empty, is what
    // a read of the first page gave already.
    FilePages(int fd, uint64_t size, std::vector<uint8_t> firstPage = {});

    // Copies count bytes at offset into out; false when the file does not hold them
    // (also when it is shorter now than `size`).
    bool Read(uint64_t offset, size_t count, uint8_t* out) const;

    // The page that holds all of [offset, offset + count), with where the bytes start in
    // it; nullptr when no single page holds them or the cache is full.
    Page Holding(uint64_t offset, size_t count, size_t& start) const;

private:
    // The page with this index, read when first asked for; nullptr when the bound is
    // reached. A page may be short: the end of the file, or a file cut short since it was
    // opened (reads past its end then fail; such a page is not kept).
    Page PageAt(uint64_t index) const;
    // The bytes pread gives from offset, up to count: fewer at the end of the file.
    size_t ReadUpTo(uint64_t offset, size_t count, uint8_t* out) const;
    bool ReadDirect(uint64_t offset, size_t count, uint8_t* out) const;

    int fd_;
    uint64_t size_;
    mutable std::unordered_map<uint64_t, Page> pages_;
};

} // namespace pictavo
