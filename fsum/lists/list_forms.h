// The forms of a checksum line, one at a time:
// - .sfv: "name CRC", the CRC the last blank-separated word of eight
//   hexadecimal digits, the name all before it less the blanks between;
// - GNU coreutils: "<hex digest> <space or *><name>", or one blank alone
//   between, after blanks if any; a line that begins with \ has its name
//   escaped (\\, \n, \r); names may hold tabs;
//   xxhsum writes XXH3's digest after "XXH3_";
// - BSD tag: "ALGO (name) = <hex digest>", ALGO one of MD5, SHA1, SHA224,
//   SHA256, SHA384, SHA512 (or SHA2-256 ...), SHA3-224, SHA3-256, SHA3-384,
//   SHA3-512, BLAKE2b, BLAKE2b-<bits>, BLAKE3, XXH32, XXH64, XXH3, XXH128;
//   another algorithm's line (SM3) names a file the tool cannot check.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "digests/digest.h"
#include "system/names.h"

namespace fsum {

struct Entry {
    std::string name;  // as written in the list, with \ or / between folders
    // The name came through the coreutils escape, which lists made on a
    // system whose names may hold \ use: there \ is part of a name.
    bool escaped = false;
    // Read from a tag line as coreutils writes it, "ALGO (name) = <hex>".
    bool tagged = false;
    Algorithm algorithm = Algorithm::Crc32;
    // When neither the list's name nor the line says the algorithm and the
    // digest's length fits several (64 digits: SHA-256, SHA3-256, BLAKE3),
    // all of them, `algorithm` first.
    std::vector<Algorithm> candidates;
    Digest expected;
    std::uint64_t line = 0;
    // For a line that was not UTF-8 (whose name is then its bytes): the name
    // read in the ANSI code page, taken where no file has the raw name.
    std::string ansiName;
    // For a GNU line "<digest>  name" or "<digest> *name": the name as BSD's
    // md5 -r writes it, everything after the one blank (" name", "*name"),
    // taken where no file has the first.
    std::string oneBlankName;
    // An Unchecked line's reason: "SM3 is not an algorithm this tool checks".
    std::string unchecked;

    // The algorithms its digest may be of: the candidates, or its own.
    std::vector<Algorithm> Algorithms() const {
        return candidates.empty() ? std::vector{algorithm} : candidates;
    }
};

// Unchecked: a well-formed line that names a file, in an algorithm the tool
// does not have ("SM3 (input) = <digest>"); its Entry has the name and why.
enum class LineKind { Blank, Comment, Entry, Unchecked, Bad };

// What a list's name says of its lines: an .sfv list holds .sfv lines only;
// an extension (.md5, .sha256, .sha3-256, .b2, .b3, .xxh128, ...) or an
// <ALGO>SUMS name (SHA256SUMS, B2SUMS, B3SUMS, ...) fixes the algorithm of
// its GNU lines; any other list's GNU lines say theirs by the digest's
// length, which may leave several algorithms to try.
struct ListForm {
    bool sfv = false;
    std::optional<Algorithm> algorithm;
};
ListForm FormOfList(const std::string& listPath);

// What xxhsum writes before an XXH3 digest in a GNU line.
inline constexpr char kXxh3Mark[] = "XXH3_";

// Whether an .sfv line of the name reads back as that name, in an .sfv list
// and in a list whose name says nothing (where a name that begins with ; or
// #, or looks like the start of a GNU or BSD line, would be read otherwise).
bool SfvNameReadsBack(const std::string& name);

// A line without its line end. In an .sfv list only ';' in the first column
// makes a comment, elsewhere ';' or '#'; a line of no form is Bad.
LineKind ParseLine(std::string_view line, const ListForm& form, Entry& entry);

// The last part of a name as lists write names: after its last / or \,
// whichever system wrote it.
inline std::string_view LastPart(std::string_view name) {
    const std::size_t cut = name.find_last_of("\\/");
    return cut == std::string_view::npos ? name : name.substr(cut + 1);
}

// A file's name (from the list's folder, the system's separators) as a
// list the tool writes it: from "." where an .sfv line could not hold it as
// it is (it begins with ; or #, or looks like a GNU or BSD line); with /
// between folders in GNU and BSD lines on every system, as coreutils reads
// them (Windows takes / too; a Windows name holds no backslash of its own).
std::string ListedName(std::string name, Algorithm algorithm);
// Whether lists the tool writes escape names (coreutils' escape): where a
// backslash can be part of a name, not on Windows.
inline constexpr bool kEscapeNames = kSeparator != '\\';

// Whether a name takes the coreutils escape, where lists escape names: it
// holds \ or a line end.
bool NeedsEscape(const std::string& name);
// The name in the coreutils escape (\\, \n, \r), as a line that begins with
// \ spells it.
std::string EscapeName(const std::string& name);

// A line of a list the tool makes, without its line end: "name CRC" for
// CRC-32 (an .sfv list), otherwise a GNU line "<hex>  name", or with `bsd` a
// tag line "ALGO (name) = <hex>". With `escape` (lists made where \ is a
// character of names) a GNU or BSD name that holds \ or a line end takes the
// coreutils escape. Nothing for a name no line of that form can hold (an
// .sfv line has no escape: there every \ separates folders).
std::optional<std::string> FormatLine(const std::string& name, Algorithm algorithm, const Digest& digest,
                                      bool bsd, bool escape);

}  // namespace fsum
