// Hashing a file's bytes to their digest, on several threads where it helps.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "digest.h"
#include "hash_context.h"
#include "hasher.h"
#include "system/files.h"
#include "workers.h"

namespace fsum {

class PieceRing;

// Bytes are read and hashed a piece at a time, small enough to stay in the
// processor's cache between the copy and the CRC: with whole blocks the CRC
// would fetch every byte from memory a second time.
inline constexpr std::size_t kPiece = 256 * 1024;

// Fills the buffer from offset to its end or the end of the file: the bytes
// read, or -1 with the reason.
long long ReadBlock(const ByteSource& file, std::uint64_t offset, unsigned char* buffer, std::size_t size,
                    std::string& error);

struct PieceSlot;

// Fills the slot from the file at `offset`, which it moves past what was
// read: whether the piece is the file's last (short, or failed with the
// reason in the slot).
bool ReadPiece(const ByteSource& file, PieceSlot& slot, std::uint64_t& offset);

// Reading into a ring while another thread hashes from it (piece_ring.h).
// The reader: the file from its start to its end, each piece marked as the
// `fileIndex`th; a failure, said or thrown, ends it with a failed piece.
// False when the hasher closed the ring first.
bool FillRing(const ByteSource& file, PieceRing& ring, std::size_t fileIndex = 0);
// The hasher: every piece of one file in turn, to its last; whether the
// file was read whole, and if not, why.
bool DrainRing(PieceRing& ring, Hasher& hasher, HashContext& context, std::string& error);

// The digests of one file with several algorithms at once, fed its bytes
// piece by piece (by whichever reader), each algorithm's hasher lent for
// the file. `size` as for DigestsOfFile; throws as NewHasher does when the
// only algorithm cannot be had.
class DigestFeed : public Hasher {
public:
    DigestFeed(const std::vector<Algorithm>& algorithms, std::size_t size);
    void Update(const void* data, std::size_t size) override;
    Digest Finish() override { return {}; }  // FinishAll gives each algorithm's
    // A digest per algorithm (empty for one the system could not make).
    std::vector<Digest> FinishAll();

private:
    std::vector<Algorithm> algorithms_;
    std::size_t size_;
    std::vector<std::unique_ptr<Hasher>> hashers_;
};

// The CRC of the file from its first byte to its end, wherever the end turns
// out to be, split across the context's threads. Memory stays a few blocks a
// thread whatever the file's size.
bool CrcOfFile(const ByteSource& file, HashContext& context, std::uint32_t& crc, std::string& error);

// The file's digest with the algorithm, from its first byte to its end:
// CRC-32 as above; an MD5 or SHA digest, which cannot be split, read by a
// helper while this thread hashes when there is one and the file is large.
bool DigestOfFile(const ByteSource& file, Algorithm algorithm, HashContext& context, Digest& digest,
                  std::string& error);

// The file's digests with each of the algorithms (not CRC-32), the file read
// once: for a list that does not say which of several algorithms its digest
// is of. `size` asks BLAKE2b for a digest of that many bytes (0: its own).
bool DigestsOfFile(const ByteSource& file, const std::vector<Algorithm>& algorithms, std::size_t size,
                   HashContext& context, std::vector<Digest>& digests, std::string& error);

}  // namespace fsum
