// The rules by which the tool turns the names in a list into paths, kept free
// of system calls so that both systems' rules can be tested anywhere. Paths
// are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fsum::paths {

// Windows: a name that opens a device, not a file, in every folder (NUL,
// CON, COM1, COM¹, ..., in any case, and before Windows 11 with any
// extension: `extensionsMakeFiles` there), or a path into the device
// namespace (\\.\).
bool IsWindowsDevice(const std::string& path, bool extensionsMakeFiles);

// Windows: whether a folder that carries a reparse point with this tag is
// walked. Only name surrogates (junctions, symbolic links, mount points) may
// lead round in a circle; other folders with a reparse point, such as
// OneDrive's files on demand (a cloud tag), hold files like any folder.
bool WalkableReparseFolder(std::uint32_t tag);

// Windows: a full path as the file functions take it at any length: behind
// \\?\ (a share behind \\?\UNC\) once it reaches MAX_PATH or `always`
// (where no name is taken for a device), as it is below that or when it
// already has the prefix.
std::string WindowsLongForm(const std::string& fullPath, bool always = false);

// The path of a list entry: a name relative to the list's folder lies in it;
// an absolute or network path stands as it is; \ and / both separate folders.
std::string WindowsEntryPath(const std::string& listFolder, const std::string& name);
// On POSIX systems \ separates folders too, unless `backslashInName` (a name
// from an escaped line, which holds it as a character).
std::string PosixEntryPath(const std::string& listFolder, const std::string& name, bool backslashInName);

// The folder part of the list's path, empty for a bare name.
std::string WindowsFolderOf(const std::string& path);
std::string PosixFolderOf(const std::string& path);

// Whether the name fits the mask, where * stands for any run of characters
// and ? for one (a character, not a byte, of UTF-8 text); as on Windows,
// *.* fits every name, dotted or not. Case is the caller's to fold.
bool Matches(std::string_view mask, std::string_view name);
bool HasWildcards(std::string_view mask);

}  // namespace fsum::paths
