// A checksum list's signatures, found and checked before any file is read:
// the list clearsigned (OpenPGP) or carrying its signify signature, or a
// signature file beside it (the list's name with .sig, .asc, .gpg, .sign
// or .minisig), known by its content. The list's bytes are read once; the
// signatures are checked over those bytes, and the entries are read from
// exactly what was signed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "signed_data.h"
#include "trusted_keys.h"
#include "verdicts.h"

namespace fsum {

// A line of the report's top, with the kind that colours it.
struct SignatureLine {
    SignatureKind kind;
    std::string text;
};

// The names a signature file has beside what it signs: that file's name
// and one of these.
inline constexpr const char* kSignatureFiles[] = {".sig", ".asc", ".gpg", ".sign", ".minisig"};

// The largest signature file the tool reads.
inline constexpr std::size_t kLargestSignature = std::size_t{1} << 20;
// Whether a file with a signature file's name lies beside the path.
bool SignatureFileBeside(const std::string& path);

// A file beside a list or a download with a signature file's name, read
// whole once (a signature is small), or why it could not be.
struct SignatureFile {
    std::string path, bytes, error;
};
std::vector<SignatureFile> SignatureFilesBeside(const std::string& path);

// Whether the bytes are a signature by their content: minisign or signify
// (not signify -e, which carries a list), OpenPGP (binary, armoured,
// clearsigned) or SSH.
bool IsSignature(std::string_view bytes);

// What a download's signatures are over besides what gpgv reads itself:
// digests the tool makes in its one read, and whether some signature is
// over the bytes whole.
struct SignedOver {
    std::vector<Algorithm> digests;
    bool whole = false;
};
SignedOver WhatIsSigned(const std::vector<SignatureFile>& files);

struct SignedList {
    std::vector<SignatureLine> lines;  // a line for each signature, for the report's top
    std::string refusal;               // why no file may be checked, if so
    bool found = false;                // the list has some signature
    bool trusted = false;              // a good signature by a trusted key, and no BAD one
    bool bad = false;                  // some signature is BAD
    std::string goodBy, badBy;         // the first good signature's signer, and the first BAD one's
    std::string text;                  // the bytes the entries are read from
    bool clearsigned = false;          // `text` is the signed message itself, its armour still in it
};

// Whether the list may be signed: it is clearsigned (`clearsigned`, from
// reading its shape), its first line is a signify comment, or a file beside
// it has a signature file's name.
bool MayBeSigned(const std::string& listPath, std::string_view firstBytes, bool clearsigned);

// The line that says a list has no signature, and where the tool looked.
std::string NoSignatureLine(const std::string& listPath);

// The signatures of the list whose bytes are `list`; `hashHeader`: what
// a clearsigned list's "Hash:" lines name, comma-separated.
SignedList CheckSignatures(const std::string& listPath, std::string list, bool clearsigned,
                           const std::string& hashHeader, const TrustedKeys& keys);

// The signatures of a download, a file that is no list, in the signature
// files beside it: over the data made of it as WhatIsSigned says.
SignedList CheckDownloadSignatures(const std::string& path, const std::vector<SignatureFile>& files,
                                   const SignedData& data, const TrustedKeys& keys);

}  // namespace fsum
