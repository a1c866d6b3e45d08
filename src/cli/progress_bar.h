// The progress of a sweep or calibration on a terminal line: points done of
// all, and the time left at the rate so far. It stays silent for the first
// second, so that quick runs print nothing, and redraws a few times a second
// at most. Waits for the user (a calibration prompt) are left out of the rate.
#pragma once

#include <functional>
#include <ostream>

namespace orbilan::cli {

class ProgressBar {
public:
    // clock gives seconds from any fixed origin.
    ProgressBar(std::ostream& out, int total, std::function<double()> clock);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // One more point measured.
    void step();
    // The user is being asked something: the line is cleared and the time
    // until resume() does not count.
    void pause();
    void resume();
    // Ends the line when one was drawn.
    void finish();

    int done() const { return done_; }
    bool shown() const { return shown_; }

    // "[#####-----]  37/401 points  0:12 left"
    static std::string line(int done, int total, double secondsLeft, int width = 30);

private:
    double elapsed() const;
    void draw();
    void clearLine();

    std::ostream& out_;
    int total_;
    std::function<double()> clock_;
    double start_ = 0;
    double pausedAt_ = -1;
    double pausedTotal_ = 0;
    double lastDraw_ = -1;
    int done_ = 0;
    bool shown_ = false;
    bool finished_ = false;
    std::size_t lastWidth_ = 0;
};

// Seconds from a steady clock, for the bar.
double steadySeconds();

} // namespace orbilan::cli
