#include "wwRichEdit.h"

#include <shellapi.h>
#include <windowsx.h>
#include <winspool.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "LinkOpen.h"
#include "Menus.h"
#include "wwRichEditorLink.h"
#include "Printers.h"
#include "core/StoredData.h"
#include "core/Units.h"
#include "wwRichEditLoad.h"
#include "wwRichEditOle.h"

namespace {
[[noreturn]] void NotAvailable(const char* what) {
    throw EInvalidOperation(std::string(what) + " is not available in this rich text control");
}
}  // namespace

// ---------------------------------------------------------------- TwwRichEditStrings

TwwRichEditStrings::TwwRichEditStrings(TwwCustomRichEdit& owner) : TRichEditStrings(owner), control_(owner) {}

void TwwRichEditStrings::AddStrings(TStrings& other) {
    // Adding moves the selection line by line; nobody hears of that.
    Restore<TNotifyEvent> quiet(control_.OnSelectionChange, nullptr);
    TRichEditStrings::AddStrings(other);
}

void TwwRichEditStrings::SetText(const std::string& text) {
    if (control_.Has(csReading)) {
        control_.pendingLines_ = SplitLines(text);
        return;
    }
    control_.HandleNeeded();
    DWORD mask = control_.EventMask();
    control_.SetEventMask(mask & ~ENM_CHANGE);
    ScopeExit events([&] { control_.SetEventMask(mask); });
    TRichEditStrings::SetText(text);
}

void TwwRichEditStrings::SetStrings(const std::vector<std::string>& lines) {
    // Lines read with a layout wait until the whole layout is read.
    if (control_.Has(csReading)) {
        control_.pendingLines_ = lines;
        return;
    }
    TRichEditStrings::SetStrings(lines);
}

void TwwRichEditStrings::LoadFromFile(const std::string& fileName) { control_.BaseLines().LoadFromFile(fileName); }
void TwwRichEditStrings::SaveToFile(const std::string& fileName) { control_.BaseLines().SaveToFile(fileName); }
void TwwRichEditStrings::LoadFromStream(TStream& stream) { control_.BaseLines().LoadFromStream(stream); }
void TwwRichEditStrings::SaveToStream(TStream& stream) { control_.BaseLines().SaveToStream(stream); }

// ---------------------------------------------------------------- TwwCustomRichEdit

CX_IMPLEMENT_CLASS(TwwRichEditStrings, TRichEditStrings, CX_ABSTRACT, {})
CX_IMPLEMENT_CLASS(TwwCustomRichEdit, TCustomRichEdit, CX_ABSTRACT, {})

TwwCustomRichEdit::TwwCustomRichEdit(TComponent* owner) : TCustomRichEdit(owner) {
    // The published settings start at their defaults (the member initialisers).
    printMargins_ = std::make_unique<TwwPrintMargins>();
    CreateDialogs();
    richeditruntime::Acquire();
    callback_ = ComPtr<TRichEditOleCallback>::Attach(new TRichEditOleCallback(this));
    editorPosition_ = std::make_unique<TwwFormPosition>();
    PrintJobName = Application ? Application->Title() : std::string();
    lines_ = std::make_unique<TwwRichEditStrings>(*this);
    frame_ = std::make_unique<TwwEditFrame>();
}

TwwCustomRichEdit::~TwwCustomRichEdit() {
    SetState(csDestroying, true);
    FinishStoredDocument();
    // The window goes while this layer still answers its messages.
    DestroyHandle();
    richEditOle_.Reset();
    richLib_.Reset();
    callback_->Detach();
    callback_.Reset();
    richeditruntime::Release();
}

TStrings* TwwCustomRichEdit::Lines() { return lines_.get(); }

bool TwwCustomRichEdit::SwitchOn(int entry) const {
    if (entry < 0 || entry >= static_cast<int>(CompatibilitySwitches.size())) return false;
    const Switch& s = CompatibilitySwitches[static_cast<std::size_t>(entry)];
    if (auto* b = std::get_if<bool>(&s)) return *b;
    return std::get<int>(s) != 0;
}

