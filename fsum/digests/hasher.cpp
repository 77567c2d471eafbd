#include "hasher.h"

namespace fsum {

std::unique_ptr<Hasher> NewHasher(Algorithm algorithm) {
    if (std::unique_ptr<Hasher> hasher = NewLibraryHasher(algorithm)) return hasher;
    return NewSystemHasher(algorithm);
}

}  // namespace fsum
