// Threads started once for a run and handed work again and again, so that a
// list of many small files does not start threads for every batch.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace fsum {

// Starts a thread; the tool uses the system's, tests a refusing one to see
// the tool go on with the threads it has.
using ThreadStarter = std::function<std::thread(std::function<void()>)>;
std::thread SystemThread(std::function<void()> work);

// The processors there are to hash on, counted once.
unsigned CoreCount();

class Workers {
public:
    // This thread and up to `count - 1` helpers, as many as `start` gives.
    Workers(unsigned count, const ThreadStarter& start);
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;
    ~Workers();

    // The threads there are, this one included.
    unsigned size() const { return static_cast<unsigned>(helpers_.size()) + 1; }

    // Calls work(0) on this thread and work(1) ... work(n - 1) on helpers, all
    // at once, n the smaller of `wanted` and size(); returns when every
    // call has returned, or throws what the first call to fail threw. Not to
    // be called from inside work.
    void Run(unsigned wanted, const std::function<void(unsigned)>& work);

private:
    void Serve(unsigned index);
    void Failed(std::exception_ptr failure);

    std::vector<std::thread> helpers_;
    std::mutex mutex_;
    std::condition_variable changed_;
    const std::function<void(unsigned)>* work_ = nullptr;
    unsigned wanted_ = 0;
    unsigned busy_ = 0;
    std::uint64_t round_ = 0;
    bool stopping_ = false;
    std::exception_ptr failure_;
};

}  // namespace fsum
