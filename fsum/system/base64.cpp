#include "base64.h"

#include <sodium/utils.h>

namespace fsum {

std::optional<std::string> Base64(std::string_view text) {
    std::string bytes(text.size() / 4 * 3 + 3, '\0');
    std::size_t size = 0;
    const char* end = nullptr;
    if (sodium_base642bin(reinterpret_cast<unsigned char*>(&bytes[0]), bytes.size(), text.data(), text.size(),
                          " \t\r\n", &size, &end, sodium_base64_VARIANT_ORIGINAL) != 0 ||
        end != text.data() + text.size()) {
        return std::nullopt;
    }
    bytes.resize(size);
    return bytes;
}

}  // namespace fsum
