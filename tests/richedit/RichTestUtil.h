// Rich text controls on test forms, made from layouts written in code.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "TestUtil.h"
#include "richedit/wwRichEdit.h"

namespace richtest {

using layout::Node;
using layout::Value;
using EditProps = std::vector<std::pair<std::string, Value>>;

// A stored document as the layout compiler writes it: a 32-bit count, then the bytes.
inline Value DataOf(const std::string& rtf) {
    std::string s;
    auto n = static_cast<std::uint32_t>(rtf.size());
    for (int k = 0; k < 4; ++k) s += static_cast<char>((n >> (8 * k)) & 0xFF);
    return Value::Bin(s + rtf);
}

inline EditProps Bounds(int l, int t, int w, int h) {
    return {{"Left", Value::Int(l)}, {"Top", Value::Int(t)}, {"Width", Value::Int(w)}, {"Height", Value::Int(h)}};
}

// A form holding one TwwDBRichEdit named RichEdit1 with the given settings.
inline testsupport::TTestForm* FormWith(EditProps editProps, int clientWidth = 420, int clientHeight = 320) {
    Node edit{"TwwDBRichEdit", "RichEdit1", Bounds(10, 10, 360, 240), {}};
    for (auto& p : editProps) edit.props.push_back(std::move(p));
    Node form{"TTestForm", "Form1", {{"ClientWidth", Value::Int(clientWidth)}, {"ClientHeight", Value::Int(clientHeight)},
                                     {"Caption", Value::Str("Rich text test")}}, {edit}};
    // A layout that cannot be read leaves no form behind.
    auto f = std::make_unique<testsupport::TTestForm>();
    f->Load(form);
    return f.release();
}

inline TwwDBRichEdit* EditOf(TForm* f, const std::string& name = "RichEdit1") {
    return dynamic_cast<TwwDBRichEdit*>(f->FindComponent(name));
}

// A control made in code on a hidden form (version 2, no layout).
struct Fixture {
    testsupport::TTestForm* form;
    TwwDBRichEdit* edit;
    Fixture() : form(new testsupport::TTestForm()), edit(new TwwDBRichEdit(form)) {
        form->SetBounds(100, 100, 440, 340);
        edit->SetName("RichEdit1");
        edit->SetBounds(10, 10, 360, 240);
        edit->SetParent(form);
    }
    ~Fixture() { delete form; }
    Fixture(const Fixture&) = delete;
    Fixture& operator=(const Fixture&) = delete;
};

// A screen point inside the character at index of a rich edit window.
inline POINT ScreenPointOf(HWND w, int index) {
    POINTL p{};
    SendMessageA(w, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), index);
    POINT s{p.x + 3, p.y + 6};
    ClientToScreen(w, &s);
    return s;
}

inline std::string Rtf(const std::string& body) {
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 " + body + "}";
}

// A stream that fails every read after the first limit bytes.
class TFailingStream : public TMemoryStream {
public:
    explicit TFailingStream(std::size_t limit) : limit_(limit) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        if (Position() >= static_cast<std::int64_t>(limit_)) throw EReadError("disk gone");
        return TMemoryStream::Read(buffer, count);
    }

private:
    std::size_t limit_;
};

// The memory stream reads in slices of a fixed size, so tests can place
// bytes at the edge of one read.
class TSlicedStream : public TMemoryStream {
public:
    explicit TSlicedStream(std::size_t slice) : slice_(slice) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        return TMemoryStream::Read(buffer, std::min(count, slice_));
    }

private:
    std::size_t slice_;
};

}  // namespace richtest
