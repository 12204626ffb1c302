// The windows driven as a user drives them, on the offscreen platform, each test with a
// program folder of its own.
#include "../support/QtTestEnvironment.h"
#include "Application.h"
#include "CDOptions.h"
#include "MessageBox.h"
#include "SkinFrame.h"
#include "SkinGauge.h"
#include "SkinLabel.h"
#include "VisualEffects.h"
#include "WidgetMessages.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace wavora {
namespace {

struct Message {
    MessageKind kind;
    std::string caption;
    std::string text;
};

std::string readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll().toStdString();
}

void writeFile(const QString& path, const std::string& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.data(), static_cast<qint64>(text.size()));
}

// Runs action once the next modal dialog is up (action gets it), then lets it close.
void whenModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            whenModal(action);
            return;
        }
        action(modal);
    });
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(program_.isValid());
        ASSERT_TRUE(music_.isValid());
        dir_ = program_.path().toStdString() + "/";
        previous_ = SetMessageHandler(
            [this](MessageKind kind, std::string_view caption, std::string_view text) {
                messages_.push_back({kind, std::string(caption), std::string(text)});
                return MessageResult::Ok;
            });
    }
    void TearDown() override {
        windows_.reset();
        SetMessageHandler(previous_);
    }

    void start() { windows_ = std::make_unique<TWavoraWindows>(dir_); }
    // Closes the program as the user does: the window closes, then the windows go.
    void quit() {
        windows_->main().close();
        windows_.reset();
    }
    TfrmMain& main() { return windows_->main(); }
    TfrmOptions& options() { return windows_->options(); }
    [[nodiscard]] QString optionsPath() const {
        return QString::fromStdString(dir_ + "options.dat");
    }
    QString musicFile(const char* name) {
        const QString path = music_.filePath(QString::fromUtf8(name));
        writeFile(path, "x");
        return path;
    }
    void selectRows(std::initializer_list<int> rows) {
        auto* selection = main().form().lstTracks->selectionModel();
        selection->clearSelection();
        for (const int row : rows) {
            selection->select(main().jobs().index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    std::vector<std::string> column(int column) {
        std::vector<std::string> values;
        for (int i = 0; i < main().jobs().rowCount(); ++i) {
            values.push_back(main().jobs().index(i, column).data().toString().toStdString());
        }
        return values;
    }

    QTemporaryDir program_;
    QTemporaryDir music_;
    std::string dir_;
    std::vector<Message> messages_;
    MessageHandler previous_;
    std::unique_ptr<TWavoraWindows> windows_;
};

std::string defaultsFile(const std::string& folder) {
    CDOptions defaults;
    defaults.CurOutput = folder + "output";
    return WriteOptionsText(defaults);
}

TEST_F(WindowTest, StartsWithDefaultsAndWritesThemAtExit) {
    start();
    const auto& f = main().form();
    EXPECT_EQ(f.lbOutput->text().toStdString(), dir_ + "output");
    EXPECT_EQ(f.cbEncoder->currentText(), "OGG");
    const auto& o = options().form();
    EXPECT_TRUE(o.cbMP3v2Tag->isChecked());
    EXPECT_FALSE(o.cbBitrate->isChecked());
    EXPECT_FALSE(o.bQual->isHidden());
    EXPECT_TRUE(o.bConst->isHidden());
    EXPECT_EQ(o.bConst->currentText(), "128");
    EXPECT_EQ(o.bQual->value(), 50);
    EXPECT_EQ(o.ABar->value(), 200);
    EXPECT_FALSE(o.pgOptions->isTabVisible(o.pgOptions->indexOf(o.tsFiles)));
    EXPECT_TRUE(messages_.empty());
    quit();
    EXPECT_EQ(readFile(optionsPath()), defaultsFile(dir_));
}

TEST_F(WindowTest, AppliesEveryStoredPropertyAndWritesThemBack) {
    CDOptions stored;
    stored.InitialDir = "/srv/music/";
    stored.CurOutput = "relative out";
    stored.CurFormat = "wma";
    stored.CustomFileNaming = true;
    stored.FileNaming = "%title by %artist";
    stored.MP3v2Tag = false;
    stored.ConstBitrate = true;
    stored.Bitrate = 192;
    stored.Quality = 80;
    stored.Mono = true;
    stored.AlphaBlendValue = 150;
    stored.MenuAlphaBlend = true;
    stored.MessageAlphaBlend = true;
    stored.ControlAlphaBlend = true;
    stored.SkinEffects = true;
    stored.HintAlphaBlend = true;
    stored.AlphaBlendAnimation = true;
    writeFile(optionsPath(), WriteOptionsText(stored));
    start();
    const auto& o = options().form();
    EXPECT_EQ(main().form().cbEncoder->currentText(), "WMA");
    EXPECT_EQ(main().form().lbOutput->text(), "relative out");
    EXPECT_EQ(options().settings().InitialDir, "/srv/music/");
    EXPECT_TRUE(o.cbCustomFileNaming->isChecked());
    EXPECT_EQ(o.lbFileNaming->text(), "%title by %artist");
    EXPECT_FALSE(o.cbMP3v2Tag->isChecked());
    EXPECT_TRUE(o.cbBitrate->isChecked());
    EXPECT_TRUE(o.bQual->isHidden());
    EXPECT_TRUE(o.lbQual->isHidden());
    EXPECT_FALSE(o.bConst->isHidden());
    EXPECT_FALSE(o.lbConst->isHidden());
    EXPECT_EQ(o.bConst->currentText(), "192");
    EXPECT_EQ(o.bQual->value(), 80);
    EXPECT_TRUE(o.cbMono->isChecked());
    EXPECT_EQ(o.ABar->value(), 150);
    for (const auto kind : {TVisualEffects::Kind::Menu, TVisualEffects::Kind::Message,
                            TVisualEffects::Kind::Control, TVisualEffects::Kind::Hint}) {
        EXPECT_TRUE(TVisualEffects::instance().blended(kind));
    }
    EXPECT_TRUE(TVisualEffects::instance().animated());
    EXPECT_TRUE(TVisualEffects::instance().skinEffects());
    EXPECT_EQ(TVisualEffects::instance().alpha(), 150);
    EXPECT_TRUE(messages_.empty());
    quit();
    CDOptions expected = stored;
    expected.CurFormat = "WMA";
    EXPECT_EQ(readFile(optionsPath()), WriteOptionsText(expected));

    // Without a file the effects are those the unchecked boxes show.
    ASSERT_TRUE(QFile::remove(optionsPath()));
    start();
    EXPECT_FALSE(TVisualEffects::instance().blended(TVisualEffects::Kind::Menu));
    EXPECT_FALSE(TVisualEffects::instance().animated());
    EXPECT_FALSE(TVisualEffects::instance().skinEffects());
    EXPECT_EQ(TVisualEffects::instance().alpha(), 200);
}

TEST_F(WindowTest, BlendedWindowsGetTheBarsOpacity) {
    writeFile(optionsPath(), "object CDOptions MenuAlphaBlend = True AlphaBlendValue = 102 end");
    start();
    QMenu& menu = main().mainPopupMenu();
    menu.popup(QPoint(10, 10));
    EXPECT_NEAR(menu.windowOpacity(), 102.0 / 255.0, 0.01);
    menu.hide();
    options().form().ABar->setValue(250);
    menu.popup(QPoint(10, 10));
    EXPECT_NEAR(menu.windowOpacity(), 250.0 / 255.0, 0.01);
    menu.hide();
    options().form().MenuABox->click();
    menu.popup(QPoint(10, 10));
    EXPECT_DOUBLE_EQ(menu.windowOpacity(), 1.0);
    menu.hide();
}

TEST_F(WindowTest, MessageBoxesAndSkinEffectsFollowTheirSwitches) {
    writeFile(optionsPath(), "object CDOptions MessageAlphaBlend = True AlphaBlendValue = 153 end");
    start();
    InstallWidgetMessageHandler();
    std::optional<std::tuple<QString, QString, double>> shown;
    whenModal([&shown](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        shown = {box->windowTitle(), box->text(), box->windowOpacity()};
        box->accept();
    });
    EXPECT_EQ(ShowMessage(MessageKind::Information, "Information", "It's done ♪"),
              MessageResult::Ok);
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(std::get<0>(*shown), "Information");
    EXPECT_EQ(std::get<1>(*shown), "It's done ♪");
    EXPECT_NEAR(std::get<2>(*shown), 0.6, 0.01);

    EXPECT_FALSE(main().property("skinEffects").toBool());
    options().form().SkinEffectBox->click();
    EXPECT_TRUE(main().property("skinEffects").toBool());
    EXPECT_TRUE(options().property("skinEffects").toBool());
}

TEST_F(WindowTest, UnlistedBitrateSelectsNothingAndIsKept) {
    writeFile(optionsPath(), "object CDOptions Bitrate = 100 CurFormat = 'FLAC' end");
    start();
    EXPECT_EQ(options().form().bConst->currentIndex(), -1);
    EXPECT_EQ(main().form().cbEncoder->currentText(), "OGG");
    quit();
    const std::string written = readFile(optionsPath());
    EXPECT_NE(written.find("  Bitrate = 100\r\n"), std::string::npos);
    EXPECT_NE(written.find("  CurFormat = 'OGG'\r\n"), std::string::npos);
}

TEST_F(WindowTest, BrokenFileShowsItsErrorAppliesNothingAndIsRewritten) {
    for (const std::string& text :
         {std::string(),
          std::string("object CDOptions\r\n  InitialDir = '/kept/'\r\n"
                      "  CurFormat = 'MP3'\r\n  Colour = 3\r\nend\r\n"),
          std::string("object CDOptions\r\n  InitialDir = '/kept/'\r\n  Quality = 'high'\r\nend"),
          std::string("object CDOptions\r\n  InitialDir = '/kept/'\r\n  CurFormat = 'MP3")}) {
        SCOPED_TRACE(text);
        messages_.clear();
        writeFile(optionsPath(), text);
        start();
        ASSERT_EQ(messages_.size(), 1u);
        EXPECT_EQ(messages_[0].kind, MessageKind::Error);
        EXPECT_NE(messages_[0].text.find("options.dat"), std::string::npos);
        EXPECT_EQ(main().form().cbEncoder->currentText(), "OGG");
        EXPECT_EQ(main().form().lbOutput->text().toStdString(), dir_ + "output");
        quit();
        CDOptions expected;
        expected.CurOutput = dir_ + "output";
        if (!text.empty()) {
            expected.InitialDir = "/kept/";
        }
        EXPECT_EQ(readFile(optionsPath()), WriteOptionsText(expected));
    }
}

TEST_F(WindowTest, UnwritableSettingsFileIsReported) {
    start();
    // The program folder goes away while the program runs.
    ASSERT_TRUE(program_.remove());
    quit();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].kind, MessageKind::Error);
    EXPECT_EQ(messages_[0].text.rfind("Cannot create file \"" + dir_ + "options.dat\". ", 0), 0u)
        << messages_[0].text;
}

