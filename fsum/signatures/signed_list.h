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

#include "trusted_keys.h"
#include "verdicts.h"

namespace fsum {

// A line of the report's top, with the kind that colours it.
struct SignatureLine {
    SignatureKind kind;
    std::string text;
};

struct SignedList {
    std::vector<SignatureLine> lines;  // a line for each signature, for the report's top
    std::string refusal;               // why no file may be checked, if so
    bool found = false;                // the list has some signature
    bool trusted = false;              // a good signature by a trusted key, and no BAD one
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

}  // namespace fsum
