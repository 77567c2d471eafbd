#include "checks.h"

#include <cstdio>

#include "driver.h"

namespace uidriver {
namespace {

int passed = 0;
int failed = 0;

}  // namespace

void Check(bool ok, const std::string& what, const std::string& detail) {
    ok ? ++passed : ++failed;
    // The detail says what was seen; it matters only when the check failed.
    const bool show = !ok && !detail.empty();
    std::printf("%s %s%s%s\n", ok ? "ok  " : "FAIL", what.c_str(), show ? ": " : "",
                show ? detail.c_str() : "");
    std::fflush(stdout);
}

void CheckText(const std::string& actual, const std::string& expected, const std::string& what) {
    Check(actual == expected, what,
          actual == expected ? "" : "got [" + actual + "], want [" + expected + "]");
}

void CheckWindowText(HWND hwnd, const std::string& expected, const std::string& what) {
    std::string text;
    WaitFor([&] { return (text = TextOf(hwnd)) == expected; });
    CheckText(text, expected, what);
}

void CheckNumber(long long actual, long long expected, const std::string& what) {
    Check(actual == expected, what,
          actual == expected ? "" : "got " + std::to_string(actual) + ", want " + std::to_string(expected));
}

int Summary() {
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}

}  // namespace uidriver
