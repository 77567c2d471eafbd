#include "check/short_name.h"

namespace corvane {

std::string GetShortFileName(Platform& sys, const std::string& LongFileName) {
    unsigned size = 300;
    std::string shortName;
    unsigned n = sys.ShortPathName(LongFileName, shortName, size);
    if (n > size) {
        // The buffer was too small; the system said how much it needs.
        size = n;
        n = sys.ShortPathName(LongFileName, shortName, size);
    }
    if (n == 0 || n > size) return {};
    return shortName;
}

}  // namespace corvane