void TwwCustomRichEdit::SetRichEditVersion(int v) {
    if (v == version_) return;
    version_ = v;
    RecreateWnd();
}

void TwwCustomRichEdit::SetOleOptions(unsigned v) {
    if (v == oleOptions_) return;
    oleOptions_ = v;
    RecreateWnd();
}

void TwwCustomRichEdit::SetAutoURLDetect(bool v) {
    if (v == autoURLDetect_) return;
    autoURLDetect_ = v;
    if (!wnd_) return;
    SendMessageA(wnd_, EM_AUTOURLDETECT, v ? TRUE : FALSE, 0);
    DWORD mask = EventMask();
    SetEventMask(v ? (mask | ENM_LINK) : (mask & ~static_cast<DWORD>(ENM_LINK)));
}

void TwwCustomRichEdit::ApplyLinkDetection() {
    if (!wnd_ || !autoURLDetect_) return;
    SendMessageA(wnd_, EM_AUTOURLDETECT, TRUE, 0);
    SetEventMask(EventMask() | ENM_LINK);
}

DWORD TwwCustomRichEdit::EventMask() {
    return wnd_ ? static_cast<DWORD>(SendMessageA(wnd_, EM_GETEVENTMASK, 0, 0)) : 0;
}

void TwwCustomRichEdit::SetEventMask(DWORD mask) {
    if (wnd_) SendMessageA(wnd_, EM_SETEVENTMASK, 0, static_cast<LPARAM>(mask));
}

void TwwCustomRichEdit::SetEditWidth(TwwRichEditWidth v) {
    editWidth_ = v;
    UpdateFormatRect();
}

void TwwCustomRichEdit::SetGutterWidth(int v) {
    gutterWidth_ = v;
    UpdateFormatRect();
}

void TwwCustomRichEdit::SetUserSpeedButton(int which, TControl* button) {
    if (which < 0 || which > 1) return;
    userButtons_[static_cast<std::size_t>(which)] = button;
    if (button) button->FreeNotification(this);
}

void TwwCustomRichEdit::Notification(TComponent* c, TOperation op) {
    TCustomRichEdit::Notification(c, op);
    if (op != TOperation::opRemove) return;
    for (TControl*& b : userButtons_)
        if (b == c) b = nullptr;
}

// ---------------------------------------------------------------- window

void TwwCustomRichEdit::CreateParams(TCreateParams& p) {
    if (version_ < 2) {
        TCustomRichEdit::CreateParams(p);
        return;
    }
    UINT mode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    HMODULE lib = LoadLibraryA("RICHED20.DLL");
    SetErrorMode(mode);
    if (reinterpret_cast<std::uintptr_t>(lib) < 32) lib = nullptr;
    richLib_.Reset(lib);
    TCustomRichEdit::CreateParams(p);
    p.baseClassName = richLib_ && !SwitchOn(cswVersion1WindowClass) ? "RICHEDIT20A" : "RICHEDIT";
    windowClass_ = p.baseClassName;
    if (!HideScrollBars()) p.style |= ES_DISABLENOSCROLL;
    if (!HideSelection()) p.style |= ES_NOHIDESEL;
    if (IsTransparent()) p.exStyle |= WS_EX_TRANSPARENT;
}

void TwwCustomRichEdit::CreateWnd() {
    formatRectKnown_ = false;
    {
        LoadingGuard guard(*this);
        TCustomRichEdit::CreateWnd();
    }
    if (version_ >= 2) SendMessageA(wnd_, EM_SETTYPOGRAPHYOPTIONS, TO_ADVANCEDTYPOGRAPHY, TO_ADVANCEDTYPOGRAPHY);
    // An OLE failure leaves a window without embedded objects; the document
    // and the other settings still come back before it is reported.
    std::string oleError;
    if (!(oleOptions_ & reoDisableOLE)) {
        try {
            InstallOleCallback();
        } catch (const std::exception& e) {
            oleError = e.what();
        }
    }
    // Links are detected as the document comes in; not every rich edit
    // window looks again at text it already holds when detection starts.
    ApplyLinkDetection();
    if (saved_ && savedDocument_) {
        LoadingGuard guard(*this);
        savedDocument_->SetPosition(0);
        LoadWithRaisedLimit(*savedDocument_);
        saved_ = false;
    }
    UpdateFormatRect();
    if (!oleError.empty()) throw Exception(oleError);
}

