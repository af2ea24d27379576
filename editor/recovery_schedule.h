#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <utility>

namespace editor {

// When the recovery copy of unsaved work is due: at most `delay` after the first change that the
// copy lacks. Later changes before that moment go into the same write; they never push it back,
// so a user who keeps painting still gets a copy every `delay`. No toolkit and no timer of its
// own: the clock is injected, and the program's event loop asks when to look again.
class RecoverySchedule {
  public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;
    static constexpr std::chrono::milliseconds kDefaultDelay{10000};

    explicit RecoverySchedule(Now now = Clock::now) : now_(std::move(now)) {}

    void SetDelay(std::chrono::milliseconds delay) { delay_ = delay; }
    // The work changed and is unsaved.
    void Changed() {
        if (!due_) {
            due_ = now_() + delay_;
        }
    }
    // The copy holds the work as it is now.
    void Written() { due_.reset(); }
    // Nothing is unsaved: no copy is wanted.
    void Cancel() { due_.reset(); }

    bool Pending() const { return due_.has_value(); }
    bool IsDue() const { return due_ && now_() >= *due_; }
    // How long until the copy is due (zero once it is); nothing while no copy is wanted.
    std::optional<std::chrono::milliseconds> TimeLeft() const {
        if (!due_) {
            return std::nullopt;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*due_ - now_());
        return std::max(left, std::chrono::milliseconds{0});
    }

  private:
    Now now_;
    std::chrono::milliseconds delay_ = kDefaultDelay;
    std::optional<Clock::time_point> due_;
};

}  // namespace editor
