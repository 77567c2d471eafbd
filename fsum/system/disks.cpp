#include "disks.h"

#include <algorithm>

#include "names.h"

namespace fsum {

const Disk& DiskFinder::Of(const std::string& path) {
    std::string folder = FolderOf(path);
    if (folder.empty()) folder = ".";
    if (!asked_ || folder != folder_) {
        volume_ = queries_.VolumeOf(folder);
        folder_ = std::move(folder);
        asked_ = true;
    }
    const auto known = disks_.find(volume_);
    if (known != disks_.end()) return known->second;
    return disks_[volume_] = volume_.empty() ? Disk{} : queries_.DiskOf(volume_);
}

Disk DiskOfVolume(const VolumeFacts& facts) {
    if (facts.remote || facts.disks.empty() || facts.penalties.size() != facts.disks.size()) return {};
    std::vector<std::uint32_t> numbers = facts.disks;
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    Disk disk;
    disk.name = "disk ";
    for (const std::uint32_t number : numbers) {
        disk.name += (number == numbers.front() ? "" : "+") + std::to_string(number);
    }
    disk.seeks = std::count(facts.penalties.begin(), facts.penalties.end(), VolumeFacts::SeekPenalty) > 0;
    return disk;
}

}  // namespace fsum