void TwwCustomRichEdit::InstallOleCallback() {
    ComPtr<IRichEditOle> ole;
    if (!SendMessageA(wnd_, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(ole.Put())) || !ole)
        throw Exception("Unable to get interface");
    richEditOle_ = std::move(ole);
    if (!SendMessageA(wnd_, EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(static_cast<IRichEditOleCallback*>(callback_.Get())))) {
        richEditOle_.Reset();
        throw Exception("Unable to set callback");
    }
}

void TwwCustomRichEdit::DestroyWnd() {
    // A window whose restore failed never held the saved document: the saved
    // copy stays, rather than being replaced by what that window holds.
    if (wnd_ && !Dying() && !saved_) {
        // The document survives the window; a shorter one must not keep the
        // tail of a longer one saved before.
        if (!savedDocument_) savedDocument_ = std::make_unique<TwwRichMemoryStream>();
        savedDocument_->SetSize(0);
        lines_->SaveToStream(*savedDocument_);
        saved_ = true;
        LoadingGuard guard(*this);
        SetWindowTextA(wnd_, "");
    }
    TCustomRichEdit::DestroyWnd();
}

void TwwCustomRichEdit::LoadWithRaisedLimit(TStream& stream) {
    // The whole document comes in whatever its length; afterwards typing is
    // limited again as the layout says (no layout limit: the limit stays open).
    int limit = MaxLength();
    SetTextLimit(0x7FFFFFF0);
    ScopeExit limited([this, limit] {
        if (limit > 0) SetTextLimit(limit);
    });
    lines_->LoadFromStream(stream);
}

void TwwCustomRichEdit::Clear() {
    saved_ = false;
    savedDocument_.reset();
    TCustomRichEdit::Clear();
}

void TwwCustomRichEdit::Change() {
    if (loading_ > 0) return;
    TCustomRichEdit::Change();
}

