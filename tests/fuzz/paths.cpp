// The path rules of both systems on any folder and name, split at the first
// NUL: no fault, and a long form is never shorter than the path.
#include <cstddef>
#include <cstdint>
#include <string>

#include "system/paths.h"
#include "two_parts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace fsum::paths;
    const auto [folderPart, namePart] = TwoParts(data, size);
    const std::string folder(folderPart), name(namePart);
    IsWindowsDevice(name, false);
    IsWindowsDevice(name, true);
    if (WindowsLongForm(folder).size() < folder.size()) __builtin_trap();
    WindowsEntryPath(folder, name);
    PosixEntryPath(folder, name, size % 2 == 0);
    WindowsFolderOf(name);
    PosixFolderOf(name);
    return 0;
}
