#include "name_check.h"

#include <set>

#include "cli/find_files.h"
#include "entry_check.h"
#include "lists/bare_digests.h"
#include "system/files.h"
#include "system/names.h"

namespace fsum {
namespace {

// fsum -c -n mask...: each file whose name carries a CRC-32 against it.
class NameCheck : public EntryCheck {
public:
    NameCheck(const Options& options, const Terminal& terminal, Workers& workers)
        : EntryCheck(options, terminal, workers),
          finder_(options.folder, options.recurse,
                  {[this](const std::string& name, const std::string& path) { Found(name, path); },
                   [this](const std::string& text, bool named) { FolderFailed(text, named); },
                   [this] { return report_.failed(); },
                   // A pipe, a socket or a device with a CRC in its name is
                   // checked, to be told unreadable, never passed over.
                   [this](const std::string& name, const std::string& path, FolderEntry::Kind kind) {
                       if (kind != FolderEntry::Folder) Found(name, path);
                   }}) {}

private:
    int CheckAll() override {
        Check(FileIdentity{}, [this] {
            for (const std::string& mask : options_.targets) {
                const std::uint64_t before = matched_;
                finder_.Find(mask);
                if (matched_ == before) Unmatched(mask);
            }
        });
        Summary();
        report_.Flush();
        if (report_.failed()) return NotWritten();
        if (cannotCheck_) return kCannotCheck;
        if (checked() == 0) {
            terminal_.err("fsum: no file the masks name has a CRC in its name, so nothing was checked.\n");
            return kCannotCheck;
        }
        return folderFailed_ ? kSomeFailed : Status();
    }

    void Found(const std::string& name, const std::string& path) {
        ++matched_;
        if (!paths_.insert(path).second) return;  // two masks name it
        const std::optional<Digest> crc = CrcInName(NameOf(name));
        if (!crc) {
            ++withoutCrc_;
            return;
        }
        Entry entry;
        entry.name = name;
        entry.expected = *crc;
        Add(std::move(entry), path, true);
    }

    void FolderFailed(const std::string& text, bool named) {
        ++matched_;
        (named ? cannotCheck_ : folderFailed_) = true;
        Start();
        report_.Line(text, true);
    }

    void Unmatched(const std::string& mask) {
        cannotCheck_ = true;
        Start();
        report_.Line("fsum: nothing matches \"" + Visible(mask) + "\".", true);
    }

    std::string Heading() const override {
        std::string masks;
        for (const std::string& mask : options_.targets) masks += " \"" + Visible(mask) + "\"";
        return "Checking the CRCs in the names of" + masks;
    }

    std::string MoreCounts() const override {
        return ", " + std::to_string(withoutCrc_) + " without a CRC in the name";
    }

    FileFinder finder_;
    std::set<std::string> paths_;
    std::uint64_t matched_ = 0;     // files and unreadable folders the masks named
    std::uint64_t withoutCrc_ = 0;  // files whose names carry none
    bool folderFailed_ = false;     // a subfolder could not be read
    bool cannotCheck_ = false;      // a mask named nothing, or a folder it names could not be read
};

}  // namespace

int CheckNames(const Options& options, const Terminal& terminal, Workers& workers) {
    return NameCheck(options, terminal, workers).Run();
}

}  // namespace fsum
