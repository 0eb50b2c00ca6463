// The component stream: every value kind survives a round trip, and a damaged
// stream is refused with a message that says where, never read past its end.
#include <gtest/gtest.h>

#include "LayoutStream.h"

using namespace layout;

namespace {

Node Sample() {
    Node root{"TForm1", "Form1", {}, {}};
    root.props = {
        {"Left", Value::Int(-243)},
        {"Scale", Value::Dbl(2.537)},
        {"Caption", Value::Str("Codexia \"quoted\"\r\n")},
        {"BorderStyle", Value::Id("bsNone")},
        {"Visible", Value::Bool(false)},
        {"AutoSize", Value::Bool(true)},
        {"Options", Value::Members({"ifUseWindowsDrag", "ifNoPaletteDither"})},
        {"Empty", Value::Members({})},
        {"RegionData", Value::Bin(std::string("\x00\x01\xff\x7f", 4))},
        {"Tabs.Strings", Value::Items({Value::Str("Author"), Value::Str("Copyright"), Value::Int(7)})},
    };
    Node child{"TMMBitmapButton", "btnRead", {{"Hint", Value::Str("Read Codexia")}}, {}};
    child.children.push_back(Node{"TLabel", "Inner", {}, {}});
    root.children.push_back(child);
    root.children.push_back(Node{"TMMBitmapButton", "btnClose", {}, {}});
    return root;
}

void ExpectSame(const Node& a, const Node& b) {
    EXPECT_EQ(a.className, b.className);
    EXPECT_EQ(a.name, b.name);
    ASSERT_EQ(a.props.size(), b.props.size());
    for (std::size_t k = 0; k < a.props.size(); ++k) {
        EXPECT_EQ(a.props[k].first, b.props[k].first);
        EXPECT_TRUE(a.props[k].second == b.props[k].second) << a.props[k].first;
    }
    ASSERT_EQ(a.children.size(), b.children.size());
    for (std::size_t k = 0; k < a.children.size(); ++k) ExpectSame(a.children[k], b.children[k]);
}

}  // namespace

TEST(LayoutStream, EveryValueKindRoundTrips) {
    Node n = Sample();
    std::string bytes = Encode(n);
    ExpectSame(n, Decode(bytes.data(), bytes.size()));
    EXPECT_EQ(Encode(Decode(bytes.data(), bytes.size())), bytes);
}

TEST(LayoutStream, BinaryIsLengthThenBytesLittleEndian) {
    Writer w;
    w.Put(Value::Bin("ABC"));
    EXPECT_EQ(w.Data(), std::string("\x08\x03\x00\x00\x00" "ABC", 8));
}

TEST(LayoutStream, EveryTruncationIsRefusedWithContext) {
    std::string bytes = Encode(Sample());
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        try {
            Decode(bytes.data(), cut, "TForm1");
            FAIL() << "a stream cut at " << cut << " was accepted";
        } catch (const StreamError& e) {
            EXPECT_NE(std::string(e.what()).find("TForm1"), std::string::npos) << e.what();
        }
    }
}

TEST(LayoutStream, ErrorNamesComponentAndProperty) {
    Node n{"TForm1", "Form1", {}, {}};
    n.children.push_back(Node{"TfcImageForm", "fcImageForm1", {{"RegionData", Value::Bin(std::string(52, 'x'))}}, {}});
    std::string bytes = Encode(n);
    try {
        Decode(bytes.data(), bytes.size() - 20, "TForm1");
        FAIL();
    } catch (const StreamError& e) {
        std::string m = e.what();
        EXPECT_NE(m.find("fcImageForm1"), std::string::npos) << m;
        EXPECT_NE(m.find("RegionData"), std::string::npos) << m;
        EXPECT_NE(m.find("ends early"), std::string::npos) << m;
    }
}

TEST(LayoutStream, CorruptMarkersAndCountsAreRefused) {
    std::string bytes = Encode(Sample());
    // A bad signature.
    std::string bad = bytes;
    bad[0] = 'X';
    EXPECT_THROW(Decode(bad.data(), bad.size()), StreamError);
    // Every single-byte corruption either decodes or raises StreamError; none crashes.
    for (std::size_t k = 4; k < bytes.size(); ++k) {
        std::string c = bytes;
        c[k] = static_cast<char>(0xFF);
        try {
            Decode(c.data(), c.size());
        } catch (const StreamError&) {
        }
    }
    // A huge set count.
    Writer w;
    w.TagOnly(Tag::Set);
    w.U32(0x7FFFFFFF);
    Reader r(w.Data().data(), w.Data().size());
    EXPECT_THROW(r.Get(), StreamError);
    // Trailing bytes after the root.
    std::string extra = bytes + "x";
    EXPECT_THROW(Decode(extra.data(), extra.size()), StreamError);
}
