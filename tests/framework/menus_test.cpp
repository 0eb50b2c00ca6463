// Menus of a window described by a stored layout plus handlers: shortcuts
// typed on the keyboard, the menu bar read from the platform while a menu is
// open, owner-drawn items with pictures, popup menus, and the picture list.
#include <gtest/gtest.h>

#include <map>

#include "ImgList.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "TestUtil.h"

using namespace testsupport;
using layout::Node;
using layout::Value;

namespace {

// A row of two 16 x 16 pictures on fuchsia: a red square and a blue one.
std::string PictureBytes() {
    TBitmap b;
    b.SetSize(32, 16);
    TCanvas& c = b.Canvas();
    c.Brush.SetColor(clFuchsia);
    RECT all{0, 0, 32, 16};
    c.FillRect(all);
    c.Brush.SetColor(clRed);
    RECT red{3, 3, 13, 13};
    c.FillRect(red);
    c.Brush.SetColor(clBlue);
    RECT blue{19, 3, 29, 13};
    c.FillRect(blue);
    std::string file = b.SaveToBytes();
    layout::Writer w;
    w.U8(7);
    w.Bytes("TBitmap");
    w.U32(static_cast<std::uint32_t>(file.size()));
    w.Bytes(file);
    return w.Take();
}

Node Item(const char* name, const char* caption, std::vector<std::pair<std::string, Value>> more = {},
          std::vector<Node> children = {}) {
    Node n{"TMenuItem", name, {{"Caption", Value::Str(caption)}}, std::move(children)};
    for (auto& p : more) n.props.push_back(p);
    return n;
}

Node EditorLikeLayout() {
    Node f{"TTestForm", "frmMenus", {}, {}};
    f.props = {{"Caption", Value::Str("Menus")},     {"Left", Value::Int(150)},
               {"Top", Value::Int(120)},             {"Width", Value::Int(420)},
               {"Height", Value::Int(260)},          {"Menu", Value::Id("MainMenu1")},
               {"OnUpdate", Value::Id("FormUpdate")}};
    Node images{"TImageList", "ImageList1", {{"Bitmap", Value::Bin(PictureBytes())}}, {}};
    Node file = Item("mnuFile", "&File", {{"OnClick", Value::Id("FileClick")}},
                     {Item("mnuLoad", "&Load", {{"Visible", Value::Bool(false)}, {"ShortCut", Value::Str("Ctrl+L")}}),
                      Item("mnuSave", "&Save and Exit",
                           {{"ShortCut", Value::Str("Ctrl+S")},
                            {"ImageIndex", Value::Int(0)},
                            {"Hint", Value::Str("Save|Saves and closes")},
                            {"OnClick", Value::Id("SaveClick")}}),
                      Item("FileSep1", "-"),
                      Item("mnuPrint", "&Print",
                           {{"ShortCut", Value::Int(scCtrl | 'P')}, {"OnClick", Value::Id("PrintClick")}}),
                      Item("mnuRecent", "&Recent", {}, {Item("mnuRecent1", "One", {{"Checked", Value::Bool(true)}})}),
                      Item("mnuColour", "&Colour",
                           {{"OnMeasureItem", Value::Id("ColourMeasure")},
                            {"OnAdvancedDrawItem", Value::Id("ColourDraw")}}),
                      Item("mnuExit", "E&xit", {{"Default", Value::Bool(true)}, {"ImageIndex", Value::Int(1)}})});
    Node edit = Item("mnuEdit", "&Edit", {},
                     {Item("mnuCut", "Cu&t", {{"ShortCut", Value::Str("Ctrl+X")}, {"OnClick", Value::Id("CutClick")}})});
    Node menu{"TMainMenu", "MainMenu1", {{"Images", Value::Id("ImageList1")}}, {file, edit}};
    Node box{"TEdit", "Edit1", {}, {}};
    box.props = {{"Left", Value::Int(10)},         {"Top", Value::Int(10)},
                 {"Width", Value::Int(200)},       {"Text", Value::Str("hello")},
                 {"OnKeyDown", Value::Id("EditKeyDown")}};
    f.children = {images, menu, box};
    return f;
}

struct MenuWindow {
    TTestForm* form = nullptr;
    int saves = 0, prints = 0, cuts = 0, fileOpenings = 0, updates = 0;
    bool cutEnabled = false;
    std::vector<WORD> editKeys;
    std::string measureFont, drawFont;
    int measures = 0, draws = 0;

