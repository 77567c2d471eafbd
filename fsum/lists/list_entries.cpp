#include "list_entries.h"

#include <cstddef>
#include <utility>

namespace fsum {

namespace {

// So many "#" lines with no other entry tell on their own, and memory stays
// bounded.
constexpr std::size_t kWaitingLines = 4096;

const ListForm kSfv{true, Algorithm::Crc32};

}  // namespace

LineKind ReadEntry(const ListLine& line, const ListForm& form, Entry& entry) {
    if (line.raw.empty()) return ParseLine(line.text, form, entry);
    Entry ansi;
    const LineKind kind = ParseLine(line.raw, form, entry);
    if (kind == LineKind::Entry && ParseLine(line.text, form, ansi) == LineKind::Entry)
        entry.ansiName = std::move(ansi.name);
    return kind;
}

bool HashNamedLines::Read(const ListLine& line) {
    Entry entry;
    entry.line = line.number;
    if (!line.decodable || line.text.empty() || line.text.front() != '#' ||
        ReadEntry(line, kSfv, entry) != LineKind::Entry)
        return false;
    if (lines_ == Lines::Sfv) take_(std::move(entry));
    if (lines_ != Lines::Unknown) return true;
    waiting_.push_back(std::move(entry));
    if (waiting_.size() == kWaitingLines) TakeWaiting();
    return true;
}

void HashNamedLines::Other(const ListLine& line, const Entry& entry) {
    if (lines_ != Lines::Unknown) return;
    Entry sfv;
    const bool sfvLine = entry.algorithm == Algorithm::Crc32 && entry.candidates.empty() &&
                         ReadEntry(line, kSfv, sfv) == LineKind::Entry;
    if (sfvLine) return TakeWaiting();
    lines_ = Lines::Other;
    waiting_.clear();
}

void HashNamedLines::End() {
    if (lines_ == Lines::Unknown) TakeWaiting();
}

void HashNamedLines::TakeWaiting() {
    lines_ = Lines::Sfv;
    for (Entry& waited : waiting_) take_(std::move(waited));
    waiting_.clear();
}

}  // namespace fsum
