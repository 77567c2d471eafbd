#include "verify.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#include "sfv_list.h"
#include "system.h"

namespace fsum {

const char kUsage[] =
    "Usage: fsum -c [-jf] [-w] \"list.sfv\"\n"
    "  -c   check the files named in the .sfv list against their CRC-32\n"
    "  -jf  show only the files that failed\n"
    "  -w   warn about improperly formatted checksum lines\n";

namespace {

namespace fs = std::filesystem;

// A list is read whole; real ones are far smaller than this (a million
// entries of a hundred bytes), and a larger file given by mistake must not
// exhaust a 32-bit address space.
constexpr std::uint64_t kLargestList = std::uint64_t{256} << 20;

// Large blocks keep the read calls few; each worker thread owns one.
constexpr std::size_t kBlock = std::size_t{4} << 20;

std::uint32_t Update(std::uint32_t crc, const unsigned char* data, std::size_t size) {
    return static_cast<std::uint32_t>(crc32_z(crc, data, size));
}

// Fills the buffer from offset to its end or the end of the file.
long long ReadBlock(const InputFile& file, std::uint64_t offset, unsigned char* buffer, std::size_t size,
                    std::string& error) {
    std::size_t got = 0;
    while (got < size) {
        const long long n = file.ReadAt(offset + got, buffer + got, size - got, error);
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(got);
}

// The CRC of a whole file. A large file is cut into blocks that the cores
// take in turn; zlib joins the blocks' CRCs into the file's.
bool CrcOfFile(const InputFile& file, std::uint32_t& crc, std::string& error) {
    const std::uint64_t size = file.Size();
    const std::uint64_t blocks = (size + kBlock - 1) / kBlock;
    const unsigned workers = static_cast<unsigned>(
        std::min<std::uint64_t>(std::max(1u, std::thread::hardware_concurrency()), blocks));

    std::vector<std::uint32_t> crcs(static_cast<std::size_t>(blocks));
    std::atomic<std::uint64_t> next{0};
    std::atomic<bool> failed{false};
    std::string firstError;
    std::atomic_flag errorTaken = ATOMIC_FLAG_INIT;

    auto work = [&] {
        std::unique_ptr<unsigned char[]> buffer(new unsigned char[kBlock]);
        std::string reason;
        for (std::uint64_t i = next++; i < blocks && !failed; i = next++) {
            const std::uint64_t offset = i * kBlock;
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, size - offset));
            const long long got = ReadBlock(file, offset, buffer.get(), want, reason);
            if (got != static_cast<long long>(want)) {
                if (got >= 0) reason = "The file became shorter while it was read.";
                if (!errorTaken.test_and_set()) firstError = reason;
                failed = true;
                return;
            }
            crcs[static_cast<std::size_t>(i)] = Update(0, buffer.get(), want);
        }
    };

    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < workers; ++t) helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers) helper.join();
    if (failed) {
        error = firstError;
        return false;
    }

    crc = 0;
    for (std::size_t i = 0; i < crcs.size(); ++i) {
        const std::uint64_t length = std::min<std::uint64_t>(kBlock, size - i * kBlock);
        crc = i == 0 ? crcs[0]
                     : static_cast<std::uint32_t>(crc32_combine(crc, crcs[i], static_cast<z_off_t>(length)));
    }
    return true;
}

std::string Hex(std::uint32_t crc) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(crc));
    return text;
}

// The path of an entry: relative names lie in the list's folder, and either
// slash separates folders.
fs::path EntryPath(const fs::path& listFolder, const std::string& name) {
    std::string portable = EntryNameToUtf8(name);
    std::replace(portable.begin(), portable.end(), '\\', '/');
    return listFolder / fs::u8path(portable);
}

struct Counts {
    int verified = 0, mismatched = 0, missing = 0, unreadable = 0, badlyFormatted = 0;
};

}  // namespace

