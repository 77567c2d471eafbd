// A file to hash and what came of it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "digest.h"
#include "system/files.h"

namespace fsum {

struct FileJob {
    std::string path;
    Algorithm algorithm = Algorithm::Crc32;
    // When the list does not say which of several algorithms it means: all
    // of them, the file read once. And the digest's length in bytes where
    // the algorithm has several (BLAKE2b); 0 for its own.
    std::vector<Algorithm> candidates;
    std::size_t size = 0;
    bool listed = false;  // the name was found by listing its folder

    // The algorithms to hash with: the candidates, or the job's own.
    std::vector<Algorithm> Algorithms() const {
        return candidates.empty() ? std::vector{algorithm} : candidates;
    }
    // Whether the outcome has a digest for each of them (Hashed::digests).
    bool Several() const { return !candidates.empty() || size != 0; }
};

struct Hashed {
    enum Kind { Done, Missing, Unreadable, Skipped } kind = Unreadable;
    Digest digest;                // with the job's algorithm
    std::vector<Digest> digests;  // with each of its candidates, when it has them
    std::string reason;           // why a file is missing or unreadable
};

// Opens the job's file, and sorts what keeps it from being hashed: Done
// when it is open to be read; Missing, Unreadable (a thrown failure too)
// with the reason; Skipped when it is `self`, the file being checked or
// written.
Hashed::Kind OpenJob(const FileJob& job, const FileIdentity& self, InputFile& file, std::string& reason);

}  // namespace fsum
