// The conversion driven through the real main window on the offscreen platform, with the
// real audio library, lame and oggenc.
#include "Application.h"
#include "MessageBox.h"
#include "SourceTags.h"
#include "TestSupport.h"
#include "bass.h"

#include <QApplication>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace wavora {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "window_convert_test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
        // The window opens the output device: never the machine's sound card in a test.
        BASS_Test_ForceSilentOutput(TRUE);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};
[[maybe_unused]] const auto* const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

class WindowConvert : public ::testing::Test {
protected:
    WindowConvert() : program_("win-program"), music_("win-music"), out_("win-out") {
        // The program folder of its own (options.dat is written there at exit), with the
        // build's audio libraries linked in: the very files the linked add-on uses.
        for (const char* lib : {"libbass.so", "libbasswma.so"}) {
            fs::create_symlink(std::string(WAVORA_PROGRAM_DIR) + lib, program_.Path() / lib);
        }
        previous_ = SetMessageHandler([this](MessageKind, std::string_view, std::string_view text) {
            messages_.emplace_back(text);
            return MessageResult::Ok;
        });
        windows_ = std::make_unique<TWavoraWindows>(program_.Path().string() + "/");
        main().form().lbOutput->setText(QString::fromStdString(out_.Path().string()));
    }
    ~WindowConvert() override {
        windows_.reset();
        SetMessageHandler(previous_);
        fs::current_path("/");
    }

    TfrmMain& main() { return windows_->main(); }
    std::string Tone(const std::string& name, double seconds = 1.0,
                     const std::vector<std::pair<std::string, std::string>>& meta = {}) {
        const std::string path = music_ / name;
        test::MakeTone(path, seconds, 44100, 2, {"-c:a", "pcm_s16le"}, meta);
        return path;
    }
    void Add(const std::string& path, const char* format) {
        main().selectFormat(format);
        main().addFiles({QString::fromStdString(path)});
    }
    void Start() { QTest::mouseClick(main().form().btnStartGrab, Qt::LeftButton); }
    // Runs action from the message pump of the conversion about to start.
    static void DuringConversion(std::function<void()> action) {
        QTimer::singleShot(0, std::move(action));
    }

    TempDir program_;
    TempDir music_;
    TempDir out_;
    std::vector<std::string> messages_;
    MessageHandler previous_;
    std::unique_ptr<TWavoraWindows> windows_;
};

TEST_F(WindowConvert, ThreeRowsTheSecondUnchecked) {
    Add(Tone("one.wav", 1.0, {}), "OGG");
    Add(Tone("two.wav"), "MP3");
    Add(Tone("three.wav", 1.5), "MP3");
    main().jobs().setChecked(1, false);
    std::vector<int> gauge;
    QObject::connect(main().form().GrabProgressBar, &QProgressBar::valueChanged,
                     [&](int v) { gauge.push_back(v); });
    Start();
    EXPECT_EQ(messages_, std::vector<std::string>{"Converting is completed!"});
    EXPECT_TRUE(fs::exists(out_.Path() / "one.ogg"));
    EXPECT_FALSE(fs::exists(out_.Path() / "two.mp3"));
    EXPECT_NEAR(test::DecodedSeconds(out_ / "three.mp3"), 1.5, 0.05);
    EXPECT_EQ(ReadSourceTags(out_ / "one.ogg").title, "one");
    EXPECT_FALSE(main().Grabbing);
    EXPECT_TRUE(main().jobs().row(0).checked); // rows stay as they are
    ASSERT_FALSE(gauge.empty());
    EXPECT_GT(*std::max_element(gauge.begin(), gauge.end()), 0);
    EXPECT_EQ(main().form().GrabProgressBar->value(), 0);
}

