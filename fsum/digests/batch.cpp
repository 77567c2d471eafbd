#include "batch.h"

#include <atomic>
#include <exception>

#include "hashing.h"

namespace fsum {
namespace {

// A file that takes longer than this shows a progress line.
constexpr auto kQuietFor = std::chrono::seconds(1);
constexpr auto kProgressEvery = std::chrono::milliseconds(250);

bool Digests(const InputFile& file, const FileJob& job, HashContext& context, Hashed& hashed) {
    if (job.candidates.empty() && job.size == 0)
        return DigestOfFile(file, job.algorithm, context, hashed.digest, hashed.reason);
    const bool read =
        DigestsOfFile(file, job.candidates.empty() ? std::vector<Algorithm>{job.algorithm} : job.candidates,
                      job.size, context, hashed.digests, hashed.reason);
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

bool BatchHasher::Open(const FileJob& job, InputFile& file, Hashed& hashed) const {
    bool missing = false;
    if (file.Open(job.path, missing, hashed.reason, job.listed)) return true;
    hashed.kind = missing ? Hashed::Missing : Hashed::Unreadable;
    return false;
}

Hashed BatchHasher::Small(const FileJob& job, bool& large) const {
    Hashed hashed;
    try {
        InputFile file;
        if (!Open(job, file, hashed)) return hashed;
        if (file.identity() == self_) {
            hashed.kind = Hashed::Skipped;
        } else if (file.Size() > 2 * kBlock) {
            large = true;
        } else {
            HashContext alone;
            HashInto(file, job, alone, hashed);
        }
    } catch (const std::exception& e) {
        hashed.kind = Hashed::Unreadable;
        hashed.reason = e.what();
    }
    return hashed;
}

Hashed BatchHasher::Large(std::size_t index, const FileJob& job, BatchObserver& observer) {
    observer.LargeNext(index);
    Hashed hashed;
    InputFile file;
    if (!Open(job, file, hashed)) return hashed;
    const auto start = std::chrono::steady_clock::now();
    auto next = start + kQuietFor;
    HashContext context;
    context.workers = &workers_;
    context.tick = [&] {
        const auto now = std::chrono::steady_clock::now();
        if (now < next) return;
        next = now + kProgressEvery;
        observer.Progress(index, file.Size(), context.done,
                          std::chrono::duration<double>(now - start).count());
    };
    HashInto(file, job, context, hashed);
    return hashed;
}

void BatchHasher::Hash(const std::vector<FileJob>& jobs, BatchObserver& observer) {
    std::vector<Hashed> outcomes(jobs.size());
    std::vector<char> large(jobs.size(), 0);
    std::atomic<std::size_t> next{0};
    workers_.Run(workers_.size(), [&](unsigned) {
        for (std::size_t i = next++; i < jobs.size(); i = next++) {
            bool isLarge = false;
            outcomes[i] = Small(jobs[i], isLarge);
            large[i] = isLarge;
        }
    });
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (large[i]) outcomes[i] = Large(i, jobs[i], observer);
        observer.Told(i, outcomes[i]);
    }
}

}  // namespace fsum
