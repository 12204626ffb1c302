// The Ogg Vorbis info box and comment editor, driven through its controls on files oggenc made.
#include "OGGInfoBox.h"

#include "DialogFixtures.h"
#include "TAGEdit.h"

#include <QListWidget>
#include <filesystem>

namespace wavora {
namespace {

using test::Bytes;
using test::Click;
using test::ReadAll;

class OggDialog : public test::DialogTest {
protected:
    // The comments an independent reader lists.
    static std::string Comments(const std::string& file) {
        return test::Capture("vorbiscomment -l " + test::Quote(file));
    }
    QStringList Items() {
        QStringList items;
        for (int row = 0; row < dialog_.form().ExtraTagList->count(); ++row) {
            items.append(dialog_.form().ExtraTagList->item(row)->text());
        }
        return items;
    }
    // Adds a comment through the name/value dialog as the user types it.
    void AddNew(const QString& name, const QString& value) {
        test::WhenModal([name, value](QWidget* modal) {
            auto* editor = qobject_cast<TTAGEditForm*>(modal);
            ASSERT_NE(editor, nullptr);
            editor->form().TAGName->setText(name);
            editor->form().TAGMemo->setPlainText(value);
            test::Click(editor->form().btnOK);
        });
        test::Click(dialog_.form().btnAddNew);
    }
    TOggVorbisInfoForm dialog_;
};

TEST_F(OggDialog, ShowsCommentsAndStream) {
    const std::string file = Copy(test::Encoded().oggTagged, "a.ogg");
    ASSERT_TRUE(dialog_.Load(file));
    auto& f = dialog_.form();
    EXPECT_EQ(f.Tag_Title->text(), "Old title");
    EXPECT_EQ(f.Tag_TrackNo->text(), "3");
    EXPECT_EQ(f.Tag_Genre->currentText(), "Rock") << "GENRE=(17)";
    EXPECT_EQ(f.lbLength->text(), "Length: 0:00");
    EXPECT_EQ(f.lbChannels->text(), "Channels: 2");
    EXPECT_EQ(f.lbSamplingRate->text(), "Sampling rate: 44100 Hz");
    EXPECT_TRUE(f.lbVendor1->text().startsWith(QStringLiteral("Xiph.Org")));
    EXPECT_TRUE(Items().contains(QStringLiteral("MOOD=calm"))) << Items().join(' ').toStdString();
}

TEST_F(OggDialog, UpdateWritesOnlyWhatChanged) {
    const std::string file = Copy(test::Encoded().oggTagged, "a.ogg");
    const std::string comments = Comments(file);
    ASSERT_TRUE(dialog_.Load(file));
    dialog_.show();
    dialog_.form().Tag_Album->setText(QStringLiteral("Neues Album ✓"));
    Click(dialog_.form().btnUpdate);
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_TRUE(messages_.empty());
    const std::string after = Comments(file);
    EXPECT_NE(after.find("ALBUM=Neues Album ✓"), std::string::npos) << after;
    for (const char* kept : {"TITLE=Old title", "MOOD=calm", "GENRE=(17)", "DATE=2001"}) {
        EXPECT_NE(after.find(kept), std::string::npos) << kept << "\n" << after;
    }
}

TEST_F(OggDialog, NoChangeAndCancelLeaveTheFileAsItWas) {
    const std::string file = Copy(test::Encoded().oggTagged, "a.ogg");
    const Bytes before = ReadAll(file);
    ASSERT_TRUE(dialog_.Load(file));
    dialog_.show();
    Click(dialog_.form().btnUpdate);
    EXPECT_EQ(ReadAll(file), before);

    ASSERT_TRUE(dialog_.Load(file));
    dialog_.show();
    dialog_.form().Tag_Title->setText(QStringLiteral("Cancelled"));
    Click(dialog_.form().btnDeleteAll);
    Click(dialog_.form().btnCancel);
    EXPECT_EQ(ReadAll(file), before);
}

TEST_F(OggDialog, OtherCommentsAreAddedEditedAndRemoved) {
    const std::string file = Copy(test::Encoded().oggTagged, "a.ogg");
    ASSERT_TRUE(dialog_.Load(file));
    dialog_.show();
    const int count = dialog_.form().ExtraTagList->count();
    AddNew(QStringLiteral("Rating"), QStringLiteral("5"));
    AddNew(QStringLiteral(" mood"), QStringLiteral("kept apart"));
    EXPECT_EQ(dialog_.form().ExtraTagList->count(), count + 2);
    EXPECT_EQ(Items().last(), " MOOD=kept apart");
    EXPECT_TRUE(messages_.empty());

    // Refused: a reserved name in any case, a duplicate, and blank parts (silently).
    const std::vector<std::pair<QString, std::string>> refusals{
        {QStringLiteral("title"), "Can't add predefined TAG ID."},
        {QStringLiteral("Performer"), "Can't add predefined TAG ID."},
        {QStringLiteral("MOOD"), "Duplicate TAG ID."},
        {QStringLiteral("  "), ""},
    };
    for (const auto& [name, message] : refusals) {
        messages_.clear();
        AddNew(name, QStringLiteral("x"));
        EXPECT_EQ(messages_,
                  message.empty() ? std::vector<std::string>{} : std::vector<std::string>{message})
            << name.toStdString();
    }
    EXPECT_EQ(dialog_.form().ExtraTagList->count(), count + 2);

    // The editor keeps what was typed last.
    TTAGEditForm& editor = dialog_.tagEditor();
    EXPECT_EQ(editor.form().TAGName->text(), "  ");

    dialog_.form().ExtraTagList->setCurrentRow(count + 1);
    Click(dialog_.form().btnDelete);
    Click(dialog_.form().btnUpdate);
    const std::string comments = Comments(file);
    EXPECT_NE(comments.find("RATING=5"), std::string::npos) << comments;
    EXPECT_EQ(comments.find("kept apart"), std::string::npos) << comments;
    EXPECT_NE(comments.find("MOOD=calm"), std::string::npos) << comments;
    EXPECT_NE(comments.find("TITLE=Old title"), std::string::npos) << comments;

    ASSERT_TRUE(dialog_.Load(file));
    Click(dialog_.form().btnDeleteAll);
    Click(dialog_.form().btnUpdate);
    const std::string none = Comments(file);
    EXPECT_EQ(none.find("MOOD"), std::string::npos) << none;
    EXPECT_EQ(none.find("RATING"), std::string::npos) << none;
    EXPECT_NE(none.find("TITLE=Old title"), std::string::npos) << none;
}

TEST_F(OggDialog, NameValueDialogRefusesMalformedNames) {
    TTAGEditForm editor;
    for (const char* bad : {"A=B", "Ärger", "~", "TAB\tX"}) {
        editor.show();
        editor.form().TAGName->setText(QString::fromUtf8(bad));
        editor.form().TAGMemo->setPlainText(QStringLiteral("v"));
        messages_.clear();
        Click(editor.form().btnOK);
        EXPECT_TRUE(editor.isVisible()) << bad;
        EXPECT_EQ(messages_.size(), 1U) << bad;
    }
    editor.form().TAGName->setText(QStringLiteral("GOOD NAME"));
    Click(editor.form().btnOK);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    editor.show();
    Click(editor.form().btnCancel);
    EXPECT_EQ(editor.result(), QDialog::Rejected);
    EXPECT_EQ(editor.form().TAGName->text(), "GOOD NAME");
}

TEST_F(OggDialog, HourLongStreamShowsHours) {
    // The header says 3661 s at 44100 Hz; the file holds only a few pages.
    const std::string file = Path("long.ogg");
    test::WriteFileBytes(file, test::OggStream("vendor", {"TITLE=Long"}, 100, 3, 3661ULL * 44100));
    ASSERT_TRUE(dialog_.Load(file));
    EXPECT_EQ(dialog_.form().lbLength->text(), "Length: 1:01:01");
}

TEST_F(OggDialog, FailedLoadNeverWritesTheEarlierFile) {
    const std::string file = Copy(test::Encoded().oggTagged, "a.ogg");
    const Bytes before = ReadAll(file);
    ASSERT_TRUE(dialog_.Load(file));
    dialog_.form().Tag_Title->setText(QStringLiteral("Typed for a.ogg"));
    const std::string notOgg = Copy(test::Encoded().mp3Plain, "b.ogg");
    const Bytes other = ReadAll(notOgg);
    EXPECT_FALSE(dialog_.Load(notOgg));
    auto& f = dialog_.form();
    EXPECT_FALSE(f.btnUpdate->isEnabled());
    EXPECT_FALSE(f.btnAddNew->isEnabled());
    EXPECT_TRUE(f.Tag_Title->text().isEmpty());
    EXPECT_EQ(f.ExtraTagList->count(), 0);
    EXPECT_TRUE(f.lbLength->text().isEmpty());
    dialog_.btnUpdateClick();
    EXPECT_EQ(ReadAll(file), before);
    EXPECT_EQ(ReadAll(notOgg), other);
}

TEST_F(OggDialog, FailedWriteIsReported) {
    const std::string file = Copy(test::Encoded().oggTagged, "a.ogg");
    const Bytes before = ReadAll(file);
    std::filesystem::create_directory(file + "~");
    ASSERT_TRUE(dialog_.Load(file));
    dialog_.form().Tag_Title->setText(QStringLiteral("Never saved"));
    Click(dialog_.form().btnUpdate);
    EXPECT_EQ(messages_, std::vector<std::string>{"Can't update the tag of an opened OGG file."});
    EXPECT_EQ(ReadAll(file), before);
}

} // namespace
} // namespace wavora
