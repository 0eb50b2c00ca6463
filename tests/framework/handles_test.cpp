// The ownership helpers: a reference of a COM interface is given back
// exactly once, a handle closed with its owner. (The scope guards are
// tested natively with the platform-neutral code.)
#include <gtest/gtest.h>

#include "Handles.h"

namespace {

// An interface that counts its references (in the caller's counter) and
// its living objects.
class TCounted final : public IUnknown {
public:
    TCounted(int& refs, int& alive) : refs_(refs), alive_(alive) {
        refs_ = 1;
        ++alive_;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        int n = --refs_;
        if (n == 0) {
            --alive_;
            delete this;
        }
        return static_cast<ULONG>(n);
    }

private:
    ~TCounted() = default;
    int& refs_;
    int& alive_;
};

// As the platform hands out an interface: through an out parameter, with a reference.
void HandOut(int& refs, int& alive, IUnknown** out) { *out = new TCounted(refs, alive); }

}  // namespace

TEST(Handles, ComPtrGivesEachReferenceBackOnce) {
    int alive = 0, first = 0, second = 0;
    {
        ComPtr<IUnknown> a;
        HandOut(first, alive, a.Put());
        EXPECT_EQ(first, 1);
        {
            ComPtr<IUnknown> b = a;  // a copy shares
            EXPECT_EQ(first, 2);
            ComPtr<IUnknown> c = std::move(b);  // a move does not
            EXPECT_EQ(first, 2);
            EXPECT_FALSE(b);
            c = a;  // assigning the same object keeps the count
            EXPECT_EQ(first, 2);
        }
        EXPECT_EQ(first, 1);
        HandOut(second, alive, a.Put());  // receiving again gives the old one back first
        EXPECT_EQ(first, 0);
        EXPECT_EQ(alive, 1);
        ComPtr<IUnknown> shared(a.Get());
        EXPECT_EQ(second, 2);
        IUnknown* kept = shared.Detach();
        auto back = ComPtr<IUnknown>::Attach(kept);
        EXPECT_EQ(second, 2);
    }
    EXPECT_EQ(second, 0);
    EXPECT_EQ(alive, 0);
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

TEST(Handles, SelectionOwnerPutsBackWhatItsSelectionReplaced) {
    UniqueDc dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    auto current = [&] { return GetCurrentObject(dc.Get(), OBJ_BITMAP); };
    const HGDIOBJ original = current();
    UniqueBitmap first(CreateBitmap(4, 4, 1, 1, nullptr));
    UniqueBitmap second(CreateBitmap(4, 4, 1, 1, nullptr));
    {
        SelectRestorer held;  // as an object that keeps a context holds it
        held.Select(dc.Get(), first.Get());
        EXPECT_EQ(current(), first.Get());
        held.Select(dc.Get(), second.Get());  // the first goes back out before
        EXPECT_EQ(current(), second.Get());
        held.Restore();
        EXPECT_EQ(current(), original);
        held.Select(dc.Get(), first.Get());
        {
            SelectRestorer scoped(dc.Get(), second.Get());
            EXPECT_EQ(current(), second.Get());
        }
        EXPECT_EQ(current(), first.Get());
    }
    EXPECT_EQ(current(), original);
}
