#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "digests/batch.h"
#include "digests/crc.h"
#include "digests/schedule.h"
#include "system/disks.h"
#include "system/files.h"

namespace fsum {
namespace {

TEST(Schedule, EachSeekingDiskHasOneReaderInListOrder) {
    const Disk hdd{"sda", true}, usb{"sdb", true}, ssd{"nvme0n1", false}, network{"", false},
        unknown{"", false};
    using Lanes = std::vector<std::vector<std::size_t>>;
    using Rest = std::vector<std::size_t>;
    const struct {
        const char* what;
        std::vector<Disk> disks;
        bool oneReader;
        Lanes lanes;
        Rest rest;
    } cases[] = {
        {"one seeking disk", {hdd, hdd, hdd}, false, {{0, 1, 2}}, {}},
        {"two, side by side", {hdd, usb, hdd, usb}, false, {{0, 2}, {1, 3}}, {}},
        {"mixed with an SSD", {ssd, hdd, ssd, hdd}, false, {{1, 3}}, {0, 2}},
        {"a network path and an unknown volume", {network, unknown, ssd}, false, {}, {0, 1, 2}},
        {"-t1: every disk one reader", {ssd, hdd, network, ssd}, true, {{0, 3}, {1}, {2}}, {}},
        {"-t1: unknown volumes share one", {unknown, network}, true, {{0, 1}}, {}},
        {"no files", {}, false, {}, {}},
    };
    for (const auto& c : cases) {
        const Schedule schedule = ScheduleReads(c.disks, c.oneReader);
        EXPECT_EQ(schedule.lanes, c.lanes) << c.what;
        EXPECT_EQ(schedule.rest, c.rest) << c.what;
    }
}

TEST(Disks, WindowsAnswersMakeTheDisk) {
    using V = VolumeFacts;
    const struct {
        const char* what;
        VolumeFacts facts;
        std::string name;
        bool seeks;
    } cases[] = {
        {"a hard disk", {false, {1}, {V::SeekPenalty}}, "disk 1", true},
        {"an SSD", {false, {0}, {V::NoPenalty}}, "disk 0", false},
        {"spanned over an SSD and a hard disk",
         {false, {2, 0, 2}, {V::SeekPenalty, V::NoPenalty, V::SeekPenalty}},
         "disk 0+2",
         true},
        {"a disk that does not say", {false, {3}, {V::PenaltyUnknown}}, "disk 3", false},
        {"a network share", {true, {}, {}}, "", false},
        {"extents not known", {false, {}, {}}, "", false},
    };
    for (const auto& c : cases) {
        const Disk disk = DiskOfVolume(c.facts);
        EXPECT_EQ(disk.name, c.name) << c.what;
        EXPECT_EQ(disk.seeks, c.seeks) << c.what;
    }
}

// Answers from a table, counting the questions.
class FakeQueries : public DiskQueries {
public:
    std::string VolumeOf(const std::string& folder) override {
        ++volumeQuestions;
        return volumes[folder];
    }
    Disk DiskOf(const std::string& volume) override {
        ++diskQuestions;
        return disks[volume];
    }
    std::map<std::string, std::string> volumes;
    std::map<std::string, Disk> disks;
    int volumeQuestions = 0, diskQuestions = 0;
};

TEST(Disks, TheSystemIsAskedOncePerVolumeAndFolder) {
    FakeQueries queries;
    queries.volumes = {{"a", "C"}, {"b", "C"}, {".", "C"}, {"e", "E"}, {"net", ""}};
    queries.disks = {{"C", {"disk 0", false}}, {"E", {"disk 1", true}}};
    DiskFinder finder(queries);
    const struct {
        const char* path;
        bool seeks;
    } files[] = {{"a/1", false}, {"a/2", false}, {"e/1", true},   {"b/1", false},
                 {"3", false},   {"e/2", true},  {"net/x", false}};
    for (const auto& f : files) EXPECT_EQ(finder.Of(f.path).seeks, f.seeks) << f.path;
    EXPECT_EQ(queries.volumeQuestions, 6);  // a once for its two files
    EXPECT_EQ(queries.diskQuestions, 2);    // C and E; an unknown volume is not asked about
}

#ifndef _WIN32
// What a batch tells, in order.
class Recorder : public BatchObserver {
public:
    void Told(std::size_t index, const Hashed& hashed) override { told.emplace_back(index, hashed); }
    void LargeNext(std::size_t) override {}
    void Progress(std::size_t, std::uint64_t, std::uint64_t, double) override {}
    std::vector<std::pair<std::size_t, Hashed>> told;
};

// A spinning disk's files read in order by their own reader, beside a large
// file on another disk hashed on every thread: each told once, in order,
// with its digest, the large one's too.
TEST(Disks, ABatchMixingASeekingDiskAndALargeFileElsewhereTellsEveryDigest) {
    const auto folder = std::filesystem::temp_directory_path() / ("batch." + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "hdd");
    std::filesystem::create_directories(folder / "ssd");
    const struct {
        std::string path;
        std::size_t size;
    } files[] = {{(folder / "hdd" / "a").string(), 1000},
                 {(folder / "ssd" / "large").string(), 3 * kBlock + 7},
                 {(folder / "ssd" / "small").string(), 10},
                 {(folder / "hdd" / "b").string(), 2 * kBlock + 1}};
    FakeQueries queries;
    queries.volumes = {{(folder / "hdd").string(), "H"}, {(folder / "ssd").string(), "S"}};
    queries.disks = {{"H", {"disk 1", true}}, {"S", {"disk 2", false}}};
    DiskFinder finder(queries);
    std::vector<FileJob> jobs;
    std::vector<std::uint32_t> crcs;
    for (const auto& f : files) {
        std::string bytes(f.size, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + f.size);
        std::ofstream(f.path, std::ios::binary) << bytes;
        crcs.push_back(Crc32(bytes));
        jobs.push_back(FileJob{f.path, Algorithm::Crc32, {}, 0, false});
    }
    Workers workers(2, SystemThread);
    Recorder recorder;
    BatchHasher(workers, FileIdentity{}, false, finder).Hash(jobs, recorder);
    ASSERT_EQ(recorder.told.size(), jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        EXPECT_EQ(recorder.told[i].first, i);
        EXPECT_EQ(recorder.told[i].second.kind, Hashed::Done) << files[i].path;
        EXPECT_EQ(recorder.told[i].second.digest, CrcDigest(crcs[i])) << files[i].path;
    }
    std::filesystem::remove_all(folder);
}

// A sysfs tree in a temporary folder: the links and files the kernel makes.
class SysfsTree {
public:
    SysfsTree() : root_(std::filesystem::temp_directory_path() / ("sysfs." + std::to_string(::getpid()))) {
        std::filesystem::remove_all(root_);
    }
    ~SysfsTree() { std::filesystem::remove_all(root_); }
    std::string root() const { return root_.string(); }

