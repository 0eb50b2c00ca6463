// The control as stored window layouts carry it: the Data block, the
// version, the published settings and their defaults through a write and a
// read back, lines without a stored document, damaged blocks, writing back,
// and the book itself compiled into a layout from the book folder.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

#include "RichTestUtil.h"

using namespace richtest;

TEST(RichEditLayout, DataBlockLoadsTheDocument) {
    auto* f = FormWith({{"RichEditVersion", Value::Int(2)}, {"Data", DataOf(Rtf("Stored {\\b text}\\par two"))}});
    auto* e = EditOf(f);
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->DataRead());
    EXPECT_EQ(e->RichEditVersion(), 2);
    EXPECT_EQ(e->Lines()->ToVector(), (std::vector<std::string>{"Stored text", "two"}));
    EXPECT_EQ(e->WindowClassName(), "RICHEDIT20A");
    delete f;
}

TEST(RichEditLayout, EmptyDataBlockIsReadWithoutConversion) {
    // Lines read before an empty Data block stay as they were: no plain-text
    // conversion happens once Data was read.
    Value lines = Value::Items({Value::Str("{\\rtf1 Hello}")});
    auto* f = FormWith({{"Lines.Strings", lines}, {"RichEditVersion", Value::Int(2)}, {"Data", DataOf("")}});
    auto* e = EditOf(f);
    EXPECT_TRUE(e->DataRead());
    EXPECT_EQ(e->Lines()->Get(0), "{\\rtf1 Hello}");
    EXPECT_FALSE(e->PlainText());
    delete f;
    auto* g = FormWith({{"RichEditVersion", Value::Int(2)}, {"Data", DataOf("")}});
    EXPECT_TRUE(EditOf(g)->DataRead());
    EXPECT_EQ(EditOf(g)->Lines()->Count(), 0);
    delete g;
}

TEST(RichEditLayout, LinesWithoutDataAreReadAsADocument) {
    Value lines = Value::Items({Value::Str("{\\rtf1\\ansi Hello {\\b bold}}")});
    auto* f = FormWith({{"Lines.Strings", lines}, {"RichEditVersion", Value::Int(2)}});
    auto* e = EditOf(f);
    EXPECT_FALSE(e->DataRead());
    EXPECT_EQ(e->Lines()->Get(0), "Hello bold");
    EXPECT_FALSE(e->PlainText());
    delete f;
    auto* g = FormWith({{"Lines.Strings", Value::Items({Value::Str("plain"), Value::Str("words")})}});
    EXPECT_EQ(EditOf(g)->Lines()->ToVector(), (std::vector<std::string>{"plain", "words"}));
    delete g;
}

TEST(RichEditLayout, LayoutWithoutVersionMakesAVersionOneWindow) {
    auto* f = FormWith({{"Data", DataOf(Rtf("old style"))}});
    auto* e = EditOf(f);
    EXPECT_EQ(e->RichEditVersion(), 1);
    EXPECT_EQ(e->Lines()->Get(0), "old style");
    EXPECT_EQ(e->WindowClassName(), "RICHEDIT");
    char cls[64] = {};
    GetClassNameA(e->Handle(), cls, sizeof cls);
    EXPECT_STREQ(cls, "Cx.RICHEDIT");
    delete f;
}

TEST(RichEditLayout, VersionAfterDataStillMakesOneWindow) {
    // The document waits for the whole layout, so the version read after it
    // decides the window's class before the window exists.
    auto* f = FormWith({{"Data", DataOf(Rtf("late version"))}, {"RichEditVersion", Value::Int(2)}});
    auto* e = EditOf(f);
    EXPECT_EQ(e->WindowClassName(), "RICHEDIT20A");
    EXPECT_EQ(e->Lines()->Get(0), "late version");
    delete f;
}

