// Halves of BLAKE3 subtrees shared between threads: BLAKE3's C code hands
// each pair of subtrees it splits off to one function (blake3_join.cpp),
// which gives one half to a thread that serves this pool and hashes the
// other. Built into the BLAKE3 library itself, since its code calls it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

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
    // No more joins will come: every thread serving until then returns,
    // whether it is running a half, looking for one or asleep.
    void ServeUntilClosed();
    void Close();
    // How many threads sleep in the pool now: a state a test can wait for.
    unsigned Sleeping();

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
    void Wait(std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Half*> posted_;
    bool closed_ = false;
    unsigned sleeping_ = 0;
    std::atomic<unsigned> version_{0};  // changes to the above, and Wakes
};

}  // namespace fsum