TEST_F(WindowTest, AddAsksForFilesAndAppendsCheckedRows) {
    start();
    const QString song = musicFile("song.mp3");
    musicFile("README");
    musicFile("a.b.mp3");
    main().form().lbOutput->setText(QStringLiteral("/data/Out"));
    whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Open file");
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QStringLiteral("\"song.mp3\" \"README\" \"a.b.mp3\""));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    options().settings().InitialDir = music_.path().toStdString();
    QTest::mouseClick(main().form().skButton1, Qt::LeftButton);

    const std::string folder = music_.path().toStdString() + "/";
    ASSERT_EQ(main().jobs().rowCount(), 3);
    EXPECT_EQ(main().jobs().row(0),
              (JobRow{folder, "song.mp3", "ogg", "/data/Out", "song.ogg", true}));
    EXPECT_EQ(column(JobListModel::OutputFile),
              (std::vector<std::string>{"song.ogg", "README.ogg", "a.b.ogg"}));
    EXPECT_EQ(main().jobs().index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(options().settings().InitialDir, folder);

    // A cancelled dialog adds nothing and keeps the folder.
    options().settings().InitialDir = "/elsewhere/";
    whenModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    QTest::mouseClick(main().form().skButton1, Qt::LeftButton);
    EXPECT_EQ(main().jobs().rowCount(), 3);
    EXPECT_EQ(options().settings().InitialDir, "/elsewhere/");
    static_cast<void>(song);
}

