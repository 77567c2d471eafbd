#include "base/text_encoding.h"

#include <windows.h>

namespace corvane {

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

std::string Utf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size, nullptr,
                        nullptr);
    return utf8;
}

namespace {

// The flags WideCharToMultiByte takes for a code page. Best fit stays off
// wherever it can be (a look-alike would name another folder); UTF-8 takes
// only WC_ERR_INVALID_CHARS, which refuses a lone surrogate instead of
// replacing it, and the code pages below take no flags at all. Windows
// fails the call for any other flags, where Wine lets them pass.
DWORD ConversionFlags(UINT codePage) {
    if (codePage == CP_UTF8) return WC_ERR_INVALID_CHARS;
    const bool noFlags = codePage == 42 || codePage == CP_UTF7 || (codePage >= 50220 && codePage <= 50229) ||
                         (codePage >= 57002 && codePage <= 57011);
    return noFlags ? 0 : WC_NO_BEST_FIT_CHARS;
}

}  // namespace

bool ToOemCodePage(std::string_view utf8, std::string& oem, unsigned codePage) {
    oem.clear();
    if (utf8.empty()) return true;
    const std::wstring wide = Wide(utf8);
    const int length = static_cast<int>(wide.size());
    const DWORD flags = ConversionFlags(codePage);
    const int size = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return false;
    oem.resize(static_cast<size_t>(size));
    WideCharToMultiByte(codePage, flags, wide.data(), length, oem.data(), size, nullptr, nullptr);
    // Exact only if the bytes read back as the same text: a character the
    // code page lacks comes back as its default character or a look-alike.
    // (The report of a used default is not given for every code page.)
    const int back = MultiByteToWideChar(codePage, 0, oem.data(), size, nullptr, 0);
    std::wstring readBack(static_cast<size_t>(back > 0 ? back : 0), L'\0');
    MultiByteToWideChar(codePage, 0, oem.data(), size, readBack.data(), back);
    return readBack == wide;
}

}  // namespace corvane
