// Embedded objects in the rich text control, with a real object: the test
// sketch server (objserver/) registered in the test prefix. An object goes in
// through the platform's insert-object dialog, shows its drawing, runs its
// verbs, is saved with the document and comes back in a new process; the
// Object Properties support objects answer as the dialog would ask them.
// With CODEXIA_SHOT_DIR set, the window holding the object is saved there as
// richedit-object.bmp for looking at.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "Menus.h"
#include "PopupTestUtil.h"
#include "RichTestUtil.h"
#include "objserver/SketchServer.h"
#include "richedit/wwRichEditOle.h"

using namespace testsupport;
using richtest::Fixture;

namespace {

bool OnWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

std::string ExeDir() {
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string p(buf, n);
    return p.substr(0, p.find_last_of("\\/") + 1);
}

template <class F>
F Proc(HMODULE dll, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// The server DLL, loaded and registered once per process.
struct Server {
    HMODULE dll = nullptr;
    SketchLastVerbFn lastVerb = nullptr;
    SketchWriteFileFn writeFile = nullptr;
    SketchCreateLinkFn createLink = nullptr;
    static Server& Get() {
        static Server s = [] {
            Server r;
            r.dll = LoadLibraryA((ExeDir() + kSketchDll).c_str());
            if (!r.dll) return r;
            auto reg = Proc<HRESULT(WINAPI*)()>(r.dll, "DllRegisterServer");
            if (!reg || FAILED(reg())) {
                r.dll = nullptr;
                return r;
            }
            r.lastVerb = Proc<SketchLastVerbFn>(r.dll, "SketchLastVerb");
            r.writeFile = Proc<SketchWriteFileFn>(r.dll, "SketchWriteFile");
            r.createLink = Proc<SketchCreateLinkFn>(r.dll, "SketchCreateLink");
            return r;
        }();
        return s;
    }
};

// Watches this process's dialogs from another thread and answers each one
// once: the handler gets the dialog and does what a user would.
class DialogWatcher {
public:
    explicit DialogWatcher(std::function<void(HWND)> handler) : handler_(std::move(handler)) {
        thread_ = std::thread([this] {
            while (!stop_) {
                EnumWindows(Visit, reinterpret_cast<LPARAM>(this));
                Sleep(20);
            }
        });
    }
    ~DialogWatcher() {
        stop_ = true;
        thread_.join();
    }
    std::atomic<int> seen{0};

private:
    static BOOL CALLBACK Visit(HWND w, LPARAM p) {
        auto* self = reinterpret_cast<DialogWatcher*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        char cls[16] = "";
        GetClassNameA(w, cls, sizeof cls);
        if (pid == GetCurrentProcessId() && std::string(cls) == "#32770" && IsWindowVisible(w) && w != self->last_) {
            self->last_ = w;
            self->handler_(w);
            ++self->seen;
        }
        return TRUE;
    }
    std::function<void(HWND)> handler_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    HWND last_ = nullptr;
};

// The text of a message box (its static text).
std::string MessageText(HWND box) {
    char text[512] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

// Counts the screen pixels of the card and the oval inside a window's client area.
struct DrawingPixels {
    int card = 0, recoloured = 0, oval = 0;
};
DrawingPixels CountDrawing(HWND w) {
    Pump(50);
    GdiFlush();
    RECT r;
    GetClientRect(w, &r);
    POINT o{0, 0};
    ClientToScreen(w, &o);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = r.right;
    bi.bmiHeader.biHeight = -r.bottom;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, r.right, r.bottom, screen, o.x, o.y, SRCCOPY);
    GdiFlush();
    DrawingPixels d;
    auto* px = static_cast<const std::uint32_t*>(bits);
    for (int i = 0; i < r.right * r.bottom; ++i) {
        std::uint32_t v = px[i] & 0xFFFFFF;  // blue, green, red from the low byte up
        COLORREF c = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
        if (c == kSketchCardColour) ++d.card;
        else if (c == kSketchRecolouredCard) ++d.recoloured;
        else if (c == kSketchOvalColour) ++d.oval;
    }
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(bmp);
    ReleaseDC(nullptr, screen);
    return d;
}

// Saves a window as it is on screen, with plain GDI (safe on any thread).
void SaveWindowBmp(HWND w, const std::string& path) {
    RECT r;
    GetWindowRect(w, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    BITMAPINFOHEADER bh{};
    bh.biSize = sizeof bh;
    bh.biWidth = width;
    bh.biHeight = height;
    bh.biPlanes = 1;
    bh.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP bmp = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&bh), DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bh;
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(width * height * 4);
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(&fh), sizeof fh);
    f.write(reinterpret_cast<const char*>(&bh), sizeof bh);
    f.write(static_cast<const char*>(bits), static_cast<std::streamsize>(width) * height * 4);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(bmp);
    ReleaseDC(nullptr, screen);
}

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EndMenu();
}

