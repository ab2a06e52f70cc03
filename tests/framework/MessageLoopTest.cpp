#include <gtest/gtest.h>

#include <string>

#include "CMessageLoop.h"
#include "TestWindows.h"

namespace kestrel {
namespace {

std::string offers;

class Filter : public CMessageFilter {
public:
    Filter(char filterName, UINT consumed) : name(filterName), consumes(consumed) {}
    bool PreTranslateMessage(MSG* msg) override {
        offers += name + std::to_string(msg->message - WM_APP);
        if (msg->message == WM_APP + 3) {  // leave, and take another filter along
            loop->RemoveMessageFilter(this);
            loop->RemoveMessageFilter(victim);
        }
        return msg->message == consumes;
    }
    char name;
    UINT consumes;
    CMessageLoop* loop = nullptr;
    CMessageFilter* victim = nullptr;
};

TEST(MessageLoop, FiltersAreOfferedLastRegisteredFirstUntilOneConsumes) {
    const HWND window = test::CreatePlainWindow();
    CMessageLoop loop;
    Filter first('A', 0);
    Filter last('B', WM_APP + 2);
    last.loop = &loop;
    last.victim = &first;
    ASSERT_TRUE(loop.AddMessageFilter(&first));
    ASSERT_TRUE(loop.AddMessageFilter(&last));
    EXPECT_FALSE(loop.AddMessageFilter(&first));
    for (UINT msg = WM_APP + 1; msg <= WM_APP + 4; ++msg) ::PostMessageW(window, msg, 0, 0);
    ::PostQuitMessage(3);
    offers.clear();
    test::plainSaw.clear();
    EXPECT_EQ(loop.Run(), 3);
    EXPECT_EQ(offers, "B1A1B2B3");
    EXPECT_EQ(test::plainSaw, (std::vector<UINT>{WM_APP + 1, WM_APP + 3, WM_APP + 4}));
    EXPECT_FALSE(loop.RemoveMessageFilter(&first));
    ::DestroyWindow(window);
}

}  // namespace
}  // namespace kestrel
