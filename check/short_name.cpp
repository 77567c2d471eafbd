#include "check/short_name.h"

namespace corvane {

std::string GetShortFileName(Platform& sys, const std::string& LongFileName) {
    return sys.ShortPath(LongFileName).value_or("");
}

}  // namespace corvane
