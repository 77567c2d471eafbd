#include "encoding.h"

#include <ctime>

namespace fsum {

namespace {

std::string Formatted(std::int64_t seconds, const char* format) {
    const std::time_t moment = static_cast<std::time_t>(seconds);
    std::tm utc{};
#ifdef _WIN32
    if (gmtime_s(&utc, &moment) != 0) return "an unknown time";
#else
    if (!gmtime_r(&moment, &utc)) return "an unknown time";
#endif
    char text[40];
    std::strftime(text, sizeof text, format, &utc);
    return text;
}

}  // namespace

std::string Utc(std::int64_t seconds, bool dateOnly) {
    return Formatted(seconds, dateOnly ? "%Y-%m-%d" : "%Y-%m-%d %H:%M:%S UTC");
}

std::string UtcDigits(std::int64_t seconds) { return Formatted(seconds, "%Y%m%d%H%M%S"); }

std::string Joined(const std::vector<std::string>& texts, const std::string& separator) {
    std::string joined;
    for (const std::string& text : texts) joined += (joined.empty() ? "" : separator) + text;
    return joined;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

bool TakeNumber(std::string_view& bytes, std::size_t size, std::uint64_t& value) {
    if (bytes.size() < size) return false;
    value = 0;
    for (std::size_t i = 0; i < size; ++i) value = value << 8 | static_cast<unsigned char>(bytes[i]);
    bytes.remove_prefix(size);
    return true;
}

}  // namespace fsum
