#include "options.h"

#include <algorithm>

namespace fsum {

const char kUsage[] =
    "Usage: fsum -c [-jf] [-i] [-w] [-s] [-k<file>] [-a [-x<mask>]] \"list\"\n"
    "  -c   check the files named in the list against their checksums: an .sfv list\n"
    "       (CRC-32), or GNU or BSD lines of MD5, SHA-1, SHA-2, SHA-3, BLAKE2b, BLAKE3,\n"
    "       XXH32, XXH64, XXH3 or XXH128\n"
    "  -jf  show only the files that failed\n"
    "  -i   leave out the files the list names that are not here, counting them (one\n"
    "       download against a publisher's whole list); at least one must verify\n"
    "  -w   warn about improperly formatted checksum lines\n"
    "  -s   check no file unless the list has a good signature by a trusted key\n"
    "  -k   trust the keys in the file for this check too (-k may be given again)\n"
    "  -a   audit: also walk the list's folder and its subfolders, and report each\n"
    "       file the list does not name as NEW, or as MOVED where a missing entry's\n"
    "       content is found under it (-x<mask> leaves files out; may be given again)\n"
    "  A list's signatures (the list clearsigned or signify's, or a .sig, .asc,\n"
    "  .gpg, .sign or .minisig file beside it) are checked before any file, against\n"
    "  the keys the user trusts\n"
    "   or: fsum -u [-m] [-x<mask>] \"list\"\n"
    "  brings the list up to date after its audit: new files added in its own form,\n"
    "  moved ones renamed, missing ones dropped with -m; damage is never blessed, and\n"
    "  the old list is kept as list.bak (a signed list's update goes to list.new)\n"
    "   or: fsum -c [-jf] [-i] [-w] [-s] [-k<file>] -r [-d<folder>] mask...\n"
    "  checks every list the masks name in the folder and all its subfolders, then\n"
    "  totals them\n"
    "   or: fsum -c [-jf] -n [-r] [-d<folder>] mask...\n"
    "  checks each file the masks name against the CRC-32 in its name: eight\n"
    "  hexadecimal digits in [ ] or ( ), as in \"Show - 01 [1A2B3C4D].mkv\"\n"
    "   or: fsum -c -e[<digest>] [-sha256|...] \"file\"\n"
    "  checks one file against a digest as pasted (or, with -e alone, as copied to\n"
    "  the clipboard on Windows): the algorithm follows from its length, or a switch\n"
    "  of those below names it\n"
    "   or: fsum [-crc32|-md5|-sha1|-sha224|-sha256|-sha384|-sha512|-sha3-224|\n"
    "             -sha3-256|-sha3-384|-sha3-512|-b2|-blake3|-xxh32|-xxh64|-xxh3|-xxh128]\n"
    "             [-r] [-d<folder>] [-bsd] [-o<file>] mask...\n"
    "  writes a list of the files the masks (* and ? as wildcards) name to standard\n"
    "  output: an .sfv list (-crc32, the default) or GNU lines, BSD tag lines with -bsd\n"
    "  -r   take the masks in every subfolder too\n"
    "  -d   take the masks in the folder, and name the files from there\n"
    "  -o   write the list to the file (in PowerShell, rather than > file)\n"
    "   or: fsum -key add \"key file\"\n"
    "  shows the file's keys (OpenPGP, minisign, signify or SSH) with their full\n"
    "  fingerprints, and trusts them from then on: compare the fingerprints with\n"
    "  the ones the key's owner publishes\n"
    "   or: fsum -key list\n"
    "  shows the trusted keys\n"
    "Every form that reads files takes -t1: each disk read by one reader going\n"
    "through its files in order, as the tool reads a disk the system says is a\n"
    "spinning one (use it for a hard disk the system cannot tell, as behind some\n"
    "USB cases).\n";

namespace {

bool ParseOption(const std::string& arg, Options& options) {
    if (arg == "-c") return true;
    if (arg == "-u") return options.update = options.audit = true;
    if (arg == "-m") return options.dropMissing = true;
    if (arg == "-jf") return options.onlyFailed = true;
    if (arg == "-i") return options.ignoreMissing = true;
    if (arg == "-w") return options.warnFormat = true;
    if (arg == "-r") return options.recurse = true;
    if (arg == "-n") return options.crcInNames = true;
    if (arg == "-t1") return options.oneReader = true;
    if (arg == "-s") return options.requireSigned = true;
    if (arg == "-a") return options.audit = true;
    if (arg.rfind("-x", 0) == 0 && arg.size() > 2) {
        options.excludes.push_back(arg.substr(2));
        return true;
    }
    if (arg.rfind("-k", 0) == 0 && arg.size() > 2) {
        options.keyFiles.push_back(arg.substr(2));
        return true;
    }
    if (arg.rfind("-d", 0) == 0 && arg.size() > 2) {
        options.folder = arg.substr(2);
        return true;
    }
    if (const auto algorithm = FromSwitch(arg)) {
        const bool first = !options.algorithm;
        options.algorithm = algorithm;
        return first;
    }
    // -e and the digest joined, as a quoted paste may hold blanks.
    if (arg.rfind("-e", 0) != 0) return false;
    options.digestGiven = true;
    options.digest = arg.substr(2);
    return true;
}

// Each way of checking takes its own options and number of targets.
bool Consistent(const Options& options) {
    const std::size_t targets = options.targets.size();
    if (options.dropMissing && !options.update) return false;
    // An audit is of one list's folder; -x is the audit's.
    if ((options.audit || !options.excludes.empty()) &&
        (!options.audit || options.recurse || options.ignoreMissing || options.crcInNames ||
         options.digestGiven))
        return false;
    // Signatures are a list's.
    if ((options.digestGiven || options.crcInNames) &&
        (options.requireSigned || !options.keyFiles.empty() || options.ignoreMissing))
        return false;
    if (options.digestGiven) {
        return targets == 1 && !options.recurse && !options.crcInNames && options.folder.empty() &&
               !options.warnFormat;
    }
    if (options.algorithm) return false;
    if (options.crcInNames) return targets > 0 && !options.warnFormat;
    if (options.recurse) return targets > 0;
    return targets == 1 && options.folder.empty();
}

}  // namespace

bool ParseArguments(const std::vector<std::string>& args, Options& options) {
    if (std::find(args.begin(), args.end(), "-c") == args.end() &&
        std::find(args.begin(), args.end(), "-u") == args.end())
        return false;
    std::size_t i = 0;
    for (; i < args.size() && !args[i].empty() && args[i][0] == '-'; ++i) {
        if (!ParseOption(args[i], options)) return false;
    }
    options.targets.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    return Consistent(options);
}

bool ParseKeyArguments(const std::vector<std::string>& args, KeyCommand& command) {
    if (args.size() == 2 && args[0] == "-key" && args[1] == "list") return true;
    if (args.size() != 3 || args[0] != "-key" || args[1] != "add") return false;
    command.add = true;
    command.file = args[2];
    return true;
}

bool ParseMakeArguments(const std::vector<std::string>& args, MakeOptions& options, std::string& why) {
    bool chosen = false;
    std::size_t i = 0;
    for (; i < args.size() && args[i].size() > 1 && args[i][0] == '-'; ++i) {
        const std::string& arg = args[i];
        if (const auto picked = FromSwitch(arg)) {
            if (chosen) return false;  // one algorithm a list
            chosen = true;
            options.algorithm = *picked;
        } else if (arg == "-r") {
            options.recurse = true;
        } else if (arg == "-t1") {
            options.oneReader = true;
        } else if (arg == "-bsd") {
            options.bsd = true;
        } else if (arg.rfind("-d", 0) == 0 && arg.size() > 2) {
            options.folder = arg.substr(2);
        } else if (arg.rfind("-o", 0) == 0 && arg.size() > 2) {
            options.output = arg.substr(2);
        } else if (arg == "-o" && i + 1 < args.size() && !args[i + 1].empty() && args[i + 1][0] != '-') {
            options.output = args[++i];
        } else if (arg == "-o") {
            why = "-o needs the name of the file to write the list to after it (-o SHA256SUMS)";
            if (i + 1 < args.size()) why += ", not the option \"" + args[i + 1] + "\"";
            return false;
        } else {
            return false;
        }
    }
    options.masks.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    // A BSD tag line names an MD5 or SHA digest; CRC-32 has no tag.
    return !options.masks.empty() && !(options.bsd && options.algorithm == Algorithm::Crc32);
}

}  // namespace fsum
