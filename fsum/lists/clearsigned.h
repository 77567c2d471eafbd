// Lists signed with OpenPGP's cleartext signature (gpg --clearsign), as many
// projects publish SHA256SUMS: the signed text between an armour header and
// the signature block, each of its lines that begins with '-' escaped as
// "- ". The signature itself is not checked. A list that holds a signed
// message and anything else besides blank lines (text before or after it, a
// second one) is no signed list: whoever added that text did not sign it.
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
    // After the list's last line: why its lines cannot be taken as a signed
    // list ("text outside its signed part", ...), or nothing.
    std::string Fault() const;
    // The digests its "Hash:" header lines name ("SHA256", "SHA256,SHA512").
    const std::string& hashes() const { return hashes_; }

private:
    // A line in each state: outside the signed part, in its armour header,
    // in its text; Note keeps the first fault.
    bool Outside(const std::string& text);
    void Header(const std::string& text);
    bool Body(std::string& text, std::string& raw);
    void Note(const char* fault);

    enum class State { Outside, Header, Body, Signature } state_ = State::Outside;
    bool seen_ = false;
    bool outside_ = false;  // a line that is not blank stands outside the signed part
    std::string fault_;     // the first fault of the armour
    std::string hashes_;
};

}  // namespace fsum
