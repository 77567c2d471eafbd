#include "list_forms.h"

#include <algorithm>
#include <cctype>

#include "base/text_rules.h"
#include "system/names.h"

namespace fsum {
namespace {

using corvane::texts::IsBlank;

// A control character other than a tab, which GNU and BSD names may hold.
bool HasControl(std::string_view name, bool tabs = false) {
    return std::any_of(name.begin(), name.end(), [tabs](char c) {
        return static_cast<unsigned char>(c) < 0x20 && !(tabs && c == '\t');
    });
}

bool AllBlank(std::string_view text) { return text.find_first_not_of(" \t") == std::string_view::npos; }

// "name CRC": the CRC is the last blank-separated word; leading spaces, runs
// of spaces, ';' and hex-looking words inside a name are the name's own.
LineKind ParseSfv(std::string_view line, Entry& entry) {
    const std::size_t lastBlank = line.find_last_of(" \t");
    if (lastBlank == std::string_view::npos || line.size() - lastBlank - 1 != 8) return LineKind::Bad;
    const std::optional<Digest> crc = FromHex(line.substr(lastBlank + 1));
    if (!crc) return LineKind::Bad;
    std::string_view name = line.substr(0, lastBlank);
    while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
    if (AllBlank(name) || HasControl(name)) return LineKind::Bad;
    entry.name = std::string(name);
    entry.escaped = entry.tagged = false;
    entry.algorithm = Algorithm::Crc32;
    entry.expected = *crc;
    return LineKind::Entry;
}

// The coreutils escape of a name that holds \ or a line end; nothing when
// it is broken.
std::optional<std::string> Unescape(std::string_view name) {
    std::string plain;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] != '\\') {
            plain += name[i];
            continue;
        }
        if (++i == name.size()) return std::nullopt;
        switch (name[i]) {
            case '\\':
                plain += '\\';
                break;
            case 'n':
                plain += '\n';
                break;
            case 'r':
                plain += '\r';
                break;
            default:
                return std::nullopt;
        }
    }
    return plain;
}

// The name of a GNU or BSD line, unescaped when the line began with \. A
// name of blanks alone is a file's name all the same, as coreutils reads it.
LineKind TakeName(std::string_view name, bool escaped, Entry& entry) {
    std::optional<std::string> plain = escaped ? Unescape(name) : std::string(name);
    if (!plain || plain->empty() || (!escaped && HasControl(*plain, true))) return LineKind::Bad;
    entry.name = std::move(*plain);
    entry.escaped = escaped;
    return LineKind::Entry;
}

// A tag no algorithm of the tool's has, that still reads as an algorithm's
// name: capitals, digits and hyphens, at most a small letter last (SM3,
// SHA224, SHA3-224, BLAKE2s, WHIRLPOOL).
bool AlgorithmLike(std::string_view tag) {
    if (tag.size() < 2 || !std::isupper(static_cast<unsigned char>(tag.front()))) return false;
    if (std::islower(static_cast<unsigned char>(tag.back()))) tag.remove_suffix(1);
    return std::all_of(tag.begin(), tag.end(), [](char c) {
        return std::isupper(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)) ||
               c == '-';
    });
}

// The line of a tagged digest the tool cannot check: it names a file all the same.
std::optional<LineKind> UncheckedTag(std::string_view tag, std::string_view name, std::string_view digits,
                                     bool escaped, Entry& entry) {
    const std::optional<Digest> digest = FromHex(digits);
    if (!AlgorithmLike(tag) || !digest || digest->size < 4) return std::nullopt;
    if (TakeName(name, escaped, entry) != LineKind::Entry) return LineKind::Bad;
    entry.unchecked = std::string(tag) + " is not an algorithm this tool checks";
    return LineKind::Unchecked;
}

// "ALGO (name) = digest", as rhash --bsd pads it "MD5   (name) = digest",
// or as OpenSSL writes it, "ALGO(name)= digest"; nothing when the line is
// not of that shape.
std::optional<LineKind> ParseBsd(std::string_view line, bool escaped, Entry& entry) {
    const std::size_t tagEnd = line.find_first_of(" (");
    if (tagEnd == std::string_view::npos || tagEnd == 0) return std::nullopt;
    const std::size_t paren = line.find_first_not_of(' ', tagEnd);
    if (paren == std::string_view::npos || line[paren] != '(') return std::nullopt;
    const bool openssl = paren == tagEnd;
    const std::size_t open = paren + 1;
    const std::string_view equals = openssl ? ")= " : ") = ";
    const std::size_t close = line.rfind(equals);
    if (close == std::string_view::npos || close < open) return std::nullopt;
    const std::optional<Tag> named = FromTag(line.substr(0, tagEnd));
    const std::string_view name = line.substr(open, close - open),
                           digits = line.substr(close + equals.size());
    // Else maybe an .sfv line whose name holds " (" and ") = ".
    if (!named) return UncheckedTag(line.substr(0, tagEnd), name, digits, escaped, entry);
    const std::optional<Digest> digest = FromHex(digits);
    if (!digest || digest->size != named->size) return LineKind::Bad;
    entry.algorithm = named->algorithm;
    entry.expected = *digest;
    entry.tagged = !openssl;
    return TakeName(name, escaped, entry);
}

