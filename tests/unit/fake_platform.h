// A stand-in for Windows in the native tests: drives, short names, files,
// folders and started consoles are plain data the test sets up and inspects.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace corvane {

class FakePlatform : public Platform {
public:
    std::string programFolder = "C:\\Tools";
    std::string currentFolder = "C:\\Users\\me";
    std::set<char> takenDrives;                     // letters with a volume
    std::map<std::string, std::string> shortNames;  // long -> short; absent: none
    std::string unreadableByConsole;                // characters the console code page lacks
    std::vector<std::string> userFolders = {"C:\\Users\\me\\AppData\\Local\\Corvane"};
    std::set<std::string> refusingFolders;  // folders that cannot take a file
    std::set<std::string> runningScripts;   // scripts whose console still holds them
    bool failStart = false;

    struct Started {
        std::string commandLine;
        Environment environment;
    };
    std::map<std::string, std::vector<std::string>> files;
    std::vector<Started> started;

    bool DriveInUse(char letter) override { return takenDrives.count(letter) > 0; }

    std::optional<std::string> ShortPath(const std::string& longPath) override {
        const auto found = shortNames.find(longPath);
        if (found == shortNames.end()) return std::nullopt;
        return found->second;
    }

    std::string ProgramFolder() override { return programFolder; }
    std::string CurrentFolder() override { return currentFolder; }

    bool ConsoleCanRead(const std::string& text) override {
        return text.find_first_of(unreadableByConsole) == std::string::npos;
    }

    ScriptCreation CreateScript(const std::string& path, const std::vector<std::string>& lines,
                                std::string& error) override {
        if (files.count(path)) return ScriptCreation::Taken;
        if (refusingFolders.count(path.substr(0, path.rfind('\\')))) {
            error = "Access is denied.";
            return ScriptCreation::Refused;
        }
        files[path] = lines;
        return ScriptCreation::Created;
    }

    bool StartScript(const std::string& path, const std::string& commandLine, const Environment& environment,
                     std::string& error) override {
        if (failStart) {
            error = "The system cannot find the file specified.";
            files.erase(path);
            return false;
        }
        started.push_back({commandLine, environment});
        runningScripts.insert(path);
        return true;
    }

    std::vector<std::string> UserScriptFolders(bool) override { return userFolders; }

    std::optional<std::uint64_t> FileLength(const std::string& path) override {
        auto found = files.find(path);
        if (found == files.end()) return std::nullopt;
        return found->second.size();
    }

    std::vector<std::string> FilesMatching(const std::string& folder, const std::string& pattern) override {
        const std::string prefix = folder + "\\" + pattern.substr(0, pattern.find('*'));
        const std::string suffix = pattern.substr(pattern.find('*') + 1);
        std::vector<std::string> names;
        for (const auto& [path, lines] : files) {
            if (path.rfind(prefix, 0) == 0 && path.size() >= prefix.size() + suffix.size() &&
                path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0 &&
                path.find('\\', folder.size() + 1) == std::string::npos) {
                names.push_back(path.substr(folder.size() + 1));
            }
        }
        return names;
    }

    bool RemoveScript(const std::string& path) override {
        if (runningScripts.count(path)) return false;
        files.erase(path);
        return true;
    }
};

}  // namespace corvane
