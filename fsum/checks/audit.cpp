#include "audit.h"

#include <algorithm>
#include <map>

#include "cli/find_files.h"
#include "cli/report.h"
#include "digests/hashing.h"
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
    for (const char* extension : {".bak", ".new", ".fsum-update"})
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

// The file's digests in the algorithms of the entries still unpaired, read
// once; the first such entry, in list order, whose digest it has. An
// empty file pairs with none: every empty file has the same digest.
FolderAudit::Waiting* FolderAudit::PairOf(const std::string& path, Workers& workers) {
    InputFile file;
    bool missing = false;
    std::string error;
    if (!file.Open(path, missing, error, true) || file.Size() == 0) return nullptr;
    std::vector<Algorithm> others;  // all but CRC-32, which has a read of its own
    bool crc = false;
    for (const Waiting& waiting : missing_) {
        for (Algorithm a : waiting.paired ? std::vector<Algorithm>{} : waiting.entry.Algorithms()) {
            if (a == Algorithm::Crc32) crc = true;
            if (a != Algorithm::Crc32 && std::find(others.begin(), others.end(), a) == others.end())
                others.push_back(a);
        }
    }
    HashContext context;
    context.workers = &workers;
    std::vector<Digest> digests;
    std::map<Algorithm, Digest> made;
    if (!others.empty() && !DigestsOfFile(file, others, 0, context, digests, error)) return nullptr;
    for (std::size_t i = 0; i < others.size(); ++i) made[others[i]] = digests[i];
    if (crc && !DigestOfFile(file, Algorithm::Crc32, context, made[Algorithm::Crc32], error)) return nullptr;
    for (Waiting& waiting : missing_) {
        for (Algorithm a : waiting.paired ? std::vector<Algorithm>{} : waiting.entry.Algorithms()) {
            if (made[a] == waiting.entry.expected) return &waiting;
        }
    }
    return nullptr;
}

}  // namespace fsum
