#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "disks.h"

namespace fsum {
namespace {

namespace fs = std::filesystem;

// Devices stacked deeper than this are not followed (sysfs has no circles,
// a damaged tree might).
constexpr int kDeepest = 8;

std::string FirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// Drivers of disks a hypervisor hands on, which cannot know what is under
// them: the kernel marks such a disk rotational by default.
bool HandedOn(const fs::path& disk) {
    std::error_code error;
    const std::string driver = fs::read_symlink(disk / "device" / "driver", error).filename().string();
    return !error && (driver == "virtio_blk" || driver == "vbd");
}

Disk DiskAt(const fs::path& device, int depth) {
    std::error_code error;
    fs::path disk = fs::canonical(device, error);
    if (error || depth > kDeepest) return {};
    if (fs::exists(disk / "partition", error)) disk = disk.parent_path();
    std::vector<std::string> names;
    bool seeks = false;
    for (const auto& under : fs::directory_iterator(disk / "slaves", error)) {
        const Disk part = DiskAt(under.path(), depth + 1);
        names.push_back(part.name);
        seeks = seeks || part.seeks;
    }
    if (names.empty()) {
        return {disk.filename().string(), !HandedOn(disk) && FirstLine(disk / "queue" / "rotational") == "1"};
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    Disk joined{names.front(), seeks};
    for (std::size_t i = 1; i < names.size(); ++i) joined.name += "+" + names[i];
    return joined;
}

// A volume is the device number of the file system holding the folder.
class PosixDiskQueries : public DiskQueries {
public:
    std::string VolumeOf(const std::string& folder) override {
        struct stat info {};
        if (stat(folder.c_str(), &info) != 0) return "";
        return SysfsDevice(info.st_dev);
    }
    Disk DiskOf(const std::string& volume) override { return SysfsDisk("/sys", volume); }
};

}  // namespace

std::string SysfsDevice(std::uint64_t device) {
    const auto number = static_cast<dev_t>(device);
    return std::to_string(major(number)) + ":" + std::to_string(minor(number));
}

Disk SysfsDisk(const std::string& root, const std::string& device) {
    return DiskAt(fs::path(root) / "dev" / "block" / device, 0);
}

DiskFinder& SystemDisks() {
    static PosixDiskQueries queries;
    static DiskFinder finder(queries);
    return finder;
}

}  // namespace fsum
