#pragma once

// Lets a run on a worker thread be abandoned part-way, so that a window can give up its points at
// once: most runs take milliseconds, but a mixture whose equilibrium never settles spends many
// seconds in the iterative solver before the second solver takes over. The stop is asked for
// through a std::stop_token that the thread running the point holds for the run; runs on threads
// that hold none (the screens' own Calculate, the command line) are never stopped.

#include <exception>
#include <stop_token>

namespace quandrelle {

// Thrown out of a run whose stop was asked for. Not a calculation error: nothing is wrong with the
// inputs, and the state the run leaves is of no use.
class RunStopped : public std::exception {
public:
    const char* what() const noexcept override { return "The calculation was stopped."; }
};

// For its lifetime, runs on this thread end with RunStopped soon after `token` asks them to stop.
class ScopedRunStop {
public:
    explicit ScopedRunStop(std::stop_token token);
    ~ScopedRunStop();
    ScopedRunStop(const ScopedRunStop&) = delete;
    ScopedRunStop& operator=(const ScopedRunStop&) = delete;

private:
    std::stop_token m_token;
    const std::stop_token* m_outer;
};

// Throws RunStopped when the run on this thread has been asked to stop. The engine calls it in
// every loop whose length the inputs decide.
void throwIfRunStopped();

}  // namespace quandrelle
