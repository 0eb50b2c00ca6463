#include "LayoutStream.h"

#include <cstring>

namespace layout {

namespace {
constexpr std::uint32_t kMaxDepth = 64;
}

const char* TagName(Tag t) {
    switch (t) {
    case Tag::End: return "end";
    case Tag::Int: return "integer";
    case Tag::Double: return "number";
    case Tag::String: return "string";
    case Tag::Ident: return "identifier";
    case Tag::False: case Tag::True: return "boolean";
    case Tag::Set: return "set";
    case Tag::Binary: return "binary";
    case Tag::List: return "list";
    case Tag::Child: return "child";
    }
    return "unknown";
}

void Writer::Magic() { buf_.append(kMagic, 4); }
void Writer::U8(std::uint8_t v) { buf_.push_back(static_cast<char>(v)); }
void Writer::U32(std::uint32_t v) {
    for (int k = 0; k < 4; ++k) buf_.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
}
void Writer::F64(double v) {
    std::uint64_t u;
    std::memcpy(&u, &v, 8);
    for (int k = 0; k < 8; ++k) buf_.push_back(static_cast<char>((u >> (8 * k)) & 0xFF));
}
void Writer::Bytes(std::string_view b) { buf_.append(b.data(), b.size()); }
void Writer::Text(std::string_view s) {
    U32(static_cast<std::uint32_t>(s.size()));
    Bytes(s);
}

void Writer::Put(const Value& v) {
    TagOnly(v.tag);
    switch (v.tag) {
    case Tag::Int: I32(v.i); break;
    case Tag::Double: F64(v.d); break;
    case Tag::String: case Tag::Ident: case Tag::Binary: Text(v.s); break;
    case Tag::Set:
        U32(static_cast<std::uint32_t>(v.set.size()));
        for (auto& m : v.set) Text(m);
        break;
    case Tag::List:
        U32(static_cast<std::uint32_t>(v.list.size()));
        for (auto& item : v.list) Put(item);
        break;
    default: break;
    }
}

void Writer::BeginComponent(std::string_view className, std::string_view name) {
    Text(className);
    Text(name);
}

void Writer::Property(std::string_view name, const Value& v) {
    Text(name);
    Put(v);
}

void Reader::Fail(const std::string& what) const {
    std::string msg = "Layout";
    if (!window.empty()) msg += " of " + window;
    if (!component.empty()) msg += ", component " + component;
    if (!property.empty()) msg += ", property " + property;
    msg += ": " + what;
    throw StreamError(msg);
}

void Reader::EnterComponent() {
    if (++componentDepth_ > kMaxComponentDepth)
        Fail("components nested more than " + std::to_string(kMaxComponentDepth) + " deep");
}

void Reader::ExpectEnd(const std::string& what) const {
    if (pos_ < size_)
        Fail(what + " is followed by " + std::to_string(size_ - pos_) + " bytes its count does not cover (" +
             std::to_string(pos_) + " of " + std::to_string(size_) + " bytes read)");
}

void Reader::Need(std::size_t n) {
    if (n > size_ - pos_) Fail("stream ends early (needs " + std::to_string(n) + " bytes at offset " +
                               std::to_string(pos_) + ", " + std::to_string(size_ - pos_) + " left)");
}

void Reader::Magic() {
    Need(4);
    if (std::memcmp(p_ + pos_, kMagic, 4) != 0) Fail("not a component stream (bad signature)");
    pos_ += 4;
}

std::uint8_t Reader::U8() {
    Need(1);
    return p_[pos_++];
}

std::uint32_t Reader::U32() {
    Need(4);
    std::uint32_t v = 0;
    for (int k = 0; k < 4; ++k) v |= static_cast<std::uint32_t>(p_[pos_ + k]) << (8 * k);
    pos_ += 4;
    return v;
}

double Reader::F64() {
    Need(8);
    std::uint64_t u = 0;
    for (int k = 0; k < 8; ++k) u |= static_cast<std::uint64_t>(p_[pos_ + k]) << (8 * k);
    pos_ += 8;
    double d;
    std::memcpy(&d, &u, 8);
    return d;
}

std::string_view Reader::View(std::size_t n) {
    Need(n);
    std::string_view s(reinterpret_cast<const char*>(p_ + pos_), n);
    pos_ += n;
    return s;
}

std::string Reader::Bytes(std::size_t n) { return std::string(View(n)); }

std::string Reader::Text() { return Bytes(U32()); }

std::string_view Reader::TextView() { return View(U32()); }

Tag Reader::ReadTag() {
    std::uint8_t t = U8();
    if (t > static_cast<std::uint8_t>(Tag::Child)) Fail("unknown value marker " + std::to_string(t));
    return static_cast<Tag>(t);
}

Tag Reader::PeekTag() {
    Need(1);
    std::uint8_t t = p_[pos_];
    if (t > static_cast<std::uint8_t>(Tag::Child)) Fail("unknown value marker " + std::to_string(t));
    return static_cast<Tag>(t);
}

Value Reader::Get() { return GetAfter(ReadTag()); }

Value Reader::GetAfter(Tag t) {
    Value v;
    v.tag = t;
    switch (t) {
    case Tag::Int: v.i = I32(); break;
    case Tag::Double: v.d = F64(); break;
    case Tag::String: case Tag::Ident: case Tag::Binary: v.s = Text(); break;
    case Tag::True: case Tag::False: break;
    case Tag::Set: {
        std::uint32_t n = U32();
        // Each member takes at least its 4-byte length: a count beyond that is corrupt.
        if (n > Remaining() / 4) Fail("set count " + std::to_string(n) + " runs past the end of the stream");
        for (std::uint32_t k = 0; k < n; ++k) v.set.push_back(Text());
        break;
    }
    case Tag::List: {
        std::uint32_t n = U32();
        if (n > Remaining()) Fail("list count " + std::to_string(n) + " runs past the end of the stream");
        if (++depth_ > static_cast<int>(kMaxDepth)) Fail("values nested too deeply");
        for (std::uint32_t k = 0; k < n; ++k) v.list.push_back(Get());
        --depth_;
        break;
    }
    default: Fail(std::string("a ") + TagName(t) + " marker where a value was expected");
    }
    return v;
}

const Value* Node::Find(std::string_view prop) const {
    for (auto& [n, v] : props)
        if (n == prop) return &v;
    return nullptr;
}

void WriteNode(Writer& w, const Node& n) {
    w.BeginComponent(n.className, n.name);
    for (auto& [name, v] : n.props) w.Property(name, v);
    w.EndProperties();
    for (auto& c : n.children) {
        w.BeginChild();
        WriteNode(w, c);
    }
    w.EndChildren();
}

std::string Encode(const Node& root) {
    Writer w;
    w.Magic();
    WriteNode(w, root);
    return w.Take();
}

Node ReadNode(Reader& r) {
    Node n;
    r.property.clear();
    n.className = r.Text();
    n.name = r.Text();
    if (n.className.empty()) r.Fail("component without a class name");
    r.component = n.name;
    for (;;) {
        std::string prop = r.Text();
        if (prop.empty()) break;
        r.property = prop;
        n.props.emplace_back(prop, r.Get());
    }
    r.property.clear();
    for (;;) {
        Tag t = r.ReadTag();
        if (t == Tag::End) break;
        if (t != Tag::Child) r.Fail(std::string("a ") + TagName(t) + " marker where a child component was expected");
        r.EnterComponent();
        n.children.push_back(ReadNode(r));
        r.LeaveComponent();
        r.component = n.name;
    }
    return n;
}

Node Decode(const void* data, std::size_t size, std::string windowName) {
    Reader r(data, size);
    r.window = std::move(windowName);
    r.Magic();
    Node n = ReadNode(r);
    if (!r.AtEnd()) r.Fail("unexpected bytes after the end of the layout");
    return n;
}

}  // namespace layout
