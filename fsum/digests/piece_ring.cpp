#include "piece_ring.h"

namespace fsum {
namespace {

constexpr std::size_t kPage = 4096;

}  // namespace

Piece::Piece(std::size_t size) : size(size), storage_(new unsigned char[size + kPage]) {
    void* start = storage_.get();
    std::size_t room = size + kPage;
    bytes = static_cast<unsigned char*>(std::align(kPage, size, start, room));
}

PieceRing::PieceRing(std::size_t slots, std::size_t pieceSize) : full_(slots, false) {
    for (std::size_t i = 0; i < slots; ++i) slots_.push_back(std::make_unique<PieceSlot>(pieceSize));
}

PieceSlot* PieceRing::ToFill() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return closed_ || !full_[fill_]; });
    if (closed_) return nullptr;
    PieceSlot* slot = slots_[fill_].get();
    slot->filled = 0, slot->last = slot->failed = false, slot->reason.clear();
    return slot;
}

PieceSlot* PieceRing::TryToFill() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_ || full_[fill_]) return nullptr;
    PieceSlot* slot = slots_[fill_].get();
    slot->filled = 0, slot->last = slot->failed = false, slot->reason.clear();
    return slot;
}

bool PieceRing::CanFill() {
    std::lock_guard<std::mutex> lock(mutex_);
    return !closed_ && !full_[fill_];
}

void PieceRing::Filled() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        full_[fill_] = true;
        fill_ = (fill_ + 1) % slots_.size();
    }
    changed_.notify_all();
}

PieceSlot& PieceRing::ToEmpty() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return full_[empty_]; });
    return *slots_[empty_];
}

void PieceRing::Emptied() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        full_[empty_] = false;
        empty_ = (empty_ + 1) % slots_.size();
    }
    changed_.notify_all();
}

void PieceRing::Close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    changed_.notify_all();
}

}  // namespace fsum
