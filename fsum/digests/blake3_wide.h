// One large BLAKE3 file hashed on every core. BLAKE3 is a tree: its C code
// hands each pair of subtrees it splits off to one function, which the tool
// defines over its own threads (blake3_wide.cpp). The file is read in big
// pieces by a helper, which hashes the halves of subtrees that this thread
// hands it whenever it has nothing to read.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "digest.h"
#include "hashing.h"

namespace fsum {

// Halves of subtrees, handed from a thread that hashes to one that would
// otherwise wait.
class SubtreePool {
public:
    // Runs both; `left` on a serving thread if one takes it before `right`
    // is done here, else here too.
    void Join(const std::function<void()>& left, const std::function<void()>& right);
    // Runs the halves Join hands over until `done` holds; `done` is asked
    // under the pool's lock, again after each Wake.
    void ServeUntil(const std::function<bool()>& done);
    void Wake();

    // The pool the joins of this thread's BLAKE3 hashing use (none: both
    // halves here), for as long as the object lives.
    class Use {
    public:
        explicit Use(SubtreePool* pool);
        ~Use();
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;

    private:
        SubtreePool* before_;
    };
    static SubtreePool* Current();

private:
    struct Half {
        const std::function<void()>* work;
        enum State { Posted, Taken, Done } state;
    };
    bool RunOne(std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Half*> posted_;
};

// Whether the BLAKE3 code built in has the hook (1.5 and later; not 1.3).
bool Blake3Wide();

// The file's BLAKE3 digest with the context's two threads (at least two):
// this one hashes each piece as the helper reads the next, and both hash.
bool Blake3OfFile(const ByteSource& file, HashContext& context, Digest& digest, std::string& error);

}  // namespace fsum