TEST(RichEditLayout, ReadingWindowSettingsAreAccepted) {
    EditProps props = {{"ReadOnly", Value::Bool(true)},
                   {"ScrollBars", Value::Id("ssVertical")},
                   {"AutoURLDetect", Value::Bool(true)},
                   {"MaxLength", Value::Int(1000000)},
                   {"PopupOptions", Value::Members({"rpoPopupFind"})},
                   {"RichEditVersion", Value::Int(2)},
                   {"MeasurementUnits", Value::Id("muCentimeters")},
                   {"PrintMargins.Top", Value::Dbl(1.5)},
                   {"PrintMargins.Bottom", Value::Int(2)},
                   {"PrintMargins.Left", Value::Dbl(0.5)},
                   {"PrintMargins.Right", Value::Dbl(0.75)},
                   {"EditorCaption", Value::Str("Notepad")},
                   {"EditorOptions", Value::Members({"reoShowLoad", "reoCloseOnEscape"})},
                   {"EditorPosition.Left", Value::Int(0)},
                   {"EditorPosition.Top", Value::Int(0)},
                   {"EditorPosition.Width", Value::Int(400)},
                   {"EditorPosition.Height", Value::Int(300)},
                   {"TabOrder", Value::Int(3)},
                   {"Visible", Value::Bool(false)},
                   {"HideSelection", Value::Bool(false)},
                   {"HideScrollBars", Value::Bool(false)},
                   {"Font.Name", Value::Str("Arial")},
                   {"Font.Height", Value::Int(-16)},
                   {"Color", Value::Id("clInfoBk")},
                   {"Align", Value::Id("alClient")},
                   {"Data", DataOf(Rtf("see http://example.com/"))}};
    auto* f = FormWith(props);
    auto* e = EditOf(f);
    EXPECT_TRUE(e->ReadOnly());
    EXPECT_EQ(e->ScrollBars(), TScrollStyle::ssVertical);
    EXPECT_TRUE(e->AutoURLDetect());
    EXPECT_EQ(e->MaxLength(), 1000000);
    EXPECT_EQ(e->PopupOptions, unsigned(rpoPopupFind));
    EXPECT_EQ(e->MeasurementUnits, TwwMeasurementUnits::muCentimeters);
    EXPECT_DOUBLE_EQ(e->PrintMargins()->Top, 1.5);
    EXPECT_DOUBLE_EQ(e->PrintMargins()->Bottom, 2.0);
    EXPECT_EQ(e->EditorCaption, "Notepad");
    EXPECT_EQ(e->EditorOptions, unsigned(reoShowLoad | reoCloseOnEscape));
    EXPECT_EQ(e->EditorPosition()->Width, 400);
    EXPECT_EQ(e->EditorPosition()->Height, 300);
    EXPECT_EQ(e->TabOrder, 3);
    EXPECT_FALSE(e->Visible());
    EXPECT_FALSE(IsWindowVisible(e->Handle()));
    EXPECT_FALSE(e->HideSelection());
    HWND w = e->Handle();
    LONG style = GetWindowLongA(w, GWL_STYLE);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_TRUE(style & ES_DISABLENOSCROLL);
    EXPECT_EQ(SendMessageA(w, EM_GETLIMITTEXT, 0, 0), 1000000);
    EXPECT_TRUE(SendMessageA(w, EM_GETEVENTMASK, 0, 0) & ENM_LINK);
    EXPECT_EQ(e->DefAttributes()->Name(), "Arial");
    EXPECT_EQ(e->DefAttributes()->Size(), 12);
    delete f;
}

namespace {
// The written form of a control, by property name.
std::map<std::string, Value> Written(TwwDBRichEdit& e) {
    std::map<std::string, Value> out;
    for (auto& [name, value] : StoredProperties(e)) out[name] = value;
    return out;
}
}  // namespace