TEST_F(WindowTest, DroppedFilesAreAddedAsAddDoes) {
    start();
    main().form().cbEncoder->setCurrentIndex(2);
    const QString a = musicFile("it's -x.flac");
    const QString b = musicFile("Ünïcode.ogg");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(music_.path()),
                  QUrl(QStringLiteral("https://example.invalid/x.mp3")), QUrl::fromLocalFile(b)});
    QWidget* viewport = main().form().lstTracks->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    EXPECT_EQ(column(JobListModel::InputFile),
              (std::vector<std::string>{"it's -x.flac", "Ünïcode.ogg"}));
    EXPECT_EQ(column(JobListModel::OutputFile),
              (std::vector<std::string>{"it's -x.wav", "Ünïcode.wav"}));
    EXPECT_EQ(column(JobListModel::ConvertTo), (std::vector<std::string>{"wav", "wav"}));
}

TEST_F(WindowTest, FormatAndFolderChangesFollowTheSelection) {
    writeFile(optionsPath(), "object CDOptions CustomFileNaming = True end");
    start();
    main().readSourceTags = [](const std::string&) {
        return TrackTags{"Sky", "Ann", "Blue", "", ""};
    };
    main().form().lbOutput->setText(QStringLiteral("/out"));
    main().addFiles({musicFile("one.mp3"), musicFile("two.mp3")});
    ASSERT_EQ(column(JobListModel::OutputFile),
              (std::vector<std::string>{"Ann - Blue - Sky.ogg", "Ann - Blue - Sky.ogg"}));
    EXPECT_EQ(main().trackTags.artist, "Ann");

    selectRows({0});
    main().form().cbEncoder->setCurrentIndex(1);
    EXPECT_EQ(column(JobListModel::OutputFile),
              (std::vector<std::string>{"Ann - Blue - Sky.mp3", "Ann - Blue - Sky.ogg"}));
    EXPECT_EQ(column(JobListModel::ConvertTo), (std::vector<std::string>{"mp3", "ogg"}));

    selectRows({1});
    QLineEdit* edit = main().form().lbOutput->lineEdit();
    edit->setFocus();
    edit->end(false);
    QTest::keyClicks(edit, QStringLiteral("/b"));
    EXPECT_EQ(column(JobListModel::OutputFolder), (std::vector<std::string>{"/out", "/out/b"}));
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(column(JobListModel::OutputFolder), (std::vector<std::string>{"/out", "/out/"}));
}

