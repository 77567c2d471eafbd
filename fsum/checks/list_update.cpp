#include "list_update.h"

#include <algorithm>

#include "cli/report.h"
#include "digests/hashing.h"
#include "lists/list_reader.h"
#include "lists/utf8.h"
#include "system/files.h"
#include "system/names.h"

namespace fsum {

namespace {

enum class Encoding { Utf8, Utf16Le, Utf16Be };

Encoding EncodingOf(std::string_view bytes) {
    if (bytes.substr(0, 2) == kUtf16LeMark) return Encoding::Utf16Le;
    if (bytes.substr(0, 2) == kUtf16BeMark) return Encoding::Utf16Be;
    return Encoding::Utf8;
}

// One UTF-16 unit in the list's byte order.
void PutUnit(std::string& out, char16_t unit, Encoding encoding) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xff);
    out += encoding == Encoding::Utf16Le ? std::string{low, high} : std::string{high, low};
}

// UTF-8 text in the list's encoding.
std::string Encoded(const std::string& text, Encoding encoding) {
    if (encoding == Encoding::Utf8) return text;
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        char32_t c = 0xFFFD;
        const std::size_t length = Utf8SequenceAt(text, at, c);
        at += length ? length : 1;
        if (c < 0x10000) {
            PutUnit(out, static_cast<char16_t>(c), encoding);
            continue;
        }
        c -= 0x10000;
        PutUnit(out, static_cast<char16_t>(0xD800 + (c >> 10)), encoding);
        PutUnit(out, static_cast<char16_t>(0xDC00 + (c & 0x3FF)), encoding);
    }
    return out;
}

// The line with the entry's name as written replaced: at its end (a GNU
// line), at its start (.sfv), or in its parentheses (a BSD tag line).
std::string Renamed(const std::string& line, const Rename& rename) {
    const std::string &old = rename.from, &now = rename.to, mark = rename.mark ? "\\" : "";
    if (line.size() >= old.size() && line.compare(line.size() - old.size(), old.size(), old) == 0)
        return mark + line.substr(0, line.size() - old.size()) + now;
    if (line.compare(0, old.size(), old) == 0) return now + line.substr(old.size());
    const std::size_t at = line.find("(" + old + ")");
    if (at == std::string::npos) return line;
    return mark + line.substr(0, at + 1) + now + line.substr(at + 1 + old.size());
}

}  // namespace

bool RenameMoves(const std::vector<FolderAudit::Move>& moves, const LineShape& shape, const TellUpdate& tell,
                 ListChanges& changes) {
    bool all = true;
    for (const FolderAudit::Move& move : moves) {
        const Entry& entry = move.entry;
        const std::string to = ListedName(move.to, shape.algorithm);
        if (!FormatLine(to, shape.algorithm, entry.expected, false, kEscapeNames)) {
            tell("NOT RENAMED", Visible(entry.name) + " -> " + Visible(to) +
                                    "  (no line of this list's form can hold its new name)");
            all = false;
            continue;
        }
        const bool escape = entry.escaped || (kEscapeNames && NeedsEscape(to));
        changes.moved[entry.line] = {entry.escaped ? EscapeName(entry.name) : entry.name,
                                     escape ? EscapeName(to) : to, escape && !entry.escaped};
    }
    return all;
}

bool AddNewFiles(std::vector<std::string> names, const std::string& folder, const LineShape& shape,
                 Workers& workers, const TellUpdate& tell, ListChanges& changes, std::string& why) {
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        InputFile file;
        bool missing = false;
        HashContext context;
        context.workers = &workers;
        std::vector<Digest> digest;
        if (!file.Open(JoinPath(folder, name), missing, why, true) ||
            !DigestsOfFile(file, {shape.algorithm}, shape.size, context, digest, why)) {
            why = "\"" + Visible(name) + "\", a new file, could not be read: " + why;
            return false;
        }
        const auto line = FormatLine(ListedName(name, shape.algorithm), shape.algorithm, digest[0], shape.bsd,
                                     kEscapeNames);
        if (line) changes.added.push_back(*line);
        if (!line) tell("NOT ADDED", Visible(name) + "  (no line of this list's form can hold its name)");
    }
    return true;
}

std::string RewriteList(const std::string& bytes, const ListChanges& changes) {
    const Encoding encoding = EncodingOf(bytes);
    const std::string text = encoding == Encoding::Utf8 ? bytes : std::string();
    // CR LF where the first line ends so: the CR is the byte before the LF,
    // or the unit before it in UTF-16.
    const std::size_t newline = bytes.find('\n'), before = encoding == Encoding::Utf8 ? 1 : 2;
    const bool crlf = newline != std::string::npos && newline >= before && bytes[newline - before] == '\r';
    const std::string end = crlf ? "\r\n" : "\n";
    ListReader reader(BytesSource(bytes));
    std::string lines;
    ListLine line;
    while (reader.Next(line)) {
        if (changes.dropped.count(line.number)) continue;
        std::string kept = line.raw.empty() ? line.text : line.raw;
        const auto moved = changes.moved.find(line.number);
        if (moved != changes.moved.end()) kept = Renamed(kept, moved->second);
        lines += kept + end;
    }
    for (const std::string& added : changes.added) lines += added + end;
    // A last line without its line end keeps it so where nothing follows.
    const bool open = !bytes.empty() && bytes.back() != '\n' &&
                      (encoding == Encoding::Utf8 || bytes.size() < 2 || bytes[bytes.size() - 2] != '\n');
    if (open && changes.added.empty() && lines.size() >= end.size()) lines.resize(lines.size() - end.size());
    const std::string mark = encoding == Encoding::Utf16Le         ? std::string(kUtf16LeMark)
                             : encoding == Encoding::Utf16Be       ? std::string(kUtf16BeMark)
                             : bytes.compare(0, 3, kUtf8Mark) == 0 ? std::string(kUtf8Mark)
                                                                   : std::string();
    return mark + Encoded(lines, encoding);
}

bool WriteUpdate(const std::string& listPath, const std::string& text, bool isSigned, std::string& written,
                 std::string& why) {
    const std::string temporary = listPath + kUpdating;
    bool done = false;
    {
        OutputFile file;  // closed before it is moved
        done = file.Create(temporary, why);
        if (done && !file.Write(text)) {
            why = file.failure();
            done = false;
        }
    }
    written = isSigned ? listPath + kNewList : listPath;
    if (done)
        done = isSigned ? MoveInPlace(temporary, written, why)
                        : ReplaceWithBackup(temporary, listPath, listPath + kKeptList, why);
    if (!done) RemoveFile(temporary);
    return done;
}

}  // namespace fsum
