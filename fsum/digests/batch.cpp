#include "batch.h"

#include <atomic>
#include <exception>
#include <memory>

#include "lanes.h"
#include "schedule.h"
#include "system/disks.h"
#include "system/files.h"

namespace fsum {
namespace {

// A file that takes longer than this shows a progress line.
constexpr auto kQuietFor = std::chrono::seconds(1);
constexpr auto kProgressEvery = std::chrono::milliseconds(250);

bool Digests(const InputFile& file, const FileJob& job, HashContext& context, Hashed& hashed) {
    if (!job.Several()) return DigestOfFile(file, job.algorithm, context, hashed.digest, hashed.reason);
    const bool read = DigestsOfFile(file, job.Algorithms(), job.size, context, hashed.digests, hashed.reason);
    hashed.digest = hashed.digests.front();
    return read;
}

// Hashes the opened file; a failure, thrown or said, leaves it Unreadable.
void HashInto(const InputFile& file, const FileJob& job, HashContext& context, Hashed& hashed) {
    try {
        hashed.kind = Digests(file, job, context, hashed) ? Hashed::Done : Hashed::Unreadable;
    } catch (const std::exception& e) {
        hashed.kind = Hashed::Unreadable;
        hashed.reason = e.what();
    }
}

}  // namespace

// The outcomes of a batch, told in order as they become known, by the
// observer's thread only: so a lane's large file can show its progress
// once every file before it has been told.
class BatchHasher::Teller {
public:
    Teller(std::size_t size, BatchObserver& observer)
        : outcomes(size), large(size, 0), ready_(new std::atomic<bool>[size]()), observer_(observer) {}

    std::vector<Hashed> outcomes;
    std::vector<char> large;  // hashed last, each on every thread

    void Ready(std::size_t index) { ready_[index].store(true, std::memory_order_release); }
    void TellReady() {
        while (next_ < outcomes.size() && ready_[next_].load(std::memory_order_acquire)) {
            observer_.Told(next_, outcomes[next_]);
            ++next_;
        }
    }
    std::size_t next() const { return next_; }

private:
    std::unique_ptr<std::atomic<bool>[]> ready_;
    BatchObserver& observer_;
    std::size_t next_ = 0;
};

// The file hashed whole on this thread; with `large`, one of more than two
// blocks is left to be hashed on every thread, and says so.
Hashed BatchHasher::Small(const FileJob& job, bool* large) const {
    Hashed hashed;
    InputFile file;
    hashed.kind = OpenJob(job, self_, file, hashed.reason);
    if (hashed.kind != Hashed::Done) return hashed;
    if (large && file.Size() > 2 * kBlock) {
        *large = true;
        return hashed;
    }
    HashContext alone;
    HashInto(file, job, alone, hashed);
    return hashed;
}

void BatchHasher::ShowProgress(std::size_t index, std::uint64_t size, HashContext& context,
                               BatchObserver& observer) {
    const auto start = std::chrono::steady_clock::now();
    context.tick = [&observer, &context, index, size, start, next = start + kQuietFor]() mutable {
        const auto now = std::chrono::steady_clock::now();
        if (now < next) return;
        next = now + kProgressEvery;
        observer.Progress(index, size, context.done, std::chrono::duration<double>(now - start).count());
    };
}

Hashed BatchHasher::Large(std::size_t index, const FileJob& job, BatchObserver& observer) {
    observer.LargeNext(index);
    Hashed hashed;
    InputFile file;
    hashed.kind = OpenJob(job, self_, file, hashed.reason);
    if (hashed.kind != Hashed::Done) return hashed;
    HashContext context;
    context.workers = &workers_;
    ShowProgress(index, file.Size(), context, observer);
    HashInto(file, job, context, hashed);
    return hashed;
}

void BatchHasher::HashSmall(const std::vector<FileJob>& jobs, const std::vector<std::size_t>& which,
                            Teller& teller) {
    if (which.empty()) return;
    std::atomic<std::size_t> next{0};
    workers_.Run(workers_.size(), [&](unsigned) {
        for (std::size_t k = next++; k < which.size(); k = next++) {
            const std::size_t i = which[k];
            bool isLarge = false;
            teller.outcomes[i] = Small(jobs[i], &isLarge);
            teller.large[i] = isLarge;
        }
    });
    for (const std::size_t i : which) {
        if (!teller.large[i]) teller.Ready(i);
    }
}

// Each lane hashed on a thread of its own where there are enough.
void BatchHasher::HashLanes(const std::vector<FileJob>& jobs, std::vector<std::unique_ptr<Lane>>& lanes,
                            Teller& teller, BatchObserver& observer) {
    if (lanes.empty()) return;
    const auto hashers = static_cast<unsigned>(std::min<std::size_t>(workers_.size(), lanes.size()));
    workers_.Run(hashers, [&](unsigned thread) {
        HashContext context;
        const Lane::Starting starting = [&](std::size_t index, std::uint64_t size) {
            context.done = 0;
            context.tick = nullptr;
            if (thread != 0) return;
            teller.TellReady();
            if (teller.next() != index || size <= 2 * kBlock) return;
            observer.LargeNext(index);
            ShowProgress(index, size, context, observer);
        };
        for (std::size_t l = thread; l < lanes.size(); l += hashers) {
            while (!lanes[l]->Finished()) {
                Hashed hashed;
                std::size_t index = 0;
                if (lanes[l]->reading()) {
                    index = lanes[l]->HashNext(hashed, context, starting);
                } else {
                    index = lanes[l]->TakeNext();
                    hashed = Small(jobs[index], nullptr);
                }
                teller.outcomes[index] = std::move(hashed);
                teller.Ready(index);
                if (thread == 0) teller.TellReady();
            }
        }
    });
}

void BatchHasher::Hash(const std::vector<FileJob>& jobs, BatchObserver& observer) {
    std::vector<Disk> disks;
    for (const FileJob& job : jobs) disks.push_back(disks_.Of(job.path));
    const Schedule schedule = ScheduleReads(disks, oneReader_);
    std::vector<std::unique_ptr<Lane>> lanes;
    for (const auto& order : schedule.lanes) {
        lanes.push_back(std::make_unique<Lane>(jobs, order, self_));
        lanes.back()->Start();  // reading while the files on other disks are hashed
    }
    Teller teller(jobs.size(), observer);
    HashSmall(jobs, schedule.rest, teller);
    HashLanes(jobs, lanes, teller, observer);
    for (std::size_t i = teller.next(); i < jobs.size(); ++i) {
        if (teller.large[i]) teller.outcomes[i] = Large(i, jobs[i], observer);
        observer.Told(i, teller.outcomes[i]);
    }
}

}  // namespace fsum