void TwwCustomRichEdit::WndProc(TMessage& m) {
    if (storedLoad_ && !pieceLoading_) DocumentNeededFor(m);
    if (OnDocumentRead && !pieceLoading_ &&
        (m.msg == EM_STREAMOUT || m.msg == EM_FORMATRANGE || (m.msg == EM_GETCHARFORMAT && m.wParam != SCF_DEFAULT)))
        OnDocumentRead(this);
    switch (m.msg) {
    case EM_FINDTEXT: case EM_FINDTEXTEX: case EM_FINDTEXTW: case EM_FINDTEXTEXW:
        // Rich edit 2 searches backwards without the flag.
        if (!SwitchOn(cswFindKeepsDirection)) m.wParam |= FR_DOWN;
        break;
    case kReflect + WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(m.lParam)->code == EN_LINK) {
            LinkNotify(m);
            return;
        }
        break;
    case WM_KEYDOWN:
        if (KeyDown(m.wParam)) {
            m.result = 0;
            return;
        }
        break;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        popupPending_ = true;
        break;
    case WM_LBUTTONUP:
        TCustomRichEdit::WndProc(m);
        // A press on a link counts only with its release on the same link.
        linkPressed_ = false;
        return;
    case WM_RBUTTONUP:
        RightButtonUp(m);
        return;
    case WM_CONTEXTMENU: {
        // The OLE callback may have shown the menu for this click already.
        if (m.lParam != -1 && !popupPending_) {
            m.result = 0;
            return;
        }
        popupPending_ = false;
        // The menu in use, with the selected object's items added.
        TPopupMenu* menu = GetPopupMenu();
        if (!menu || !menu->AutoPopup) break;
        POINT pt{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
        if (m.lParam == -1) pt = ClientToScreen(POINT{0, 0});
        menu->Popup(pt.x, pt.y);
        m.result = 0;
        return;
    }
    case WM_PAINT: {
        Restore<bool> painting(painting_, true);
        TCustomRichEdit::WndProc(m);
        return;
    }
    case WM_ERASEBKGND:
        // The window paints its own background.
        if (painting_ || IsTransparent()) {
            m.result = 1;
            return;
        }
        break;
    case WM_VSCROLL:
        if (IsTransparent() && CanFocus()) SetFocus();
        break;
    case WM_WINDOWPOSCHANGING:
        // The lines will wrap anew: the line at the top now stays there. The
        // window lays itself out before the size message comes.
        if (!(reinterpret_cast<WINDOWPOS*>(m.lParam)->flags & SWP_NOSIZE) && sizeTop_ < 0) sizeTop_ = TopCharacter();
        break;
    case WM_WINDOWPOSCHANGED:
        TCustomRichEdit::WndProc(m);
        sizeTop_ = -1;  // the size message, if any, has come
        return;
    case WM_SIZE: {
        int top = sizeTop_;
        sizeTop_ = -1;
        TCustomRichEdit::WndProc(m);
        if (!UsesPrinterWidth()) UpdateFormatRect();
        if (top > 0) ScrollCharacterToTop(top);
        return;
    }
    case WM_SHOWWINDOW:
        if (m.wParam && parent_ && !SwitchOn(cswNoRealignOnShow) && parent_->Align() != TAlign::alNone &&
            (parent_->Width() == 0 || parent_->Height() == 0)) {
            if (TWinControl* outer = parent_->Parent()) outer->Realign();
        }
        break;
    case WM_NCDESTROY:
        TCustomRichEdit::WndProc(m);
        if (m.hwnd != wnd_) return;
        richEditOle_.Reset();
        richLib_.Reset();
        return;
    default: break;
    }
    TCustomRichEdit::WndProc(m);
}

bool TwwCustomRichEdit::KeyDown(WPARAM key) {
    bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
    if (key == VK_F2 && (PopupOptions & rpoPopupEdit)) {
        EditInWindow();
        return true;
    }
    if (((key == VK_INSERT && shift) || (key == 'V' && ctrl)) && !CanPaste()) return true;
    return false;
}

void TwwCustomRichEdit::RightButtonUp(TMessage& m) {
    if (rightClickBusy_) {
        TCustomRichEdit::WndProc(m);
        return;
    }
    rightClickBusy_ = true;
    // The platform version is pretended for this click only, and a press on
    // a link does not outlast it.
    ScopeExit done([this, realVersion = platformMajorVersion_] {
        platformMajorVersion_ = realVersion;
        rightClickBusy_ = false;
        linkPressed_ = false;
    });
    // A left press and release at the point select an embedded object
    // there; text keeps its selection, also when the window takes the
    // press for the second of a double click and selects a word. They go
    // straight to the platform window: handlers must not see a left
    // click that never happened.
    CHARRANGE before{};
    SendMessageA(wnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&before));
    TMessage down{wnd_, WM_LBUTTONDOWN, 0, m.lParam, 0};
    DefaultHandler(down);
    TMessage up{wnd_, WM_LBUTTONUP, 0, m.lParam, 0};
    DefaultHandler(up);
    CHARRANGE after{};
    SendMessageA(wnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&after));
    if (after.cpMin == after.cpMax || SendMessageA(wnd_, EM_SELECTIONTYPE, 0, 0) != SEL_OBJECT)
        SendMessageA(wnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&before));
    // Without OLE the control keeps older platforms from raising the menu request themselves.
    if (oleOptions_ & reoDisableOLE) platformMajorVersion_ = 5;
    TCustomRichEdit::WndProc(m);
}

