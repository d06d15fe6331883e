#pragma once

// Two independent pieces of work at once, for readers whose halves do not depend on each other:
// the machines the program runs on have two cores at least, and a large file is read in half
// the time.

#include <exception>
#include <system_error>
#include <thread>

// Runs second on a thread of its own while first runs here, and returns when both have ended.
// Where there is no second core, or no thread to be had, the two run here one after the other.
// An exception of either is thrown again here once both have ended, first's before second's.
template <typename First, typename Second> void run_both(First&& first, Second&& second) {
    if (std::thread::hardware_concurrency() < 2) {
        first();
        second();
        return;
    }
    std::exception_ptr second_error;
    std::thread thread;
    try {
        thread = std::thread([&] {
            try {
                second();
            } catch (...) {
                second_error = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        first();
        second();
        return;
    }
    std::exception_ptr first_error;
    try {
        first();
    } catch (...) {
        first_error = std::current_exception();
    }
    thread.join();
    if (first_error)
        std::rethrow_exception(first_error);
    if (second_error)
        std::rethrow_exception(second_error);
}
