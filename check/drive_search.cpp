#include "check/drive_search.h"

namespace corvane {

std::string NextAvailableDrive(Platform& sys) {
    // A to D are left alone: floppies, the system drive and the usual optical drive.
    for (char letter = 'E'; letter <= 'Z'; ++letter) {
        if (!sys.DriveInUse(letter)) return std::string{letter, ':'};
    }
    return {};
}

}  // namespace corvane
