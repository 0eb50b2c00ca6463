// Clicked links through the control's default open path, under real mouse
// input: web and mail links reach the shell, any other link (a program, a
// local file) starts nothing and the reader is told why in one line.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "RichTestUtil.h"
#include "richedit/LinkOpen.h"

using namespace testsupport;

namespace {

struct ShellCall {
    std::string verb, file;
};
std::vector<ShellCall> shellCalls;

HINSTANCE WINAPI RecordShellCall(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT) {
    shellCalls.push_back({verb ? verb : "", file ? file : ""});
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

// Watches, from another thread, for a message box of this process; reads its
// text and presses OK, as a reader would.
class MessageBoxWatcher {
public:
    MessageBoxWatcher() : thread_([this] { Run(); }) {}
    ~MessageBoxWatcher() {
        stop_ = true;
        thread_.join();
    }
    std::string Text() {
        std::lock_guard<std::mutex> lock(m_);
        return text_;
    }
    int Boxes() const { return boxes_; }

private:
    static BOOL CALLBACK FindBox(HWND w, LPARAM lp) {
        char cls[32] = {};
        GetClassNameA(w, cls, sizeof cls);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(w) && std::string(cls) == "#32770") {
            *reinterpret_cast<HWND*>(lp) = w;
            return FALSE;
        }
        return TRUE;
    }
    void Run() {
        while (!stop_) {
            HWND box = nullptr;
            EnumWindows(FindBox, reinterpret_cast<LPARAM>(&box));
            if (box) {
                char text[1024] = {};
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                {
                    std::lock_guard<std::mutex> lock(m_);
                    text_ = text;
                }
                ++boxes_;
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                while (!stop_ && IsWindow(box) && IsWindowVisible(box)) Sleep(10);
            }
            Sleep(10);
        }
    }
    std::atomic<bool> stop_{false};
    std::atomic<int> boxes_{0};
    std::mutex m_;
    std::string text_;
    std::thread thread_;
};

struct LinkForm {
    TTestForm* form = new TTestForm();
    TwwDBRichEdit* edit = new TwwDBRichEdit(form);
    explicit LinkForm(const std::string& text) {
        form->SetBounds(200, 150, 560, 200);
        form->SetCaption("Link safety");
        edit->SetName("RichEdit1");
        edit->SetBounds(10, 10, 520, 120);
        edit->SetParent(form);
        edit->SetAutoURLDetect(true);
        edit->Font()->SetName("Arial");
        edit->Font()->SetSize(12);
        form->Show();
        SetForegroundWindow(form->Handle());
        edit->Lines()->SetText(text);
        Pump(100);
    }
    ~LinkForm() { delete form; }
    LinkForm(const LinkForm&) = delete;
    LinkForm& operator=(const LinkForm&) = delete;
    void ClickChar(int index) {
        POINTL p{};
        SendMessageA(edit->Handle(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), index);
        POINT s{p.x + 3, p.y + 6};
        ClientToScreen(edit->Handle(), &s);
        ClickAt(s.x, s.y);
    }
};

class LinkSafety : public testing::Test {
protected:
    void SetUp() override {
        shellCalls.clear();
        saved_ = linkopen::ShellExecuteCall;
        linkopen::ShellExecuteCall = RecordShellCall;
    }
    void TearDown() override { linkopen::ShellExecuteCall = saved_; }
    linkopen::ShellExecuteFn saved_ = nullptr;
};

}  // namespace

TEST_F(LinkSafety, WebAndMailLinksReachTheShell) {
    for (std::string link : {"http://example.com/lantern", "https://example.com/harbour", "mailto:ines@example.com"}) {
        SCOPED_TRACE(link);
        shellCalls.clear();
        LinkForm f("See " + link + " here");
        MessageBoxWatcher boxes;
        f.ClickChar(7);
        ASSERT_TRUE(WaitFor([] { return !shellCalls.empty(); }, 3000)) << "the link was not opened";
        Pump(50);
        ASSERT_EQ(shellCalls.size(), 1u);
        EXPECT_EQ(shellCalls[0].verb, "open");
        EXPECT_EQ(shellCalls[0].file, link);
        EXPECT_EQ(boxes.Boxes(), 0);
    }
}

TEST_F(LinkSafety, AProgramOrFileLinkStartsNothingAndTheReaderIsToldWhy) {
    for (std::string link : {"file://C:/windows/system32/notepad.exe", "file:///C:/windows/notepad.exe",
                             "news:comp.lang.lanterns", "ftp://example.com/run.exe"}) {
        SCOPED_TRACE(link);
        shellCalls.clear();
        LinkForm f("See " + link + " here");
        MessageBoxWatcher boxes;
        f.ClickChar(7);
        ASSERT_TRUE(WaitFor([&] { return boxes.Boxes() > 0; }, 3000)) << "no message was shown";
        Pump(100);
        EXPECT_TRUE(shellCalls.empty()) << shellCalls[0].file;
        std::string text = boxes.Text();
        EXPECT_EQ(text.rfind("The link " + link + " was not opened: ", 0), 0u) << text;
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
        EXPECT_EQ(boxes.Boxes(), 1);
        EXPECT_TRUE(TakeErrors().empty());
    }
}
