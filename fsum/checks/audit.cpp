#include "audit.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "cli/find_files.h"
#include "cli/report.h"
#include "digests/hashing.h"
#include "list_update.h"
#include "signatures/signed_list.h"
#include "system/names.h"
#include "system/paths.h"

namespace fsum {

std::string AuditKey(const std::string& name) {
    std::vector<std::string> parts;
    for (std::size_t at = 0; at <= name.size();) {
        const std::size_t end = std::min(name.find_first_of("\\/", at), name.size());
        const std::string part = name.substr(at, end - at);
        at = end + 1;
        if (part == ".." && !parts.empty() && parts.back() != "..") {
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
    }
    std::string key;
    for (const std::string& part : parts) key += (key.empty() ? "" : "/") + part;
    return FoldCase(key);
}

FolderAudit::FolderAudit(const std::string& listPath, const std::vector<std::string>& excludes)
    : folder_(FolderOf(listPath)), listName_(NameOf(listPath)) {
    for (const std::string& mask : excludes) excludes_.push_back(FoldCase(mask));
    // The list and its signature files are the list's, not files it covers.
    listed_.insert(AuditKey(listName_));
    for (const char* extension : kSignatureFiles) listed_.insert(AuditKey(listName_ + extension));
    // And what -u writes beside it: the old list, a signed list's update.
    for (const char* extension : {kKeptList, kNewList, kUpdating})
        listed_.insert(AuditKey(listName_ + extension));
}

void FolderAudit::Listed(const std::string& name) { listed_.insert(AuditKey(name)); }

void FolderAudit::Missing(const Entry& entry) {
    missing_.push_back({entry, false});
    ++unpaired_;
}

// Whether -x leaves the file out: a mask fits its name, or its whole path
// from the list's folder where the mask has folders in it.
bool FolderAudit::Left(const std::string& name) const {
    const std::string folded = FoldCase(name);
    const std::string_view last = LastPart(folded);
    return std::any_of(excludes_.begin(), excludes_.end(), [&](const std::string& mask) {
        return paths::Matches(mask, mask.find_first_of("\\/") == std::string::npos ? last : folded);
    });
}

void FolderAudit::Run(Workers& workers, const Say& say,
                      const std::function<void(const std::string&)>& unreadable) {
    FileFinder::Found found;
    found.leaveHiddenSystem = true;
    found.unreadable = [&](const std::string& text, bool) { unreadable(text); };
    found.file = [&](const std::string& name, const std::string& path) {
        if (listed_.count(AuditKey(name)) || Left(name)) return;
        Waiting* pair = unpaired_ > 0 ? PairOf(path, workers) : nullptr;
        if (!pair) {
            ++added_;
            if (keepNames_) newNames_.push_back(name);
            return say("NEW", Visible(name));
        }
        pair->paired = true;
        --unpaired_;
        ++moved_;
        if (keepNames_) moves_.push_back({pair->entry, name});
        const bool crc = pair->entry.algorithm == Algorithm::Crc32;
        say("MOVED", Visible(pair->entry.name) + " -> " + Visible(name) +
                         (crc ? "  (same CRC-32, which cannot prove it is the same file)" : ""));
    };
    FileFinder(folder_, true, found).Find("*");
    for (const Waiting& waiting : missing_) {
        if (!waiting.paired) say("MISSING", Visible(waiting.entry.name));
    }
}

std::vector<Entry> FolderAudit::stillMissing() const {
    std::vector<Entry> entries;
    for (const Waiting& waiting : missing_) {
        if (!waiting.paired) entries.push_back(waiting.entry);
    }
    return entries;
}

namespace {

// A digest the audit makes: its algorithm, and for BLAKE2b the entry's own
// length (b2sum -l), 0 for the others.
using DigestKind = std::pair<Algorithm, std::size_t>;

DigestKind KindOf(Algorithm algorithm, const Entry& entry) {
    return {algorithm, algorithm == Algorithm::Blake2b ? entry.expected.size : 0};
}

// The file's digest of each kind: CRC-32 in a read of its own, the others
// in one read with one BLAKE2b length, and one read more for each further
// length.
bool MakeDigests(const InputFile& file, const std::set<DigestKind>& kinds, Workers& workers,
                 std::map<DigestKind, Digest>& made) {
    HashContext context;
    context.workers = &workers;
    std::string error;
    std::vector<Algorithm> others;
    std::vector<std::size_t> lengths;
    for (const auto& [algorithm, length] : kinds) {
        if (algorithm == Algorithm::Crc32 &&
            !DigestOfFile(file, algorithm, context, made[{algorithm, 0}], error))
            return false;
        if (algorithm == Algorithm::Blake2b) lengths.push_back(length);
        if (algorithm != Algorithm::Crc32 && algorithm != Algorithm::Blake2b) others.push_back(algorithm);
    }
    while (!others.empty() || !lengths.empty()) {
        const std::size_t length = lengths.empty() ? 0 : lengths.back();
        if (!lengths.empty()) {
            others.push_back(Algorithm::Blake2b);
            lengths.pop_back();
        }
        std::vector<Digest> digests;
        if (!DigestsOfFile(file, others, length, context, digests, error)) return false;
        for (std::size_t i = 0; i < others.size(); ++i)
            made[{others[i], others[i] == Algorithm::Blake2b ? length : 0}] = digests[i];
        others.clear();
    }
    return true;
}

}  // namespace

// The file's digests of the kinds the entries still unpaired await; the
// first such entry, in list order, whose digest it has. An empty file pairs
// with none: every empty file has the same digest.
FolderAudit::Waiting* FolderAudit::PairOf(const std::string& path, Workers& workers) {
    InputFile file;
    bool missing = false;
    std::string error;
    if (!file.Open(path, missing, error, true) || file.Size() == 0) return nullptr;
    std::set<DigestKind> kinds;
    for (const Waiting& waiting : missing_) {
        for (Algorithm a : waiting.paired ? std::vector<Algorithm>{} : waiting.entry.Algorithms())
            kinds.insert(KindOf(a, waiting.entry));
    }
    std::map<DigestKind, Digest> made;
    if (!MakeDigests(file, kinds, workers, made)) return nullptr;
    for (Waiting& waiting : missing_) {
        for (Algorithm a : waiting.paired ? std::vector<Algorithm>{} : waiting.entry.Algorithms()) {
            if (made[KindOf(a, waiting.entry)] == waiting.entry.expected) return &waiting;
        }
    }
    return nullptr;
}

}  // namespace fsum
