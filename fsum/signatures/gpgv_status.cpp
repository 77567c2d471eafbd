#include "gpgv_status.h"

#include <cctype>
#include <cstdlib>
#include <map>

#include "digests/digest.h"
#include "encoding.h"

namespace fsum {

namespace {

using State = PgpSignature::State;

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    while (!line.empty()) {
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string_view::npos) break;
        line.remove_prefix(start);
        const std::size_t end = line.find(' ');
        words.push_back(line.substr(0, end));
        if (end == std::string_view::npos) break;
        line.remove_prefix(end);
    }
    return words;
}

std::int64_t Number(const std::vector<std::string_view>& words, std::size_t i) {
    if (i >= words.size()) return 0;
    return std::strtoll(std::string(words[i]).c_str(), nullptr, 10);
}

std::string Word(const std::vector<std::string_view>& words, std::size_t i) {
    return i < words.size() ? std::string(words[i]) : std::string();
}

// The key id, then the user id, which may hold blanks.
void Verdict(PgpSignature& signature, State state, std::string_view rest) {
    signature.state = state;
    const std::size_t blank = rest.find(' ');
    signature.keyId = std::string(rest.substr(0, blank));
    if (blank != std::string_view::npos) signature.userId = Unescape(rest.substr(blank + 1));
}

// The words of "ERRSIG <keyid> <pkalgo> <hashalgo> <sig_class> <time> <rc> [<fpr>]".
enum ErrSigWord { kErrKeyId = 1, kErrHash = 3, kErrTime = 5, kErrCode = 6, kErrFingerprint = 7 };
// ERRSIG's return code for a key the keyring does not have.
constexpr int kNoPublicKey = 9;

void ErrSig(PgpSignature& signature, const std::vector<std::string_view>& words) {
    signature.state = State::Error;
    signature.keyId = Word(words, kErrKeyId);
    signature.hashAlgorithm = static_cast<int>(Number(words, kErrHash));
    signature.made = Number(words, kErrTime);
    signature.errorCode = static_cast<int>(Number(words, kErrCode));
    signature.fingerprint = Word(words, kErrFingerprint);
    if (signature.errorCode == kNoPublicKey) signature.state = State::NoKey;
}

// The words of "VALIDSIG <fpr> <date> <timestamp> <expires> <version>
// <reserved> <pkalgo> <hashalgo> <class> [<primary fpr>]".
enum ValidSigWord {
    kValidFingerprint = 1,
    kValidTime = 3,
    kValidVersion = 5,
    kValidHash = 8,
    kValidPrimary = 10
};

void ValidSig(PgpSignature& signature, const std::vector<std::string_view>& words) {
    signature.fingerprint = Word(words, kValidFingerprint);
    signature.made = Number(words, kValidTime);
    signature.version = static_cast<int>(Number(words, kValidVersion));
    signature.hashAlgorithm = static_cast<int>(Number(words, kValidHash));
    signature.primary = Word(words, kValidPrimary);
    signature.valid = true;
}

bool Voids(std::string_view keyword) {
    return keyword == "ERROR" || keyword == "FAILURE" || keyword == "NODATA";
}

using Verdicts = std::map<std::string_view, State>;

// A line that belongs to the signature its block is of.
// `verdict`: the state a verdict's keyword says, for a verdict's line.
void Apply(PgpSignature& signature, const State* verdict, std::string_view line,
           const std::vector<std::string_view>& words) {
    const std::string_view keyword = words[0];
    if (verdict) {
        const std::size_t rest = line.find(' ');
        Verdict(signature, *verdict, rest == std::string_view::npos ? "" : line.substr(rest + 1));
    } else if (keyword == "ERRSIG") {
        ErrSig(signature, words);
    } else if (keyword == "VALIDSIG") {
        ValidSig(signature, words);
    } else if (keyword == "KEYEXPIRED") {
        signature.keyExpired = Number(words, 1);
    } else if (Voids(keyword) && signature.failure.empty()) {
        signature.failure = std::string(line);
    }
}

}  // namespace

std::string Unescape(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = i + 2 < text.size() ? HexDigitValue(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? HexDigitValue(text[i + 2]) : -1;
        if (text[i] == '%' && high >= 0 && low >= 0) {
            plain += static_cast<char>(high << 4 | low);
            i += 2;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

GpgvStatus ReadGpgvStatus(std::string_view text) {
    static const Verdicts verdicts = {{"GOODSIG", State::Good},
                                      {"BADSIG", State::Bad},
                                      {"EXPKEYSIG", State::ExpiredKey},
                                      {"REVKEYSIG", State::RevokedKey},
                                      {"EXPSIG", State::Expired}};
    constexpr std::string_view prefix = "[GNUPG:] ";
    GpgvStatus status;
    std::string before;  // a voiding line before any signature
    bool open = false;   // a NEWSIG opened a signature no verdict has closed
    for (std::string_view line : SplitLines(text)) {
        if (line.substr(0, prefix.size()) != prefix) continue;
        line.remove_prefix(prefix.size());
        const std::vector<std::string_view> words = Words(line);
        if (words.empty()) continue;
        const std::string_view keyword = words[0];
        if (keyword == "PLAINTEXT") status.plaintext = true;
        if (Voids(keyword) && status.signatures.empty() && before.empty()) before = std::string(line);
        const auto verdict = verdicts.find(keyword);
        const bool closes = verdict != verdicts.end() || keyword == "ERRSIG";
        // A verdict with no NEWSIG before it (older versions) opens its own.
        if (keyword == "NEWSIG" || (closes && !open)) status.signatures.emplace_back();
        if (keyword == "NEWSIG") open = true;
        if (closes) open = false;
        if (!status.signatures.empty())
            Apply(status.signatures.back(), verdict == verdicts.end() ? nullptr : &verdict->second, line,
                  words);
    }
    for (PgpSignature& signature : status.signatures) {
        if (signature.failure.empty()) signature.failure = before;
    }
    return status;
}

void AgreeWithExit(GpgvStatus& status, int exit) {
    if (exit == 0) return;
    for (const PgpSignature& signature : status.signatures) {
        if (signature.state != State::Good) return;
    }
    for (PgpSignature& signature : status.signatures) {
        if (signature.failure.empty()) signature.failure = "exit status " + std::to_string(exit);
    }
}

}  // namespace fsum
