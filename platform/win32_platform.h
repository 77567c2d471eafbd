#pragma once

#include <map>
#include <string>

#include "base/handle.h"

#include "platform/platform.h"

namespace corvane {

// The platform seam over the Windows API.
class Win32Platform : public Platform {
public:
    // `shortNames`: whether to ask the system for 8.3 names at all.
    explicit Win32Platform(bool shortNames) : shortNames_(shortNames) {}

    bool DriveInUse(char letter) override;
    std::optional<std::string> ShortPath(const std::string& longPath) override;
    std::string ProgramFolder() override;
    std::string CurrentFolder() override;
    bool ConsoleCanRead(const std::string& text) override;
    ScriptCreation CreateScript(const std::string& path, const std::vector<std::string>& lines,
                                std::string& error) override;
    bool StartScript(const std::string& path, const std::string& commandLine, const Environment& environment,
                     std::string& error) override;
    std::vector<std::string> UserScriptFolders(bool create) override;
    std::optional<std::uint64_t> FileLength(const std::string& path) override;
    std::vector<std::string> FilesMatching(const std::string& folder, const std::string& pattern) override;
    bool RemoveScript(const std::string& path) override;

private:
    const bool shortNames_;
    // Scripts created and not yet started, each held open until its console
    // takes the hold over.
    std::map<std::string, UniqueHandle> held_;
    // The consoles started, by script: whether each still runs.
    std::map<std::string, UniqueHandle> consoles_;
};

}  // namespace corvane
