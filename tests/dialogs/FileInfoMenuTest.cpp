// The job list's "File info..." item in the real main window.
#include "Application.h"
#include "DialogFixtures.h"
#include "MPEGInfoBox.h"
#include "OGGInfoBox.h"

#include <QMenu>

namespace wavora {
namespace {

class FileInfoMenu : public test::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        windows_ = std::make_unique<TWavoraWindows>(Path(""));
        main().addFiles({QString::fromStdString(Copy(test::Encoded().mp3Tagged, "a.MP3")),
                         QString::fromStdString(Copy(test::Encoded().oggTagged, "b.ogg")),
                         QString::fromStdString(Copy(test::Encoded().wav, "c.wav"))});
    }
    void TearDown() override {
        windows_.reset();
        DialogTest::TearDown();
    }
    TfrmMain& main() { return windows_->main(); }
    QAction* find() {
        for (QAction* action : main().mainPopupMenu().actions()) {
            if (action->objectName() == "FileInfo1") {
                return action;
            }
        }
        return nullptr;
    }
    QAction& item() { return *find(); }
    // Whether the item is offered when the menu opens on these rows.
    bool offeredFor(std::initializer_list<int> rows) {
        auto* selection = main().form().lstTracks->selectionModel();
        selection->clearSelection();
        for (const int row : rows) {
            selection->select(main().jobs().index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        emit main().mainPopupMenu().aboutToShow();
        return item().isEnabled();
    }
    std::unique_ptr<TWavoraWindows> windows_;
};

TEST_F(FileInfoMenu, OfferedForOneMpegOrOggRowWhenNoBatchRuns) {
    ASSERT_NE(find(), nullptr);
    EXPECT_EQ(item().text(), "File info...");
    EXPECT_TRUE(offeredFor({0}));
    EXPECT_TRUE(offeredFor({1}));
    EXPECT_FALSE(offeredFor({2})) << "WAV";
    EXPECT_FALSE(offeredFor({}));
    EXPECT_FALSE(offeredFor({0, 1}));
    main().Grabbing = true;
    EXPECT_FALSE(offeredFor({0}));
    item().trigger();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    main().Grabbing = false;
}

TEST_F(FileInfoMenu, OpensTheRightDialogOnTheRowsFile) {
    for (const int row : {0, 1}) {
        ASSERT_TRUE(offeredFor({row}));
        QString title;
        test::WhenModal([&title, row](QWidget* modal) {
            if (row == 0) {
                auto* dialog = qobject_cast<TMPEGFileInfoForm*>(modal);
                ASSERT_NE(dialog, nullptr);
                title = dialog->form().Tag2_Title->text();
                test::Click(dialog->form().btnCancel);
            } else {
                auto* dialog = qobject_cast<TOggVorbisInfoForm*>(modal);
                ASSERT_NE(dialog, nullptr);
                title = dialog->form().Tag_Title->text();
                test::Click(dialog->form().btnCancel);
            }
        });
        item().trigger();
        EXPECT_EQ(title, "Old title") << row;
    }
    EXPECT_TRUE(messages_.empty() || messages_.size() == 1); // the audio library may be missing
}

} // namespace
} // namespace wavora
