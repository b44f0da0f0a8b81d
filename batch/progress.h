#pragma once

// The progress line of a run on a terminal: stands done, of how many, and the time left.

#include <chrono>
#include <cstdio>
#include <string>

namespace lodra::batch {

inline std::string durationText(double seconds) {
    const long total = static_cast<long>(seconds + 0.5);
    if (total < 60) {
        return std::to_string(total) + " s";
    }
    return std::to_string(total / 60) + " min " + std::to_string(total % 60) + " s";
}

class Progress {
  public:
    Progress(std::FILE* out, bool enabled, int total)
        : out_(out), enabled_(enabled), total_(total) {}

    void update(int done) {
        if (!enabled_) {
            return;
        }
        const auto now = Clock::now();
        if (done < total_ && now - shown_ < std::chrono::milliseconds(200)) {
            return;
        }
        shown_ = now;
        const double elapsed = std::chrono::duration<double>(now - start_).count();
        const double left = done > 0 ? elapsed / done * (total_ - done) : 0.0;
        std::fprintf(out_, "\r\x1b[K%d av %d bestånd beräknade, cirka %s kvar", done, total_,
                     durationText(left).c_str());
        std::fflush(out_);
        visible_ = true;
    }

    // Takes the line away before a message, or at the end.
    void clear() {
        if (visible_) {
            std::fputs("\r\x1b[K", out_);
            std::fflush(out_);
            visible_ = false;
        }
    }

  private:
    using Clock = std::chrono::steady_clock;
    std::FILE* out_;
    bool enabled_;
    int total_;
    bool visible_ = false;
    Clock::time_point start_ = Clock::now();
    Clock::time_point shown_{};
};

}  // namespace lodra::batch
