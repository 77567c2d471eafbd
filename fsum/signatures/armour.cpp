#include "armour.h"

#include "encoding.h"

namespace fsum {

namespace {

constexpr std::string_view kBegin = "-----BEGIN ";
constexpr std::string_view kEnd = "-----END ";
constexpr std::string_view kDashes = "-----";

bool Labelled(std::string_view line, std::string_view start, std::string& label) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.substr(0, start.size()) != start || line.size() < start.size() + kDashes.size()) return false;
    if (line.substr(line.size() - kDashes.size()) != kDashes) return false;
    label = std::string(line.substr(start.size(), line.size() - start.size() - kDashes.size()));
    return true;
}

// One block's lines after its BEGIN line, up to its END line.
bool Block(const std::vector<std::string_view>& lines, std::size_t& i, Armoured& block) {
    const bool openpgp = block.label.rfind("PGP ", 0) == 0;
    if (openpgp) {
        // Header lines ("Version: ..."), then an empty line.
        while (i < lines.size() && !lines[i].empty() && lines[i].find(':') != std::string_view::npos) ++i;
        if (i < lines.size() && lines[i].empty()) ++i;
    }
    std::string data;
    std::string label;
    for (; i < lines.size(); ++i) {
        if (Labelled(lines[i], kEnd, label)) {
            if (label != block.label) return false;
            const auto bytes = Base64(data);
            if (!bytes || bytes->empty()) return false;
            block.bytes = *bytes;
            ++i;
            return true;
        }
        // The CRC-24 line: the signature's own check is the one that counts.
        if (openpgp && !lines[i].empty() && lines[i][0] == '=') continue;
        data += lines[i];
    }
    return false;
}

}  // namespace

bool LooksArmoured(std::string_view text) { return text.find(kBegin) != std::string_view::npos; }

bool Dearmour(std::string_view text, std::vector<Armoured>& blocks) {
    const std::vector<std::string_view> lines = SplitLines(text);
    std::vector<Armoured> found;
    for (std::size_t i = 0; i < lines.size();) {
        Armoured block;
        if (!Labelled(lines[i++], kBegin, block.label)) continue;
        if (!Block(lines, i, block)) return false;
        found.push_back(std::move(block));
    }
    blocks.insert(blocks.end(), found.begin(), found.end());
    return true;
}

}  // namespace fsum
