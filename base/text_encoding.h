// How the program encodes text, in one place:
// - inside the program every string is UTF-8 (std::string);
// - Windows is called through its UTF-16 ("W") functions, converted here, so
//   any path a user can have arrives whole;
// - the check script is written in the console's OEM code page, the one cmd
//   reads batch files in.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// The text in the console's (OEM) code page `codePage`, GetOEMCP() on this
// system; false when some character has no exact form there.
bool ToOemCodePage(std::string_view utf8, std::string& oem, unsigned codePage);

}  // namespace corvane
