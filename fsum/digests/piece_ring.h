// Pieces of files that a reader fills while a hasher empties them, in turn:
// neither waits for the other while there is work for both.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace fsum {

// A buffer for one piece, on a page boundary: some processors copy from
// the system's cache into an unaligned buffer at a fifth of the speed. Left
// unfilled when made: many small files must not cost a clearing each.
class Piece {
public:
    explicit Piece(std::size_t size);
    unsigned char* bytes;
    std::size_t size;

private:
    std::unique_ptr<unsigned char[]> storage_;
};

struct PieceSlot {
    explicit PieceSlot(std::size_t size) : piece(size) {}
    Piece piece;
    std::size_t filled = 0;
    bool last = false;    // the last piece of its file
    bool failed = false;  // the file could not be read (or opened): why in reason
    std::string reason;
    std::size_t file = 0;  // which of the reader's files
};

class PieceRing {
public:
    PieceRing(std::size_t slots, std::size_t pieceSize);

    // The reader: the next slot once it is empty, to fill and hand on with
    // Filled; nullptr once the hasher has closed the ring.
    PieceSlot* ToFill();
    // The same without waiting: nullptr while the next slot is full.
    PieceSlot* TryToFill();
    bool CanFill();
    void Filled();
    // The hasher: the next slot once it is full, to hash and give back with
    // Emptied.
    PieceSlot& ToEmpty();
    void Emptied();
    // The hasher stops: the reader is told at its next ToFill.
    void Close();

private:
    std::vector<std::unique_ptr<PieceSlot>> slots_;
    std::vector<bool> full_;
    std::size_t fill_ = 0, empty_ = 0;  // the next slot of each side
    bool closed_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
};

}  // namespace fsum
