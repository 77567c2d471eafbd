#include "ed25519_forms.h"

#include <sodium/crypto_sign_ed25519.h>

#include "digests/hasher.h"
#include "encoding.h"

namespace fsum {

namespace {

// minisign's and signify's binary forms: a two-letter algorithm ("Ed", or
// "ED" for minisign's prehashed signatures), an 8-byte key id, then the
// Ed25519 key or signature.
constexpr std::size_t kAlgorithmBytes = 2, kKeyIdBytes = 8, kPublicKeyBytes = 32, kSignatureBytes = 64;
constexpr std::string_view kUntrusted = "untrusted comment: ";
constexpr std::string_view kTrusted = "trusted comment: ";
constexpr std::string_view kSshMagic = "SSHSIG";

std::string IdOf(const std::string& keyId) {
    return HexOf(std::string(keyId.rbegin(), keyId.rend()), true);  // minisign prints it little-endian
}

bool Ed25519(std::string_view signature, std::string_view message, std::string_view publicKey) {
    return signature.size() == crypto_sign_ed25519_BYTES &&
           publicKey.size() == crypto_sign_ed25519_PUBLICKEYBYTES &&
           crypto_sign_ed25519_verify_detached(reinterpret_cast<const unsigned char*>(signature.data()),
                                               reinterpret_cast<const unsigned char*>(message.data()),
                                               message.size(),
                                               reinterpret_cast<const unsigned char*>(publicKey.data())) == 0;
}

// SSH's string: a four-byte length and the bytes.
bool TakeString(std::string_view& bytes, std::string& text) {
    std::uint64_t size = 0;
    if (!TakeNumber(bytes, 4, size) || size > bytes.size()) return false;
    text = std::string(bytes.substr(0, size));
    bytes.remove_prefix(size);
    return true;
}

std::string SshString(std::string_view text) {
    std::string bytes;
    const auto size = static_cast<std::uint32_t>(text.size());
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(size >> shift & 0xff);
    return bytes + std::string(text);
}

// The key type and the 32-byte key of an ssh-ed25519 blob.
bool SshKeyParts(std::string_view blob, std::string& type, std::string& publicKey) {
    return TakeString(blob, type) && (type != "ssh-ed25519" || (TakeString(blob, publicKey) && blob.empty()));
}

// "a,b" without its quotes, as an allowed_signers option's value is written.
std::string Unquoted(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

// An allowed_signers line's options, comma-separated (a quoted value may
// hold commas); false for one ssh-keygen does not know either.
bool SshOptions(std::string_view options, SshKey& key) {
    while (!options.empty()) {
        std::size_t end = 0;
        for (bool quoted = false; end < options.size() && (quoted || options[end] != ','); ++end)
            quoted ^= options[end] == '"';
        const std::string_view option = options.substr(0, end);
        options.remove_prefix(std::min(end + 1, options.size()));
        const std::size_t equals = std::min(option.find('='), option.size());
        const std::string name(option.substr(0, equals));
        const std::string value = Unquoted(option.substr(std::min(equals + 1, option.size())));
        if (name == "cert-authority") {
            key.certAuthority = true;
        } else if (name == "namespaces") {
            for (std::size_t at = 0; at <= value.size();) {
                const std::size_t comma = std::min(value.find(',', at), value.size());
                key.namespaces.push_back(value.substr(at, comma - at));
                at = comma + 1;
            }
        } else if (name == "valid-after" || name == "valid-before") {
            (name == "valid-after" ? key.validAfter : key.validBefore) = value;
        } else {
            return false;
        }
    }
    return true;
}

// One line of a .pub or allowed_signers file: [principals [options]] type base64 [comment].
bool SshKeyLine(std::string_view line, SshKey& key) {
    std::vector<std::string> words;
    for (std::size_t at = 0; at < line.size();) {
        const std::size_t end = std::min(line.find_first_of(" \t", at), line.size());
        if (end > at) words.emplace_back(line.substr(at, end - at));
        at = end + 1;
    }
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        const auto blob = Base64(words[i + 1]);
        std::string type, publicKey;
        if (!blob || !SshKeyParts(*blob, type, publicKey) || type != words[i]) continue;
        key.type = type;
        key.blob = *blob;
        if (i > 0) {
            key.principals.push_back(words[0]);  // allowed_signers
        } else if (words.size() > 2) {
            // A .pub file's comment, blanks and all.
            std::string_view comment =
                line.substr(line.find(words[2], line.find(words[1]) + words[1].size()));
            comment.remove_suffix(comment.size() - comment.find_last_not_of(" \t") - 1);
            key.principals.emplace_back(comment);
        }
        return i < 2 || (i == 2 && SshOptions(words[1], key));
    }
    return false;
}

}  // namespace

std::string DigestBytes(Algorithm algorithm, std::string_view bytes) {
    auto hasher = NewHasher(algorithm);
    hasher->Begin(DigestSize(algorithm));
    hasher->Update(bytes.data(), bytes.size());
    const Digest digest = hasher->Finish();
    return std::string(digest.view());
}

std::string EdKey::IdText() const { return IdOf(keyId); }

std::string EdKey::Text() const { return Base64Text("Ed" + keyId + publicKey, true); }
std::string EdSignature::IdText() const { return IdOf(keyId); }

std::string SshKey::Fingerprint() const {
    return "SHA256:" + Base64Text(DigestBytes(Algorithm::Sha256, blob), false);
}

bool ReadEdKey(std::string_view text, EdKey& key) {
    std::vector<std::string_view> lines = SplitLines(text);
    if (!lines.empty() && lines[0].substr(0, kUntrusted.size()) == kUntrusted) {
        key.comment = std::string(lines[0].substr(kUntrusted.size()));
        lines.erase(lines.begin());
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    if (lines.size() != 1) return false;
    const auto bytes = Base64(lines[0]);
    if (!bytes || bytes->size() != kAlgorithmBytes + kKeyIdBytes + kPublicKeyBytes ||
        bytes->substr(0, kAlgorithmBytes) != "Ed")
        return false;
    key.keyId = bytes->substr(kAlgorithmBytes, kKeyIdBytes);
    key.publicKey = bytes->substr(kAlgorithmBytes + kKeyIdBytes);
    return true;
}

bool ReadSshKeys(std::string_view text, std::vector<SshKey>& keys) {
    std::vector<SshKey> found;
    for (std::string_view line : SplitLines(text)) {
        line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
        if (line.empty() || line[0] == '#') continue;
        SshKey key;
        if (!SshKeyLine(line, key)) return false;
        found.push_back(std::move(key));
    }
    keys.insert(keys.end(), found.begin(), found.end());
    return !found.empty();
}

bool ReadEdSignature(std::string_view text, EdSignature& signature) {
    // The first two lines, and where the rest begins.
    const std::size_t first = text.find('\n');
    if (text.substr(0, kUntrusted.size()) != kUntrusted || first == std::string_view::npos) return false;
    const std::size_t second = text.find('\n', first + 1);
    std::string_view line =
        text.substr(first + 1, second == std::string_view::npos ? second : second - first - 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const auto bytes = Base64(line);
    if (!bytes || bytes->size() != kAlgorithmBytes + kKeyIdBytes + kSignatureBytes ||
        (bytes->substr(0, kAlgorithmBytes) != "Ed" && bytes->substr(0, kAlgorithmBytes) != "ED"))
        return false;
    signature.prehashed = bytes->substr(0, 2) == "ED";
    signature.keyId = bytes->substr(kAlgorithmBytes, kKeyIdBytes);
    signature.signature = bytes->substr(kAlgorithmBytes + kKeyIdBytes);
    const std::string_view rest = second == std::string_view::npos ? "" : text.substr(second + 1);
    const std::vector<std::string_view> more = SplitLines(rest);
    if (more.size() >= 2 && more[0].substr(0, kTrusted.size()) == kTrusted) {
        const auto global = Base64(more[1]);
        if (!global || global->size() != kSignatureBytes) return false;
        signature.minisign = true;
        signature.trustedComment = std::string(more[0].substr(kTrusted.size()));
        signature.globalSignature = *global;
        return true;
    }
    // signify: the signed text, if any. A prehashed one is minisign's with
    // its trusted comment gone, which is judged as such.
    signature.message = rest;
    return true;
}

bool VerifyEd(const EdSignature& signature, const SignedData& data, const EdKey& key) {
    if (signature.keyId != key.keyId) return false;
    const std::string hashed = signature.prehashed ? data.DigestOf(Algorithm::Blake2b) : std::string();
    if (signature.prehashed ? hashed.empty() : !data.whole) return false;
    if (!Ed25519(signature.signature, signature.prehashed ? hashed : data.bytes, key.publicKey)) return false;
    return !signature.minisign ||
           Ed25519(signature.globalSignature, signature.signature + signature.trustedComment, key.publicKey);
}

bool ReadSshSignature(std::string_view blob, SshSignature& signature) {
    std::uint64_t version = 0;
    std::string key, reserved, inner;
    if (blob.substr(0, kSshMagic.size()) != kSshMagic) return false;
    blob.remove_prefix(kSshMagic.size());
    if (!TakeNumber(blob, 4, version) || version != 1 || !TakeString(blob, key) ||
        !TakeString(blob, signature.nameSpace) || !TakeString(blob, reserved) ||
        !TakeString(blob, signature.hashAlgorithm) || !TakeString(blob, inner) || !blob.empty()) {
        return false;
    }
    std::string publicKey;
    if (!SshKeyParts(key, signature.key.type, publicKey)) return false;
    signature.key.blob = key;
    std::string_view rest = inner;
    return TakeString(rest, signature.signatureType) && TakeString(rest, signature.signature) && rest.empty();
}

std::optional<Algorithm> SshDigest(const SshSignature& signature) {
    if (signature.hashAlgorithm == "sha256") return Algorithm::Sha256;
    if (signature.hashAlgorithm == "sha512") return Algorithm::Sha512;
    return std::nullopt;
}

bool VerifySsh(const SshSignature& signature, const SignedData& data) {
    std::string type, publicKey;
    if (!SshKeyParts(signature.key.blob, type, publicKey) || type != "ssh-ed25519" ||
        signature.signatureType != "ssh-ed25519") {
        return false;
    }
    const std::optional<Algorithm> algorithm = SshDigest(signature);
    if (!algorithm) return false;
    const std::string digest = data.DigestOf(*algorithm);
    const std::string signedData = std::string(kSshMagic) + SshString(kSshFileNamespace) + SshString("") +
                                   SshString(signature.hashAlgorithm) + SshString(digest);
    return !digest.empty() && Ed25519(signature.signature, signedData, publicKey);
}

}  // namespace fsum
