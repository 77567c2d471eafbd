#include "digest_check.h"

#include "entry_check.h"
#include "lists/bare_digests.h"
#include "system/console.h"
#include "system/files.h"
#include "system/names.h"

namespace fsum {
namespace {

// fsum -c -e<digest> file: the algorithm by the digest's length unless a
// switch or a prefix says it, every candidate hashed in one read.
class DigestCheck : public EntryCheck {
public:
    DigestCheck(const Options& options, const Terminal& terminal, Workers& workers)
        : EntryCheck(options, terminal, workers) {
        alwaysNamed_ = true;
        unsaid_ = "the digest does not say its algorithm";
    }

private:
    int CheckAll() override {
        std::string text = options_.digest, why;
        const bool copied = text.empty();
        if (copied && !ClipboardText(text, why)) return CannotCheck(why);
        std::optional<PastedDigest> pasted = ReadPastedDigest(text, why);
        if (pasted && options_.algorithm) pasted = Narrowed(*pasted, *options_.algorithm, why);
        if (!pasted) return CannotCheck((copied ? "the copied text " : "the digest given ") + why);
        named_ = pasted->name;
        Entry entry;
        entry.name = options_.targets.front();
        entry.expected = pasted->digest;
        entry.algorithm = pasted->candidates.front();
        if (pasted->candidates.size() > 1) entry.candidates = pasted->candidates;
        Check(FileIdentity{}, [&] { Add(std::move(entry), options_.targets.front()); });
        Summary();
        report_.Flush();
        return report_.failed() ? NotWritten() : Status();
    }

    int CannotCheck(const std::string& why) {
        terminal_.err("fsum: \"" + Visible(options_.targets.front()) + "\" cannot be checked: " + why +
                      ".\n");
        return kCannotCheck;
    }

    std::string Heading() const override {
        return "Checking \"" + Visible(options_.targets.front()) + "\" against " + Given();
    }

    std::string Given() const { return options_.digest.empty() ? "the copied digest" : "the digest given"; }

    // A digest pasted with another file's name may be that file's: said on
    // the verdict's line, whatever the verdict.
    std::string LineNote(const Checked& checked) const override {
        if (named_.empty() || FoldCase(LastPart(named_)) == FoldCase(LastPart(checked.entry.name))) return "";
        return Given() + " is for \"" + Visible(named_) + "\"";
    }

    std::string named_;  // the file the pasted text names with the digest
};

}  // namespace

int CheckDigest(const Options& options, const Terminal& terminal, Workers& workers) {
    return DigestCheck(options, terminal, workers).Run();
}

}  // namespace fsum
