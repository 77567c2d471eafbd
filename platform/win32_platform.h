#pragma once

#include <string>

#include "platform/platform.h"

namespace corvane {

// The platform seam over the Windows API.
class Win32Platform : public Platform {
public:
    unsigned DriveType(const std::string& root) override;
    unsigned ShortPathName(const std::string& longPath, std::string& shortPath, unsigned bufferSize) override;
    std::string ProgramFolder() override;
    std::string CurrentFolder() override;
    bool ConsoleCanRead(const std::string& text) override;
    bool WriteScript(const std::string& path, const std::vector<std::string>& lines,
                     std::string& error) override;
    bool StartConsoleProcess(const std::string& commandLine, std::string& error) override;
    std::optional<std::uint64_t> FileLength(const std::string& path) override;
    void RemoveFile(const std::string& path) override;
};

}  // namespace corvane
