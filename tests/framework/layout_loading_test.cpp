// Windows built from stored layouts: properties set by name, components made
// by class name, fields and handlers bound, and damaged layouts refused with
// a message that names the window and the property.
#include <gtest/gtest.h>

#include "TestUtil.h"

using layout::Node;
using layout::Value;
using testsupport::TTestForm;

namespace {

// A windowless control with a click handler, for routing tests.
class TProbe : public TGraphicControl {
    CX_DECLARE_CLASS()
public:
    explicit TProbe(TComponent* owner) : TGraphicControl(owner) {}
    int paints = 0;
    void Paint() override {
        ++paints;
        Canvas().Brush.SetColor(Color());
        RECT r = ClientRect();
        Canvas().FillRect(r);
    }
};
CX_IMPLEMENT_CLASS(TProbe, TGraphicControl, CX_CREATE(TProbe), {})

Node FormNode() {
    Node f{"TTestForm", "Form1", {}, {}};
    f.props = {{"Caption", Value::Str("Probe window")},
               {"ClientWidth", Value::Int(300)},
               {"ClientHeight", Value::Int(200)},
               {"BorderStyle", Value::Id("bsSingle")},
               {"Font.Name", Value::Str("Arial")},
               {"Font.Style", Value::Members({"fsBold", "fsItalic"})},
               {"Position", Value::Id("poScreenCenter")}};
    Node probe{"TProbe", "Probe1", {}, {}};
    probe.props = {{"Left", Value::Int(10)}, {"Top", Value::Int(20)}, {"Width", Value::Int(50)},
                   {"Height", Value::Int(30)}, {"Color", Value::Id("clRed")}, {"Hint", Value::Str("Short|Long")},
                   {"ShowHint", Value::Bool(true)}, {"Cursor", Value::Id("crHandPoint")},
                   {"OnClick", Value::Id("ProbeClick")}};
    f.children.push_back(probe);
    return f;
}

}  // namespace

TEST(LayoutLoading, PropertiesHandlersAndChildren) {
    auto* form = new TTestForm();
    int clicks = 0;
    form->AddHandler<void(TObject*)>("ProbeClick", [&](TObject*) { ++clicks; });
    form->Load(FormNode());
    EXPECT_EQ(form->Caption(), "Probe window");
    EXPECT_EQ(form->ClientWidth(), 300);
    EXPECT_EQ(form->ClientHeight(), 200);
    EXPECT_EQ(form->Font()->Name(), "Arial");
    EXPECT_EQ(form->Font()->Style(), unsigned(fsBold | fsItalic));
    auto* probe = dynamic_cast<TProbe*>(form->FindComponent("Probe1"));
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(probe->Parent(), form);
    EXPECT_EQ(probe->Owner(), form);
    EXPECT_EQ(probe->Color(), clRed);
    EXPECT_EQ(probe->Cursor(), crHandPoint);
    EXPECT_EQ(probe->Font()->Name(), "Arial");  // parent font
    ASSERT_TRUE(probe->OnClick);
    probe->Click();
    EXPECT_EQ(clicks, 1);
    delete form;
}

TEST(LayoutLoading, DamagedLayoutsAreRefusedWithContext) {
    std::string bytes = testsupport::LayoutBytes(FormNode());
    for (std::size_t cut : {std::size_t(3), bytes.size() / 2, bytes.size() - 1}) {
        auto* form = new TTestForm();
        form->AddHandler<void(TObject*)>("ProbeClick", [](TObject*) {});
        try {
            form->LoadLayoutFrom(bytes.data(), cut);
            ADD_FAILURE() << "a layout cut at " << cut << " was accepted";
        } catch (const EReadError& e) {
            EXPECT_NE(std::string(e.what()).find("TTestForm"), std::string::npos) << e.what();
        }
        delete form;
    }
    auto expectError = [](Node n, const std::string& part) {
        auto* form = new TTestForm();
        form->AddHandler<void(TObject*)>("ProbeClick", [](TObject*) {});
        try {
            form->Load(n);
            ADD_FAILURE() << "accepted; expected " << part;
        } catch (const EReadError& e) {
            EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
        }
        delete form;
    };
    Node unknownClass = FormNode();
    unknownClass.children[0].className = "TNoSuchThing";
    expectError(unknownClass, "unknown class TNoSuchThing");
    Node unknownProp = FormNode();
    unknownProp.children[0].props.push_back({"Colour", Value::Id("clRed")});
    expectError(unknownProp, "property Colour");
    Node wrongKind = FormNode();
    wrongKind.props.push_back({"Tag", Value::Str("seven")});
    expectError(wrongKind, "an integer expected");
    Node badHandler = FormNode();
    badHandler.children[0].props.back().second = Value::Id("NoSuchHandler");
    expectError(badHandler, "no handler named NoSuchHandler");
    Node badEnum = FormNode();
    badEnum.props.push_back({"Align", Value::Id("alMiddle")});
    expectError(badEnum, "unknown value alMiddle");
}

TEST(LayoutLoading, WritingGivesBackTheStoredValues) {
    auto* form = new TTestForm();
    form->AddHandler<void(TObject*)>("ProbeClick", [](TObject*) {});
    form->Load(FormNode());
    auto props = StoredProperties(*form->FindComponent("Probe1"));
    auto find = [&](const std::string& n) -> const Value* {
        for (auto& [k, v] : props)
            if (k == n) return &v;
        return nullptr;
    };
    ASSERT_TRUE(find("Left"));
    EXPECT_EQ(find("Left")->i, 10);
    ASSERT_TRUE(find("Color"));
    EXPECT_EQ(find("Color")->s, "clRed");
    ASSERT_TRUE(find("Font.Name"));
    EXPECT_EQ(find("Font.Name")->s, "Arial");
    delete form;
}