std::string TwwCustomRichEdit::TextRange(LONG start, LONG end) {
    if (!wnd_ || end <= start) return {};
    std::string buf(static_cast<std::size_t>(end - start) * 2 + 1, '\0');
    TEXTRANGEA tr{};
    tr.chrg.cpMin = start;
    tr.chrg.cpMax = end;
    tr.lpstrText = buf.data();
    auto n = SendMessageA(wnd_, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&tr));
    buf.resize(static_cast<std::size_t>(std::max<LRESULT>(0, n)));
    return buf;
}

bool TwwCustomRichEdit::CursorIn(const CHARRANGE& r) {
    POINT pt;
    if (!wnd_ || !GetCursorPos(&pt)) return false;
    ::ScreenToClient(wnd_, &pt);
    POINTL at{pt.x, pt.y};
    auto index = SendMessageA(wnd_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at));
    return index >= r.cpMin && index < r.cpMax;
}

void TwwCustomRichEdit::LinkNotify(TMessage& m) {
    auto* link = reinterpret_cast<ENLINK*>(m.lParam);
    m.result = 0;
    if (link->msg == WM_LBUTTONDOWN) {
        if (link->wParam & MK_LBUTTON) {
            pressedLink_ = link->chrg;
            linkPressed_ = CursorIn(link->chrg);
        }
    } else if (link->msg == WM_LBUTTONUP && linkPressed_) {
        linkPressed_ = false;
        if (link->chrg.cpMin != pressedLink_.cpMin || link->chrg.cpMax != pressedLink_.cpMax) return;
        std::string url = TextRange(link->chrg.cpMin, link->chrg.cpMax);
        bool useDefault = true;
        DoURLOpen(url, useDefault);
        if (useDefault) OpenURL(url);
    }
}

void TwwCustomRichEdit::DoURLOpen(const std::string& URLLink, bool& UseDefault) {
    if (OnURLOpen) OnURLOpen(this, URLLink, UseDefault);
}

void TwwCustomRichEdit::OpenURL(const std::string& link) {
    // Only web and mail links reach the shell; the reader is told why any
    // other link was not opened.
    linkopen::OpenLink(wnd_, link);
}

bool TwwCustomRichEdit::CanPaste() {
    HWND w = Handle();
    bool readOnly = ReadOnly();
    if (readOnly) SendMessageA(w, EM_SETREADONLY, FALSE, 0);
    bool can = SendMessageA(w, EM_CANPASTE, 0, 0) != 0;
    if (readOnly) SendMessageA(w, EM_SETREADONLY, TRUE, 0);
    // A bitmap is not pasted into documents; a picture in a metafile is.
    if (OpenClipboard(w)) {
        for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) {
            if (f == CF_BITMAP) {
                can = false;
            } else if (f == CF_METAFILEPICT || f == CF_ENHMETAFILE) {
                can = true;
                break;
            }
        }
        CloseClipboard();
    }
    return can;
}

bool TwwCustomRichEdit::HasSelection() { return !SelText().empty(); }

void TwwCustomRichEdit::LoadStreamLimited(TStream& stream, bool selection, int chunkLimit) {
    UINT format = PlainText() ? SF_TEXT : SF_RTF;
    if (selection) format |= SFF_SELECTION;
    std::int64_t start = stream.Position();
    if (StreamIn(stream, format, nullptr, chunkLimit)) return;
    if (!selection && !PlainText()) {
        stream.SetPosition(start);
        if (StreamIn(stream, SF_TEXT, nullptr, chunkLimit)) return;
    }
    throw EStreamError("Failed to Load Stream");
}

int TwwCustomRichEdit::FindTextRaw(const std::string& text, int start, int length, unsigned searchTypes) {
    // A raw search is not forced down; the caller's setting of the switch
    // comes back however the search ends.
    ScopeExit restore([this, saved = CompatibilitySwitches[cswFindKeepsDirection]] {
        CompatibilitySwitches[cswFindKeepsDirection] = saved;
    });
    CompatibilitySwitches[cswFindKeepsDirection] = true;
    return FindText(text, start, length, searchTypes);
}