TEST(RichEditLayout, ALayoutThatSetsNothingGivesThePublishedDefaultsBack) {
    // Written back, a control read from a layout with its bounds alone holds
    // every property that has a published default at that default: what is
    // written is what is always written (no default to leave out) and the
    // bounds the layout gave.
    auto* f = FormWith({});
    auto* e = EditOf(f);
    const std::map<std::string, Value> written = Written(*e);
    const std::set<std::string> alwaysWritten = {
        "Left", "Top", "Width", "Height", "Color", "ParentColor", "TabOrder", "TabStop", "Font.Name",
        "Font.Height", "Font.Size", "Font.Color", "Font.Charset", "PrintJobName", "EditorPosition.Left",
        "EditorPosition.Top", "EditorPosition.Width", "EditorPosition.Height", "PrintMargins.Top",
        "PrintMargins.Bottom", "PrintMargins.Left", "PrintMargins.Right", "RichEditVersion", "Data"};
    for (auto& [name, value] : written) EXPECT_TRUE(alwaysWritten.count(name)) << name << " differs from its default";
    EXPECT_EQ(written.count("Lines.Strings"), 0u) << "Lines are never written";
    EXPECT_EQ(written.at("Width"), Value::Int(360));
    EXPECT_EQ(written.at("Height"), Value::Int(240));

    // Read back, the written form makes a control that writes the same again.
    auto* g = FormWith(EditProps(written.begin(), written.end()));
    EXPECT_EQ(Written(*EditOf(g)), written);
    delete g;
    delete f;
}

TEST(RichEditLayout, SettingsOtherThanTheDefaultsReadBackAsStored) {
    const EditProps settings = {{"ScrollBars", Value::Id("ssBoth")},
                                {"Alignment", Value::Id("taCenter")},
                                {"AutoURLDetect", Value::Bool(true)},
                                {"AutoSelect", Value::Bool(true)},
                                {"AutoDisplay", Value::Bool(false)},
                                {"BorderStyle", Value::Id("bsNone")},
                                {"GutterWidth", Value::Int(7)},
                                {"HideSelection", Value::Bool(false)},
                                {"HideScrollBars", Value::Bool(false)},
                                {"MaxLength", Value::Int(5000)},
                                {"OleOptions", Value::Members({"reoDisableOLE"})},
                                {"PrintPageSize", Value::Int(9)},
                                {"HighlightColor", Value::Id("clLime")},
                                {"Title", Value::Str("Notes")},
                                {"PrintJobName", Value::Str("Reading notes")},
                                {"ReadOnly", Value::Bool(true)},
                                {"WantReturns", Value::Bool(false)},
                                {"WantTabs", Value::Bool(true)},
                                {"WordWrap", Value::Bool(false)},
                                {"PopupOptions", Value::Members({"rpoPopupFind"})},
                                {"EditorOptions", Value::Members({"reoShowLoad", "reoCloseOnEscape"})},
                                {"EditorCaption", Value::Str("Notepad")},
                                {"EditorPosition.Left", Value::Int(20)},
                                {"EditorPosition.Top", Value::Int(30)},
                                {"EditorPosition.Width", Value::Int(400)},
                                {"EditorPosition.Height", Value::Int(300)},
                                {"MeasurementUnits", Value::Id("muCentimeters")},
                                {"PrintMargins.Top", Value::Dbl(1.5)},
                                {"PrintMargins.Bottom", Value::Dbl(2.0)},
                                {"PrintMargins.Left", Value::Dbl(0.5)},
                                {"PrintMargins.Right", Value::Dbl(0.75)},
                                {"EditWidth", Value::Id("rewPrinterSize")},
                                {"Frame.Enabled", Value::Bool(true)},
                                {"Frame.Transparent", Value::Bool(true)},
                                {"Frame.NonFocusColor", Value::Id("clBtnFace")},
                                {"Color", Value::Id("clInfoBk")},
                                {"Visible", Value::Bool(false)},
                                {"TabOrder", Value::Int(3)}};
    auto* f = FormWith(settings);
    const std::map<std::string, Value> written = Written(*EditOf(f));
    for (auto& [name, value] : settings) {
        auto it = written.find(name);
        if (it == written.end()) {
            ADD_FAILURE() << name << " was not written back";
            continue;
        }
        EXPECT_EQ(it->second, value) << name;
    }
    delete f;
}

