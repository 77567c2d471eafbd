#include "subtree_pool.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace fsum {
namespace {

thread_local SubtreePool* current = nullptr;

// How long a thread waiting for a half keeps its core before it sleeps.
constexpr std::chrono::microseconds kWaking{50};

}  // namespace

SubtreePool::Use::Use(SubtreePool* pool) : before_(current) { current = pool; }
SubtreePool::Use::~Use() { current = before_; }
SubtreePool* SubtreePool::Current() { return current; }

void SubtreePool::Join(const std::function<void()>& left, const std::function<void()>& right) {
    Half half{&left, Half::Posted};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        posted_.push_back(&half);
        ++version_;
    }
    changed_.notify_all();
    right();
    std::unique_lock<std::mutex> lock(mutex_);
    if (half.state == Half::Posted) {  // nobody took it: it is hashed here
        posted_.erase(std::find(posted_.begin(), posted_.end(), &half));
        lock.unlock();
        left();
        return;
    }
    // Taken: while it is hashed there, the halves that thread hands over are hashed here.
    while (half.state != Half::Done) {
        if (!RunOne(lock)) Wait(lock);
    }
}

bool SubtreePool::RunOne(std::unique_lock<std::mutex>& lock) {
    if (posted_.empty()) return false;
    Half* half = posted_.back();
    posted_.pop_back();
    half->state = Half::Taken;
    lock.unlock();
    (*half->work)();
    lock.lock();
    half->state = Half::Done;  // its owner may return at once: `half` is not touched again
    ++version_;
    changed_.notify_all();
    return true;
}

// Halves come and go every few microseconds, sooner than a sleeping thread
// wakes (tens of microseconds on a virtual machine): a waiter first yields
// its core for a moment, and only then sleeps. Every change is made under
// the lock and counted in version_.
void SubtreePool::Wait(std::unique_lock<std::mutex>& lock) {
    const unsigned seen = version_;
    lock.unlock();
    const auto until = std::chrono::steady_clock::now() + kWaking;
    while (version_.load(std::memory_order_relaxed) == seen && std::chrono::steady_clock::now() < until)
        std::this_thread::yield();
    lock.lock();
    if (version_ != seen) return;
    ++sleeping_;
    changed_.wait(lock);
    --sleeping_;
}

unsigned SubtreePool::Sleeping() {
    std::lock_guard<std::mutex> lock(mutex_);
    return sleeping_;
}

void SubtreePool::ServeUntil(const std::function<bool()>& done) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!done()) {
        if (!RunOne(lock)) Wait(lock);
    }
}

void SubtreePool::ServeUntilClosed() {
    ServeUntil([this] { return closed_; });
}

void SubtreePool::Close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        ++version_;
    }
    changed_.notify_all();
}

void SubtreePool::Wake() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++version_;
    }
    changed_.notify_all();
}

}  // namespace fsum
