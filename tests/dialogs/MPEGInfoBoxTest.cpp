// The MPEG info box and ID3 editor, driven through its controls on files lame made.
#include "MPEGInfoBox.h"

#include "DialogFixtures.h"

#include <QTest>
#include <filesystem>

namespace wavora {
namespace {

using test::Bytes;
using test::Click;
using test::ReadAll;

class MpegDialog : public test::DialogTest {
protected:
    static bool HasID3v1(const Bytes& file) {
        return file.size() >= 128 && file[file.size() - 128] == 'T' &&
               file[file.size() - 127] == 'A' && file[file.size() - 126] == 'G';
    }
    static bool HasID3v2(const Bytes& file) {
        return file.size() >= 3 && file[0] == 'I' && file[1] == 'D' && file[2] == '3';
    }
    TMPEGFileInfoForm dialog_;
};

TEST_F(MpegDialog, ShowsBothTagsAndTheStream) {
    const std::string file = Copy(test::Encoded().mp3Tagged, "a.mp3");
    ASSERT_TRUE(dialog_.Load(file));
    auto& f = dialog_.form();
    EXPECT_TRUE(f.cbID3v1Tag->isChecked());
    EXPECT_TRUE(f.cbID3v2Tag->isChecked());
    EXPECT_TRUE(f.btnCopyTo->isEnabled());
    EXPECT_TRUE(f.btnCopyFrom->isEnabled());
    EXPECT_TRUE(f.btnUpdate->isEnabled());
    EXPECT_EQ(f.Tag2_TrackNo->text(), "3/12");
    EXPECT_EQ(f.Tag1_TrackNo->text(), "3");
    EXPECT_EQ(f.Tag2_Title->text(), "Old title");
    EXPECT_EQ(f.Tag1_Genre->currentText(), "Rock");
    EXPECT_EQ(f.Tag2_Genre->currentText(), "Rock");
    EXPECT_EQ(f.Tag2_Comment->toPlainText(), "A comment");
    EXPECT_EQ(f.lbType->text(), "MPEG 1 Layer III");
    EXPECT_EQ(f.lbLength->text(), "Length: 0 seconds");
    EXPECT_EQ(f.lbFreq_Channels->text().left(8), "44100Hz ");
    EXPECT_EQ(f.lbSize->text(),
              QStringLiteral("Size: %1 bytes").arg(std::filesystem::file_size(file)));
}

TEST_F(MpegDialog, UpdateWritesOnlyWhatChanged) {
    const std::string file = Copy(test::Encoded().mp3Tagged, "a b.mp3");
    ASSERT_TRUE(dialog_.Load(file));
    dialog_.show();
    auto& f = dialog_.form();
    f.Tag2_Title->setText(QStringLiteral("New title ü"));
    f.Tag1_Artist->setText(QStringLiteral("Other"));
    Click(f.btnUpdate);
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_TRUE(messages_.empty());
    const std::string tags = test::ProbeTags(file, "format_tags=title,artist,track,album");
    EXPECT_NE(tags.find("TAG:title=New title ü"), std::string::npos) << tags;
    EXPECT_NE(tags.find("TAG:album=Album"), std::string::npos) << tags;
    TMPEGaudio after;
    ASSERT_TRUE(after.ReadFile(file));
    EXPECT_EQ(after.ID3v1().Artist(), "Other");
    EXPECT_EQ(after.ID3v1().Title(), "Old title");
    EXPECT_EQ(after.ID3v1().Track(), 3);
    EXPECT_EQ(after.ID3v2().Artist(), "Artist");
}

TEST_F(MpegDialog, NoChangeAndCancelLeaveTheFileAsItWas) {
    const std::string file = Copy(test::Encoded().mp3Tagged, "a.mp3");
    const Bytes before = ReadAll(file);
    ASSERT_TRUE(dialog_.Load(file));
    dialog_.show();
    Click(dialog_.form().btnUpdate);
    EXPECT_EQ(ReadAll(file), before);

    ASSERT_TRUE(dialog_.Load(file));
    dialog_.show();
    dialog_.form().Tag2_Title->setText(QStringLiteral("Typed, then cancelled"));
    dialog_.form().cbID3v1Tag->click();
    Click(dialog_.form().btnCancel);
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_EQ(ReadAll(file), before);

    // Undo puts back what the file holds.
    ASSERT_TRUE(dialog_.Load(file));
    dialog_.form().Tag2_Title->setText(QStringLiteral("Typed"));
    Click(dialog_.form().btnUndo);
    EXPECT_EQ(dialog_.form().Tag2_Title->text(), "Old title");
}

TEST_F(MpegDialog, UncheckedTagsAreRemovedAndCheckedOnesAdded) {
    const std::string file = Copy(test::Encoded().mp3Tagged, "a.mp3");
    ASSERT_TRUE(dialog_.Load(file));
    dialog_.form().cbID3v1Tag->click();
    EXPECT_FALSE(dialog_.form().Tag1_Title->isEnabled());
    Click(dialog_.form().btnUpdate);
    Bytes bytes = ReadAll(file);
    EXPECT_FALSE(HasID3v1(bytes));
    EXPECT_TRUE(HasID3v2(bytes));

    ASSERT_TRUE(dialog_.Load(file));
    dialog_.form().cbID3v2Tag->click();
    Click(dialog_.form().btnUpdate);
    bytes = ReadAll(file);
    EXPECT_FALSE(HasID3v2(bytes));
    EXPECT_EQ(bytes, ReadAll(test::Encoded().mp3Plain)) << "the audio is untouched";

    // A file without tags: everything off; checking a box adds that tag.
    ASSERT_TRUE(dialog_.Load(file));
    auto& f = dialog_.form();
    EXPECT_FALSE(f.cbID3v1Tag->isChecked());
    EXPECT_FALSE(f.cbID3v2Tag->isChecked());
    EXPECT_FALSE(f.Tag2_Title->isEnabled());
    EXPECT_FALSE(f.btnCopyTo->isEnabled());
    EXPECT_FALSE(f.btnCopyFrom->isEnabled());
    Click(f.btnUpdate);
    EXPECT_EQ(ReadAll(file), bytes) << "nothing to write";

    ASSERT_TRUE(dialog_.Load(file));
    f.cbID3v1Tag->click();
    f.Tag1_Title->setText(QStringLiteral("One"));
    f.Tag1_Genre->setCurrentIndex(f.Tag1_Genre->findText(QStringLiteral("Blues")));
    Click(f.btnCopyFrom);
    EXPECT_TRUE(f.cbID3v2Tag->isChecked());
    EXPECT_EQ(f.Tag2_Genre->currentText(), "Blues");
    f.Tag2_TrackNo->setText(QStringLiteral("7"));
    Click(f.btnUpdate);
    TMPEGaudio after;
    ASSERT_TRUE(after.ReadFile(file));
    EXPECT_EQ(after.ID3v1().Title(), "One");
    EXPECT_EQ(after.ID3v1().GenreIndex(), 0);
    EXPECT_EQ(after.ID3v1().Track(), 0);
    EXPECT_EQ(after.ID3v2().Title(), "One");
    EXPECT_EQ(after.ID3v2().Genre(), "Blues");
    EXPECT_EQ(after.ID3v2().Track(), 7);
}

TEST_F(MpegDialog, OutOfRangeTrackIsRefusedNotWrapped) {
    const std::string file = Copy(test::Encoded().mp3Tagged, "a.mp3");
    const Bytes before = ReadAll(file);
    ASSERT_TRUE(dialog_.Load(file));
    dialog_.show();
    dialog_.form().Tag2_Title->setText(QStringLiteral("Changed"));
    for (const auto& [edit, text] :
         {std::pair{dialog_.form().Tag1_TrackNo, "300"}, {dialog_.form().Tag2_TrackNo, "70000"}}) {
        const QString old = edit->text();
        edit->setMaxLength(10);
        edit->setText(QString::fromLatin1(text));
        messages_.clear();
        Click(dialog_.form().btnUpdate);
        EXPECT_EQ(messages_.size(), 1U) << text;
        EXPECT_TRUE(dialog_.isVisible()) << "the user may correct it";
        EXPECT_EQ(ReadAll(file), before) << text;
        edit->setText(old);
    }
}

TEST_F(MpegDialog, FailedLoadNeverWritesTheEarlierFile) {
    const std::string file = Copy(test::Encoded().mp3Tagged, "a.mp3");
    const Bytes before = ReadAll(file);
    ASSERT_TRUE(dialog_.Load(file));
    dialog_.form().Tag2_Title->setText(QStringLiteral("Typed for a.mp3"));
    EXPECT_FALSE(dialog_.Load(Path("missing.mp3")));
    auto& f = dialog_.form();
    EXPECT_FALSE(f.btnUpdate->isEnabled());
    EXPECT_TRUE(f.Tag2_Title->text().isEmpty());
    EXPECT_TRUE(f.lbType->text().isEmpty());
    EXPECT_FALSE(f.cbID3v2Tag->isChecked());
    dialog_.btnUpdateClick();
    EXPECT_EQ(ReadAll(file), before);
    EXPECT_FALSE(test::Exists(Path("missing.mp3")));
}

TEST_F(MpegDialog, FailedWritesAreReported) {
    // Adding an ID3v2 tag rewrites the file through "<file>~"; a folder of that name stops it.
    const std::string file = Copy(test::Encoded().mp3Plain, "a.mp3");
    const Bytes before = ReadAll(file);
    std::filesystem::create_directory(file + "~");
    ASSERT_TRUE(dialog_.Load(file));
    dialog_.form().cbID3v2Tag->click();
    dialog_.form().Tag2_Title->setText(QStringLiteral("Never saved"));
    Click(dialog_.form().btnUpdate);
    EXPECT_EQ(messages_, std::vector<std::string>{"Can't add ID3v2 tag to an opened MPEG file."});
    EXPECT_EQ(ReadAll(file), before);

    // The file went away between showing and Update.
    messages_.clear();
    ASSERT_TRUE(dialog_.Load(file));
    dialog_.form().cbID3v2Tag->click();
    std::filesystem::remove(file);
    Click(dialog_.form().btnUpdate);
    EXPECT_EQ(messages_.size(), 1U);
    EXPECT_FALSE(test::Exists(file));
}

} // namespace
} // namespace wavora