bool TwwCustomRichEdit::UsesPrinterWidth() {
    // The installed printers are read once and again only when the platform
    // announces a change of devices, not on every resize.
    return editWidth_ == TwwRichEditWidth::rewPrinterSize && Printer()->Installed();
}

void TwwCustomRichEdit::UpdateFormatRect() {
    if (!wnd_) return;
    LoadingGuard guard(*this);
    RECT r{gutterWidth_ - 2, 2, ClientWidth() - 2, Height() - 2};
    if (UsesPrinterWidth()) {
        // Without a usable printer (it went away): the window's width.
        if (HDC printer = Printer()->HandleIfAny()) {
            int physWidth = GetDeviceCaps(printer, PHYSICALWIDTH), physHeight = GetDeviceCaps(printer, PHYSICALHEIGHT);
            int dpiX = std::max(1, GetDeviceCaps(printer, LOGPIXELSX)), dpiY = std::max(1, GetDeviceCaps(printer, LOGPIXELSY));
            auto inches = [&](double margin) {
                return UnitsToTwips(units::WithDecimalSeparator(std::to_string(margin), DecimalSeparator())) / 1440.0;
            };
            double margins = inches(printMargins_->Left) + inches(printMargins_->Right);
            r.left = gutterWidth_ + 10;
            r.top = 0;
            r.right = static_cast<LONG>(std::lround((static_cast<double>(physWidth) / dpiX - margins) * screenPixelsPerInch_)) +
                      gutterWidth_ + 4;
            bool vertical = ScrollBars() == TScrollStyle::ssVertical || ScrollBars() == TScrollStyle::ssBoth;
            if (vertical && (GetWindowLongA(wnd_, GWL_STYLE) & WS_VSCROLL)) r.right -= GetSystemMetrics(SM_CXHTHUMB) + 5;
            r.bottom = MulDiv(physHeight, screenPixelsPerInch_, dpiY);
        }
    }
    // Every new rectangle makes the window lay the whole document out again.
    // A window that moved its rectangle with its own resize, by just what
    // this one would change, is left as it is.
    RECT now{};
    SendMessageA(wnd_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&now));
    if (formatRectKnown_ && r.left - wantedRect_.left == now.left - windowRect_.left &&
        r.top - wantedRect_.top == now.top - windowRect_.top &&
        r.right - wantedRect_.right == now.right - windowRect_.right &&
        r.bottom - wantedRect_.bottom == now.bottom - windowRect_.bottom) {
        wantedRect_ = r;
        windowRect_ = now;
        return;
    }
    SendMessageA(wnd_, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&r));
    SendMessageA(wnd_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&windowRect_));
    wantedRect_ = r;
    formatRectKnown_ = true;
}

void TwwCustomRichEdit::CopyDocument(TwwCustomRichEdit& source, TwwCustomRichEdit& destination) {
    THourglass hourglass;
    LoadingGuard guard(source);
    TwwRichMemoryStream ms;
    source.Lines()->SaveToStream(ms);
    ms.SetPosition(0);
    destination.LoadWithRaisedLimit(ms);
}

// ---------------------------------------------------------------- stored document

void TwwCustomRichEdit::DefineProperties(TFiler& filer) {
    TCustomRichEdit::DefineProperties(filer);
    filer.DefineIntProperty(
        "RichEditVersion",
        [this](std::int32_t v) {
            versionRead_ = true;
            SetRichEditVersion(v);
        },
        [this] {
            // What is stored is always a version-2 document.
            version_ = 2;
            return std::int32_t{2};
        },
        true);
    filer.DefineBinaryProperty(
        "Data", [this](layout::Reader& r) { ReadData(r); }, [this](layout::Writer& w) { WriteData(w); },
        GetBoundField() == nullptr);
}

