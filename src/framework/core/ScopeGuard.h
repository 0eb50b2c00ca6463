// Guards that put state back when a scope ends, on every way out of it (a
// return, an exception), so that no code path has to remember to.
#pragma once

#include <exception>
#include <utility>

// Runs a function when the scope ends, unless dismissed first: for state that
// must be put back by a call (a counter through its own methods, a setting
// through its setter). On a normal way out a failure of the function reaches
// the caller; while an exception is already on its way out, the function's
// own failure is dropped and the first exception goes on.
template <class F>
class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit() noexcept(false) {
        if (!active_) return;
        if (std::uncaught_exceptions() == exceptionsAtStart_) {
            f_();
            return;
        }
        try {
            f_();
        } catch (...) {
        }
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    void Dismiss() { active_ = false; }

private:
    F f_;
    int exceptionsAtStart_ = std::uncaught_exceptions();
    bool active_ = true;
};

// Gives a variable a value for the length of a scope and puts the value it
// had back at the end: `Restore<bool> busy(busy_, true);`.
template <class T>
class Restore {
public:
    Restore(T& target, T value) : target_(target), saved_(std::exchange(target, std::move(value))) {}
    ~Restore() { target_ = std::move(saved_); }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;

private:
    T& target_;
    T saved_;
};
