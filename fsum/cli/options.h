// The tool's command lines: the options of checking and of making a list,
// parsed, and the usage text that names them all.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "digests/digest.h"

namespace fsum {

struct Options {
    bool onlyFailed = false;     // -jf: leave out the verified lines
    bool ignoreMissing = false;  // -i: the files a list names that are not here are counted, not listed
    bool warnFormat = false;     // -w: report improperly formatted lines
    bool recurse = false;        // -r: the masks apply in every subfolder too
    std::string folder;          // -d: where the masks are taken
    bool crcInNames = false;     // -n: files against the CRC their names carry
    bool oneReader = false;      // -t1: one reader per disk, whatever the disk
    bool digestGiven = false;    // -e: one file against a digest...
    std::string digest;          // ...this one, or the clipboard's
    std::optional<Algorithm> algorithm;  // -sha256 ...: the digest's algorithm
    bool requireSigned = false;         // -s: a list without a good signature by a trusted key is not checked
    bool audit = false;                 // -a: the list's folder walked too, for files new or moved
    std::vector<std::string> excludes;  // -x: masks of files the audit leaves out
    bool update = false;                // -u: the list brought up to date after its audit
    bool dropMissing = false;           // -m: with -u, missing entries dropped
    std::vector<std::string> keyFiles;  // -k: keys trusted for this check besides the user's
    // The list; with -r the masks of lists; with -n the masks of files;
    // with -e the file.
    std::vector<std::string> targets;
};

// Parses the arguments after the program name, the options in any order
// before the targets; false when they are none of "-c [-jf] [-w] [-s]
// [-k<keys>...] list", "-c [-jf] [-w] [-s] [-k<keys>...] -r [-d<folder>] mask...", "-c [-jf] -n [-r]
// [-d<folder>] mask..." and "-c -e[<digest>] [-sha256|...] file".
bool ParseArguments(const std::vector<std::string>& args, Options& options);

struct MakeOptions {
    Algorithm algorithm = Algorithm::Crc32;
    bool bsd = false;        // -bsd: BSD tag lines rather than GNU ones
    bool recurse = false;    // -r: masks apply in every subfolder too
    bool oneReader = false;  // -t1: one reader per disk, whatever the disk
    std::string folder;      // -d: where the masks are taken and names start
    std::string output;      // -o: the file the list goes to, not standard output
    std::vector<std::string> masks;
};

// Parses "[-crc32|-md5|-sha1|-sha256|...|-blake3|-xxh128] [-r] [-d<folder>]
// [-bsd] [-o<file>] mask..." (kUsage names every algorithm) with the options in any
// order before the masks.
// `-o file`, with a blank, takes the next word; `why` says what is wrong
// where the text alone would not (an -o with no file after it).
bool ParseMakeArguments(const std::vector<std::string>& args, MakeOptions& options, std::string& why);

// "-key add <file>" and "-key list": the user's trusted keys.
struct KeyCommand {
    bool add = false;
    std::string file;
};
bool ParseKeyArguments(const std::vector<std::string>& args, KeyCommand& command);

extern const char kUsage[];

}  // namespace fsum