void TwwCustomRichEdit::ReadData(layout::Reader& payload) {
    SetPlainText(false);
    std::string bytes = stored::ReadDocument(payload);  // its length must be exactly its bytes
    dataRead_ = true;
    if (GetBoundField()) return;
    // While the layout is read the document waits for the other settings
    // (version, scroll bars...) so that the window is made once, right.
    if (Has(csReading)) {
        pendingData_ = std::move(bytes);
        return;
    }
    if (bytes.empty()) return;
    LoadStoredDocument(std::move(bytes));
}

void TwwCustomRichEdit::WriteData(layout::Writer& payload) {
    TwwRichMemoryStream ms;
    if (wnd_ && !saved_) {
        lines_->SaveToStream(ms);
    } else if (saved_ && savedDocument_) {
        ms.CopyFrom(*savedDocument_, 0);  // the document waiting for the next window
    } else if (pendingData_) {
        ms.WriteString(*pendingData_);
    }  // else: no window was ever made, the document is empty
    if (ms.Size() > std::numeric_limits<std::int32_t>::max()) throw EStreamError("The document is too large to store");
    payload.I32(static_cast<std::int32_t>(ms.Size()));
    if (ms.Size() > 0) payload.Bytes(ms.Bytes());
}

void TwwCustomRichEdit::Loaded() {
    TCustomRichEdit::Loaded();
    // A layout without a version is a version-1 document.
    if (!versionRead_) SetRichEditVersion(1);
    if (pendingData_ || pendingLines_) {
        auto data = std::move(pendingData_);
        auto lines = std::move(pendingLines_);
        pendingData_.reset();
        pendingLines_.reset();
        try {
            // However the reading ends, the control is left in rich text.
            ScopeExit rich([this] { SetPlainText(false); });
            THourglass hourglass;
            if (dataRead_) {
                if (data && !data->empty()) {
                    LoadStoredDocument(std::move(*data));
                } else if (lines) {
                    SetPlainText(true);
                    lines_->SetStrings(*lines);
                }
            } else if (lines) {
                // Lines without a stored document are read as a document:
                // RTF when they hold RTF, text otherwise.
                TwwRichMemoryStream ms;
                for (auto& s : *lines) ms.WriteString(s + "\r\n");
                ms.SetPosition(0);
                SetPlainText(false);
                lines_->LoadFromStream(ms);
            }
        } catch (...) {
            // One unreadable document must not stop the rest of the window.
            if (!Application) throw;
            Application->HandleException(this);
        }
    }
    if (!Visible() && wnd_) ShowWindow(wnd_, SW_HIDE);
    // Texts of the string table changed after the control was made take effect.
    SetPopupCaptions();
}

// ---------------------------------------------------------------- windows of the editor family

TwwRichEditorLink& RichEditorLink() {
    static TwwRichEditorLink link;
    return link;
}

bool TwwCustomRichEdit::EditInWindow() {
    auto open = RichEditorLink().EditInWindow;
    return open ? open(*this) : false;
}
void TwwCustomRichEdit::PrepareEditorWindow() {
    if (auto prepare = RichEditorLink().PrepareEditorWindow) prepare();
}
bool TwwCustomRichEdit::ShowParagraphDialog() {
    auto show = RichEditorLink().ParagraphDialog;
    if (!show) NotAvailable("The paragraph dialog");
    return show(*this);
}
bool TwwCustomRichEdit::ShowTabsDialog() {
    auto show = RichEditorLink().TabsDialog;
    if (!show) NotAvailable("The tab stops dialog");
    return show(*this);
}
bool TwwCustomRichEdit::PrintWithWordProcessor(const std::string&) { return false; }

void TwwCustomRichEdit::DoInitDialog(TForm* form) {
    if (OnInitDialog) OnInitDialog(this, form);
}
void TwwCustomRichEdit::DoCloseDialog(TForm* form) {
    if (OnCloseDialog) OnCloseDialog(this, form);
}
void TwwCustomRichEdit::DoCreateDialog(TForm* form) {
    if (OnCreateDialog) OnCreateDialog(this, form);
}