TEST_F(WindowTest, SelectButtonAlternatesItsCaption) {
    start();
    main().addFiles({musicFile("a.mp3"), musicFile("b.mp3")});
    QPushButton* select = main().form().btnSelect;
    EXPECT_EQ(select->text(), "Unselect all");
    const auto checks = [this] {
        std::vector<bool> values;
        for (const auto& row : main().jobs().rows()) {
            values.push_back(row.checked);
        }
        return values;
    };
    QTest::mouseClick(select, Qt::LeftButton);
    EXPECT_EQ(select->text(), "Select All");
    EXPECT_EQ(checks(), (std::vector<bool>{false, false}));
    // Rows checked by hand or added later do not move the caption.
    main().jobs().setData(main().jobs().index(0, 0), Qt::Checked, Qt::CheckStateRole);
    main().addFiles({musicFile("c.mp3")});
    EXPECT_EQ(select->text(), "Select All");
    QTest::mouseClick(select, Qt::LeftButton);
    EXPECT_EQ(select->text(), "Unselect All");
    EXPECT_EQ(checks(), (std::vector<bool>{true, true, true}));
    QTest::mouseClick(select, Qt::LeftButton);
    EXPECT_EQ(select->text(), "Select All");
    EXPECT_EQ(checks(), (std::vector<bool>{false, false, false}));
}

