// The ownership helpers: a reference of a COM interface is given back
// exactly once, and state put back by a scope guard on every way out.
#include <gtest/gtest.h>

#include <stdexcept>

#include "Handles.h"

namespace {

// An interface that counts its references and reports its end.
class TCounted final : public IUnknown {
public:
    explicit TCounted(int& alive) : alive_(alive) { ++alive_; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
    ULONG STDMETHODCALLTYPE Release() override {
        int n = --refs;
        if (n == 0) {
            --alive_;
            delete this;
        }
        return static_cast<ULONG>(n);
    }
    int refs = 1;

private:
    ~TCounted() = default;
    int& alive_;
};

// As the platform hands out an interface: through an out parameter, with a reference.
void HandOut(int& alive, IUnknown** out) { *out = new TCounted(alive); }

}  // namespace

TEST(Handles, ComPtrGivesEachReferenceBackOnce) {
    int alive = 0;
    {
        ComPtr<IUnknown> a;
        HandOut(alive, a.Put());
        auto* raw = static_cast<TCounted*>(a.Get());
        EXPECT_EQ(raw->refs, 1);
        {
            ComPtr<IUnknown> b = a;  // a copy shares
            EXPECT_EQ(raw->refs, 2);
            ComPtr<IUnknown> c = std::move(b);  // a move does not
            EXPECT_EQ(raw->refs, 2);
            EXPECT_FALSE(b);
            c = a;  // assigning the same object keeps the count
            EXPECT_EQ(raw->refs, 2);
        }
        EXPECT_EQ(raw->refs, 1);
        HandOut(alive, a.Put());  // receiving again gives the old one back first
        EXPECT_EQ(alive, 1);
        ComPtr<IUnknown> shared(a.Get());
        EXPECT_EQ(static_cast<TCounted*>(a.Get())->refs, 2);
        IUnknown* kept = shared.Detach();
        auto back = ComPtr<IUnknown>::Attach(kept);
        EXPECT_EQ(static_cast<TCounted*>(a.Get())->refs, 2);
    }
    EXPECT_EQ(alive, 0);
}

TEST(Handles, ScopeExitRunsOnEveryWayOutUnlessDismissed) {
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

TEST(Handles, KernelHandleOwnerClosesOnceAndTakesEitherEmptyValue) {
    HANDLE raw = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(raw);
    {
        UniqueKernelHandle h(raw);
        UniqueKernelHandle moved = std::move(h);
        EXPECT_FALSE(h);
        EXPECT_TRUE(moved);
    }
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(raw, &flags)) << "closed with its owner";
    EXPECT_FALSE(UniqueKernelHandle(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(UniqueKernelHandle(nullptr));
}
