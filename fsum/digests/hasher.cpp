#include "hasher.h"

#include <stdexcept>

namespace fsum {

std::unique_ptr<Hasher> NewHasher(Algorithm algorithm) {
    if (std::unique_ptr<Hasher> hasher = NewLibraryHasher(algorithm)) return hasher;
    if (std::unique_ptr<Hasher> hasher = NewSystemHasher(algorithm)) return hasher;
    if (std::unique_ptr<Hasher> hasher = NewPortableHasher(algorithm)) return hasher;
    throw std::runtime_error("The system cannot make this digest.");
}

}  // namespace fsum