TEST_F(WindowTest, DeleteAndClearRemoveRowsExceptDuringConversion) {
    start();
    main().addFiles(
        {musicFile("0.mp3"), musicFile("1.mp3"), musicFile("2.mp3"), musicFile("3.mp3")});
    QTest::mouseClick(main().form().btnFreedbQuery, Qt::LeftButton);
    EXPECT_EQ(main().jobs().rowCount(), 4); // nothing selected

    main().Grabbing = true;
    selectRows({0, 2});
    QTest::mouseClick(main().form().btnFreedbQuery, Qt::LeftButton);
    QTest::mouseClick(main().form().btnClear, Qt::LeftButton);
    EXPECT_EQ(main().jobs().rowCount(), 4);
    ASSERT_EQ(messages_.size(), 2u);
    for (const auto& m : messages_) {
        EXPECT_EQ(m.kind, MessageKind::Information);
        EXPECT_EQ(m.text, "Encode processing. You can't delete item");
    }

    main().Grabbing = false;
    main().PlayingIndex = 3;
    QTest::mouseClick(main().form().btnFreedbQuery, Qt::LeftButton);
    EXPECT_EQ(column(JobListModel::InputFile), (std::vector<std::string>{"1.mp3", "3.mp3"}));
    EXPECT_EQ(main().PlayingIndex, 1);
    QTest::mouseClick(main().form().btnClear, Qt::LeftButton);
    EXPECT_EQ(main().jobs().rowCount(), 0);
    EXPECT_EQ(main().PlayingIndex, -1);
    EXPECT_EQ(messages_.size(), 2u);
}

TEST_F(WindowTest, OptionsButtonRecomputesNamesAndTheMenuItemDoesNot) {
    writeFile(optionsPath(), "object CDOptions CustomFileNaming = True end");
    start();
    int reads = 0;
    main().readSourceTags = [&reads](const std::string&) {
        ++reads;
        return TrackTags{"Sky", "Ann", "Blue", "", ""};
    };
    main().addFiles({musicFile("song.mp3"), musicFile("README")});
    selectRows({1});
    main().form().cbEncoder->setCurrentIndex(2);
    ASSERT_EQ(column(JobListModel::OutputFile),
              (std::vector<std::string>{"Ann - Blue - Sky.ogg", "Ann - Blue - Sky.wav"}));
    reads = 0;

    // With custom naming on, the button reads every row's tags again.
    whenModal([](QWidget* modal) { modal->close(); });
    QTest::mouseClick(main().form().btnOptions, Qt::LeftButton);
    EXPECT_EQ(reads, 2);

    const auto turnNamingOff = [this](QWidget* modal) {
        EXPECT_EQ(modal, &options());
        options().form().cbCustomFileNaming->setChecked(false);
        modal->close();
    };
    whenModal(turnNamingOff);
    main().form().Options1->trigger();
    EXPECT_EQ(column(JobListModel::OutputFile),
              (std::vector<std::string>{"Ann - Blue - Sky.ogg", "Ann - Blue - Sky.wav"}));

    whenModal([](QWidget* modal) { modal->close(); });
    QTest::mouseClick(main().form().btnOptions, Qt::LeftButton);
    EXPECT_EQ(column(JobListModel::OutputFile),
              (std::vector<std::string>{"song.ogg", "README.wav"}));
    EXPECT_EQ(reads, 2);
}

TEST_F(WindowTest, ConstantBitrateSurvivesARestart) {
    start();
    QTest::mouseClick(options().form().cbBitrate, Qt::LeftButton);
    EXPECT_TRUE(options().form().bQual->isHidden());
    EXPECT_FALSE(options().form().bConst->isHidden());
    quit();
    start();
    EXPECT_TRUE(options().form().cbBitrate->isChecked());
    EXPECT_TRUE(options().form().bQual->isHidden());
    EXPECT_FALSE(options().form().bConst->isHidden());
}

