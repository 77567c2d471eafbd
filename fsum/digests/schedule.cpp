#include "schedule.h"

#include <algorithm>
#include <string>

namespace fsum {

Schedule ScheduleReads(const std::vector<Disk>& disks, bool everyDiskSeeks) {
    Schedule schedule;
    std::vector<std::string> names;  // of the lanes' disks
    for (std::size_t i = 0; i < disks.size(); ++i) {
        if (!disks[i].seeks && !everyDiskSeeks) {
            schedule.rest.push_back(i);
            continue;
        }
        const auto lane = std::find(names.begin(), names.end(), disks[i].name) - names.begin();
        if (lane == static_cast<std::ptrdiff_t>(names.size())) {
            names.push_back(disks[i].name);
            schedule.lanes.emplace_back();
        }
        schedule.lanes[static_cast<std::size_t>(lane)].push_back(i);
    }
    return schedule;
}

}  // namespace fsum
