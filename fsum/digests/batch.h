// Hashing the files of a batch. Those on a disk that seeks are read by one
// reader per disk, in order, the disks side by side. The others: small ones
// side by side, each whole on one thread, and each large one after them on
// every thread by itself (opened only then, so no more files are open at
// once than threads). Outcomes are told in the batch's order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "file_job.h"
#include "hashing.h"
#include "system/disks.h"
#include "system/files.h"
#include "workers.h"

namespace fsum {

class Lane;

class BatchObserver {
public:
    virtual ~BatchObserver() = default;
    // The outcome of jobs[index], in order.
    virtual void Told(std::size_t index, const Hashed& hashed) = 0;
    // A batch is about to be hashed.
    virtual void BatchNext() {}
    // jobs[index] is large and is about to be hashed.
    virtual void LargeNext(std::size_t index) = 0;
    // While it is, after a quiet second and then four times a second.
    virtual void Progress(std::size_t index, std::uint64_t size, std::uint64_t done, double seconds) = 0;
};

class BatchHasher {
public:
    // `self` is the file the tool is reading or writing itself: a job that
    // names it is Skipped. `oneReader` (-t1): every disk is read as one
    // that seeks. `disks` says which disk each file lies on.
    BatchHasher(Workers& workers, const FileIdentity& self, bool oneReader, DiskFinder& disks = SystemDisks())
        : workers_(workers), self_(self), oneReader_(oneReader), disks_(disks) {}
    void Hash(const std::vector<FileJob>& jobs, BatchObserver& observer);

private:
    class Teller;
    void HashSmall(const std::vector<FileJob>& jobs, const std::vector<std::size_t>& which, Teller& teller);
    void HashLanes(const std::vector<FileJob>& jobs, std::vector<std::unique_ptr<Lane>>& lanes,
                   Teller& teller, BatchObserver& observer);
    Hashed Small(const FileJob& job, bool* large) const;
    Hashed Large(std::size_t index, const FileJob& job, BatchObserver& observer);
    void ShowProgress(std::size_t index, std::uint64_t size, HashContext& context, BatchObserver& observer);

    Workers& workers_;
    const FileIdentity self_;
    const bool oneReader_;
    DiskFinder& disks_;
};

// Files gathered into batches, each job beside what its caller keeps of it
// (an entry, a name): a full batch is hashed at once, the rest on Flush, and
// the observer hears of each in the order they were added.
template <typename Item>
class Batches {
public:
    // Files looked at together: small files are hashed side by side.
    static constexpr std::size_t kSize = 256;

    // `self` and `oneReader` as for BatchHasher.
    Batches(Workers& workers, const FileIdentity& self, bool oneReader, BatchObserver& observer)
        : hasher_(workers, self, oneReader), observer_(observer) {}

    void Add(Item item, FileJob job) {
        items_.push_back(std::move(item));
        jobs_.push_back(std::move(job));
        if (jobs_.size() == kSize) Flush();
    }

    void Flush() {
        if (jobs_.empty()) return;
        observer_.BatchNext();
        hasher_.Hash(jobs_, observer_);
        items_.clear();
        jobs_.clear();
    }

    // What was added with the current batch's job `index`.
    Item& operator[](std::size_t index) { return items_[index]; }

private:
    BatchHasher hasher_;
    BatchObserver& observer_;
    std::vector<Item> items_;
    std::vector<FileJob> jobs_;
};

}  // namespace fsum
