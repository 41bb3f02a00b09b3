#include "peres/FilePages.h"

#include "util/Bytes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace pictavo {

FilePages::FilePages(int fd, uint64_t size, std::vector<uint8_t> firstPage) : fd_(fd), size_(size) {
    const uint64_t whole = std::min(PageSize, size_);
    if (whole != 0 && firstPage.size() >= whole) {
        firstPage.resize(static_cast<size_t>(whole));
        pages_.emplace(0, std::make_shared<const std::vector<uint8_t>>(std::move(firstPage)));
    }
}

size_t FilePages::ReadUpTo(uint64_t offset, size_t count, uint8_t* out) const {
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // an error, or the file is shorter now than when it was opened
        done += static_cast<size_t>(n);
    }
    return done;
}

bool FilePages::ReadDirect(uint64_t offset, size_t count, uint8_t* out) const {
    return ReadUpTo(offset, count, out) == count;
}

FilePages::Page FilePages::PageAt(uint64_t index) const {
    const auto known = pages_.find(index);
    if (known != pages_.end())
        return known->second;
    if (pages_.size() >= MaxPages)
        return nullptr;
    const uint64_t start = index * PageSize;
    if (start >= size_)
        return nullptr;
    auto bytes = std::make_shared<std::vector<uint8_t>>(std::min(PageSize, size_ - start));
    const size_t done = ReadUpTo(start, bytes->size(), bytes->data());
    if (done < bytes->size()) {
        // The file is shorter now than when it was opened: what is there serves this read
        // only, so that the bytes are found again when the file is whole again.
        bytes->resize(done);
        return bytes;
    }
    return pages_.emplace(index, std::move(bytes)).first->second;
}

FilePages::Page FilePages::Holding(uint64_t offset, size_t count, size_t& start) const {
    if (count >= PageSize || !RangeFits(offset, count, size_))
        return nullptr;
    const uint64_t index = offset / PageSize;
    if ((offset + count - (count != 0 ? 1 : 0)) / PageSize != index)
        return nullptr;
    Page page = PageAt(index);
    start = static_cast<size_t>(offset - index * PageSize);
    if (!page || !RangeFits(start, count, page->size()))
        return nullptr;
    return page;
}

bool FilePages::Read(uint64_t offset, size_t count, uint8_t* out) const {
    if (!RangeFits(offset, count, size_))
        return false;
    if (count >= PageSize)
        return ReadDirect(offset, count, out);
    size_t done = 0;
    while (done < count) {
        const uint64_t at = offset + done;
        const Page page = PageAt(at / PageSize);
        if (!page)
            return ReadDirect(at, count - done, out + done);
        const size_t start = static_cast<size_t>(at % PageSize);
        if (start >= page->size())
            return false; // past the end of a file that shrank
        const size_t piece = std::min(count - done, page->size() - start);
        std::memcpy(out + done, page->data() + start, piece);
        done += piece;
    }
    return true;
}

} // namespace pictavo
