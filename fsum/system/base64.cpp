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

std::string Base64Text(std::string_view bytes, bool padded) {
    const int variant = padded ? sodium_base64_VARIANT_ORIGINAL : sodium_base64_VARIANT_ORIGINAL_NO_PADDING;
    std::string text(sodium_base64_ENCODED_LEN(bytes.size(), variant), '\0');
    sodium_bin2base64(&text[0], text.size(), reinterpret_cast<const unsigned char*>(bytes.data()),
                      bytes.size(), variant);
    text.resize(text.size() - 1);  // its closing NUL
    return text;
}

}  // namespace fsum
