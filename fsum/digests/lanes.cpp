#include "lanes.h"
#include "system/files.h"

#include <exception>
#include <memory>
#include <system_error>

namespace fsum {
namespace {

// Long sequential reads, and enough of them ahead that the disk goes on
// while the hasher finishes a file and starts the next.
constexpr std::size_t kLanePiece = std::size_t{1} << 20;
constexpr std::size_t kLanePieces = 8;

}  // namespace

Lane::Lane(const std::vector<FileJob>& jobs, const std::vector<std::size_t>& order, const FileIdentity& self)
    : jobs_(jobs), order_(order), self_(self), opened_(order.size()), ring_(kLanePieces, kLanePiece) {}

Lane::~Lane() {
    ring_.Close();
    if (reader_.joinable()) reader_.join();
}

bool Lane::Start() {
    try {
        reader_ = std::thread([this] { Read(); });
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

// The reader's side, until every file is read or the lane is closed.
void Lane::Read() {
    for (std::size_t position = 0; position < order_.size(); ++position) {
        if (!ReadFile(position)) return;
    }
}

// A file that cannot be opened, or is the tool's own, is one empty piece.
bool Lane::ReadFile(std::size_t position) {
    const FileJob& job = jobs_[order_[position]];
    Opened& opened = opened_[position];
    InputFile file;
    std::string reason;
    opened.kind = OpenJob(job, self_, file, reason);
    opened.size = file.Size();
    if (opened.kind == Hashed::Done) return FillRing(file, ring_, position);
    PieceSlot* slot = ring_.ToFill();
    if (!slot) return false;
    slot->file = position;
    slot->reason = reason;
    slot->last = true;
    ring_.Filled();
    return true;
}

std::size_t Lane::HashNext(Hashed& hashed, HashContext& context, const Starting& starting) {
    PieceSlot& slot = ring_.ToEmpty();
    const std::size_t position = slot.file;
    const std::size_t index = order_[position];
    ++next_;
    hashed.kind = opened_[position].kind;
    if (hashed.kind != Hashed::Done) {
        hashed.reason = slot.reason;
        ring_.Emptied();
        return index;
    }
    starting(index, opened_[position].size);
    Feed(jobs_[index], hashed, context);
    return index;
}

// Every piece of the file into its digests; a failure to read, or of the
// system's hasher, leaves it Unreadable, its pieces taken all the same.
void Lane::Feed(const FileJob& job, Hashed& hashed, HashContext& context) {
    std::unique_ptr<DigestFeed> feed;
    try {
        feed = std::make_unique<DigestFeed>(job.Algorithms(), job.size);
    } catch (const std::exception& e) {
        hashed.kind = Hashed::Unreadable, hashed.reason = e.what();
    }
    DigestFeed none({}, 0);
    std::string error;
    if (!DrainRing(ring_, feed ? *feed : none, context, error)) {
        hashed.kind = Hashed::Unreadable, hashed.reason = error;
        return;
    }
    if (!feed) return;
    try {
        const std::vector<Digest> digests = feed->FinishAll();
        if (job.Several()) hashed.digests = digests;
        hashed.digest = digests.front();
    } catch (const std::exception& e) {
        hashed.kind = Hashed::Unreadable, hashed.reason = e.what();
    }
}

}  // namespace fsum