TEST_F(WindowTest, F1OpensTheManualFromAnyControl) {
    start();
    std::vector<QUrl> opened;
    main().openUrl = [&opened](const QUrl& url) {
        opened.push_back(url);
        return true;
    };
    main().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main()));
    const QUrl manual = QUrl::fromLocalFile(QString::fromStdString(dir_ + "wavora.html"));
    for (QWidget* control : std::initializer_list<QWidget*>{main().form().lstTracks,
                                                            main().form().lbOutput->lineEdit(),
                                                            main().form().cbEncoder}) {
        control->setFocus();
        QTest::keyClick(control, Qt::Key_F1);
        QTest::keyClick(control, Qt::Key_F2);
        QTest::keyClick(control, Qt::Key_A);
    }
    EXPECT_EQ(opened, (std::vector<QUrl>(3, manual)));
    EXPECT_TRUE(QFile::exists(QStringLiteral(WAVORA_PROGRAM_DIR "wavora.html")));
    EXPECT_TRUE(messages_.empty());
}

TEST_F(WindowTest, F1WithoutABrowserNamesTheHelpFile) {
    start();
    // The desktop's own opener, with nothing on PATH to open a file with.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    main().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main()));
    QTest::keyClick(main().form().lstTracks, Qt::Key_F1);
    qputenv("PATH", path);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].text.find("\"" + dir_ + "wavora.html\""), std::string::npos)
        << messages_[0].text;
}

TEST_F(WindowTest, WindowHoldsTheControlsMenusAndTimers) {
    start();
    TfrmMain& m = main();
    const auto& f = m.form();
    EXPECT_EQ(m.windowTitle(), "Wavora");
    EXPECT_EQ(m.size(), QSize(617, 436));
    EXPECT_TRUE(m.windowFlags() & Qt::FramelessWindowHint);
    const std::vector<std::pair<QAbstractButton*, const char*>> captions{
        {f.skButton1, "Add"},
        {f.btnFreedbQuery, "Delete"},
        {f.btnSelect, "Unselect all"},
        {f.btnClear, "Clear list"},
        {f.btnOptions, "Options"}};
    for (const auto& [button, caption] : captions) {
        EXPECT_EQ(button->text(), caption);
    }
    EXPECT_EQ(f.btnStartGrab->toolTip(), "Start convert");
    EXPECT_EQ(f.btnStopGrab->toolTip(), "Stop convert");
    EXPECT_EQ(f.skLabel1->text(), "Volume");
    EXPECT_EQ(f.skLabel3->text(), "Output format:");
    EXPECT_EQ(f.skLabel4->text(), "Output path:");
    EXPECT_EQ(f.cbEncoder->count(), 4);
    EXPECT_EQ((std::pair{f.trkPos->minimum(), f.trkPos->maximum()}), (std::pair{0, 100}));
    EXPECT_EQ((std::pair{f.trkVol->value(), f.trkVol->maximum()}), (std::pair{100, 100}));
    EXPECT_EQ((std::pair{f.GrabProgressBar->value(), f.GrabProgressBar->maximum()}),
              (std::pair{0, 100}));
    EXPECT_FALSE(f.GrabProgressBar->isTextVisible());
    EXPECT_TRUE(f.btnRewindLeft->autoRepeat());
    EXPECT_EQ(f.btnRewindRight->autoRepeatInterval(), 50);
    const std::vector<std::pair<QString, int>> columns{{"Input Folder", 100},
                                                       {"Input File", 200},
                                                       {"Convert to...", 80},
                                                       {"Output Folder", 100},
                                                       {"Output File", 200},
                                                       {"Status", 240}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(m.jobs().headerData(i, Qt::Horizontal, Qt::DisplayRole).toString(),
                  columns[static_cast<std::size_t>(i)].first);
        EXPECT_EQ(f.lstTracks->header()->sectionSize(i),
                  columns[static_cast<std::size_t>(i)].second);
    }

    const auto menuItems = [](QMenu& menu) {
        QStringList items;
        for (const QAction* action : menu.actions()) {
            items.append(action->objectName() + QLatin1Char('=') +
                         (action->isSeparator() ? QStringLiteral("-") : action->text()));
        }
        return items.join(QLatin1Char(','));
    };
    EXPECT_EQ(menuItems(m.mainPopupMenu()),
              "Startgrab1=Start convert,Stopgrab1=Stop convert,N5=-,Playtrack1=Play file,"
              "Stop1=Stop,FileInfo1=File info...,N3=-,About2=About...,N4=-,Options1=Options");
    EXPECT_EQ(menuItems(m.sysPopupMenu()), "N1=-,About1=About...,N2=-");

    EXPECT_TRUE(m.timer1().isActive());
    EXPECT_EQ(m.timer1().interval(), 50);
    EXPECT_FALSE(m.timer2().isActive());
    EXPECT_EQ(m.timer2().interval(), 1500);
    EXPECT_EQ(m.openDialog().windowTitle(), "Open file");
    EXPECT_EQ(m.openDialog().fileMode(), QFileDialog::ExistingFiles);

    EXPECT_EQ(windows_->about().windowTitle(), "About ");
    EXPECT_EQ(windows_->about().findChild<QLabel*>("lbProductName")->text(), "Wavora");
    EXPECT_EQ(options().windowTitle(), "Options");
    EXPECT_EQ(options().size(), QSize(371, 286));
}

