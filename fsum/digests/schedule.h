// Who reads which files of a batch: each disk that seeks gets one reader,
// going through its files in the batch's order; the files on every other
// disk are read side by side as before.
#pragma once

#include <cstddef>
#include <vector>

#include "system/disks.h"

namespace fsum {

struct Schedule {
    // One lane per seeking disk, in the order the disks first appear; each
    // the indices of its files in order.
    std::vector<std::vector<std::size_t>> lanes;
    std::vector<std::size_t> rest;  // read side by side
};

// The plan for files on these disks (one per file). `everyDiskSeeks` (-t1)
// gives every disk, known or not, a single reader.
Schedule ScheduleReads(const std::vector<Disk>& disks, bool everyDiskSeeks);

}  // namespace fsum
