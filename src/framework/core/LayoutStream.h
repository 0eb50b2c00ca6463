// The component stream: the binary form in which every window's stored layout
// travels from the build to the running program. Platform-neutral, so that the
// build-time layout compiler and the program share one reader and one writer.
// The format is described in docs/layout-stream.md.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace layout {

inline constexpr char kMagic[4] = {'C', 'X', 'L', '1'};

enum class Tag : std::uint8_t {
    End = 0x00,     // ends a property list or a child list
    Int = 0x01,     // signed 32-bit
    Double = 0x02,  // IEEE 754 64-bit
    String = 0x03,  // u32 length + bytes
    Ident = 0x04,   // u32 length + bytes: enumeration member, colour name, handler name, True/False
    False = 0x05,
    True = 0x06,
    Set = 0x07,     // u32 count + count idents (u32 length + bytes each)
    Binary = 0x08,  // u32 length + bytes, defined by the component that owns the property
    List = 0x09,    // u32 count + count tagged values
    Child = 0x0A,   // a child component follows
};

// A stream that cannot be read: the message names where (window, component,
// property) and what went wrong.
class StreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One tagged value as read from or written to a stream.
struct Value {
    Tag tag = Tag::End;
    std::int32_t i = 0;
    double d = 0;
    std::string s;                 // String, Ident, Binary (raw bytes)
    std::vector<std::string> set;  // Set members
    std::vector<Value> list;       // List items

    static Value Int(std::int32_t v) { Value x; x.tag = Tag::Int; x.i = v; return x; }
    static Value Dbl(double v) { Value x; x.tag = Tag::Double; x.d = v; return x; }
    static Value Str(std::string v) { Value x; x.tag = Tag::String; x.s = std::move(v); return x; }
    static Value Id(std::string v) { Value x; x.tag = Tag::Ident; x.s = std::move(v); return x; }
    static Value Bool(bool v) { Value x; x.tag = v ? Tag::True : Tag::False; return x; }
    static Value Members(std::vector<std::string> v) { Value x; x.tag = Tag::Set; x.set = std::move(v); return x; }
    static Value Bin(std::string bytes) { Value x; x.tag = Tag::Binary; x.s = std::move(bytes); return x; }
    static Value Items(std::vector<Value> v) { Value x; x.tag = Tag::List; x.list = std::move(v); return x; }

    bool operator==(const Value&) const = default;
};

const char* TagName(Tag t);

// Appends to a byte buffer. Never fails.
class Writer {
public:
    void Magic();
    void U8(std::uint8_t v);
    void U32(std::uint32_t v);
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    void F64(double v);
    void Bytes(std::string_view b);
    void Text(std::string_view s);  // u32 length + bytes
    void TagOnly(Tag t) { U8(static_cast<std::uint8_t>(t)); }
    void Put(const Value& v);        // tag + payload

    // Component framing.
    void BeginComponent(std::string_view className, std::string_view name);
    void Property(std::string_view name, const Value& v);
    void EndProperties() { Text({}); }
    void BeginChild() { TagOnly(Tag::Child); }
    void EndChildren() { TagOnly(Tag::End); }

    const std::string& Data() const { return buf_; }
    std::string Take() { return std::move(buf_); }

private:
    std::string buf_;
};

// Reads from a byte range it does not own. Every read is bounds-checked; a
// short or malformed stream raises StreamError with the reader's context.
class Reader {
public:
    Reader(const void* data, std::size_t size) : p_(static_cast<const unsigned char*>(data)), size_(size) {}

    void Magic();
    std::uint8_t U8();
    std::uint32_t U32();
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    double F64();
    std::string Bytes(std::size_t n);
    std::string Text();  // u32 length + bytes
    // The next n bytes, or a length-prefixed run, in place: valid while the
    // range the reader reads from is.
    std::string_view View(std::size_t n);
    std::string_view TextView();
    Tag ReadTag();
    Tag PeekTag();
    Value Get();             // tag + payload
    Value GetAfter(Tag t);   // payload of a tag already read

    std::size_t Position() const { return pos_; }
    std::size_t Size() const { return size_; }
    std::size_t Remaining() const { return size_ - pos_; }
    bool AtEnd() const { return pos_ >= size_; }

    // Context for error messages: which window, component and property.
    std::string window, component, property;
    [[noreturn]] void Fail(const std::string& what) const;

    // Components nest at most this deep: a deeper stream is refused, not
    // followed down (a reader that recursed would run out of stack).
    static constexpr int kMaxComponentDepth = 32;
    void EnterComponent();
    void LeaveComponent() { --componentDepth_; }
    // Refuses bytes left over after a payload was read: its counts said less
    // than it holds. what names the payload ("the document").
    void ExpectEnd(const std::string& what) const;
    // Passes over whatever is left (a payload refused as a whole).
    void SkipRest() { pos_ = size_; }

private:
    void Need(std::size_t n);
    const unsigned char* p_;
    std::size_t size_;
    std::size_t pos_ = 0;
    int depth_ = 0;
    int componentDepth_ = 0;
};

// A whole component tree, as the layout compiler builds it and as tests
// inspect it. The running program does not build this tree: it creates
// components straight from the stream.
struct Node {
    std::string className;
    std::string name;
    std::vector<std::pair<std::string, Value>> props;
    std::vector<Node> children;

    const Value* Find(std::string_view prop) const;
};

std::string Encode(const Node& root);                        // with magic
Node Decode(const void* data, std::size_t size, std::string windowName = {});
void WriteNode(Writer& w, const Node& n);
Node ReadNode(Reader& r);  // after the Child tag (or at the root, after the magic)

}  // namespace layout
