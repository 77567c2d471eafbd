#include "clearsigned.h"

#include <string_view>

namespace fsum {
namespace {

// An armour line, which may carry trailing blanks.
bool Is(const std::string& line, std::string_view armour) {
    return line.compare(0, armour.size(), armour) == 0 &&
           line.find_first_not_of(" \t", armour.size()) == std::string::npos;
}

void Unescape(std::string& line) {
    if (line.compare(0, 2, "- ") == 0) line.erase(0, 2);
}

}  // namespace

bool ClearSigned::IsText(std::string& text, std::string& raw) {
    switch (state_) {
        case State::Outside:
            if (!Is(text, "-----BEGIN PGP SIGNED MESSAGE-----")) return true;
            seen_ = true;
            state_ = State::Header;
            return false;
        case State::Header:  // "Hash: SHA256" and the like, to a blank line
            if (text.find_first_not_of(" \t") == std::string::npos) state_ = State::Body;
            return false;
        case State::Body:
            if (Is(text, "-----BEGIN PGP SIGNATURE-----")) {
                state_ = State::Signature;
                return false;
            }
            Unescape(text);
            Unescape(raw);
            return true;
        case State::Signature:
            if (Is(text, "-----END PGP SIGNATURE-----")) state_ = State::Outside;
            return false;
    }
    return true;
}

}  // namespace fsum
