#include "workers.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <utility>

namespace fsum {

std::thread SystemThread(std::function<void()> work) { return std::thread(std::move(work)); }

unsigned CoreCount() {
    static const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return cores;
}

Workers::Workers(unsigned count, const ThreadStarter& start) {
    for (unsigned i = 1; i < count; ++i) {
        try {
            helpers_.push_back(start([this, i] { Serve(i); }));
        } catch (const std::system_error&) {
            break;  // the threads there are share the work
        }
    }
}

Workers::~Workers() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& helper : helpers_) helper.join();
}

void Workers::Run(unsigned wanted, const std::function<void(unsigned)>& work) {
    const unsigned n = std::max(1u, std::min(wanted, size()));
    {
        std::lock_guard<std::mutex> lock(mutex_);
        work_ = &work;
        wanted_ = n;
        busy_ = n - 1;
        ++round_;
    }
    changed_.notify_all();
    try {
        work(0);
    } catch (...) {
        Failed(std::current_exception());
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return busy_ == 0; });
    work_ = nullptr;
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void Workers::Failed(std::exception_ptr failure) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!failure_) failure_ = failure;
}

void Workers::Serve(unsigned index) {
    std::uint64_t seen = 0;
    for (;;) {
        const std::function<void(unsigned)>* work = nullptr;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [&] { return stopping_ || round_ != seen; });
            if (stopping_) return;
            seen = round_;
            if (index >= wanted_) continue;  // this round needs fewer threads
            work = work_;
        }
        try {
            (*work)(index);
        } catch (...) {
            Failed(std::current_exception());
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            --busy_;
        }
        changed_.notify_all();
    }
}

}  // namespace fsum
