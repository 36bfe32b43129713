// A snapshot is read whole while another thread replaces it: a reader sees
// one writer's value or the next one's, never a mix of the two.

#include "core/Snapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <thread>

namespace tolvane {
namespace {

TEST(Snapshot, ReaderNeverSeesHalfOfAValue) {
    using Name = std::array<char, 32>;
    Name a{};
    Name b{};
    a.fill('a');
    b.fill('b');
    Snapshot<Name> shared{a};
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; !stop; ++i)
            shared.Store(i % 2 ? a : b);
    });
    int torn = 0;
    for (int i = 0; i < 200000; ++i) {
        const Name seen = shared.Load();
        if (std::count(seen.begin(), seen.end(), seen[0]) != static_cast<long>(seen.size())) ++torn;
    }
    stop = true;
    writer.join();
    EXPECT_EQ(torn, 0);
}

} // namespace
} // namespace tolvane