std::uint32_t Crc32(std::string_view bytes) {
    return Update(0, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

bool ParseArguments(const std::vector<std::string>& args, Options& options, std::string& listPath) {
    bool check = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (i + 1 == args.size() && !arg.empty() && arg[0] != '-') {
            listPath = arg;
            return check;
        }
        if (arg == "-c") {
            check = true;
        } else if (arg == "-jf") {
            options.onlyFailed = true;
        } else if (arg == "-w") {
            options.warnFormat = true;
        } else {
            return false;
        }
    }
    return false;
}

int CheckList(const std::string& listPath, const Options& options, const Sink& out, const Sink& err) {
    std::string text;
    {
        InputFile list;
        bool missing = false;
        std::string reason;
        long long got = -1;
        const bool opened = list.Open(listPath, missing, reason);
        if (opened && list.Size() > kLargestList) {
            reason = "It is too large to be a checksum list.";
        } else if (opened) {
            text.resize(static_cast<std::size_t>(list.Size()));
            got = ReadBlock(list, 0, reinterpret_cast<unsigned char*>(text.data()), text.size(), reason);
        }
        if (got < 0) {
            err("fsum: cannot read the checksum list \"" + listPath + "\": " + reason + "\n");
            return kCannotCheck;
        }
        text.resize(static_cast<std::size_t>(got));
    }

    const SfvList list = ParseSfv(text);
    if (list.entries.empty()) {
        err("fsum: \"" + listPath + "\" holds no checksum lines, so there is nothing to check.\n");
        return kCannotCheck;
    }

    out("Checking \"" + listPath + "\"\n");
    const fs::path listFile = fs::u8path(listPath);
    const fs::path listFolder = listFile.parent_path();
    Counts counts;
    auto bad = list.badLines.begin();
    auto warnUpTo = [&](int line) {
        for (; bad != list.badLines.end() && *bad < line; ++bad) {
            ++counts.badlyFormatted;
            if (options.warnFormat) {
                out("WARNING     line " + std::to_string(*bad) +
                    " is an improperly formatted checksum line\n");
            }
        }
    };

    for (const SfvEntry& entry : list.entries) {
        warnUpTo(entry.line);
        const fs::path path = EntryPath(listFolder, entry.name);
        std::error_code ignored;
        if (fs::equivalent(path, listFile, ignored)) {
            out("SKIPPED     " + entry.name + "  (this is the checksum list itself)\n");
            continue;
        }

        InputFile file;
        bool missing = false;
        std::string reason;
        std::uint32_t crc = 0;
        const bool opened = file.Open(path.u8string(), missing, reason);
        if (!opened && missing) {
            ++counts.missing;
            out("MISSING     " + entry.name + "\n");
        } else if (!opened || !CrcOfFile(file, crc, reason)) {
            ++counts.unreadable;
            out("UNREADABLE  " + entry.name + "  (" + reason + ")\n");
        } else if (crc != entry.crc) {
            ++counts.mismatched;
            out("FAILED      " + entry.name + "  (expected " + Hex(entry.crc) + ", found " + Hex(crc) +
                ")\n");
        } else {
            ++counts.verified;
            if (!options.onlyFailed) out("OK          " + entry.name + "\n");
        }
    }
    warnUpTo(list.badLines.empty() ? 0 : list.badLines.back() + 1);

    std::string summary = std::string(75, '-') + "\n" + std::to_string(counts.verified) + " verified, " +
                          std::to_string(counts.mismatched) + " mismatched, " +
                          std::to_string(counts.missing) + " missing, " + std::to_string(counts.unreadable) +
                          " unreadable";
    if (options.warnFormat) summary += ", " + std::to_string(counts.badlyFormatted) + " badly formatted";
    out(summary + "\n");

    return counts.mismatched + counts.missing + counts.unreadable == 0 ? kAllVerified : kSomeFailed;
}

}  // namespace fsum