// Which algorithms a GNU line's digest may be of: the one the list's name
// says (BLAKE2b at any length up to its longest, as in B2SUMS of b2sum -l);
// else each one that writes digests of that length.
std::vector<Algorithm> Candidates(const ListForm& form, const Digest& digest) {
    if (!form.algorithm) return FromHexLength(2 * digest.size);
    const bool fits = *form.algorithm == Algorithm::Blake2b ? digest.size <= DigestSize(Algorithm::Blake2b)
                                                            : digest.size == DigestSize(*form.algorithm);
    if (!fits) return {};
    return {*form.algorithm};
}

// "digest  name", "digest *name", or as coreutils also reads it, "digest
// name" (one blank, which may be a tab); xxhsum marks XXH3's digest "XXH3_".
// Nothing when the line does not begin with hexadecimal digits and a blank.
std::optional<LineKind> ParseGnu(std::string_view line, bool escaped, const ListForm& form, Entry& entry) {
    const bool xxh3 = line.substr(0, 5) == kXxh3Mark;
    if (xxh3) line.remove_prefix(5);
    const std::size_t digits = std::min(line.find_first_not_of("0123456789abcdefABCDEF"), line.size());
    if (digits == 0 || line.size() < digits + 2 || !IsBlank(line[digits])) return std::nullopt;
    std::size_t name = digits + 1;
    // The second character of the separator: a space, or * for binary mode.
    const bool two = line.size() > name + 1 && (line[name] == ' ' || line[name] == '*');
    if (two) ++name;
    // A name of blanks alone comes after the whole separator, as md5sum writes it.
    if (!two && AllBlank(line.substr(name))) return LineKind::Bad;
    // Eight digits and one blank may as well be an .sfv line of a file named
    // with eight digits; xxhsum writes XXH32 lines with two.
    if (digits == 8 && !two && !form.algorithm && !xxh3) return std::nullopt;
    const std::optional<Digest> digest = FromHex(line.substr(0, digits));
    if (!digest) return LineKind::Bad;
    std::vector<Algorithm> candidates = Candidates(xxh3 ? ListForm{false, Algorithm::Xxh3} : form, *digest);
    if (candidates.empty()) return LineKind::Bad;
    entry.algorithm = candidates.front();
    if (candidates.size() > 1) entry.candidates = std::move(candidates);
    entry.expected = *digest;
    const LineKind kind = TakeName(line.substr(name), escaped, entry);
    if (kind == LineKind::Entry && two && !escaped && line[digits] == ' ')
        entry.oneBlankName = std::string(line.substr(digits + 1));
    return kind;
}

