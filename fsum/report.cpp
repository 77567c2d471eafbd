#include "report.h"

namespace fsum {
namespace {

constexpr auto kHoldAtMost = std::chrono::milliseconds(200);
constexpr std::size_t kGatherAtMost = 64 * 1024;

}  // namespace

void Report::Line(const std::string& text, bool now) {
    ClearProgress();
    pending_ += text;
    pending_ += '\n';
    if (now || pending_.size() > kGatherAtMost ||
        std::chrono::steady_clock::now() - lastFlush_ > kHoldAtMost) {
        Flush();
    }
}

void Report::Progress(const std::string& text) {
    if (!console_) return;
    Flush();
    std::string line = "\r" + text;
    if (text.size() < progressWidth_) line += std::string(progressWidth_ - text.size(), ' ');
    progressWidth_ = text.size();
    failed_ |= !out_(line);
}

void Report::ClearProgress() {
    if (!progressWidth_) return;
    failed_ |= !out_("\r" + std::string(progressWidth_, ' ') + "\r");
    progressWidth_ = 0;
}

void Report::Flush() {
    lastFlush_ = std::chrono::steady_clock::now();
    if (pending_.empty()) return;
    failed_ |= !out_(pending_);
    pending_.clear();
}

}  // namespace fsum