TEST_F(WindowTest, SkinObjectsShowTheIdleDisplay) {
    start();
    TfrmMain& m = main();
    auto* min = m.findChild<TSkinLabel*>(QStringLiteral("min"));
    auto* sec = m.findChild<TSkinLabel*>(QStringLiteral("sec"));
    auto* status = m.findChild<TSkinLabel*>(QStringLiteral("statuslabel"));
    auto* vol = m.findChild<TSkinLabel*>(QStringLiteral("vollabel"));
    ASSERT_TRUE(min && sec && status && vol);
    for (const char* name : {"gauge1", "gauge2"}) {
        auto* gauge = m.findChild<TSkinGauge*>(QString::fromLatin1(name));
        ASSERT_NE(gauge, nullptr);
        EXPECT_EQ((std::pair{gauge->minimum(), gauge->maximum()}), (std::pair{0, 30000}));
    }
    min->setText(QStringLiteral("12"));
    status->setText(QStringLiteral("play"));
    for (int i = 0; i < 4; ++i) {
        m.Timer1Timer();
    }
    EXPECT_EQ(min->text(), "--");
    EXPECT_EQ(sec->text(), "--");
    EXPECT_EQ(status->text(), "stop");

    // Meters jump up and fall by 1500 a tick.
    std::uint32_t level = (20000u << 16) | 1000u;
    m.channelLevel = [&level] { return level; };
    m.Timer1Timer();
    level = 0xFFFFFFFF;
    m.Timer1Timer();
    EXPECT_EQ((std::pair{m.LevelLeft, m.LevelRight}), (std::pair{0, 18500}));
    EXPECT_EQ(m.findChild<TSkinGauge*>(QStringLiteral("gauge2"))->value(), 18500);

    m.form().trkVol->setValue(0);
    EXPECT_EQ(vol->text(), "volume:0%");
    m.form().trkVol->setValue(75);
    EXPECT_EQ(vol->text(), "volume:75%");
    EXPECT_EQ(m.form().lbOutput->geometry(), m.skin().area(QStringLiteral("outputdireditarea")));
}

TEST_F(WindowTest, RightClickOpensTheMainMenuOverTheList) {
    start();
    main().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main()));
    QWidget* viewport = main().form().lstTracks->viewport();
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(20, 20),
                            viewport->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(viewport, &click);
    EXPECT_TRUE(main().mainPopupMenu().isVisible());
    main().mainPopupMenu().hide();
}

TEST_F(WindowTest, ClosingRaisesTheStopFlag) {
    start();
    main().show();
    EXPECT_FALSE(main().StopGrab);
    EXPECT_TRUE(main().close());
    EXPECT_TRUE(main().StopGrab);
    main().StopGrab = false;
    main().form().Stopgrab1->trigger();
    EXPECT_TRUE(main().StopGrab);
}

} // namespace
} // namespace wavora
