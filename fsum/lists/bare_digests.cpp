#include "bare_digests.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "base/text_rules.h"
#include "list_forms.h"
#include "system/base64.h"

namespace fsum {
namespace {

using corvane::texts::IsBlank;

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

std::string Lower(std::string_view text) {
    std::string lower;
    for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string_view Trimmed(std::string_view text) {
    const auto space = [](char c) { return IsBlank(c) || c == '\r' || c == '\n'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

// What web text puts where a digest's plain ASCII would be, and that ASCII.
constexpr struct {
    const char* from;
    const char* to;
} kPlain[] = {{"\xEF\xBB\xBF", ""},
              {"\xE2\x80\x8B", ""},
              {"\xE2\x80\x8C", ""},
              {"\xE2\x80\x8D", ""},
              {"\xE2\x81\xA0", ""},
              // Every space separator of Unicode (category Zs) but the space itself.
              {"\xC2\xA0", " "},
              {"\xE1\x9A\x80", " "},
              {"\xE2\x80\x80", " "},
              {"\xE2\x80\x81", " "},
              {"\xE2\x80\x82", " "},
              {"\xE2\x80\x83", " "},
              {"\xE2\x80\x84", " "},
              {"\xE2\x80\x85", " "},
              {"\xE2\x80\x86", " "},
              {"\xE2\x80\x87", " "},
              {"\xE2\x80\x88", " "},
              {"\xE2\x80\x89", " "},
              {"\xE2\x80\x8A", " "},
              {"\xE2\x80\xAF", " "},
              {"\xE2\x81\x9F", " "},
              {"\xE3\x80\x80", " "},
              {"\xE2\x80\x90", "-"},
              {"\xE2\x80\x91", "-"},
              {"\xE2\x80\x92", "-"},
              {"\xE2\x80\x93", "-"},
              {"\xE2\x80\x94", "-"},
              {"\xE2\x88\x92", "-"},
              {"\xE2\x80\x9C", "\""},
              {"\xE2\x80\x9D", "\""},
              {"\xE2\x80\x98", "'"},
              {"\xE2\x80\x99", "'"}};

// Text as a web page gives it, made plain: a byte-order mark and the
// zero-width characters go, Unicode spaces become a space, Unicode dashes a
// hyphen ("SHA–256"), typographic quotes straight ones.
std::string Plain(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size();) {
        const auto* hit = std::find_if(std::begin(kPlain), std::end(kPlain), [&](const auto& p) {
            return text.compare(i, std::strlen(p.from), p.from) == 0;
        });
        if (hit == std::end(kPlain)) {
            plain += text[i++];
        } else {
            plain += hit->to;
            i += std::strlen(hit->from);
        }
    }
    return plain;
}

// Without the quotes a copy from a page or a script may carry around it.
std::string_view Unquoted(std::string_view text) {
    text = Trimmed(text);
    while (text.size() >= 2 && std::strchr("\"'`", text.front()) && text.back() == text.front())
        text = Trimmed(text.substr(1, text.size() - 2));
    return text;
}

// Hexadecimal digits alone, or in groups of one even length that one blank
// or colon separates ("9f 86 d0", "9f86 d081"; the last group may be
// shorter), after 0x and before a colon that ends the last pair; the digits.
// Groups longer than 16 digits are digests of their own ("<hex> <hex>").
std::optional<std::string> HexDigits(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.size() > 1 && text.back() == ':' && IsHex(text[text.size() - 2])) text.remove_suffix(1);
    std::string digits;
    std::vector<std::size_t> groups{0};
    for (const char c : text) {
        if (IsHex(c)) {
            digits += c, ++groups.back();
        } else if ((c == ' ' || c == ':') && groups.back() > 0) {
            groups.push_back(0);
        } else {
            return std::nullopt;
        }
    }
    if (groups.back() == 0) return std::nullopt;
    if (groups.size() == 1) return digits;
    const std::size_t size = groups.front();
    const bool even = std::all_of(groups.begin(), groups.end(), [](std::size_t g) { return g % 2 == 0; });
    const bool alike =
        std::all_of(groups.begin(), groups.end() - 1, [&](std::size_t g) { return g == size; });
    if (!even || !alike || groups.back() > size || size > 16) return std::nullopt;
    return digits;
}

std::string LengthSaid(std::size_t digits) {
    return "is " + std::to_string(digits) + " hexadecimal digits long, which no algorithm's digest is";
}

// A digest by its digits: of the algorithm named, or of each of its length.
std::optional<PastedDigest> FromDigits(const std::string& digits, std::string_view algorithmName,
                                       std::string& why) {
    const std::optional<Digest> digest = FromHex(digits);
    if (!digest) {
        why = LengthSaid(digits.size());
        return std::nullopt;
    }
    PastedDigest pasted{*digest, FromHexLength(digits.size()), ""};
    if (!algorithmName.empty()) {
        // BLAKE2b by its name alone may be of any length; "BLAKE2b-256" says one.
        std::string name = Lower(algorithmName);
        const std::optional<Tag> tag = FromName(name);
        name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return c == '-' || c == '_'; }),
                   name.end());
        if (name == "b2" || name == "blake2b") return Narrowed(pasted, Algorithm::Blake2b, why);
        if (tag->size != digest->size) {
            why = "is " + std::to_string(digits.size()) + " hexadecimal digits long, and " +
                  DisplayName(tag->algorithm, tag->size) + "'s digest is " + std::to_string(2 * tag->size);
            return std::nullopt;
        }
        return Narrowed(pasted, tag->algorithm, why);
    }
    if (pasted.candidates.empty()) {
        why = LengthSaid(digits.size());
        return std::nullopt;
    }
    return pasted;
}

