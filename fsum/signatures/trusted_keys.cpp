#include "trusted_keys.h"

#include <algorithm>

#include "armour.h"
#include "encoding.h"
#include "system/files.h"
#include "system/names.h"

namespace fsum {

namespace {

bool ReadPgpText(std::string_view text, TrustedKeys& keys) {
    std::vector<Armoured> blocks;
    if (!Dearmour(text, blocks)) return false;
    bool any = false;
    for (const Armoured& block : blocks) {
        if (block.label == "PGP PUBLIC KEY BLOCK") any = ReadPgpKeys(block.bytes, keys.pgp) || any;
    }
    return any;
}

void ReadFolderKeys(const std::string& folder, std::vector<std::string>& files) {
    std::vector<FolderEntry> entries;
    std::string error;
    if (!ReadFolder(folder, entries, error)) return;  // no folder: no keys yet
    for (const FolderEntry& entry : entries) {
        if (entry.kind == FolderEntry::File) files.push_back(JoinPath(folder, entry.name));
    }
    std::sort(files.begin(), files.end());
}

}  // namespace

const PgpKey* TrustedKeys::PgpKeyOf(std::string_view fingerprintOrId, const PgpKeyPart** part) const {
    for (const PgpKey& key : pgp) {
        const PgpKeyPart* found = key.Part(fingerprintOrId);
        if (!found) continue;
        if (part) *part = found;
        return &key;
    }
    return nullptr;
}

bool TrustedKeys::usable() const {
    const auto ed25519 = [](const SshKey& key) { return key.type == "ssh-ed25519"; };
    const auto version4 = [](const PgpKey& key) { return key.primary.version == 4; };
    return !ed.empty() || std::any_of(ssh.begin(), ssh.end(), ed25519) ||
           std::any_of(pgp.begin(), pgp.end(), version4);
}

bool ReadKeyFile(std::string_view bytes, TrustedKeys& keys) {
    if (!bytes.empty() && (static_cast<unsigned char>(bytes[0]) & 0x80)) return ReadPgpKeys(bytes, keys.pgp);
    if (LooksArmoured(bytes)) return ReadPgpText(bytes, keys);
    EdKey ed;
    if (ReadEdKey(bytes, ed)) {
        keys.ed.push_back(ed);
        return true;
    }
    return ReadSshKeys(bytes, keys.ssh);
}

std::string Grouped(const std::string& fingerprint) {
    if (fingerprint.size() != 40) return fingerprint;
    std::string grouped;
    for (std::size_t i = 0; i < 40; i += 4) {
        grouped += (i == 0 ? "" : i == 20 ? "  " : " ") + fingerprint.substr(i, 4);
    }
    return grouped;
}

std::vector<std::string> DescribeKeys(const TrustedKeys& keys) {
    std::vector<std::string> lines;
    for (const PgpKey& key : keys.pgp) {
        lines.push_back("OpenPGP key " + Grouped(key.primary.fingerprint) + " (" + key.primary.Describe() +
                        ")");
        if (key.primary.version != 4)
            lines.back() =
                "OpenPGP key of version " + std::to_string(key.primary.version) + ", which gpgv cannot use";
        for (const std::string& id : key.userIds) lines.push_back("  user id: " + id);
        for (const PgpKeyPart& subkey : key.subkeys)
            lines.push_back("  subkey:  " + Grouped(subkey.fingerprint) + " (" + subkey.Describe() + ")");
        if (key.weakSelfSignature) {
            lines.push_back(
                "  warning: some of its own signatures are made over SHA-1 (or MD5), which is too weak: "
                "gpgv then cannot use it; ask its publisher for the key as updated since");
        }
    }
    for (const EdKey& key : keys.ed) {
        lines.push_back("minisign/signify key " + key.Text() + " (id " + key.IdText() +
                        (key.comment.empty() ? "" : ", " + key.comment) + ")");
    }
    for (const SshKey& key : keys.ssh) {
        std::string line = "SSH key " + key.Fingerprint() + " (" + key.type + ")";
        for (const std::string& principal : key.principals) line += " for \"" + principal + "\"";
        if (!key.namespaces.empty()) line += ", namespaces \"" + Joined(key.namespaces, ",") + "\"";
        if (!key.validAfter.empty()) line += ", valid after " + key.validAfter;
        if (!key.validBefore.empty()) line += ", valid before " + key.validBefore;
        if (key.certAuthority) line += ", a cert-authority, which the tool does not use";
        if (key.type != "ssh-ed25519") line += ", which the tool cannot use yet: only ssh-ed25519 keys";
        lines.push_back(line);
    }
    return lines;
}

namespace {

void ReadKeyFiles(const std::vector<std::string>& files, TrustedKeys& keys,
                  std::vector<std::string>& problems) {
    for (const std::string& file : files) {
        std::string bytes, error;
        if (!ReadWholeFile(file, kLargestKeyFile, bytes, error)) {
            problems.push_back("the key file \"" + file + "\" cannot be read: " + error);
        } else if (!ReadKeyFile(bytes, keys)) {
            problems.push_back("the key file \"" + file + "\" holds no key the tool knows");
        }
    }
}

}  // namespace

TrustedKeys LoadTrustedKeys(const std::string& folder, const std::vector<std::string>& files,
                            std::vector<std::string>& folderProblems,
                            std::vector<std::string>& fileProblems) {
    std::vector<std::string> inFolder;
    if (!folder.empty()) ReadFolderKeys(folder, inFolder);
    TrustedKeys keys;
    ReadKeyFiles(inFolder, keys, folderProblems);
    ReadKeyFiles(files, keys, fileProblems);
    return keys;
}

}  // namespace fsum
