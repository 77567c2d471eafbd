// Lists signed with OpenPGP's cleartext signature (gpg --clearsign), as many
// projects publish SHA256SUMS: the signed text between an armour header and
// the signature block, each of its lines that begins with '-' escaped as
// "- ". The signature itself is not checked.
#pragma once

#include <string>

namespace fsum {

class ClearSigned {
public:
    // Whether the line is the list's own (its dash escape, if any, undone in
    // `text` and, when it holds the line's bytes, in `raw`) or armour.
    bool IsText(std::string& text, std::string& raw);
    // Whether the list holds a signed message.
    bool seen() const { return seen_; }

private:
    enum class State { Outside, Header, Body, Signature } state_ = State::Outside;
    bool seen_ = false;
};

}  // namespace fsum