// Subresource Integrity, as registries and CDNs print it: "sha256-<base64>".
std::optional<PastedDigest> FromIntegrity(std::string_view text, std::string& why) {
    const std::size_t dash = text.find('-');
    const std::string name = Lower(text.substr(0, dash));
    if (dash == std::string_view::npos || (name != "sha256" && name != "sha384" && name != "sha512"))
        return std::nullopt;
    const std::string_view encoded = text.substr(dash + 1);
    const std::size_t pad = encoded.find('=');
    const bool shaped =
        !encoded.empty() && encoded.size() % 4 == 0 &&
        std::all_of(
            encoded.begin(), encoded.begin() + std::min(pad, encoded.size()),
            [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/'; }) &&
        (pad == std::string_view::npos || encoded.find_first_not_of('=', pad) == std::string_view::npos);
    const std::optional<std::string> bytes = shaped ? Base64(encoded) : std::nullopt;
    if (!bytes) {
        why = "names " + std::string(text.substr(0, dash)) + ", but what follows is not Base64";
        return std::nullopt;
    }
    return FromDigits(HexOf(*bytes, false), name, why);
}

// What follows a name before its digest: the separators (":", "=", blanks,
// and OpenSSL's "(file)=") left out.
std::string_view AfterName(std::string_view text, std::size_t cut) {
    std::string_view rest = cut == std::string_view::npos ? "" : text.substr(cut);
    if (!rest.empty() && rest.front() == '(') {
        const std::size_t close = rest.find(')');
        rest.remove_prefix(close == std::string_view::npos ? rest.size() : close + 1);
    }
    while (!rest.empty() && std::strchr(":= \t", rest.front())) rest.remove_prefix(1);
    return rest;
}

// "<algorithm><: or = or blanks><hex>[  <name>]": a prefix ("sha256:",
// "SHA256=", "blake3:") or a row of PowerShell's Get-FileHash table.
std::optional<PastedDigest> FromNamed(std::string_view text, std::string& why) {
    const std::size_t cut = text.find_first_of(":= \t");
    if (cut == std::string_view::npos || !FromName(text.substr(0, cut))) return std::nullopt;
    const std::string_view rest = AfterName(text, cut);
    std::string name;
    std::optional<std::string> digits = HexDigits(rest);
    if (!digits) {
        const std::size_t blank = rest.find_first_of(" \t");
        if (blank == std::string_view::npos || !(digits = HexDigits(rest.substr(0, blank))))
            return std::nullopt;
        name = std::string(Trimmed(rest.substr(blank)));
    }
    std::optional<PastedDigest> pasted = FromDigits(*digits, text.substr(0, cut), why);
    if (pasted) pasted->name = name;
    return pasted;
}

// How many digests the line holds when it is nothing but blank-separated
// words of hexadecimal digits, each of some algorithm's length.
std::size_t DigestWords(std::string_view line) {
    std::size_t words = 0;
    for (std::size_t start = 0; start < line.size();) {
        const std::size_t end = std::min(line.find_first_of(" \t", start), line.size());
        const std::optional<std::string> digits = HexDigits(line.substr(start, end - start));
        if (!digits || FromHexLength(digits->size()).empty()) return 0;
        ++words;
        start = line.find_first_not_of(" \t", end);
    }
    return words;
}

// The words of a line, split at blanks.
std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    for (std::size_t start = line.find_first_not_of(" \t"); start != std::string_view::npos;) {
        const std::size_t end = std::min(line.find_first_of(" \t", start), line.size());
        words.emplace_back(line.substr(start, end - start));
        start = line.find_first_not_of(" \t", end);
    }
    return words;
}

// Where the digits begin after "<algorithm> checksum:", "... checksum is",
// "... hash", "... digest", "... sum" or "<algorithm> -"; 0 when the words
// are of no such shape.
std::size_t SentenceDigits(const std::vector<std::string>& words) {
    static const char* const kNouns[] = {"checksum", "hash", "digest", "sum"};
    if (words[1] == "-") return 2;
    std::string noun = Lower(words[1]);
    const bool colon = !noun.empty() && noun.back() == ':';
    if (colon) noun.pop_back();
    if (std::find(std::begin(kNouns), std::end(kNouns), noun) == std::end(kNouns)) return 0;
    return !colon && words.size() > 2 && Lower(words[2]) == "is" ? 3 : 2;
}

// A digest as release pages put it in a sentence: "The SHA-256 checksum is
// <hex>.", "SHA-256 checksum: <hex>", "SHA-256 hash <hex>", "SHA-256 -
// <hex>" (dashes of any kind are "-" by now), or the digits before a full
// stop. The algorithm and the digits as "SHA-256: <hex>"; else the line.
std::string Sentence(std::string_view line) {
    std::vector<std::string> words = Words(line);
    if (words.empty()) return std::string(line);
    std::string& last = words.back();
    bool stopped = false;
    for (; last.size() > 1 && std::strchr(".,;!?)", last.back()) && IsHex(last[last.size() - 2]);
         stopped = true)
        last.pop_back();
    if (words.size() > 1 && Lower(words[0]) == "the") words.erase(words.begin());
    const std::size_t digits = words.size() > 1 ? SentenceDigits(words) : 0;
    if (digits > 0 && FromName(words[0])) {
        std::string rest;
        for (std::size_t i = digits; i < words.size(); ++i) rest += (rest.empty() ? "" : " ") + words[i];
        return words[0] + ": " + rest;
    }
    if (!stopped) return std::string(line);
    std::string joined;
    for (const std::string& word : words) joined += (joined.empty() ? "" : " ") + word;
    return joined;
}

// One line of text: hexadecimal digits, Subresource Integrity, a named
// digest, or a checksum line of any list's form (OpenSSL's too).
std::optional<PastedDigest> FromLine(std::string_view line, std::string& why) {
    // Digits alone, or wholly in byte pairs, are a digest whatever their
    // first pair: "B2:37:..." is never the prefix b2: and a shorter digest.
    const std::optional<std::string> digits = HexDigits(line);
    if (digits) return FromDigits(*digits, "", why);
    if (const std::size_t several = DigestWords(line); several > 1) {
        why = "holds " + std::to_string(several) + " digests: give one";
        return std::nullopt;
    }
    if (auto pasted = FromIntegrity(line, why); pasted || !why.empty()) return pasted;
    if (auto pasted = FromNamed(line, why); pasted || !why.empty()) return pasted;
    if (Entry entry; ParseLine(line, ListForm{}, entry) == LineKind::Entry) {
        std::vector<Algorithm> candidates{entry.algorithm};
        if (!entry.candidates.empty()) candidates = entry.candidates;
        return PastedDigest{entry.expected, candidates, entry.name};
    }
    // A name of an algorithm the tool does not check, before a digest:
    // "SHA224:<hex>", OpenSSL's "SHA2-224(file)= <hex>".
    const std::size_t cut = line.find_first_of(":= \t(");
    const std::optional<std::string> named = HexDigits(AfterName(line, cut));
    if (named) {
        why = "names \"" + std::string(line.substr(0, cut)) +
              "\", which is none of the algorithms the tool " + "checks, before " +
              std::to_string(named->size()) + " hexadecimal digits";
    } else if (line.find_first_not_of("0123456789abcdefABCDEF :") == std::string_view::npos) {
        why = "holds several digests or digits that are not in byte pairs: give one digest";
    } else {
        why =
            "is not a digest (hexadecimal digits, in byte pairs or not, after a name such as sha256: or in a "
            "checksum line)";
    }
    return std::nullopt;
}

// "SHA256 hash of file.iso:", which certutil -hashfile prints before the
// digest (older versions "... hash of file file.iso:").
bool CertutilHeading(std::string_view line, std::string& algorithm, std::string& name) {
    const std::size_t of = Lower(line).find(" hash of ");
    if (of == std::string::npos || line.back() != ':') return false;
    algorithm = std::string(line.substr(0, of));
    name = std::string(line.substr(of + 9, line.size() - of - 10));
    if (Lower(name).rfind("file ", 0) == 0) name.erase(0, 5);
    return FromName(algorithm).has_value();
}

// The lines that carry something, less what certutil and Get-FileHash put
// around the digest: certutil's closing "CertUtil: ..." line, the table's
// heading and its dashes.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        std::string words = Lower(line);
        words.erase(
            std::unique(words.begin(), words.end(), [](char a, char b) { return IsBlank(a) && IsBlank(b); }),
            words.end());
        const bool dashes = line.find_first_not_of("- \t") == std::string_view::npos;
        if (line.empty() || dashes || words.rfind("certutil:", 0) == 0 || words == "algorithm hash path")
            continue;
        lines.push_back(line);
    }
    return lines;
}

