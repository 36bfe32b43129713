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

// Parameter values and the page logic's own steps share the ring with the
// seam's calls, so a page shown before a value arrives is shown before it.
TEST(QueuedEditorSeam, ValuesAndActionsKeepTheirPlaceAmongTheCalls) {
    RecordingSeam editor;
    QueuedEditorSeam seam(editor);
    seam.SetParamSink([&](int index, double value) {
        editor.calls.push_back("param " + std::to_string(index) + " " + std::to_string(value));
    });
    const int page = seam.AddAction([&](int a, int b) {
        editor.calls.push_back("page " + std::to_string(a) + " " + std::to_string(b));
    });
    std::thread audio([&] {
        seam.ShowGroup("progresscontrols");
        seam.QueueParamValue(5, 64.0);
        seam.RunOnUi(page, 4, 1);
        seam.HideGroup("progresscontrols");
        seam.QueueParamValue(14, 3.0);
    });
    audio.join();
    seam.QueueParamValue(7, 1.0); // queued on this thread too, behind the rest
    EXPECT_TRUE(editor.calls.empty());

    seam.RunOnUi(page, 9, 0); // an action asked for on this thread runs at once
    EXPECT_EQ(editor.calls, (std::vector<std::string>{"page 9 0"}));
    seam.Drain();
    EXPECT_EQ(editor.calls, (std::vector<std::string>{"page 9 0", "show progresscontrols", "param 5 64.000000",
                                                      "page 4 1", "hide progresscontrols", "param 14 3.000000",
                                                      "param 7 1.000000"}));
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
