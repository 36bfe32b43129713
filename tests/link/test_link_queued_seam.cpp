#include "LinkFixture.h"
#include "device/QueuedEditorSeam.h"

#include <gtest/gtest.h>

#include <thread>

namespace tolvane::testing {
namespace {

TEST(QueuedEditorSeam, OtherThreadsAreReplayedInOrderByDrain) {
    RecordingSeam editor;
    QueuedEditorSeam seam(editor);
    std::thread audio([&] {
        EXPECT_TRUE(seam.IsEditorOpen());
        seam.SetTextByTag(53, "0 %");
        seam.ShowGroup("progresscontrols");
        seam.SetTextColourByTag(1, Colour{100, 255, 255, 255});
        seam.SetControlValueByTag(52, 0.5);
        EXPECT_EQ(seam.AskUser("ERROR!", "", AskButtons::Ok), AskResult::Cancel);
        EXPECT_EQ(seam.AskForFile(FileAction::Open, "wav", "", ""), "");
    });
    audio.join();
    EXPECT_TRUE(editor.calls.empty()); // nothing touched the screen from that thread

    seam.SetTextByTag(1, "07"); // the user-interface thread goes straight through
    EXPECT_EQ(editor.calls, (std::vector<std::string>{"text 1 07"}));

    seam.Drain();
    EXPECT_EQ(editor.calls,
              (std::vector<std::string>{"text 1 07", "text 53 0 %", "show progresscontrols",
                                        "colour 1 100,255,255,255", "value 52 0.500000", "ask ERROR!"}));
    seam.Drain();
    EXPECT_EQ(editor.calls.size(), 6u);
}

TEST(QueuedEditorSeam, AFullRingDropsInsteadOfWaiting) {
    RecordingSeam editor;
    QueuedEditorSeam seam(editor);
    const std::size_t attempts = QueuedEditorSeam::kEntries + 10;
    std::thread audio([&] {
        for (std::size_t i = 0; i < attempts; ++i)
            seam.SetTextByTag(static_cast<int>(i), "x");
    });
    audio.join();
    seam.Drain();
    EXPECT_EQ(editor.calls.size(), QueuedEditorSeam::kEntries - 1);
    EXPECT_EQ(seam.Dropped(), attempts - (QueuedEditorSeam::kEntries - 1));
    EXPECT_EQ(editor.calls.front(), "text 0 x"); // the oldest are kept
}

TEST(QueuedEditorSeam, LongTextsAreCut) {
    RecordingSeam editor;
    QueuedEditorSeam seam(editor);
    std::thread audio([&] { seam.SetTextByTag(5, std::string(300, 'a')); });
    audio.join();
    seam.Drain();
    ASSERT_EQ(editor.calls.size(), 1u);
    EXPECT_EQ(editor.calls[0], "text 5 " + std::string(QueuedEditorSeam::kTextCapacity, 'a'));
}

} // namespace
} // namespace tolvane::testing