    template <class T>
    T* Get(const char* name) {
        return dynamic_cast<T*>(form->FindComponent(name));
    }

    MenuWindow() {
        form = new TTestForm();
        form->AddHandler<void(TObject*)>("SaveClick", [this](TObject*) { ++saves; });
        form->AddHandler<void(TObject*)>("PrintClick", [this](TObject*) { ++prints; });
        form->AddHandler<void(TObject*)>("CutClick", [this](TObject*) { ++cuts; });
        form->AddHandler<void(TObject*)>("FileClick", [this](TObject*) {
            ++fileOpenings;
            // Just before the menu opens: Print is not available now.
            Get<TMenuItem>("mnuPrint")->Enabled = false;
        });
        form->AddHandler<void(TObject*)>("FormUpdate", [this](TObject*) {
            ++updates;
            Get<TMenuItem>("mnuCut")->Enabled = cutEnabled;
        });
        form->AddHandler<void(TObject*, WORD&, TShiftState)>(
            "EditKeyDown", [this](TObject*, WORD& k, TShiftState) {
                if (k != VK_CONTROL) editKeys.push_back(k);
            });
        auto fontOf = [](TCanvas* c) {
            c->RequireObjects();
            LOGFONTA lf{};
            GetObjectA(GetCurrentObject(c->Handle(), OBJ_FONT), sizeof lf, &lf);
            return std::string(lf.lfFaceName) + "/" + std::to_string(lf.lfHeight);
        };
        form->AddHandler<void(TObject*, TCanvas*, int&, int&)>(
            "ColourMeasure", [this, fontOf](TObject*, TCanvas* c, int& w, int& h) {
                ++measures;
                measureFont = fontOf(c);
                w = c->TextWidth("Colour") + 60;
                h = c->TextHeight("Colour") + 6;
            });
        form->AddHandler<void(TObject*, TCanvas*, const RECT&, TOwnerDrawState)>(
            "ColourDraw", [this, fontOf](TObject*, TCanvas* c, const RECT& r, TOwnerDrawState) {
                ++draws;
                drawFont = fontOf(c);
                c->FillRect(r);
                c->Brush.SetColor(clLime);
                RECT swatch{r.left + 3, r.top + 2, r.left + 43, r.bottom - 2};
                c->FillRect(swatch);
                c->Brush.SetStyle(TBrushStyle::bsClear);
                c->TextOut(r.left + 48, r.top + 2, "Colour");
            });
        form->Load(EditorLikeLayout());
    }
    ~MenuWindow() { delete form; }

    void ShowWithFocusInEdit() {
        form->Show();
        Pump(30);
        SetForegroundWindow(form->Handle());
        Get<TEdit>("Edit1")->SetFocus();
        SendMessageA(Get<TEdit>("Edit1")->Handle(), EM_SETSEL, 0, -1);
        Pump(20);
    }
};

std::string SystemMenuFont() {
    NONCLIENTMETRICSA ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    return std::string(ncm.lfMenuFont.lfFaceName) + "/" + std::to_string(ncm.lfMenuFont.lfHeight);
}

struct PlatformItem {
    UINT id = 0, type = 0, state = 0;
    HMENU sub = nullptr;
    std::string text;
    HBITMAP picture = nullptr;
};

std::vector<PlatformItem> ReadMenu(HMENU m) {
    std::vector<PlatformItem> out;
    for (int k = 0; k < GetMenuItemCount(m); ++k) {
        char text[128] = {};
        MENUITEMINFOA mi{};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING | MIIM_BITMAP;
        mi.dwTypeData = text;
        mi.cch = sizeof text;
        GetMenuItemInfoA(m, static_cast<UINT>(k), TRUE, &mi);
        out.push_back({mi.wID, mi.fType, mi.fState, mi.hSubMenu, text, mi.hbmpItem});
    }
    return out;
}

HWND OpenPopupWindow() {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, "#32768", nullptr)))
        if (IsWindowVisible(w)) return w;
    return nullptr;
}

}  // namespace