TEST(RichEditLayout, WritingGivesDataAndVersionBack) {
    auto* f = FormWith({{"Data", DataOf(Rtf("round {\\i trip}"))}});
    auto* e = EditOf(f);
    EXPECT_EQ(e->RichEditVersion(), 1);
    auto stored = StoredProperties(*e);
    const Value* data = nullptr;
    const Value* version = nullptr;
    for (auto& [name, value] : stored) {
        if (name == "Data") data = &value;
        if (name == "RichEditVersion") version = &value;
    }
    ASSERT_TRUE(version);
    EXPECT_EQ(version->i, 2);
    EXPECT_EQ(e->RichEditVersion(), 2) << "writing stores a version-2 document";
    ASSERT_TRUE(data);
    ASSERT_GE(data->s.size(), 4u);
    std::uint32_t n = 0;
    for (int k = 0; k < 4; ++k) n |= static_cast<std::uint32_t>(static_cast<unsigned char>(data->s[k])) << (8 * k);
    EXPECT_EQ(n, data->s.size() - 4);
    EXPECT_EQ(data->s.compare(4, 5, "{\\rtf"), 0);
    // The written block loads into another control as the same document.
    auto* g = FormWith({{"RichEditVersion", Value::Int(2)}, {"Data", *data}});
    EXPECT_EQ(EditOf(g)->Text(), "round trip");
    delete g;
    delete f;
}

TEST(RichEditLayout, DamagedDataBlocksAreRefusedWithTheirPlace) {
    auto expectRefused = [](Value data, const std::string& part) {
        try {
            auto* f = FormWith({{"RichEditVersion", Value::Int(2)}, {"Data", data}});
            delete f;
            ADD_FAILURE() << "accepted; expected " << part;
        } catch (const EReadError& e) {
            std::string msg = e.what();
            EXPECT_NE(msg.find("RichEdit1"), std::string::npos) << msg;
            EXPECT_NE(msg.find("Data"), std::string::npos) << msg;
            EXPECT_NE(msg.find(part), std::string::npos) << msg;
        }
    };
    Value cut = DataOf(Rtf("cut short"));
    cut.s.resize(cut.s.size() - 3);
    expectRefused(cut, "runs past the end of its");
    Value tail = DataOf(Rtf("a tail after it"));
    tail.s += "xyz";
    expectRefused(tail, "followed by 3 bytes its count does not cover");
    expectRefused(Value::Bin(std::string("\x01\x00", 2)), "ends early");
    expectRefused(Value::Bin(std::string("\xFF\xFF\xFF\xFF", 4)), "negative");
}

TEST(RichEditLayout, DocumentThatCannotBeReadIsReportedAndTheWindowStillLoads) {
    // Binary junk is no RTF; as text it still loads, so the window shows it.
    std::string junk("\x01\x02junk\x00more", 11);
    auto* f = FormWith({{"RichEditVersion", Value::Int(2)}, {"Data", DataOf(junk)}});
    EXPECT_TRUE(EditOf(f)->DataRead());
    EXPECT_NE(EditOf(f)->Text().find("junk"), std::string::npos);
    EXPECT_EQ(testsupport::TakeErrors(), "");
    delete f;
}

#ifdef BOOK_VIEW_LAYOUT
namespace {
std::string ReadAll(const char* path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}
}  // namespace

TEST(RichEditLayout, BookCompiledFromTheBookFolderLoadsWhole) {
    std::string layoutBytes = ReadAll(BOOK_VIEW_LAYOUT);
    std::string bookRtf = ReadAll(BOOK_RTF);
    ASSERT_GT(layoutBytes.size(), bookRtf.size()) << "the layout carries the whole book";
    auto* f = new testsupport::TTestForm();
    f->LoadLayoutFrom(layoutBytes.data(), layoutBytes.size());
    auto* e = EditOf(f, "RichEdit2");
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->DataRead());
    EXPECT_EQ(e->RichEditVersion(), 2);
    EXPECT_TRUE(e->ReadOnly());
    // The same bytes loaded from the file give the same document.
    Fixture fx;
    fx.edit->SetMaxLength(1000000);
    fx.edit->Lines()->LoadFromFile(BOOK_RTF);
    std::string text = e->Text();
    EXPECT_GT(text.size(), 10000u);
    EXPECT_EQ(text, fx.edit->Text());
    EXPECT_NE(text.find("Lantern"), std::string::npos);
    delete f;
}
#endif
