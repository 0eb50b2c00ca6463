// The binding header the layout compiler writes for a form: its fields, its
// handlers with the events they serve, and the layouts it refuses.
#include <gtest/gtest.h>

#include <sstream>

#include "../../tools/layoutc/LayoutText.h"

using namespace layouttext;

namespace {

std::string HeaderOf(const std::string& text) {
    Options o;
    o.fileName = "test.layout";
    o.readFile = [](const std::string& p) -> std::string { throw std::runtime_error("cannot read " + p); };
    return FieldsHeader(Parse(text, o), "test.layout");
}

// The header without its comment lines and blank lines: what the compiler sees.
std::string CodeOf(const std::string& header) {
    std::istringstream in(header);
    std::string line, code;
    while (std::getline(in, line))
        if (!line.empty() && line.rfind("//", 0) != 0) code += line + "\n";
    return code;
}

bool Has(const std::string& header, const std::string& line) {
    return ("\n" + CodeOf(header)).find("\n" + line + "\n") != std::string::npos;
}

}  // namespace

TEST(LayoutFields, SmallFormGetsItsFieldsAndHandlers) {
    std::string h = HeaderOf(R"(
        object Form1: TForm1 {
            Caption = "Lanterns"
            BorderStyle = bsNone
            OnCreate = FormCreate
            object fcImageForm1: TfcImageForm { Align = alClient }
            object btnRead: TMMBitmapButton { OnClick = btnReadClick }
            object btnClose: TMMBitmapButton { Cursor = crHandPoint OnClick = btnCloseClick }
        })");
    EXPECT_EQ(CodeOf(h),
              "#pragma once\n"
              "class TMMBitmapButton;\n"
              "class TfcImageForm;\n"
              "#define CX_LAYOUT_FIELDS_TForm1 \\\n"
              "    TfcImageForm* fcImageForm1 = nullptr; \\\n"
              "    TMMBitmapButton* btnRead = nullptr; \\\n"
              "    TMMBitmapButton* btnClose = nullptr; \\\n"
              "    void BindComponents()\n"
              "#define CX_LAYOUT_BINDER_TForm1 \\\n"
              "    void TForm1::BindComponents() { \\\n"
              "        LayoutHandler<decltype(TForm1::OnCreate)>(\"FormCreate\", this, &TForm1::FormCreate); \\\n"
              "        LayoutHandler<decltype(TMMBitmapButton::OnClick)>(\"btnReadClick\", this, &TForm1::btnReadClick); \\\n"
              "        LayoutHandler<decltype(TMMBitmapButton::OnClick)>(\"btnCloseClick\", this, &TForm1::btnCloseClick); \\\n"
              "        Field(\"fcImageForm1\", fcImageForm1); \\\n"
              "        Field(\"btnRead\", btnRead); \\\n"
              "        Field(\"btnClose\", btnClose); \\\n"
              "    }\n");
    EXPECT_NE(h.find("test.layout"), std::string::npos) << "the header names its layout";
}