TEST(Menus, ShortcutsReadAsTextAndNumber) {
    EXPECT_EQ(TextToShortCut("Ctrl+S"), scCtrl | 'S');
    EXPECT_EQ(TextToShortCut("control+shift+z"), scCtrl | scShift | 'Z');
    EXPECT_EQ(TextToShortCut("F3"), VK_F3);
    EXPECT_EQ(TextToShortCut("Ctrl+Del"), scCtrl | VK_DELETE);
    EXPECT_EQ(TextToShortCut("Ctrl+"), scNone);
    EXPECT_EQ(TextToShortCut("Hyper+S"), scNone);
    EXPECT_EQ(ShortCutToText(scShift | scCtrl | VK_F3), "Shift+Ctrl+F3");
    EXPECT_EQ(ShortCutToText(TextToShortCut("Shift+Ins")), "Shift+Ins");

    MenuWindow w;
    EXPECT_EQ(w.Get<TMenuItem>("mnuSave")->ShortCut, scCtrl | 'S');
    EXPECT_EQ(w.Get<TMenuItem>("mnuPrint")->ShortCut, scCtrl | 'P');
    EXPECT_EQ(w.form->Menu(), w.Get<TMainMenu>("MainMenu1"));
    EXPECT_EQ(w.Get<TMainMenu>("MainMenu1")->Images(), w.Get<TImageList>("ImageList1"));
    EXPECT_EQ(w.Get<TMenuItem>("mnuRecent1")->ParentItem(), w.Get<TMenuItem>("mnuRecent"));
    // Written back, the shortcut is its text.
    bool found = false;
    for (auto& [name, v] : StoredProperties(*w.Get<TMenuItem>("mnuSave")))
        if (name == "ShortCut") found = v == Value::Str("Ctrl+S");
    EXPECT_TRUE(found);

    // A key name the layout cannot mean stops loading with the property named.
    auto* bad = new TTestForm();
    Node n{"TTestForm", "frmBad", {}, {Node{"TMainMenu", "M", {}, {Item("mnuX", "X", {{"ShortCut", Value::Str("Ctrl+Wobble")}})}}}};
    try {
        bad->Load(n);
        ADD_FAILURE() << "loaded";
    } catch (const EReadError& e) {
        EXPECT_NE(std::string(e.what()).find("ShortCut"), std::string::npos) << e.what();
    }
    delete bad;
}

TEST(Menus, AShortcutRunsItsItemOnceAndNotTheControlsKeys) {
    MenuWindow w;
    w.ShowWithFocusInEdit();
    KeyPress('S', false, true);
    EXPECT_EQ(w.saves, 1);
    KeyPress('P', false, true);
    EXPECT_EQ(w.prints, 1);
    // Keys that are no shortcut reach the box.
    KeyPress('Q');
    EXPECT_EQ(w.editKeys, (std::vector<WORD>{'Q'}));

    // Cut is disabled by the update step: its shortcut does nothing at all
    // (the box does not cut either).
    SendMessageA(w.Get<TEdit>("Edit1")->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("hello"));
    SendMessageA(w.Get<TEdit>("Edit1")->Handle(), EM_SETSEL, 0, -1);
    KeyPress('X', false, true);
    EXPECT_EQ(w.cuts, 0);
    EXPECT_EQ(w.Get<TEdit>("Edit1")->Text(), "hello");
    w.cutEnabled = true;
    Pump(20);  // idle: the update step runs
    EXPECT_TRUE(w.Get<TMenuItem>("mnuCut")->Enabled);
    KeyPress('X', false, true);
    EXPECT_EQ(w.cuts, 1);
    EXPECT_EQ(w.Get<TEdit>("Edit1")->Text(), "hello");
    EXPECT_EQ(w.editKeys, (std::vector<WORD>{'Q'}));
    // A hidden item's shortcut is no shortcut.
    KeyPress('L', false, true);
    EXPECT_EQ(w.editKeys, (std::vector<WORD>{'Q', 'L'}));
    EXPECT_GT(w.updates, 0);
    EXPECT_EQ(TakeErrors(), "");
}

