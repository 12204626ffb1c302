#include "MessageWindow.h"

#include "PluginTestSupport.h"
#include "ioplug.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>

namespace wavora {
namespace {

TEST(MessageWindow, MessagesPostedFromAnyThreadArriveInOrderOnTheWindowsThread) {
    test::App();
    std::vector<test::Message> received;
    std::vector<std::thread::id> threads;
    TMessageWindow window([&](unsigned message, WPARAM wParam, LPARAM lParam) -> LPARAM {
        received.push_back({message, wParam, lParam});
        threads.push_back(std::this_thread::get_id());
        return 0;
    });
    std::thread poster([&] {
        for (unsigned i = 0; i < 100; ++i) {
            EXPECT_EQ(PostMessage(window.Handle(), WM_USER + 1, i, -static_cast<LPARAM>(i)), 1);
        }
    });
    poster.join();
    EXPECT_TRUE(received.empty()); // nothing runs until the window's thread pumps
    PumpMessages();
    ASSERT_EQ(received.size(), 100u);
    for (unsigned i = 0; i < 100; ++i) {
        EXPECT_EQ(received[i].message, WM_USER + 1u);
        EXPECT_EQ(received[i].wParam, i);
        EXPECT_EQ(received[i].lParam, -static_cast<LPARAM>(i));
        EXPECT_EQ(threads[i], std::this_thread::get_id());
    }
}

TEST(MessageWindow, APostToAWindowThatIsGoneIsRefusedAndHandlesAreNotReused) {
    test::App();
    int delivered = 0;
    auto first = std::make_unique<TMessageWindow>([&](unsigned, WPARAM, LPARAM) -> LPARAM {
        ++delivered;
        return 0;
    });
    const HWND gone = first->Handle();
    EXPECT_EQ(PostMessage(gone, WM_USER, 0, 0), 1);
    first.reset(); // the queued message goes with it
    const TMessageWindow second([&](unsigned, WPARAM, LPARAM) -> LPARAM {
        ++delivered;
        return 0;
    });
    EXPECT_NE(second.Handle(), gone);
    EXPECT_EQ(PostMessage(gone, WM_USER, 0, 0), 0);
    EXPECT_EQ(PostMessage(nullptr, WM_USER, 0, 0), 0);
    PumpMessages();
    EXPECT_EQ(delivered, 0);
}

TEST(AppDirectory, IsTheRunningExecutablesFolderWithATrailingSeparator) {
    const std::string folder = AppDirectory();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::equivalent(folder, std::filesystem::path(WAVORA_PROGRAM_DIR) /
                                                        ".." / "tests"));
}

} // namespace
} // namespace wavora
