#pragma once

// A drawing run on a thread of its own while the window waits for it, so that the user can
// cancel it. The drawing reads what the session holds: until it has ended, the waiting thread
// changes none of it. Its watch may repaint and, behind a modal dialog, let the user press
// Cancel; nothing else runs.

#include "session/session.h"

#include <atomic>
#include <functional>
#include <stop_token>

// How far a drawing on another thread has come, read on this one, and the request to stop it.
class TSharedDrawProgress : public TDrawProgress {
public:
    // stop_when, if given, is asked on the drawing thread after each count: true stops the
    // drawing there, as a request from this thread does.
    explicit TSharedDrawProgress(std::function<bool(const TSharedDrawProgress&)> stop_when = {});

    void begin(int total) override;
    void advance(int done) override;
    void end() override {}
    std::stop_token stop_request() const override { return stop_.get_token(); }

    void request_stop() { stop_.request_stop(); }
    bool stop_requested() const { return stop_.stop_requested(); }
    int total() const { return total_.load(std::memory_order_relaxed); }
    int done() const { return done_.load(std::memory_order_relaxed); }

private:
    std::function<bool(const TSharedDrawProgress&)> stop_when_;
    std::atomic<int> total_{0};
    std::atomic<int> done_{0};
    std::stop_source stop_;
};

// Runs draw(progress) on a thread of its own and returns what it returns; meanwhile watch() is
// called on this thread about every 30 ms.
bool run_drawing(const std::function<bool(TDrawProgress&)>& draw, TSharedDrawProgress& progress,
                 const std::function<void()>& watch);
