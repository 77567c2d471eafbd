#include "key_commands.h"

#include "system/console.h"
#include "system/files.h"
#include "system/names.h"
#include "system/programs.h"

namespace fsum {

namespace {

int Fail(const Terminal& terminal, const std::string& text) {
    terminal.err("fsum: " + text + "\n");
    return kCannotCheck;
}

bool Show(const Terminal& terminal, const TrustedKeys& keys) {
    std::string text;
    for (const std::string& line : DescribeKeys(keys)) text += VisibleText(line) + "\n";
    return terminal.out(text);
}

// A name in the folder for the file: its own, or with a number before its
// extension when another file has it.
std::string FreeName(const std::string& folder, const std::string& name) {
    const std::size_t dot = name.find_last_of('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string extension = stem.size() == name.size() ? "" : name.substr(dot);
    std::string candidate = name;
    for (int number = 2; KindOf(JoinPath(folder, candidate)) != FolderEntry::Other; ++number)
        candidate = stem + " (" + std::to_string(number) + ")" + extension;
    return JoinPath(folder, candidate);
}

// On a console (the Explorer verb, a user typing), the question before the
// key is trusted: whether its fingerprints match what the owner publishes.
// A script, with no console for input, adds it as asked.
bool Confirmed(const Terminal& terminal) {
    if (!InputIsConsole()) return true;
    terminal.out(
        "Compare each fingerprint above with the one the key's owner publishes on their own site (not the "
        "page or folder the key came from). Trust this key for checking signatures? [y/N] ");
    std::string answer;
    if (!ReadConsoleLine(answer)) answer.clear();
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}

int AddKey(const std::string& file, const Terminal& terminal) {
    std::string bytes, error;
    if (!ReadWholeFile(file, kLargestKeyFile, bytes, error))
        return Fail(terminal, "\"" + file + "\" cannot be read: " + error);
    TrustedKeys keys;
    if (!ReadKeyFile(bytes, keys)) {
        return Fail(terminal,
                    "\"" + file +
                        "\" holds no public key the tool knows (OpenPGP, minisign, signify or SSH), "
                        "so nothing was added");
    }
    if (!keys.usable()) {
        Show(terminal, keys);
        return Fail(terminal,
                    "\"" + file + "\" holds no key the tool can check signatures with, so nothing was added");
    }
    const std::string folder = KeyFolder();
    if (folder.empty())
        return Fail(terminal, "the system names no folder for the user's keys, so nothing was added");
    if (!MakeFolders(folder, error))
        return Fail(terminal, "the key folder \"" + folder + "\" cannot be made: " + error);
    if (!Show(terminal, keys)) return terminal.NotWritten();
    if (!Confirmed(terminal))
        return terminal.out("Nothing was added.\n") ? kSomeFailed : terminal.NotWritten();
    const std::string target = FreeName(folder, NameOf(file));
    OutputFile output;
    if (!output.Create(target, error) || !output.Write(bytes))
        return Fail(terminal,
                    "\"" + target + "\" cannot be written: " + (error.empty() ? output.failure() : error));
    const bool said = terminal.out(
        "Trusted from now on, as \"" + target +
        "\". Compare the fingerprints above with the ones the key's owner publishes; if they differ, delete "
        "that file.\n");
    return said ? kAllVerified : terminal.NotWritten();
}

int ListKeys(const Terminal& terminal) {
    const std::string folder = KeyFolder();
    std::vector<std::string> problems;
    std::vector<std::string> none;
    const TrustedKeys keys = LoadTrustedKeys(folder, {}, problems, none);
    for (const std::string& problem : problems) terminal.err("fsum: " + problem + "\n");
    if (keys.empty())
        return terminal.out("No key is trusted yet (the key folder is \"" + folder + "\").\n")
                   ? 0
                   : terminal.NotWritten();
    if (!terminal.out("The keys in \"" + folder + "\":\n") || !Show(terminal, keys))
        return terminal.NotWritten();
    return kAllVerified;
}

}  // namespace

int RunKeyCommand(const KeyCommand& command, const Terminal& terminal) {
    return command.add ? AddKey(command.file, terminal) : ListKeys(terminal);
}

std::optional<TrustedKeys> KeysForCheck(const Options& options, const Terminal& terminal) {
    std::vector<std::string> folderProblems, fileProblems;
    TrustedKeys keys = LoadTrustedKeys(KeyFolder(), options.keyFiles, folderProblems, fileProblems);
    // A system's message may end in a full stop of its own.
    const auto plain = [](std::string text) {
        if (!text.empty() && text.back() == '.') text.pop_back();
        return text;
    };
    for (const std::string& problem : folderProblems) terminal.err("fsum: " + plain(problem) + ".\n");
    for (const std::string& problem : fileProblems)
        terminal.err("fsum: " + plain(problem) + ", so no file was checked.\n");
    if (!fileProblems.empty()) return std::nullopt;
    return keys;
}

}  // namespace fsum