// A shown window with one control, ready for objects.
struct ShownFixture : Fixture {
    ShownFixture() {
        form->SetCaption("Rich text objects");
        form->Show();
        SetForegroundWindow(form->Handle());
        Pump(50);
    }
};

// Puts a new sketch object at the selection, as the dialog's "create new" does.
ComPtr<IOleObject> InsertSketch(TwwCustomRichEdit& edit) {
    IRichEditOle* ole = edit.OleInterface();
    ComPtr<IOleClientSite> site;
    EXPECT_EQ(ole->GetClientSite(site.Put()), S_OK);
    ComPtr<IStorage> storage;
    EXPECT_EQ(static_cast<IRichEditOleCallback*>(edit.OleCallback())->GetNewStorage(storage.Put()), S_OK);
    ComPtr<IOleObject> object;
    HRESULT hr = OleCreate(CLSID_CodexiaSketch, IID_IOleObject, OLERENDER_DRAW, nullptr, site.Get(), storage.Get(),
                           object.PutVoid());
    EXPECT_EQ(hr, S_OK);
    if (!object) return object;
    OleSetContainedObject(object.Get(), TRUE);
    REOBJECT r{};
    r.cbStruct = sizeof r;
    r.cp = REO_CP_SELECTION;
    r.clsid = CLSID_CodexiaSketch;
    r.poleobj = object.Get();
    r.pstg = storage.Get();
    r.polesite = site.Get();
    r.dvaspect = DVASPECT_CONTENT;
    r.dwFlags = REO_RESIZABLE;
    EXPECT_EQ(ole->InsertObject(&r), S_OK);
    return object;
}

void SelectFirst(TwwCustomRichEdit& edit) {
    edit.SetSelStart(0);
    edit.SetSelLength(1);
}

CLSID ClassOfFirst(TwwCustomRichEdit& edit) {
    REOBJECT r{};
    r.cbStruct = sizeof r;
    if (!edit.OleInterface() || FAILED(edit.OleInterface()->GetObject(0, &r, REO_GETOBJ_NO_INTERFACES))) return CLSID_NULL;
    return r.clsid;
}

}  // namespace

class RichEditObjects : public testing::Test {
protected:
    void SetUp() override {
        if (!Server::Get().dll) GTEST_SKIP() << "the test object server " << kSketchDll << " is not there";
    }
};

