#include "cli/progress_bar.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>

namespace orbilan::cli {

namespace {

// Quick runs stay silent; after this the bar appears.
constexpr double ShowAfterSeconds = 1.0;
// A terminal redrawn on every point of a fast sweep only flickers.
constexpr double RedrawSeconds = 0.1;

std::string minutesSeconds(double seconds)
{
    const long long s = seconds <= 0 ? 0 : static_cast<long long>(std::llround(seconds));
    std::string out = std::to_string(s / 60) + ":";
    const long long rest = s % 60;
    if (rest < 10)
        out += '0';
    return out + std::to_string(rest);
}

} // namespace

double steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

ProgressBar::ProgressBar(std::ostream& out, int total, std::function<double()> clock)
    : out_(out), total_(std::max(total, 1)), clock_(std::move(clock))
{
    start_ = clock_();
}

ProgressBar::~ProgressBar() { finish(); }

std::string ProgressBar::line(int done, int total, double secondsLeft, int width)
{
    total = std::max(total, 1);
    done = std::clamp(done, 0, total);
    const int filled = static_cast<int>(static_cast<long long>(done) * width / total);
    std::string bar = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                      std::string(static_cast<std::size_t>(width - filled), '-') + "]  ";
    bar += std::to_string(done) + "/" + std::to_string(total) + " points  ";
    bar += done >= total ? "done" : minutesSeconds(secondsLeft) + " left";
    return bar;
}

double ProgressBar::elapsed() const
{
    const double now = pausedAt_ >= 0 ? pausedAt_ : clock_();
    return now - start_ - pausedTotal_;
}

void ProgressBar::step()
{
    if (finished_)
        return;
    done_ = std::min(done_ + 1, total_);
    const double t = elapsed();
    if (t < ShowAfterSeconds)
        return;
    if (shown_ && done_ < total_ && t - lastDraw_ < RedrawSeconds)
        return;
    lastDraw_ = t;
    draw();
}

void ProgressBar::draw()
{
    const double t = elapsed();
    const double left = done_ > 0 ? t / done_ * (total_ - done_) : 0;
    const std::string text = line(done_, total_, left);
    out_ << '\r' << text;
    // A shorter line than the last must not leave its tail behind.
    if (text.size() < lastWidth_)
        out_ << std::string(lastWidth_ - text.size(), ' ');
    out_ << std::flush;
    lastWidth_ = std::max(lastWidth_, text.size());
    shown_ = true;
}

void ProgressBar::clearLine()
{
    if (!shown_ || lastWidth_ == 0)
        return;
    out_ << '\r' << std::string(lastWidth_, ' ') << '\r' << std::flush;
}

void ProgressBar::pause()
{
    if (pausedAt_ >= 0)
        return;
    pausedAt_ = clock_();
    clearLine();
}

void ProgressBar::resume()
{
    if (pausedAt_ < 0)
        return;
    pausedTotal_ += clock_() - pausedAt_;
    pausedAt_ = -1;
    if (shown_)
        draw();
}

void ProgressBar::finish()
{
    if (finished_)
        return;
    finished_ = true;
    if (shown_) {
        draw();
        out_ << '\n' << std::flush;
    }
}

} // namespace orbilan::cli