    void AddDisk(const std::string& device, const std::string& name, const char* rotational,
                 const std::string& driver = "") {
        const auto disk = root_ / "devices" / "bus" / name;
        Write(disk / "queue" / "rotational", rotational);
        if (!driver.empty()) {
            std::filesystem::create_directories(root_ / "drivers" / driver);
            std::filesystem::create_directories(disk / "device");
            std::filesystem::create_directory_symlink(root_ / "drivers" / driver, disk / "device" / "driver");
        }
        Link(device, disk);
    }
    void AddPartition(const std::string& device, const std::string& disk, const std::string& name) {
        const auto partition = root_ / "devices" / "bus" / disk / name;
        Write(partition / "partition", "1");
        Link(device, partition);
    }
    void AddStacked(const std::string& device, const std::string& name,
                    const std::vector<std::string>& under) {
        const auto stacked = root_ / "devices" / "virtual" / name;
        std::filesystem::create_directories(stacked / "slaves");
        for (const std::string& path : under) {
            const auto target = root_ / "devices" / "bus" / path;
            std::filesystem::create_directory_symlink(target, stacked / "slaves" / target.filename());
        }
        Link(device, stacked);
    }

private:
    static void Write(const std::filesystem::path& file, const char* text) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << text << "\n";
    }
    void Link(const std::string& device, const std::filesystem::path& to) {
        std::filesystem::create_directories(root_ / "dev" / "block");
        std::filesystem::create_directory_symlink(to, root_ / "dev" / "block" / device);
    }
    std::filesystem::path root_;
};

TEST(Disks, SysfsGivesTheWholeDiskUnderAVolume) {
    SysfsTree sys;
    sys.AddDisk("8:0", "sda", "1");
    sys.AddPartition("8:1", "sda", "sda1");
    sys.AddPartition("8:2", "sda", "sda2");
    sys.AddDisk("259:0", "nvme0n1", "0");
    sys.AddPartition("259:1", "nvme0n1", "nvme0n1p1");
    sys.AddDisk("254:0", "vda", "1", "virtio_blk");
    sys.AddStacked("253:0", "dm-0", {"sda/sda2"});
    sys.AddStacked("253:1", "dm-1", {"nvme0n1/nvme0n1p1", "sda/sda1"});
    const struct {
        const char* device;
        std::string name;
        bool seeks;
    } cases[] = {
        {"8:1", "sda", true},            // a partition of a hard disk
        {"8:0", "sda", true},            // the whole disk
        {"259:1", "nvme0n1", false},     // of an SSD
        {"254:0", "vda", false},         // a virtual disk's flag is the kernel's default
        {"253:0", "sda", true},          // device-mapper over a partition: the same disk
        {"253:1", "nvme0n1+sda", true},  // over two disks: the slower sets the pace
        {"0:45", "", false},             // FUSE, tmpfs, btrfs: no block device
    };
    EXPECT_EQ(SysfsDevice(makedev(8, 17)), "8:17");  // a partition of sdb: major first
    EXPECT_EQ(SysfsDevice(makedev(259, 3)), "259:3");
    for (const auto& c : cases) {
        const Disk disk = SysfsDisk(sys.root(), c.device);
        EXPECT_EQ(disk.name, c.name) << c.device;
        EXPECT_EQ(disk.seeks, c.seeks) << c.device;
    }
}
#endif

}  // namespace
}  // namespace fsum
