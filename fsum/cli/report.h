// The report as the user reads it: lines gathered and written in few calls,
// but never held back for long, and on a console one progress line that
// keeps replacing itself.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace fsum {

// Where text goes; false when it could not be written.
using Sink = std::function<bool(std::string_view)>;

// A name as the report shows it: every control character (C0, DEL and C1,
// such as a terminal's CSI) in a visible escaped form, \x1B or \u009B, so
// that no list can drive the terminal.
std::string Visible(std::string_view name);
// Text someone else wrote that vouches for something (a key's user id or
// comment, a signature's trusted comment): as Visible, and the Unicode
// format characters escaped too, bidi overrides such as U+202E among them,
// which could make "evil" read as "live" beside the word "good".
std::string VisibleText(std::string_view text);

// The text in at most `columns` columns of a console, East Asian wide
// characters counted as two: whole, or its end behind "...".
std::string FitColumns(const std::string& text, std::size_t columns);

// The colour of a verdict on a console: good green, bad red, one to look
// at yellow.
enum class Paint { None, Good, Bad, Heed };

// The text with its first `length` bytes in the colour, as ANSI SGR codes
// (the Windows console writer turns them into the console's attributes).
std::string Painted(const std::string& text, Paint paint, std::size_t length = std::string::npos);

class Report {
public:
    // `colour`: verdicts in colour (a console, and NO_COLOR not set).
    Report(const Sink& out, bool console, bool colour = false)
        : out_(out), console_(console), colour_(colour) {}

    // A line of the report; `now` shows it at once (a FAILED line), the others
    // within a fifth of a second. With colour, its first `painted` bytes are
    // in the paint's.
    void Line(const std::string& text, bool now = false, Paint paint = Paint::None,
              std::size_t painted = std::string::npos);
    // On a console only: the progress line, in place of the last one.
    void Progress(const std::string& text);
    void Flush();

    bool console() const { return console_; }
    // Whether some text could not be written.
    bool failed() const { return failed_; }

private:
    void ClearProgress();

    const Sink& out_;
    const bool console_;
    const bool colour_;
    std::string pending_;
    std::chrono::steady_clock::time_point lastFlush_ = std::chrono::steady_clock::now();
    std::size_t progressWidth_ = 0;
    bool failed_ = false;
};

}  // namespace fsum