// PowerShell's Get-FileHash | Format-List: "Algorithm : SHA256", "Hash : ...",
// "Path : ...". Nothing when the lines are not of that shape.
std::optional<PastedDigest> FromFields(const std::vector<std::string_view>& lines, std::string& why) {
    std::string algorithm, hash, path;
    for (const std::string_view line : lines) {
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) return std::nullopt;
        const std::string key = Lower(Trimmed(line.substr(0, colon)));
        const std::string value(Trimmed(line.substr(colon + 1)));
        std::string* field = key == "algorithm" ? &algorithm
                             : key == "hash"    ? &hash
                             : key == "path"    ? &path
                                                : nullptr;
        if (!field) return std::nullopt;
        *field = value;
    }
    const std::optional<std::string> digits = HexDigits(hash);
    if (!digits || (!algorithm.empty() && !FromName(algorithm))) return std::nullopt;
    std::optional<PastedDigest> pasted = FromDigits(*digits, algorithm, why);
    if (pasted) pasted->name = path;
    return pasted;
}

}  // namespace

std::optional<PastedDigest> ReadPastedDigest(std::string_view text, std::string& why) {
    const std::string plain = Plain(text);
    const std::vector<std::string_view> lines = Lines(Unquoted(plain));
    if (lines.empty()) {
        why = "is not a digest: it holds no text";
        return std::nullopt;
    }
    if (auto pasted = FromFields(lines, why); pasted || !why.empty()) return pasted;
    std::string algorithm, name;
    if (lines.size() == 2 && CertutilHeading(lines[0], algorithm, name)) {
        const std::optional<std::string> digits = HexDigits(lines[1]);
        std::optional<PastedDigest> pasted = digits ? FromDigits(*digits, algorithm, why) : std::nullopt;
        if (!digits) why = "names " + algorithm + ", but the line after it is not a digest";
        if (pasted) pasted->name = name;
        return pasted;
    }
    if (lines.size() > 1) {
        why = "holds " + std::to_string(lines.size()) + " lines: give one digest";
        return std::nullopt;
    }
    return FromLine(Sentence(Unquoted(lines[0])), why);
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