TEST(Menus, AnOpenMenuShowsTheItemsAsTheyAreJustBeforeItOpens) {
    MenuWindow w;
    w.ShowWithFocusInEdit();
    auto* menu = w.Get<TMainMenu>("MainMenu1");
    auto* file = w.Get<TMenuItem>("mnuFile");
    ASSERT_EQ(GetMenu(w.form->Handle()), menu->Handle());
    RECT r{};
    ASSERT_TRUE(GetMenuItemRect(w.form->Handle(), menu->Handle(), 0, &r));
    const char* shot = getenv("CODEXIA_SHOTS");

    std::vector<std::vector<PlatformItem>> seen;
    int fileOpeningsSeen = -1;
    std::string hintWhileOpen;
    bool popupShown = false;
    auto readAndClose = [&] {
        popupShown = OpenPopupWindow() != nullptr;
        if (HWND pw = OpenPopupWindow()) UpdateWindow(pw);
        if (seen.empty()) fileOpeningsSeen = w.fileOpenings;
        if (seen.size() == 1) hintWhileOpen = Application->Hint;  // opened by keyboard: Save is selected
        seen.push_back(ReadMenu(file->Handle()));
        if (shot && seen.size() == 1) SaveScreenBmp(std::string(shot) + "\\menu-open.bmp");
        EndMenu();
    };
    // Opened with the mouse, then with the keyboard (Alt+F).
    After(300, readAndClose);
    ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Pump(50);
    ASSERT_EQ(seen.size(), 1u);
    MouseMoveTo(r.left + 100, r.bottom + 100);
    After(300, readAndClose);
    KeyPress('F', true);
    Pump(50);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(popupShown);
    EXPECT_EQ(hintWhileOpen, "Saves and closes");
    EXPECT_EQ(fileOpeningsSeen, 1);
    const auto& items = seen[0];
    ASSERT_EQ(items.size(), 6u);  // Load is hidden
    EXPECT_EQ(items[0].id, w.Get<TMenuItem>("mnuSave")->Command());
    // Every item keeps its caption and shortcut as text; a menu with
    // pictures has the program draw only the picture column.
    EXPECT_FALSE(items[0].type & MFT_OWNERDRAW);
    EXPECT_EQ(items[0].text, "&Save and Exit\tCtrl+S");
    EXPECT_EQ(items[0].picture, HBMMENU_CALLBACK);
    EXPECT_TRUE(items[1].type & MFT_SEPARATOR);
    EXPECT_EQ(items[2].id, w.Get<TMenuItem>("mnuPrint")->Command());
    EXPECT_EQ(items[2].text, "&Print\tCtrl+P");
    EXPECT_EQ(items[2].picture, HBMMENU_CALLBACK);  // a column like its neighbours with pictures
    EXPECT_TRUE(items[2].state & MFS_GRAYED);        // disabled by File's click as it opened
    EXPECT_EQ(items[3].sub, w.Get<TMenuItem>("mnuRecent")->Handle());
    EXPECT_TRUE(GetMenuState(items[3].sub, 0, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_TRUE(items[4].type & MFT_OWNERDRAW);  // its own draw events
    EXPECT_EQ(items[4].text, "&Colour");
    EXPECT_TRUE(items[5].state & MFS_DEFAULT);
    // The same ids at the second opening.
    ASSERT_EQ(seen[1].size(), items.size());
    for (std::size_t k = 0; k < items.size(); ++k) EXPECT_EQ(seen[1][k].id, items[k].id);
    // The owner-drawn item was measured and drawn in the system's menu font.
    EXPECT_GE(w.measures, 1);
    EXPECT_GE(w.draws, 1);
    EXPECT_EQ(w.measureFont, SystemMenuFont());
    EXPECT_EQ(w.drawFont, SystemMenuFont());

    // Without pictures the item is a plain one again.
    menu->SetImages(nullptr);
    auto plain = ReadMenu(file->Handle());
    ASSERT_EQ(plain.size(), 6u);
    EXPECT_EQ(plain[0].picture, nullptr);
    EXPECT_EQ(plain[0].text, "&Save and Exit\tCtrl+S");
    EXPECT_EQ(plain[2].text, "&Print\tCtrl+P");
    EXPECT_EQ(plain[5].text, "E&xit");
    EXPECT_TRUE(plain[2].state & MFS_GRAYED);
    EXPECT_EQ(TakeErrors(), "");
}

TEST(Menus, APopupMenuKeepsItsIdsWhileOpenAndRunsTheChosenItem) {
    auto* f = new TTestForm();
    f->SetBounds(100, 100, 300, 200);
    auto* popup = new TPopupMenu(f);
    auto* first = new TMenuItem(f);
    first->Caption = "&First";
    auto* second = new TMenuItem(f);
    second->Caption = "&Second";
    popup->Items()->Add(first);
    popup->Items()->Add(second);
    int firstClicks = 0, secondClicks = 0, popups = 0;
    first->OnClick = [&](TObject*) { ++firstClicks; };
    second->OnClick = [&](TObject*) { ++secondClicks; };
    popup->OnPopup = [&](TObject*) { ++popups; };
    f->Show();
    Pump(30);
    SetForegroundWindow(f->Handle());
    std::vector<UINT> ids;
    After(300, [&] {
        HMENU h = popup->Handle();
        for (int k = 0; k < GetMenuItemCount(h); ++k) ids.push_back(GetMenuItemID(h, k));
        SendKeyInput(VK_DOWN, false);
        SendKeyInput(VK_DOWN, true);
        SendKeyInput(VK_DOWN, false);
        SendKeyInput(VK_DOWN, true);
        SendKeyInput(VK_RETURN, false);
        SendKeyInput(VK_RETURN, true);
    });
    POINT p = f->ClientToScreen(POINT{40, 40});
    popup->Popup(p.x, p.y);
    Pump(30);
    EXPECT_EQ(ids, (std::vector<UINT>{first->Command(), second->Command()}));
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(firstClicks, 0);
    EXPECT_EQ(secondClicks, 1);
    delete f;
}

TEST(Menus, ImageListStoresARowOfPicturesAndDrawsThemSeeThrough) {
    MenuWindow w;
    auto* images = w.Get<TImageList>("ImageList1");
    ASSERT_EQ(images->Count(), 2);
    TBitmap target;
    target.SetSize(40, 20);
    images->Draw(target.Canvas(), 0, 0, 0);
    images->Draw(target.Canvas(), 20, 0, 1);
    EXPECT_EQ(target.Canvas().Pixel(1, 1), RGB(255, 255, 255));  // see-through
    EXPECT_EQ(target.Canvas().Pixel(8, 8), RGB(255, 0, 0));
    EXPECT_EQ(target.Canvas().Pixel(28, 8), RGB(0, 0, 255));
    // Added from a bitmap with its own see-through colour, then stored and read back.
    TBitmap more;
    more.SetSize(16, 16);
    more.Canvas().Brush.SetColor(clGreen);
    RECT all{0, 0, 16, 16};
    more.Canvas().FillRect(all);
    more.Canvas().Brush.SetColor(clYellow);
    RECT dot{6, 6, 10, 10};
    more.Canvas().FillRect(dot);
    EXPECT_EQ(images->Add(more), 2);  // the bottom-left pixel (green) is see-through
    layout::Writer out;
    images->SaveData(out);
    std::string bytes = out.Take();
    TImageList copy(nullptr);
    layout::Reader in(bytes.data(), bytes.size());
    copy.LoadData(in);
    ASSERT_EQ(copy.Count(), 3);
    TBitmap again;
    again.SetSize(16, 16);
    copy.Draw(again.Canvas(), 0, 0, 2);
    EXPECT_EQ(again.Canvas().Pixel(1, 1), RGB(255, 255, 255));
    EXPECT_EQ(again.Canvas().Pixel(7, 7), RGB(255, 255, 0));
    // A picture that is not a row of 16 x 16 pictures is refused.
    layout::Writer bad;
    TBitmap odd;
    odd.SetSize(20, 16);
    std::string file = odd.SaveToBytes();
    bad.U8(7);
    bad.Bytes("TBitmap");
    bad.U32(static_cast<std::uint32_t>(file.size()));
    bad.Bytes(file);
    std::string badBytes = bad.Take();
    layout::Reader badIn(badBytes.data(), badBytes.size());
    EXPECT_ANY_THROW(copy.LoadData(badIn));
    EXPECT_EQ(copy.Count(), 3);
}
