// Which clicked links reach the shell: web and mail links only; programs,
// local files, network paths, tricks with blanks or quotes, empty and
// over-long links are refused with a reason.
#include <gtest/gtest.h>

#include "LinkPolicy.h"

using links::Judge;

TEST(LinkPolicy, WebAndMailLinksAreOpenedAsTheyAre) {
    for (const char* ok : {"http://example.com/lantern", "https://example.com/a?b=c&d=%20e#top", "HTTP://EXAMPLE.COM",
                           "Https://example.com", "mailto:ines@example.com", "MailTo:someone@example.org?subject=Hi"}) {
        auto d = Judge(ok);
        EXPECT_TRUE(d.open) << ok << ": " << d.refusal;
        EXPECT_EQ(d.target, ok);
    }
    auto www = Judge("www.example.com/page");
    EXPECT_TRUE(www.open);
    EXPECT_EQ(www.target, "http://www.example.com/page");
}

TEST(LinkPolicy, EverythingElseIsRefusedWithAReason) {
    for (const char* bad :
         {"file://C:/windows/system32/notepad.exe", "FILE:///etc/passwd", "C:\\windows\\system32\\notepad.exe",
          "c:/windows/notepad.exe", "notepad.exe", "notepad", "\\\\server\\share\\run.exe", "//server/share",
          "javascript:alert(1)", "ms-settings:", "shell:startup", "news:comp.lang", "ftp://example.com/",
          "http:notepad.exe", "http:///C:/x", "http:\\\\server\\x", "https://", "mailto:", "www.", ":http://x",
          "http://example.com\" --run=calc", "http://example.com calc.exe", "http://example.com/\r\nx"}) {
        auto d = Judge(bad);
        EXPECT_FALSE(d.open) << bad;
        EXPECT_TRUE(d.target.empty()) << bad;
        EXPECT_FALSE(d.refusal.empty()) << bad;
        EXPECT_EQ(d.refusal.find('\n'), std::string::npos);
    }
    // A link with a NUL inside (as a string it would end at "http://a").
    EXPECT_FALSE(Judge(std::string_view("http://a\0b", 10)).open);
    EXPECT_FALSE(Judge("").open);
    std::string longLink = "http://example.com/" + std::string(links::kMaxLinkLength, 'a');
    EXPECT_FALSE(Judge(longLink).open);
    EXPECT_TRUE(Judge(longLink.substr(0, links::kMaxLinkLength)).open);
}

TEST(LinkPolicy, TheMessageIsOneReadableLine) {
    std::string link = "file://C:/windows/system32/notepad.exe";
    std::string m = links::RefusalMessage(link, Judge(link));
    EXPECT_EQ(m, "The link file://C:/windows/system32/notepad.exe was not opened: only web (http, https) and mail "
                 "(mailto) links are opened, not \"file:\" links.");
    std::string huge(100000, 'x');
    huge += "\r\n";
    m = links::RefusalMessage("\x01" + huge, Judge(huge));
    EXPECT_LT(m.size(), 250u);
    EXPECT_EQ(m.find_first_of("\r\n\x01"), std::string::npos);
    EXPECT_EQ(links::RefusalMessage("", Judge("")), "The link was not opened: the link is empty.");
}
