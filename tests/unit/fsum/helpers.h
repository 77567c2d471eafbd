// What the tool's tests share: files in memory and text in UTF-16.
#pragma once

#include <cstring>
#include <string>

#include "system/files.h"

namespace fsum::testing_helpers {

// Bytes in memory as a file; `shrinkTo` makes reads past it find the end, as
// when the file is cut while it is read.
class MemoryFile : public ByteSource {
public:
    explicit MemoryFile(std::string bytes, std::uint64_t reportedSize = ~0ull, std::uint64_t shrinkTo = ~0ull)
        : bytes_(std::move(bytes)),
          size_(reportedSize == ~0ull ? bytes_.size() : reportedSize),
          end_(std::min<std::uint64_t>(shrinkTo, bytes_.size())) {}
    std::uint64_t Size() const override { return size_; }
    long long ReadAt(std::uint64_t offset, void* buffer, std::size_t count, std::string&) const override {
        if (offset >= end_) return 0;
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, end_ - offset));
        std::memcpy(buffer, bytes_.data() + offset, n);
        return static_cast<long long>(n);
    }

private:
    std::string bytes_;
    std::uint64_t size_, end_;
};

inline std::string Utf16(const std::u16string& text, bool little) {
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += little ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
}

}  // namespace fsum::testing_helpers
