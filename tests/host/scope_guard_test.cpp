// The scope guards: state put back on every way out of a scope, and a
// failure while putting it back never hides the failure that left the scope.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "ScopeGuard.h"

TEST(ScopeGuard, ScopeExitRunsOnEveryWayOutUnlessDismissed) {
    int state = 1;
    try {
        ScopeExit restore([&] { state = 1; });
        state = 2;
        throw std::runtime_error("failed half-way");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(state, 1);
    {
        ScopeExit restore([&] { state = 1; });
        state = 3;
        restore.Dismiss();
    }
    EXPECT_EQ(state, 3);
}

TEST(ScopeGuard, AFailureWhilePuttingBackReachesTheCallerOnlyWhenNothingElseFailed) {
    auto putBackFails = [] { throw std::logic_error("put back failed"); };
    // A normal way out: the caller hears of the failed put-back.
    try {
        {
            ScopeExit restore(putBackFails);
        }
        ADD_FAILURE() << "the put-back's failure was not thrown";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "put back failed");
    }
    // Left by an exception: that exception reaches the caller, not the put-back's.
    std::string caught;
    try {
        ScopeExit restore(putBackFails);
        throw std::runtime_error("the work failed");
    } catch (const std::exception& e) {
        caught = e.what();
    }
    EXPECT_EQ(caught, "the work failed");
    // A guard made while an exception is on its way (in a destructor during
    // unwinding) and left normally is a normal way out of its own scope.
    struct PutsBackOnUnwind {
        int& heard;
        ~PutsBackOnUnwind() {
            try {
                ScopeExit inner([] { throw std::logic_error("put back failed"); });
            } catch (const std::logic_error&) {
                ++heard;
            }
        }
    };
    int heard = 0;
    try {
        PutsBackOnUnwind p{heard};
        throw std::runtime_error("unwinding");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(heard, 1);
}

TEST(ScopeGuard, RestorePutsBackTheValueItFoundNestedAndOnAFailure) {
    bool busy = false;
    {
        Restore<bool> outer(busy, true);
        EXPECT_TRUE(busy);
        {
            Restore<bool> inner(busy, false);
            EXPECT_FALSE(busy);
        }
        EXPECT_TRUE(busy) << "the inner guard put back the outer guard's value";
    }
    EXPECT_FALSE(busy);

    // A handler taken away for a while (nobody hears of the change) and put
    // back after a failure.
    int heard = 0;
    std::function<void()> handler = [&] { ++heard; };
    try {
        Restore<std::function<void()>> quiet(handler, nullptr);
        EXPECT_FALSE(handler);
        throw std::runtime_error("failed");
    } catch (const std::runtime_error&) {
    }
    ASSERT_TRUE(handler);
    handler();
    EXPECT_EQ(heard, 1);
}
