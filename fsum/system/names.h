// Names and paths as each system has them: how it compares names, what
// separates folders, a list entry's path, text in the ANSI code page, and
// the local time a list's header gives.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace fsum {

// A name as the system compares names: Windows ignores case, POSIX systems
// do not.
std::string FoldCase(std::string_view name);

// The name in the folder (an absolute name stands as it is).
std::string JoinPath(const std::string& folder, const std::string& name);

// What separates folders in the names of a list the tool makes, and what
// separates them in the masks it is given.
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
inline constexpr char kSeparators[] = "\\/";
#else
inline constexpr char kSeparator = '/';
inline constexpr char kSeparators[] = "/";
#endif

// The path of a list entry: a name relative to the list's folder lies in it;
// an absolute or network path stands as it is; \ and / both separate folders.
// `backslashInName`: the name came through the coreutils escape.
std::string EntryPath(const std::string& listFolder, const std::string& name, bool backslashInName);

// The folder part of the list's path, empty for a bare name.
std::string FolderOf(const std::string& path);
// The last part of the path, after its last separator.
std::string NameOf(const std::string& path);

// Text in the ANSI code page (Latin-1 where there is none) as UTF-8, and its name.
std::string AnsiToUtf8(std::string_view bytes);
std::string AnsiName();

// The local time of a moment (each system has its own thread-safe call).
std::tm LocalTime(std::time_t moment);

}  // namespace fsum