TEST(LayoutFields, NestedComponentsAndSharedHandlers) {
    std::string h = HeaderOf(R"(
        object wwRichEditForm: TwwRichEditForm {
            OnKeyDown = FormKeyDown
            object Toolbar: TPanel {
                object CutButton: TSpeedButton { OnClick = CutClick }
                object ColorButton: TSpeedButton { OnClick = ColorItemClick }
            }
            object PopupMenu1: TPopupMenu {
                object ColorBlackItem: TMenuItem { OnClick = ColorItemClick OnMeasureItem = ColorItemMeasure }
                object ColorRedItem: TMenuItem { OnClick = ColorItemClick OnMeasureItem = ColorItemMeasure }
                object ViewMenu: TMenuItem {
                    object RulerItem: TMenuItem { OnClick = CutClick Checked = True }
                }
            }
            object Edit1: TEdit { OnKeyDown = FormKeyDown Font.Color = clRed OnlyDigits = True }
        })");
    // Every named component at every depth, in the layout's order; the form itself is none.
    std::string fields = CodeOf(h);
    std::size_t at = 0;
    for (const char* name : {"Toolbar", "CutButton", "ColorButton", "PopupMenu1", "ColorBlackItem", "ColorRedItem",
                             "ViewMenu", "RulerItem", "Edit1"}) {
        std::size_t next = fields.find(std::string("* ") + name + " = nullptr;");
        ASSERT_NE(next, std::string::npos) << name;
        EXPECT_GT(next, at) << name << " is out of the layout's order";
        at = next;
        EXPECT_TRUE(Has(h, std::string("        Field(\"") + name + "\", " + name + "); \\")) << name;
    }
    EXPECT_EQ(fields.find(" wwRichEditForm"), std::string::npos);
    EXPECT_EQ(fields.find("\"wwRichEditForm\""), std::string::npos);
    // Each class declared once, the form's own not at all.
    EXPECT_EQ(fields.find("class TMenuItem;"), fields.rfind("class TMenuItem;"));
    EXPECT_EQ(fields.find("class TwwRichEditForm;"), std::string::npos);
    // A handler is published once, with each kind of event it serves once.
    EXPECT_TRUE(Has(h, "        LayoutHandler<decltype(TSpeedButton::OnClick), decltype(TMenuItem::OnClick)>"
                       "(\"ColorItemClick\", this, &TwwRichEditForm::ColorItemClick); \\"));
    EXPECT_TRUE(Has(h, "        LayoutHandler<decltype(TSpeedButton::OnClick), decltype(TMenuItem::OnClick)>"
                       "(\"CutClick\", this, &TwwRichEditForm::CutClick); \\"));
    EXPECT_TRUE(Has(h, "        LayoutHandler<decltype(TwwRichEditForm::OnKeyDown), decltype(TEdit::OnKeyDown)>"
                       "(\"FormKeyDown\", this, &TwwRichEditForm::FormKeyDown); \\"));
    // Other names as values (colours, True) and On-words that are no event publish nothing.
    std::size_t handlers = 0;
    for (std::size_t p = fields.find("LayoutHandler<"); p != std::string::npos; p = fields.find("LayoutHandler<", p + 1))
        ++handlers;
    EXPECT_EQ(handlers, 4u);
}

TEST(LayoutFields, FormsWithoutHandlersOrComponents) {
    std::string h = HeaderOf(R"(
        object frmStartOptions: TfrmStartOptions {
            Caption = "Start"
            object gbReading: TGroupBox { object cbReadingFont: TComboBox { Style = csDropDownList } }
        })");
    EXPECT_EQ(CodeOf(h).find("LayoutHandler"), std::string::npos);
    EXPECT_TRUE(Has(h, "        Field(\"cbReadingFont\", cbReadingFont); \\"));

    // No component at all: the binder is still there for the constructor to call.
    std::string empty = CodeOf(HeaderOf("object Form1: TForm1 { Caption = \"x\" }"));
    EXPECT_EQ(empty,
              "#pragma once\n"
              "#define CX_LAYOUT_FIELDS_TForm1 \\\n"
              "    void BindComponents()\n"
              "#define CX_LAYOUT_BINDER_TForm1 \\\n"
              "    void TForm1::BindComponents() { \\\n"
              "    }\n");
}

TEST(LayoutFields, LayoutsThatCannotBeBoundAreRefused) {
    auto expectError = [](const std::string& text, const std::string& part) {
        try {
            HeaderOf(text);
            FAIL() << text;
        } catch (const ParseError& e) {
            EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("test.layout"), std::string::npos) << e.what();
        }
    };
    expectError("object F: TF { object A: TPanel { object B: TLabel {} } object B: TLabel {} }",
                "two components are named B");
    expectError("object F: TF { object A: TButton { OnClick = \"AClick\" } }", "event OnClick");
    expectError("object F: TF { object 2A: TButton {} }", "2A");
}