bool EndsWith(const std::string& text, std::string_view end) {
    if (text.size() < end.size()) return false;
    return std::equal(end.rbegin(), end.rend(), text.rbegin(),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

// The tag of a BSD line: BLAKE2b of another length than its own says it.
std::string TagOf(Algorithm algorithm, const Digest& digest) {
    if (digest.size == DigestSize(algorithm)) return TagName(algorithm);
    return std::string(TagName(algorithm)) + "-" + std::to_string(8 * digest.size);
}

}  // namespace

bool SfvNameReadsBack(const std::string& name) {
    const std::string line = name + " 00000000";
    for (const ListForm& form : {ListForm{true, Algorithm::Crc32}, ListForm{}}) {
        Entry entry;
        if (ParseLine(line, form, entry) != LineKind::Entry || entry.name != name ||
            entry.algorithm != Algorithm::Crc32)
            return false;
    }
    return true;
}

ListForm FormOfList(const std::string& listPath) {
    if (EndsWith(listPath, ".sfv")) return {true, Algorithm::Crc32};
    // Extensions, and the <ALGO>SUMS names of Linux distributions, with what
    // separates folders before them.
    const std::pair<const char*, Algorithm> names[] = {
        {".md5", Algorithm::Md5},           {".sha1", Algorithm::Sha1},
        {".sha224", Algorithm::Sha224},     {".sha256", Algorithm::Sha256},
        {".sha384", Algorithm::Sha384},     {".sha512", Algorithm::Sha512},
        {".sha3-224", Algorithm::Sha3_224}, {".sha3-256", Algorithm::Sha3_256},
        {".sha3-384", Algorithm::Sha3_384}, {".sha3-512", Algorithm::Sha3_512},
        {".b2", Algorithm::Blake2b},        {".b2sum", Algorithm::Blake2b},
        {".b3", Algorithm::Blake3},         {".blake3", Algorithm::Blake3},
        {".xxh32", Algorithm::Xxh32},       {".xxh64", Algorithm::Xxh64},
        {".xxh3", Algorithm::Xxh3},         {".xxh128", Algorithm::Xxh128},
        {"/md5sums", Algorithm::Md5},       {"/sha1sums", Algorithm::Sha1},
        {"/sha224sums", Algorithm::Sha224}, {"/sha256sums", Algorithm::Sha256},
        {"/sha384sums", Algorithm::Sha384}, {"/sha512sums", Algorithm::Sha512},
        {"/b2sums", Algorithm::Blake2b},    {"/b3sums", Algorithm::Blake3}};
    const std::string path = "/" + listPath;  // a bare name stands after a separator too
    for (const auto& [end, algorithm] : names) {
        if (EndsWith(path, end) || (end[0] == '/' && EndsWith(path, std::string("\\") + (end + 1))))
            return {false, algorithm};
    }
    return {};
}

LineKind ParseLine(std::string_view line, const ListForm& form, Entry& entry) {
    // Trailing blanks end an .sfv line; in the other forms they may end a name.
    while (!line.empty() && (line.back() == '\r' || (form.sfv && IsBlank(line.back()))))
        line.remove_suffix(1);
    if (AllBlank(line)) return LineKind::Blank;
    if (line.front() == ';' || (!form.sfv && line.front() == '#')) return LineKind::Comment;
    if (form.sfv) return ParseSfv(line, entry);

    // GNU and BSD lines may stand after blanks, as coreutils reads them.
    std::string_view rest = line.substr(line.find_first_not_of(" \t"));
    const bool escaped = rest.front() == '\\';
    if (escaped) rest.remove_prefix(1);
    std::optional<LineKind> kind = ParseBsd(rest, escaped, entry);
    if (!kind) kind = ParseGnu(rest, escaped, form, entry);
    if (kind == LineKind::Entry || kind == LineKind::Unchecked || form.algorithm || escaped)
        return kind.value_or(LineKind::Bad);
    // A list whose name says nothing may still hold .sfv lines, also one
    // whose name begins with a word of hex digits ("01 Track.flac", "Beef
    // Stew.mkv") that no GNU line could mean.
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    entry.candidates.clear();
    return ParseSfv(line, entry);
}

bool NeedsEscape(const std::string& name) { return name.find_first_of("\\\r\n") != std::string::npos; }

std::string EscapeName(const std::string& name) {
    std::string written;
    for (const char c : name)
        written += c == '\\' ? "\\\\" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    return written;
}

std::optional<std::string> FormatLine(const std::string& name, Algorithm algorithm, const Digest& digest,
                                      bool bsd, bool escape) {
    // Line ends only through the escape; no other control character at all,
    // since the reader refuses names that hold one.
    const bool lineEnd = name.find_first_of("\r\n") != std::string::npos;
    std::string rest = name;
    rest.erase(std::remove_if(rest.begin(), rest.end(), [](char c) { return c == '\r' || c == '\n'; }),
               rest.end());
    const bool sfv = algorithm == Algorithm::Crc32;
    if (AllBlank(name) || (lineEnd && !escape) || HasControl(rest, !sfv)) return std::nullopt;
    const std::string hex = ToHex(digest, algorithm);
    if (sfv) {
        // There is no escape: \ separates folders, and a name the reader
        // would take otherwise (a comment, a GNU or BSD line) is no line.
        if (lineEnd || (escape && name.find('\\') != std::string::npos) || !SfvNameReadsBack(name))
            return std::nullopt;
        return name + " " + hex;
    }
    const bool escaped = escape && NeedsEscape(name);
    const std::string written = escaped ? EscapeName(name) : name, mark = escaped ? "\\" : "";
    if (bsd) return mark + TagOf(algorithm, digest) + " (" + written + ") = " + hex;
    return mark + (algorithm == Algorithm::Xxh3 ? kXxh3Mark : "") + hex + "  " + written;
}

std::string ListedName(std::string name, Algorithm algorithm) {
    if (algorithm == Algorithm::Crc32 && !SfvNameReadsBack(name)) name = std::string(".") + kSeparator + name;
    if (algorithm != Algorithm::Crc32 && kSeparator == '\\')
        std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

}  // namespace fsum
