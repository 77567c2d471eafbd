// One reader for a disk that seeks: it opens the lane's files in turn and
// reads each from its start to its end in large pieces, on a thread of its
// own, while a hasher takes the pieces as they come. The disk never has two
// places to read at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "file_job.h"
#include "hashing.h"
#include "piece_ring.h"
#include "system/files.h"

namespace fsum {

class Lane {
public:
    // The files jobs[order[0]], jobs[order[1]], ...; a file that is `self`
    // is Skipped.
    Lane(const std::vector<FileJob>& jobs, const std::vector<std::size_t>& order, const FileIdentity& self);

    Lane(const Lane&) = delete;
    Lane& operator=(const Lane&) = delete;
    // Stops the reader, if it is still reading, and waits for it.
    ~Lane();

    // Starts the reader on a thread of its own; false when no thread can
    // be started, and then the hasher reads each file itself (TakeNext).
    bool Start();
    bool reading() const { return reader_.joinable(); }

    // The hasher's side: hashes the next file into `hashed` and says which
    // job it was. `starting` hears of the job and its size before its bytes
    // are hashed.
    using Starting = std::function<void(std::size_t job, std::uint64_t size)>;
    std::size_t HashNext(Hashed& hashed, HashContext& context, const Starting& starting);
    bool Finished() const { return next_ == order_.size(); }
    // Without a reader: the next job, for the hasher to read and hash.
    std::size_t TakeNext() { return order_[next_++]; }

private:
    struct Opened {
        Hashed::Kind kind = Hashed::Unreadable;
        std::uint64_t size = 0;
    };
    void Read();
    bool ReadFile(std::size_t position);
    void Feed(const FileJob& job, Hashed& hashed, HashContext& context);

    const std::vector<FileJob>& jobs_;
    const std::vector<std::size_t> order_;
    const FileIdentity self_;
    // Written by the reader before it hands on a file's first piece.
    std::vector<Opened> opened_;
    std::size_t next_ = 0;  // the hasher's next file
    PieceRing ring_;
    std::thread reader_;
};

}  // namespace fsum