TEST_F(WindowConvert, StopDuringTheFirstRowThenARunStartsNormally) {
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        Add(Tone(name, 3.0), "WAV");
    }
    DuringConversion([this] { QTest::mouseClick(main().form().btnStopGrab, Qt::LeftButton); });
    Start();
    EXPECT_EQ(messages_, std::vector<std::string>{"Converted: 0, skipped: 0, failed: 0, "
                                                  "stopped: 3.\nThe Status column gives each row's reason."});
    EXPECT_EQ(main().jobs().status(0), "stopped: the file holds the audio up to the stop");
    EXPECT_EQ(main().jobs().status(2), "stopped: not converted");
    ASSERT_TRUE(fs::exists(out_.Path() / "a.wav"));
    const double partial = test::DecodedSeconds(out_ / "a.wav");
    EXPECT_GT(partial, 0.0);
    EXPECT_LT(partial, 1.0);
    EXPECT_FALSE(fs::exists(out_.Path() / "b.wav"));
    EXPECT_FALSE(main().StopGrab);

    messages_.clear();
    Start();
    EXPECT_EQ(messages_, std::vector<std::string>{"Converting is completed!"});
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        EXPECT_NEAR(test::DecodedSeconds(out_ / name), 3.0, 0.01) << name;
    }
}

TEST_F(WindowConvert, ContextMenuAndASecondStartWhileRunning) {
    Add(Tone("a.wav", 2.0), "OGG");
    int nested = 0;
    DuringConversion([&] {
        ++nested;
        main().form().Startgrab1->trigger(); // refused: a batch is running
    });
    main().form().Startgrab1->trigger();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(messages_, std::vector<std::string>{"Converting is completed!"});
    EXPECT_NEAR(test::DecodedSeconds(out_ / "a.ogg"), 2.0, 0.05);
}

TEST_F(WindowConvert, ClosingTheWindowEndsTheRun) {
    Add(Tone("a.wav", 3.0), "MP3");
    Add(Tone("b.wav", 1.0), "MP3");
    DuringConversion([this] { main().close(); });
    Start();
    EXPECT_LT(test::DecodedSeconds(out_ / "a.mp3"), 2.0);
    EXPECT_FALSE(fs::exists(out_.Path() / "b.mp3"));
}

TEST_F(WindowConvert, SameFileIsRefusedAndTheBatchGoesOn) {
    const std::string a = Tone("a.wav");
    main().form().lbOutput->setText(QString::fromStdString(music_.Path().string()));
    Add(a, "WAV");
    main().form().lbOutput->setText(QString::fromStdString(out_.Path().string()));
    Add(Tone("b.wav"), "WAV");
    Start();
    EXPECT_EQ(messages_,
              (std::vector<std::string>{"Can't convert same file.",
                                        "Converted: 1, skipped: 1, failed: 0, stopped: 0.\nThe Status column gives each row's reason."}));
    EXPECT_TRUE(fs::exists(out_.Path() / "b.wav"));
}

TEST_F(WindowConvert, AnOutputThatCannotBeCreatedEndsTheBatch) {
    const std::string blocker = out_ / "file";
    test::MakeTone(blocker, 0.1, 8000, 1, {"-f", "wav"});
    main().form().lbOutput->setText(QString::fromStdString(blocker + "/sub"));
    Add(Tone("a.wav"), "OGG");
    Add(Tone("b.wav"), "OGG");
    Start();
    EXPECT_EQ(messages_, (std::vector<std::string>{"Converted: 0, skipped: 1, failed: 1, "
                                                   "stopped: 0.\nThe Status column gives each row's reason.",
                                                   "Cannot create file \"" + blocker +
                                                       "/sub/a.ogg\". Not a directory"}));
    EXPECT_FALSE(main().Grabbing);
}

TEST_F(WindowConvert, CustomNamesFromTagsStayInTheOutputFolder) {
    const std::string ogg = music_ / "src.ogg";
    test::MakeTone(ogg, 0.5, 44100, 2, {"-c:a", "libvorbis"},
                   {{"title", "../up"}, {"artist", "Ann \"Q\" $X"}});
    const auto& options = windows_->options().form();
    options.cbCustomFileNaming->setChecked(true);
    options.lbFileNaming->setText(QStringLiteral("%artist - %title"));
    Add(ogg, "MP3");
    Start();
    const fs::path out = out_.Path() / "Ann \"Q\" $X - .._up.mp3";
    ASSERT_TRUE(fs::exists(out));
    EXPECT_EQ(ReadSourceTags(out.string()).title, "../up"); // the tag itself is unchanged
}

} // namespace
} // namespace wavora
