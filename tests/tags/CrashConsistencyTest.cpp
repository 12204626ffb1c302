// A rewrite killed at any moment leaves the old file or the new one, byte for byte.

#include "ID3v2.h"
#include "OggVorbis.h"
#include "TestFiles.h"

#include <chrono>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace wavora {
namespace {

using test::Bytes;

struct RewriteKind {
    const char* name;
    Bytes (*make)();
    bool (*rewrite)(const std::string& path);
};

Bytes TaggedMp3() {
    Bytes file = test::ID3v2Tag(3, {{"TIT2", test::Latin1Frame("Old")}}, 8000);
    test::Append(file, test::MpegFrames(2400)); // about 1 MB
    return file;
}

bool RebuildId3(const std::string& path) {
    TID3v2 tag;
    tag.SetTitle("New title ☃");
    return tag.WriteTag(path);
}

Bytes LargeOgg() {
    return test::OggStream("v", {"TITLE=Old"}, 200, 300);
}

bool RewriteOgg(const std::string& path) {
    TOggVorbis ogg;
    ogg.Title = "New title " + std::string(400, 'n');
    return ogg.WriteComments(path);
}

class CrashConsistency : public testing::TestWithParam<RewriteKind> {};

TEST_P(CrashConsistency, KilledRewriteLeavesOldOrNew) {
    const RewriteKind& kind = GetParam();
    test::TempDir dir;
    const std::string path = dir.Path("victim");
    const Bytes before = kind.make();

    test::WriteFileBytes(path, before);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(kind.rewrite(path));
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    const Bytes after = test::ReadAll(path);
    ASSERT_NE(before, after);

    std::mt19937 random(42);
    // The child also pays for fork and start-up, so the window reaches well past one rewrite.
    const auto span = took.count() * 3 + 3000;
    int sawOld = 0;
    int sawNew = 0;
    for (int round = 0; round < 150; ++round) {
        test::WriteFileBytes(path, before);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            _exit(kind.rewrite(path) ? 0 : 1);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % span));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        const Bytes now = test::ReadAll(path);
        if (now == before) {
            ++sawOld;
        } else if (now == after) {
            ++sawNew;
        } else {
            FAIL() << "round " << round << ": the file is neither old nor new (" << now.size()
                   << " bytes)";
        }
    }
    // Killing at random moments both before and after the rename shows the test has teeth.
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, CrashConsistency,
                         testing::Values(RewriteKind{"ID3v2Rebuild", &TaggedMp3, &RebuildId3},
                                         RewriteKind{"OggComments", &LargeOgg, &RewriteOgg}),
                         [](const auto& p) { return std::string(p.param.name); });

} // namespace
} // namespace wavora