// The callback as the platform window meets it: through its interface.
TEST_F(RichEditObjects, CallbackThroughItsInterface) {
    Fixture fx;
    fx.edit->HandleNeeded();
    ComPtr<IRichEditOleCallback> cb;
    ASSERT_EQ(fx.edit->OleCallback()->QueryInterface(IID_IRichEditOleCallback, cb.PutVoid()), S_OK);
    const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    struct Row {
        BOOL drag;
        DWORD keys, allowed, expected;
    } rows[] = {
        {FALSE, 0, all, DROPEFFECT_MOVE},
        {FALSE, MK_CONTROL, all, DROPEFFECT_COPY},
        {FALSE, MK_CONTROL | MK_SHIFT, all, DROPEFFECT_LINK},
        {FALSE, MK_ALT, all, DROPEFFECT_MOVE},
        {FALSE, MK_SHIFT, all, DROPEFFECT_MOVE},
        {FALSE, MK_CONTROL | MK_SHIFT, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_COPY | DROPEFFECT_MOVE},
        {TRUE, MK_CONTROL, all, all},
        {TRUE, 0, DROPEFFECT_COPY, DROPEFFECT_COPY},
    };
    for (const Row& row : rows) {
        DWORD e = row.allowed;
        EXPECT_EQ(cb->GetDragDropEffect(row.drag, row.keys, &e), S_OK);
        EXPECT_EQ(e, row.expected) << "drag " << row.drag << " keys " << row.keys << " allowed " << row.allowed;
    }
    // A new storage keeps what is written to it.
    ComPtr<IStorage> stg;
    ASSERT_EQ(cb->GetNewStorage(stg.Put()), S_OK);
    ASSERT_TRUE(stg);
    ComPtr<IStream> s;
    ASSERT_EQ(stg->CreateStream(L"Probe", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, s.Put()), S_OK);
    ASSERT_EQ(s->Write("kept", 4, nullptr), S_OK);
    s.Reset();
    ASSERT_EQ(stg->Commit(STGC_DEFAULT), S_OK);
    ASSERT_EQ(stg->OpenStream(L"Probe", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, s.Put()), S_OK);
    char got[8] = "";
    ULONG n = 0;
    EXPECT_EQ(s->Read(got, sizeof got, &n), S_OK);
    EXPECT_EQ(std::string(got, n), "kept");
    STATSTG st{};
    EXPECT_EQ(stg->Stat(&st, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(st.grfMode & 0x1073, DWORD(STGM_READWRITE | STGM_SHARE_EXCLUSIVE)) << std::hex << st.grfMode;
}

// A right click shows the control's popup menu once, at the cursor, through
// the callback's context-menu answer; without a new press it shows no more.
TEST_F(RichEditObjects, RightClickShowsThePopupMenuOnce) {
    ShownFixture fx;
    fx.edit->Lines()->SetText("Some words to click on");
    auto* menu = new TPopupMenu(fx.form);
    auto* item = new TMenuItem(menu);
    item->Caption = "Probe";
    menu->Items()->Add(item);
    int shown = 0;
    POINT at{-1, -1};
    menu->OnPopup = [&](TObject*) {
        ++shown;
        GetCursorPos(&at);
        // The menu closes itself as soon as its loop runs.
        SetTimer(nullptr, 0, 30, CloseMenu);
    };
    POINT click = fx.edit->ClientToScreen(POINT{60, 8});
    // Without a popup menu (not even the built-in one) nothing shows.
    fx.edit->SetPopupMenu(nullptr);
    MouseMoveTo(click.x, click.y);
    MouseDown(true);
    MouseUp(true);
    Pump(100);
    EXPECT_EQ(shown, 0);
    fx.edit->SetPopupMenu(menu);
    MouseDown(true);
    MouseUp(true);
    WaitFor([&] { return shown > 0; }, 2000);
    Pump(100);
    EXPECT_EQ(shown, 1) << "one menu per click";
    EXPECT_EQ(at.x, click.x);
    EXPECT_EQ(at.y, click.y);
    EXPECT_FALSE(fx.edit->PopupPending());
    // Asked again with no new press, the callback shows nothing.
    HMENU none = reinterpret_cast<HMENU>(1);
    EXPECT_EQ(static_cast<IRichEditOleCallback*>(fx.edit->OleCallback())->GetContextMenu(SEL_TEXT, nullptr, nullptr, &none),
              S_OK);
    EXPECT_EQ(none, nullptr);
    Pump(50);
    EXPECT_EQ(shown, 1);
    fx.edit->SetPopupMenu(nullptr);
}

// The selected object adds its items to the context menu: its properties
// and "<short type> &Object" with its verbs, whose click reaches the object;
// read-only, the object's item is disabled and offers no verbs.
TEST_F(RichEditObjects, TheContextMenuOffersTheSelectedObjectsVerbs) {
    ShownFixture fx;
    fx.edit->Lines()->SetText("");
    ASSERT_TRUE(InsertSketch(*fx.edit));
    SelectFirst(*fx.edit);
    POINTL at{};
    SendMessageA(fx.edit->Handle(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), 0);
    POINT on = fx.edit->ClientToScreen(POINT{at.x + 12, at.y + 12});
    const std::string objectItem = std::string(kSketchShortTypeName) + " &Object";
    LONG before = 0, after = 0;
    Server::Get().lastVerb(&before);
    popuptest::MenuResult m = popuptest::RightClickMenu(on, {objectItem, "&Recolour"});
    ASSERT_TRUE(m.opened);
    ASSERT_GE(m.items.size(), 3u);
    const auto& items = m.items;
    EXPECT_TRUE(items[items.size() - 3].separator);
    EXPECT_EQ(items[items.size() - 2].caption, "Object P&roperties");
    const popuptest::SeenItem& object = items.back();
    EXPECT_EQ(object.caption, objectItem);
    EXPECT_TRUE(object.enabled);
    ASSERT_EQ(object.sub.size(), 2u);
    EXPECT_EQ(object.sub[0].caption, "&Show");
    EXPECT_TRUE(object.sub[0].isDefault) << "verb 0 is the default";
    EXPECT_EQ(object.sub[1].caption, "&Recolour");
    EXPECT_TRUE(WaitFor([&] { return Server::Get().lastVerb(&after) == 1 && after == before + 1; }, 3000))
        << "the verb chosen in the menu did not reach the object";

    // Opened again, the items are not added twice; read-only, no verbs.
    fx.edit->SetReadOnly(true);
    SelectFirst(*fx.edit);
    m = popuptest::RightClickMenu(POINT{on.x + 20, on.y + 10}, {});
    ASSERT_TRUE(m.opened);
    int objectItems = 0;
    for (auto& i : m.items) objectItems += i.caption == objectItem;
    EXPECT_EQ(objectItems, 1);
    ASSERT_FALSE(m.items.empty());
    EXPECT_EQ(m.items.back().caption, objectItem);
    EXPECT_FALSE(m.items.back().enabled);
    EXPECT_TRUE(m.items.back().sub.empty());
}

TEST_F(RichEditObjects, DisabledOleInstallsNoCallbackAndInsertsNothing) {
    Fixture fx;
    fx.edit->SetOleOptions(reoAdjustPopupMenu | reoDisableOLE);
    fx.edit->HandleNeeded();
    IRichEditOleCallback* cb = fx.edit->OleCallback();
    cb->AddRef();
    EXPECT_EQ(cb->Release(), 1u) << "only the control holds its callback";
    EXPECT_EQ(fx.edit->OleInterface(), nullptr);
    DialogWatcher watcher([](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_FALSE(fx.edit->InsertObjectDialog());
    EXPECT_FALSE(fx.edit->ObjectPropertiesDialog());
    EXPECT_EQ(watcher.seen, 0) << "no dialog opens without OLE";
    // With OLE on, the window holds the callback.
    fx.edit->SetOleOptions(reoAdjustPopupMenu);
    fx.edit->HandleNeeded();
    cb->AddRef();
    EXPECT_GE(cb->Release(), 2u);
}

TEST_F(RichEditObjects, InsertedThroughTheDialogAndShown) {
    ShownFixture fx;
    std::string caption, chosen;
    DialogWatcher watcher([&](HWND d) {
        char text[128] = "";
        GetWindowTextA(d, text, sizeof text);
        caption = text;
        // Choose the sketch in the list of object types, then OK.
        HWND list = FindWindowExA(d, nullptr, "ListBox", nullptr);
        for (int tries = 0; !list && tries < 50; ++tries) {
            Sleep(20);
            list = FindWindowExA(d, nullptr, "ListBox", nullptr);
        }
        LRESULT i = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(kSketchFullTypeName));
        if (i != LB_ERR) {
            SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
            SendMessageA(d, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
            chosen = kSketchFullTypeName;
        }
        if (const char* dir = std::getenv("CODEXIA_SHOT_DIR")) {
            Sleep(300);
            SaveWindowBmp(d, std::string(dir) + "\\insert-object-dialog.bmp");
        }
        PostMessageA(d, WM_COMMAND, chosen.empty() ? IDCANCEL : IDOK, 0);
    });
    fx.edit->Lines()->SetText("");
    bool inserted = fx.edit->InsertObjectDialog();
    EXPECT_EQ(watcher.seen, 1);
    EXPECT_EQ(caption, "Insert Object");
    ASSERT_EQ(chosen, kSketchFullTypeName) << "the sketch is offered among the object types";
    ASSERT_TRUE(inserted);
    ASSERT_EQ(fx.edit->OleInterface()->GetObjectCount(), 1);
    EXPECT_TRUE(IsEqualCLSID(ClassOfFirst(*fx.edit), CLSID_CodexiaSketch));
    LONG verbs = 0;
    Server::Get().lastVerb(&verbs);
    EXPECT_GE(verbs, 1) << "a new object is shown by its server";
    fx.edit->SetSelStart(1);  // the drawing, not inverted by a selection
    DrawingPixels d = CountDrawing(fx.edit->Handle());
    EXPECT_GT(d.card, 8000) << "the card of the sketch is on screen";
    EXPECT_GT(d.oval, 2000) << "its oval is on screen";
    if (const char* dir = std::getenv("CODEXIA_SHOT_DIR")) {
        fx.edit->Lines()->SetText("");
        fx.edit->SetSelStart(0);
        SendMessageA(fx.edit->Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("A sketch in the notes: "));
        InsertSketch(*fx.edit);
        SendMessageA(fx.edit->Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(" and after it, text."));
        Pump(100);
        SaveScreenBmp(std::string(dir) + "\\richedit-object.bmp", fx.form->Handle());
    }
}

TEST_F(RichEditObjects, VerbsReachTheObject) {
    ShownFixture fx;
    fx.edit->Lines()->SetText("");
    ASSERT_TRUE(InsertSketch(*fx.edit));
    SelectFirst(*fx.edit);
    std::vector<TwwObjectVerb> verbs = fx.edit->SelectedObjectVerbs();
    ASSERT_EQ(verbs.size(), 2u);
    EXPECT_EQ(verbs[0].name, "&Show");
    EXPECT_EQ(verbs[1].name, "&Recolour");
    EXPECT_EQ(verbs[1].verb, 1);
    fx.edit->ObjectVerbs = verbs;

    LONG before = 0, after = 0;
    Server::Get().lastVerb(&before);
    fx.edit->ExecuteVerb(1);
    EXPECT_EQ(Server::Get().lastVerb(&after), 1);
    EXPECT_EQ(after, before + 1);
    fx.edit->ExecuteVerb(-65536);
    EXPECT_EQ(Server::Get().lastVerb(nullptr), 0) << "-65536 is the primary verb";
    try {
        fx.edit->ExecuteVerb(2);
        ADD_FAILURE() << "a verb past the menu's list ran";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Invalid Verb");
    }
    fx.edit->ObjectVerbs.clear();
    EXPECT_THROW(fx.edit->ExecuteVerb(1), Exception) << "no menu, no verbs";
    // The recolour verb changed the drawing.
    fx.edit->SetSelStart(1);
    InvalidateRect(fx.edit->Handle(), nullptr, TRUE);
    DrawingPixels d = CountDrawing(fx.edit->Handle());
    EXPECT_GT(d.recoloured, 8000);
    EXPECT_EQ(d.card, 0);
    // Nothing selected: no verb runs.
    Server::Get().lastVerb(&before);
    fx.edit->ExecuteVerb(0);
    Server::Get().lastVerb(&after);
    EXPECT_EQ(after, before);
}

TEST_F(RichEditObjects, ObjectInformationForThePropertiesDialog) {
    ShownFixture fx;
    fx.edit->Title = "  Reading notes ";
    ASSERT_TRUE(InsertSketch(*fx.edit));
    SelectFirst(*fx.edit);
    TwwSelectedObject sel;
    ASSERT_TRUE(wwGetSelectedObject(*fx.edit, sel));
    EXPECT_FALSE(sel.object.As<IOleLink>(IID_IOleLink)) << "an embedded sketch is no link";
    auto info = ComPtr<TwwOleUIObjInfo>::Attach(new TwwOleUIObjInfo(fx.edit, sel));
    IOleUIObjInfoA* ui = info.Get();
    DWORD size = 0;
    LPSTR label = nullptr, type = nullptr, shortType = nullptr, location = nullptr;
    ASSERT_EQ(ui->GetObjectInfo(1, &size, &label, &type, &shortType, &location), S_OK);
    EXPECT_EQ(size, DWORD(-1));
    EXPECT_STREQ(label, kSketchFullTypeName);
    EXPECT_STREQ(type, kSketchFullTypeName);
    EXPECT_STREQ(shortType, kSketchShortTypeName);
    EXPECT_STREQ(location, "Reading notes - CodexiaTests");
    for (LPSTR p : {label, type, shortType, location}) CoTaskMemFree(p);
    fx.edit->Title = "";
    ASSERT_EQ(ui->GetObjectInfo(1, nullptr, nullptr, nullptr, nullptr, &location), S_OK);
    EXPECT_STREQ(location, "CodexiaTests");
    CoTaskMemFree(location);

    CLSID cls = CLSID_NULL;
    EXPECT_EQ(ui->GetConvertInfo(1, &cls, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_TRUE(IsEqualCLSID(cls, CLSID_CodexiaSketch));
    EXPECT_EQ(ui->ConvertObject(1, CLSID_CodexiaSketch), E_NOTIMPL);

    HGLOBAL pict = nullptr;
    DWORD aspect = 0;
    int scale = 0;
    ASSERT_EQ(ui->GetViewInfo(1, &pict, &aspect, &scale), S_OK);
    EXPECT_EQ(aspect, DWORD(DVASPECT_CONTENT));
    EXPECT_NE(pict, nullptr) << "the class's icon";
    // Shown as an icon, and back: the window is told each time.
    HRESULT shownAsIcon = ui->SetViewInfo(1, pict, DVASPECT_ICON, 100, FALSE);
    EXPECT_EQ(info->Aspect(), DWORD(DVASPECT_ICON));
    REOBJECT r{};
    r.cbStruct = sizeof r;
    if (shownAsIcon == E_NOTIMPL && OnWine()) {
        // Wine 8's rich edit has no SetDvaspect: the object keeps its content aspect there.
        std::printf("note: this platform's rich edit cannot switch an object to its icon\n");
    } else {
        EXPECT_EQ(shownAsIcon, S_OK);
        ASSERT_EQ(fx.edit->OleInterface()->GetObject(0, &r, REO_GETOBJ_NO_INTERFACES), S_OK);
        EXPECT_EQ(r.dvaspect, DWORD(DVASPECT_ICON));
    }
    ui->SetViewInfo(1, nullptr, 0, 100, FALSE);
    EXPECT_EQ(info->Aspect(), DWORD(DVASPECT_ICON)) << "neither aspect keeps the icon";
    HRESULT shownAsContent = ui->SetViewInfo(1, nullptr, DVASPECT_CONTENT, 100, FALSE);
    EXPECT_EQ(info->Aspect(), DWORD(DVASPECT_CONTENT));
    EXPECT_EQ(shownAsContent, shownAsIcon);
    ASSERT_EQ(fx.edit->OleInterface()->GetObject(0, &r, REO_GETOBJ_NO_INTERFACES), S_OK);
    EXPECT_EQ(r.dvaspect, DWORD(DVASPECT_CONTENT));
    if (pict) {
        auto* mp = static_cast<METAFILEPICT*>(GlobalLock(pict));
        DeleteMetaFile(mp->hMF);
        GlobalUnlock(pict);
        GlobalFree(pict);
    }

    // The platform's dialog: shown and cancelled where the platform has it.
    DialogWatcher watcher([](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_FALSE(fx.edit->ObjectPropertiesDialog());
    if (watcher.seen == 0)
        std::printf("note: this platform's OleUIObjectProperties shows no dialog (Wine 8: a stub)\n");
}

TEST_F(RichEditObjects, LinkedObjectThroughTheLinksPage) {
    ShownFixture fx;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string red = std::string(temp) + "codexia-sketch-red.skt", blue = std::string(temp) + "codexia-sketch-blue.skt";
    ASSERT_EQ(Server::Get().writeFile(Wide(red).c_str(), kSketchCardColour), S_OK);
    ASSERT_EQ(Server::Get().writeFile(Wide(blue).c_str(), kSketchRecolouredCard), S_OK);

    // A link to the red file, made by the platform where it can.
    IRichEditOle* ole = fx.edit->OleInterface();
    ComPtr<IOleClientSite> site;
    ASSERT_EQ(ole->GetClientSite(site.Put()), S_OK);
    ComPtr<IStorage> storage;
    ASSERT_EQ(fx.edit->OleCallback()->GetNewStorage(storage.Put()), S_OK);
    ComPtr<IOleObject> object;
    HRESULT hr = OleCreateLinkToFile(Wide(red).c_str(), IID_IOleObject, OLERENDER_DRAW, nullptr, site.Get(),
                                     storage.Get(), object.PutVoid());
    if (FAILED(hr)) {
        std::printf("note: OleCreateLinkToFile failed (%08lX); the server makes the link itself\n",
                    static_cast<unsigned long>(hr));
        ASSERT_EQ(Server::Get().createLink(Wide(red).c_str(), site.Get(), storage.Get(), object.Put()), S_OK);
    }
    REOBJECT r{};
    r.cbStruct = sizeof r;
    r.cp = REO_CP_SELECTION;
    r.clsid = CLSID_CodexiaSketch;
    r.poleobj = object.Get();
    r.pstg = storage.Get();
    r.polesite = site.Get();
    r.dvaspect = DVASPECT_CONTENT;
    ASSERT_EQ(ole->InsertObject(&r), S_OK);
    SelectFirst(*fx.edit);
    TwwSelectedObject sel;
    ASSERT_TRUE(wwGetSelectedObject(*fx.edit, sel));
    EXPECT_THROW(new TwwOleUILinkInfo(fx.edit, TwwSelectedObject{}), Exception) << "no object, no link";

    auto links = ComPtr<TwwOleUILinkInfo>::Attach(new TwwOleUILinkInfo(fx.edit, sel));
    IOleUILinkInfoA* ui = links.Get();
    DWORD key = ui->GetNextLink(0);
    EXPECT_NE(key, 0u);
    EXPECT_EQ(ui->GetNextLink(key), 0u) << "one link only";

    fx.edit->SetModified(false);
    DWORD option = 0;
    EXPECT_EQ(ui->GetLinkUpdateOptions(key, &option), S_OK);
    EXPECT_EQ(option, DWORD(OLEUPDATE_ALWAYS));
    EXPECT_EQ(ui->SetLinkUpdateOptions(key, OLEUPDATE_ONCALL), S_OK);
    EXPECT_TRUE(fx.edit->Modified());
    EXPECT_EQ(ui->GetLinkUpdateOptions(key, &option), S_OK);
    EXPECT_EQ(option, DWORD(OLEUPDATE_ONCALL));

    LPSTR name = nullptr, full = nullptr, shortName = nullptr;
    ULONG fileLength = 0;
    BOOL available = FALSE, selected = FALSE;
    ASSERT_EQ(ui->GetLinkSource(key, &name, &fileLength, &full, &shortName, &available, &selected), S_OK);
    EXPECT_EQ(std::string(name), red);
    EXPECT_EQ(fileLength, red.size());
    EXPECT_STREQ(full, kSketchFullTypeName);
    EXPECT_STREQ(shortName, kSketchShortTypeName);
    for (LPSTR p : {name, full, shortName}) CoTaskMemFree(p);

    // Messages the user sees, read from the screen.
    std::vector<std::string> shown;
    {
        DialogWatcher watcher([&](HWND d) {
            shown.push_back(MessageText(d));
            PostMessageA(d, WM_COMMAND, IDOK, 0);
        });
        ULONG eaten = 0;
        EXPECT_EQ(ui->SetLinkSource(key, blue.data(), static_cast<ULONG>(blue.size()), &eaten, FALSE), E_FAIL);
        EXPECT_EQ(ui->CancelLink(key), E_NOTIMPL);
        WaitFor([&] { return watcher.seen == 2; }, 1000);
    }
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "Cannot link to an invalid source.");
    EXPECT_EQ(shown[1], "Break link operation is not supported.");

    // A valid new source: the object takes the blue file's colour.
    ULONG eaten = 0;
    TakeErrors();
    EXPECT_EQ(ui->SetLinkSource(key, blue.data(), static_cast<ULONG>(blue.size()), &eaten, TRUE), S_OK);
    EXPECT_EQ(eaten, blue.size());
    EXPECT_EQ(TakeErrors(), "");
    fx.edit->SetSelStart(1);
    InvalidateRect(fx.edit->Handle(), nullptr, TRUE);
    EXPECT_GT(CountDrawing(fx.edit->Handle()).recoloured, 8000);

    // A source that is gone: the failure is shown, the call still succeeds.
    DeleteFileA(blue.c_str());
    EXPECT_EQ(ui->UpdateLink(key, TRUE, FALSE), S_OK);
    EXPECT_NE(TakeErrors(), "");
    std::string gone = std::string(temp) + "codexia-sketch-gone.skt";
    EXPECT_EQ(ui->SetLinkSource(key, gone.data(), static_cast<ULONG>(gone.size()), &eaten, TRUE), S_OK);
    EXPECT_NE(TakeErrors(), "");
    LONG before = 0, after = 0;
    Server::Get().lastVerb(&before);
    EXPECT_EQ(ui->OpenLinkSource(key), S_OK);
    EXPECT_EQ(Server::Get().lastVerb(&after), OLEIVERB_SHOW);
    EXPECT_EQ(after, before + 1);
    FILETIME ft{};
    EXPECT_EQ(ui->GetLastUpdate(key, &ft), S_OK);
    DeleteFileA(red.c_str());
}

// Saved with the document, the object comes back in a new process.
TEST_F(RichEditObjects, SavedAndLoadedAgainAfterARestart) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string notes = std::string(temp) + "codexia-object-notes.rtf", report = notes + ".result";
    DeleteFileA(report.c_str());
    {
        ShownFixture fx;
        fx.edit->Lines()->SetText("");
        SendMessageA(fx.edit->Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("Before "));
        ASSERT_TRUE(InsertSketch(*fx.edit));
        SendMessageA(fx.edit->Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(" after."));
        fx.edit->Lines()->SaveToFile(notes);
    }
    std::ifstream in(notes, std::ios::binary);
    std::string rtf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (const char* dir = std::getenv("CODEXIA_SHOT_DIR")) std::ofstream(std::string(dir) + "\\richedit-object.rtf") << rtf;
    const bool writesObjects = rtf.find("\\object") != std::string::npos;
    const bool writesPicture = rtf.find("\\pict") != std::string::npos;

    // The restart: this program again, running only the loading half.
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string cmd = std::string("\"") + exe +
                      "\" --gtest_also_run_disabled_tests --gtest_filter=RichEditObjectsRestart.DISABLED_LoadNotes";
    SetEnvironmentVariableA("CODEXIA_OBJECT_NOTES", notes.c_str());
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    SetEnvironmentVariableA("CODEXIA_OBJECT_NOTES", nullptr);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::map<std::string, std::string> got;
    std::ifstream rin(report);
    for (std::string line; std::getline(rin, line);) {
        auto eq = line.find('=');
        if (eq != std::string::npos) got[line.substr(0, eq)] = line.substr(eq + 1);
    }
    ASSERT_EQ(got["objects"], "1") << "the object comes back";
    const std::string& text = got["text"];  // the object stands as one character between
    EXPECT_EQ(text.size(), 15u) << text;
    EXPECT_EQ(text.substr(0, 7), "Before ") << text;
    EXPECT_EQ(text.substr(text.size() < 7 ? 0 : text.size() - 7), " after.") << text;
    if (writesObjects) {
        EXPECT_EQ(got["class"], "sketch") << "the object keeps its type";
        EXPECT_EQ(got["type"], kSketchFullTypeName);
    } else {
        // Wine 8's rich edit writes an object as its picture only (no \object
        // group), so what comes back is a picture without the sketch's type.
        ASSERT_TRUE(OnWine()) << "the platform's rich edit wrote no \\object group";
        EXPECT_TRUE(writesPicture) << "the drawing is kept as a picture";
        EXPECT_NE(got["class"], "sketch");
        std::printf("note: this platform's rich edit saves objects as pictures only; the type is lost (class %s)\n",
                    got["class"].c_str());
    }
    if (got["card"] == "0" && OnWine())
        std::printf("note: this platform does not draw the reloaded object's picture\n");
    else {
        EXPECT_GT(std::atoi(got["card"].c_str()), 8000) << "the drawing comes back on screen";
        EXPECT_GT(std::atoi(got["oval"].c_str()), 2000);
    }
    DeleteFileA(notes.c_str());
    DeleteFileA(report.c_str());
}

TEST(RichEditObjectsRestart, DISABLED_LoadNotes) {
    const char* notes = std::getenv("CODEXIA_OBJECT_NOTES");
    ASSERT_NE(notes, nullptr);
    Server::Get();
    ShownFixture fx;
    fx.edit->Lines()->LoadFromFile(notes);
    fx.edit->SetSelStart(fx.edit->GetTextLen());
    std::ofstream out(std::string(notes) + ".result");
    IRichEditOle* ole = fx.edit->OleInterface();
    out << "objects=" << (ole ? ole->GetObjectCount() : -1) << "\n";
    char buf[256] = "";
    TEXTRANGEA tr{};
    tr.chrg = {0, 255};
    tr.lpstrText = buf;
    SendMessageA(fx.edit->Handle(), EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&tr));
    std::string text = buf;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
    out << "text=" << text << "\n";
    REOBJECT r{};
    r.cbStruct = sizeof r;
    if (ole && SUCCEEDED(ole->GetObject(0, &r, REO_GETOBJ_POLEOBJ)) && r.poleobj) {
        CLSID cls = CLSID_NULL;
        r.poleobj->GetUserClassID(&cls);
        LPOLESTR type = nullptr;
        std::string typeText;
        if (SUCCEEDED(r.poleobj->GetUserType(USERCLASSTYPE_FULL, &type)) && type) {
            for (LPOLESTR p = type; *p; ++p) typeText += static_cast<char>(*p);
            CoTaskMemFree(type);
        }
        wchar_t clsText[40];
        StringFromGUID2(cls, clsText, 40);
        std::string c;
        for (wchar_t* p = clsText; *p; ++p) c += static_cast<char>(*p);
        out << "class=" << (IsEqualCLSID(cls, CLSID_CodexiaSketch) ? std::string("sketch") : c) << "\n";
        out << "type=" << typeText << "\n";
        r.poleobj->Release();
    }
    DrawingPixels d = CountDrawing(fx.edit->Handle());
    out << "card=" << d.card << "\noval=" << d.oval << "\n";
    if (const char* dir = std::getenv("CODEXIA_SHOT_DIR"))
        SaveScreenBmp(std::string(dir) + "\\richedit-object-reloaded.bmp", fx.form->Handle());
}
