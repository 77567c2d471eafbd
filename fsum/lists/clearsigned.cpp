#include "clearsigned.h"

#include <string_view>

namespace fsum {
namespace {

// An armour line, which may carry trailing blanks.
bool Is(const std::string& line, std::string_view armour) {
    return line.compare(0, armour.size(), armour) == 0 &&
           line.find_first_not_of(" \t", armour.size()) == std::string::npos;
}

bool IsBlankLine(const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; }

// Whether an armour line stands in the line, with other text beside it: a
// blank, a no-break space or a lone CR before it hides it from a shape
// check that only looks at the line's start, not from gpgv.
bool HoldsArmour(const std::string& line) {
    return line.find("-----BEGIN PGP ") != std::string::npos ||
           line.find("-----END PGP ") != std::string::npos;
}

void Unescape(std::string& line) {
    if (line.compare(0, 2, "- ") == 0) line.erase(0, 2);
}

constexpr char kBegin[] = "-----BEGIN PGP SIGNED MESSAGE-----";

}  // namespace

bool ClearSigned::IsText(std::string& text, std::string& raw) {
    switch (state_) {
        case State::Outside:
            return Outside(text);
        case State::Header:
            Header(text);
            return false;
        case State::Body:
            return Body(text, raw);
        case State::Signature:
            if (Is(text, "-----END PGP SIGNATURE-----")) state_ = State::Outside;
            return false;
    }
    return true;
}

bool ClearSigned::Outside(const std::string& text) {
    if (!Is(text, kBegin)) {
        outside_ = outside_ || !IsBlankLine(text);
        if (HoldsArmour(text)) Note("an armour line with other text on it");
        seen_ = seen_ || HoldsArmour(text);
        return true;
    }
    if (seen_) Note("more than one signed part");
    seen_ = true;
    state_ = State::Header;
    return false;
}

// "Hash: SHA256" lines, to an empty line (blanks allowed).
void ClearSigned::Header(const std::string& text) {
    if (IsBlankLine(text)) {
        state_ = State::Body;
    } else if (text.compare(0, 6, "Hash: ") == 0) {
        hashes_ += (hashes_.empty() ? "" : ",") + text.substr(6, text.find_last_not_of(" \t") - 5);
    } else {
        Note("a line in its armour header that is not \"Hash: ...\" (or no empty line after it)");
    }
}

bool ClearSigned::Body(std::string& text, std::string& raw) {
    if (Is(text, "-----BEGIN PGP SIGNATURE-----")) {
        state_ = State::Signature;
        return false;
    }
    if (Is(text, kBegin)) Note("a signed part inside another");
    // A line that begins with '-' is escaped "- "; one that is not, apt's
    // reader refuses, and so does this one, lest two readers take the text
    // two ways.
    if (!text.empty() && text[0] == '-' && text.compare(0, 2, "- ") != 0)
        Note("a line in its signed text that begins with \"-\" without the \"- \" escape");
    Unescape(text);
    Unescape(raw);
    return true;
}

void ClearSigned::Note(const char* fault) {
    if (fault_.empty()) fault_ = fault;
}

std::string ClearSigned::Fault() const {
    if (!seen_) return "";
    if (!fault_.empty()) return fault_;
    if (outside_) return "text outside its signed part";
    if (state_ != State::Outside) return "a signed part that does not end";
    return "";
}

}  // namespace fsum
