#include "bare_digests.h"

#include <algorithm>
#include <cctype>

#include "base/text_rules.h"
#include "list_forms.h"

namespace fsum {
namespace {

using corvane::texts::IsBlank;

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

std::string_view Trimmed(std::string_view text) {
    const auto space = [](char c) { return IsBlank(c) || c == '\r' || c == '\n'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

// The algorithm a prefix before a colon names: "sha256", "SHA-256",
// "sha3-256", "blake3", "md5", "crc32".
std::optional<Algorithm> PrefixAlgorithm(std::string_view prefix) {
    std::string lower;
    for (char c : prefix) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (const auto algorithm = FromSwitch("-" + lower)) return algorithm;
    lower.erase(std::remove(lower.begin(), lower.end(), '-'), lower.end());
    return FromSwitch("-" + lower);
}

// Hexadecimal digits alone, or in byte groups that one blank or colon
// separates.
std::optional<Digest> GroupedHex(std::string_view text) {
    std::string hex;
    std::size_t group = 0;
    for (const char c : text) {
        if (IsHex(c)) {
            hex += c, ++group;
        } else if ((c == ' ' || c == ':') && group > 0 && group % 2 == 0) {
            group = 0;
        } else {
            return std::nullopt;
        }
    }
    return group > 0 ? FromHex(hex) : std::nullopt;
}

std::vector<Algorithm> OfLength(std::size_t digits) {
    std::vector<Algorithm> candidates = FromHexLength(digits);
    if (digits == 8) candidates.insert(candidates.begin(), Algorithm::Crc32);  // .sfv's, the common one
    return candidates;
}

}  // namespace

std::optional<PastedDigest> ReadPastedDigest(std::string_view text, std::string& why) {
    text = Trimmed(text);
    PastedDigest pasted;
    std::optional<Algorithm> named;
    std::string_view hex = text;
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos && (named = PrefixAlgorithm(text.substr(0, colon))))
        hex = Trimmed(text.substr(colon + 1));
    if (const auto digest = GroupedHex(hex)) {
        pasted.digest = *digest;
        pasted.candidates = OfLength(2 * digest->size);
    } else if (Entry entry; text.find_first_of("\r\n") == std::string_view::npos &&
                            ParseLine(text, ListForm{}, entry) == LineKind::Entry) {
        pasted.digest = entry.expected;
        pasted.candidates =
            entry.candidates.empty() ? std::vector<Algorithm>{entry.algorithm} : entry.candidates;
    } else {
        why =
            "is not a digest (hexadecimal digits, in byte pairs or not, after a name such as sha256: or in a "
            "checksum line)";
        return std::nullopt;
    }
    if (named) return Narrowed(pasted, *named, why);
    if (pasted.candidates.empty()) {
        why = "is " + std::to_string(2 * pasted.digest.size) +
              " hexadecimal digits long, which no algorithm's digest is";
        return std::nullopt;
    }
    return pasted;
}

std::optional<PastedDigest> Narrowed(PastedDigest pasted, Algorithm algorithm, std::string& why) {
    const std::size_t size = pasted.digest.size;
    const bool fits = algorithm == Algorithm::Blake2b ? size > 0 : size == DigestSize(algorithm);
    if (!fits) {
        why = "is " + std::to_string(2 * size) + " hexadecimal digits long, and " + DisplayName(algorithm) +
              "'s digest is " + std::to_string(2 * DigestSize(algorithm));
        return std::nullopt;
    }
    pasted.candidates = {algorithm};
    return pasted;
}

std::optional<Digest> CrcInName(std::string_view name) {
    // From the end, so that the last group counts.
    for (std::size_t end = name.size(); end >= 10; --end) {
        const char first = name[end - 10], last = name[end - 1];
        if (!((first == '[' && last == ']') || (first == '(' && last == ')'))) continue;
        const std::string_view inside = name.substr(end - 9, 8);
        if (std::all_of(inside.begin(), inside.end(), IsHex)) return FromHex(inside);
    }
    return std::nullopt;
}

}  // namespace fsum
