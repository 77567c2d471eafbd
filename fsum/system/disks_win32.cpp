#include <windows.h>
#include <winioctl.h>

#include "base/handle.h"
#include "base/text_encoding.h"
#include "disks.h"

namespace fsum {
namespace {

using corvane::UniqueHandle;

// Room for the extents of any volume but a pathological one.
constexpr DWORD kMostExtents = 64;

// A device opened only to ask it questions, which needs no rights to read.
UniqueHandle AskingHandle(const std::wstring& device) {
    return UniqueHandle(CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
}

// The numbers of the disks the volume's extents lie on; none when unknown.
std::vector<std::uint32_t> DiskNumbers(HANDLE volume) {
    std::vector<LONGLONG> storage((sizeof(VOLUME_DISK_EXTENTS) + kMostExtents * sizeof(DISK_EXTENT)) /
                                  sizeof(LONGLONG));
    auto* extents = reinterpret_cast<VOLUME_DISK_EXTENTS*>(storage.data());
    DWORD got = 0;
    if (!DeviceIoControl(volume, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, storage.data(),
                         static_cast<DWORD>(storage.size() * sizeof(LONGLONG)), &got, nullptr)) {
        return {};
    }
    std::vector<std::uint32_t> disks;
    for (DWORD i = 0; i < extents->NumberOfDiskExtents && i < kMostExtents; ++i) {
        disks.push_back(extents->Extents[i].DiskNumber);
    }
    return disks;
}

VolumeFacts::Penalty PenaltyOf(std::uint32_t disk) {
    const UniqueHandle device = AskingHandle(L"\\\\.\\PhysicalDrive" + std::to_wstring(disk));
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceSeekPenaltyProperty;
    query.QueryType = PropertyStandardQuery;
    DEVICE_SEEK_PENALTY_DESCRIPTOR answer{};
    DWORD got = 0;
    if (!device.valid() ||
        !DeviceIoControl(device.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &answer,
                         sizeof answer, &got, nullptr) ||
        got < sizeof answer) {
        return VolumeFacts::PenaltyUnknown;
    }
    return answer.IncursSeekPenalty ? VolumeFacts::SeekPenalty : VolumeFacts::NoPenalty;
}

// A volume is its \\?\Volume{...}\ name, or where it has none (a network
// share) the root of its path.
class WindowsDiskQueries : public DiskQueries {
public:
    std::string VolumeOf(const std::string& folder) override {
        std::wstring root(32768, L'\0');
        if (!GetVolumePathNameW(corvane::Wide(folder).c_str(), root.data(), static_cast<DWORD>(root.size())))
            return "";
        root.resize(wcslen(root.c_str()));
        wchar_t name[64];
        if (GetVolumeNameForVolumeMountPointW(root.c_str(), name, 64)) return corvane::Utf8(name);
        return corvane::Utf8(root);
    }

    Disk DiskOf(const std::string& volume) override {
        VolumeFacts facts;
        const std::wstring root = corvane::Wide(volume);
        facts.remote = GetDriveTypeW(root.c_str()) == DRIVE_REMOTE;
        // The volume's device is its name without the last backslash.
        if (!facts.remote && root.rfind(L"\\\\?\\Volume", 0) == 0) {
            const UniqueHandle device = AskingHandle(root.substr(0, root.size() - 1));
            if (device.valid()) facts.disks = DiskNumbers(device.get());
            for (const std::uint32_t disk : facts.disks) facts.penalties.push_back(PenaltyOf(disk));
        }
        return DiskOfVolume(facts);
    }
};

}  // namespace

DiskFinder& SystemDisks() {
    static WindowsDiskQueries queries;
    static DiskFinder finder(queries);
    return finder;
}

}  // namespace fsum
