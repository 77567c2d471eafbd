// One large BLAKE3 file hashed on every core. BLAKE3 is a tree: its C code
// hands each pair of subtrees it splits off to one function, which the tool
// defines over its own threads (blake3_wide.cpp). The file is read in big
// pieces by a helper, which hashes the halves of subtrees that this thread
// hands it whenever it has nothing to read.
#pragma once

#include <string>

#include "digest.h"
#include "hash_context.h"
#include "system/files.h"

namespace fsum {

// Whether the BLAKE3 code built in has the hook (1.5 and later; not 1.3).
bool Blake3Wide();

// The file's BLAKE3 digest with the context's two threads (at least two):
// this one hashes each piece as the helper reads the next, and both hash.
bool Blake3OfFile(const ByteSource& file, HashContext& context, Digest& digest, std::string& error);

}  // namespace fsum
