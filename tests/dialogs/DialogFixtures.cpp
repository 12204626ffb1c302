#include "DialogFixtures.h"

#include <QTest>
#include <filesystem>

namespace wavora::test {

const EncodedFiles& Encoded() {
    static const TempDir dir;
    static const EncodedFiles files = [] {
        EncodedFiles f{dir.Path("sine.wav"), dir.Path("tagged.mp3"), dir.Path("plain.mp3"),
                       dir.Path("tagged.ogg")};
        EXPECT_EQ(Run("ffmpeg -nostdin -loglevel error -f lavfi -i sine=frequency=440:duration=0.5 "
                      "-ac 2 -ar 44100 " +
                      Quote(f.wav)),
                  0);
        EXPECT_EQ(Run("lame --quiet --add-id3v2 --tt 'Old title' --ta Artist --tl Album "
                      "--ty 2001 --tn 3/12 --tg Rock --tc 'A comment' " +
                      Quote(f.wav) + " " + Quote(f.mp3Tagged)),
                  0);
        EXPECT_EQ(Run("lame --quiet " + Quote(f.wav) + " " + Quote(f.mp3Plain)), 0);
        EXPECT_EQ(Run("oggenc --quiet -t 'Old title' -a Artist -l Album -d 2001 -N 3 -G '(17)' "
                      "-c MOOD=calm -c 'ARTIST=Second artist' -o " +
                      Quote(f.oggTagged) + " " + Quote(f.wav)),
                  0);
        return f;
    }();
    return files;
}

void DialogTest::SetUp() {
    ASSERT_FALSE(Encoded().oggTagged.empty());
    previous_ = SetMessageHandler([this](MessageKind, std::string_view, std::string_view text) {
        messages_.emplace_back(text);
        return MessageResult::Ok;
    });
}

void DialogTest::TearDown() {
    SetMessageHandler(previous_);
}

std::string DialogTest::Copy(const std::string& source, const std::string& name) {
    const std::string target = dir_.Path(name);
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing);
    return target;
}

void WhenModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            WhenModal(action);
            return;
        }
        action(modal);
    });
}

void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

std::string ProbeTags(const std::string& path, const std::string& entries) {
    return Capture("ffprobe -v error -show_entries " + entries +
                   " -of default=noprint_wrappers=1 " + Quote(path));
}

} // namespace wavora::test
