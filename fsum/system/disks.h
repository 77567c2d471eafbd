// Which disk a file lies on and whether that disk seeks: a spinning disk
// reads fastest with one reader going through it in order, every other
// kind with several readers at once.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace fsum {

struct Disk {
    std::string name;    // the whole disk (or disks) under the volume; empty when not known
    bool seeks = false;  // a read that jumps costs a seek: one reader is fastest
};

// The two questions the system answers: which volume holds a folder, and
// which disk is under a volume. An empty volume is an unknown one.
class DiskQueries {
public:
    virtual ~DiskQueries() = default;
    virtual std::string VolumeOf(const std::string& folder) = 0;
    virtual Disk DiskOf(const std::string& volume) = 0;
};

// The disk of each file, asked of the system once per volume (and once per
// run of files in one folder), remembered for the run. For the thread that
// plans the reading only.
class DiskFinder {
public:
    explicit DiskFinder(DiskQueries& queries) : queries_(queries) {}
    const Disk& Of(const std::string& path);

private:
    DiskQueries& queries_;
    std::string folder_, volume_;  // the last folder asked about
    bool asked_ = false;
    std::map<std::string, Disk> disks_;
};

// The finder of this run, asking the running system.
DiskFinder& SystemDisks();

// What Windows says of a volume, and the disk the tool makes of it: a
// network volume does not seek, nor one whose disks are not known; one with
// an extent on a disk that incurs a seek penalty does (for a volume spanning
// several disks, the slowest sets the pace).
struct VolumeFacts {
    enum Penalty { NoPenalty, SeekPenalty, PenaltyUnknown };
    bool remote = false;
    std::vector<std::uint32_t> disks;  // the disk number of each extent
    std::vector<Penalty> penalties;    // and what each disk says
};
Disk DiskOfVolume(const VolumeFacts& facts);

#ifndef _WIN32
// The disk under a block device, from the sysfs tree at `root` (/sys): the
// whole disk of a partition, every disk under a device-mapper or RAID
// device. A virtual disk's flag is the kernel's default, not the host's
// answer: it counts as not known.
Disk SysfsDisk(const std::string& root, const std::string& device);  // device "major:minor"
// The name sysfs gives a device number under /sys/dev/block: "major:minor".
std::string SysfsDevice(std::uint64_t device);
#endif

}  // namespace fsum
