#include "reader/ReadingView.h"

#include <windows.h>
#include <richedit.h>

#include <map>

#include "richedit/wwRichEdit.h"

namespace reader {

int MostCommon(const std::vector<int>& values) {
    std::map<int, int> counts;
    for (int v : values) ++counts[v];
    int best = 0, bestCount = 0;
    for (auto& [value, count] : counts)
        if (count > bestCount) {
            best = value;
            bestCount = count;
        }
    return best;
}

namespace {
// Samples spread over the text; headings and blank spacer lines are few, so
// the body's size is the most common one.
constexpr int kSamples = 101;
}  // namespace

int TReadingView::MeasureBody() {
    HWND w = view_.Handle();
    GETTEXTLENGTHEX g{GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
    LONG length = static_cast<LONG>(SendMessageA(w, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&g), 0));
    if (length < 2) return 0;
    CHARRANGE saved{};
    SendMessageA(w, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    int top = view_.TopCharacter();
    DWORD mask = static_cast<DWORD>(SendMessageA(w, EM_GETEVENTMASK, 0, 0));
    SendMessageA(w, EM_SETEVENTMASK, 0, mask & ~static_cast<DWORD>(ENM_SELCHANGE));
    SendMessageA(w, WM_SETREDRAW, FALSE, 0);
    std::vector<int> sizes;
    for (int k = 0; k < kSamples; ++k) {
        LONG at = static_cast<LONG>(static_cast<long long>(length) * (2 * k + 1) / (2 * kSamples));
        CHARRANGE r{at, at + 1};
        SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
        CHARFORMAT2A f{};
        f.cbSize = sizeof f;
        SendMessageA(w, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
        if ((f.dwMask & CFM_SIZE) && f.yHeight > 0) sizes.push_back(f.yHeight);
    }
    SendMessageA(w, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    SendMessageA(w, WM_SETREDRAW, TRUE, 0);
    SendMessageA(w, EM_SETEVENTMASK, 0, mask);
    view_.ScrollCharacterToTop(top);
    InvalidateRect(w, nullptr, TRUE);
    return MostCommon(sizes);
}

void TReadingView::ApplyZoom() {
    if (view_.DocumentPending() || points_ <= 0) return;
    if (!measured_) {
        bodyTwips_ = MeasureBody();
        measured_ = true;
    }
    if (bodyTwips_ <= 0) return;
    HWND w = view_.Handle();
    int want = points_ * 20;
    // The platform's zoom lies between 1/64 and 64.
    if (want * 64 <= bodyTwips_ || want >= bodyTwips_ * 64) return;
    if (want == bodyTwips_) SendMessageA(w, EM_SETZOOM, 0, 0);
    else SendMessageA(w, EM_SETZOOM, static_cast<WPARAM>(want), bodyTwips_);
}

void TReadingView::ApplyFace() {
    if (view_.DocumentPending() || !face_) return;
    CHARFORMAT2A f{};
    f.cbSize = view_.Version1Window() ? sizeof(CHARFORMATA) : sizeof(CHARFORMAT2A);
    f.dwMask = CFM_FACE | CFM_CHARSET;
    lstrcpynA(f.szFaceName, face_->first.c_str(), LF_FACESIZE);
    f.bCharSet = static_cast<BYTE>(face_->second);
    f.bPitchAndFamily = DEFAULT_PITCH;
    SendMessageA(view_.Handle(), EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&f));
}

void TReadingView::SetSize(int points) {
    points_ = points;
    int top = view_.DocumentPending() ? 0 : view_.TopCharacter();
    view_.Font()->SetSize(points);
    if (view_.DocumentPending()) return;
    ApplyZoom();
    view_.ScrollCharacterToTop(top);
}

void TReadingView::SetFace(const std::string& name, int charset) {
    face_ = std::make_pair(name, charset);
    if (view_.DocumentPending()) return;
    int top = view_.TopCharacter();
    ApplyFace();
    view_.ScrollCharacterToTop(top);
}

void TReadingView::SetBookmark(int position) {
    if (view_.DocumentPending()) {
        bookmark_ = position;
        return;
    }
    bookmark_.reset();
    view_.SetSelStart(position);
    view_.ScrollCharacterToTop(view_.SelStart());
}

void TReadingView::DocumentArrived() {
    measured_ = false;
    ApplyFace();
    ApplyZoom();
    if (bookmark_) SetBookmark(*bookmark_);
}

}  // namespace reader
