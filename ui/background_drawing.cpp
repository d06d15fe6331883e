#include "ui/background_drawing.h"

#include <chrono>
#include <future>
#include <utility>

TSharedDrawProgress::TSharedDrawProgress(std::function<bool(const TSharedDrawProgress&)> stop_when)
    : stop_when_(std::move(stop_when)) {}

void TSharedDrawProgress::begin(int total) {
    total_.store(total, std::memory_order_relaxed);
    done_.store(0, std::memory_order_relaxed);
}

void TSharedDrawProgress::advance(int done) {
    done_.store(done, std::memory_order_relaxed);
    if (stop_when_ && stop_when_(*this))
        stop_.request_stop();
}

bool run_drawing(const std::function<bool(TDrawProgress&)>& draw, TSharedDrawProgress& progress,
                 const std::function<void()>& watch) {
    std::future<bool> result =
        std::async(std::launch::async, [&draw, &progress] { return draw(progress); });
    while (result.wait_for(std::chrono::milliseconds(30)) != std::future_status::ready)
        watch();
    return result.get();
}
