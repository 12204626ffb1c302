// The installed program: `cmake --install` into a temporary prefix, conversions run through the
// commands in PREFIX/bin, the per-user settings of an installed copy, and the Debian package.
#include "AppLocations.h"
#include "CDOptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>
#include <gtest/gtest.h>

namespace wavora {
namespace {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
};

ProcessResult run(const QString& program, const QStringList& args,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, args);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
    }
    ProcessResult result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = (process.readAllStandardOutput() + process.readAllStandardError()).toStdString();
    return result;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class InstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = new QTemporaryDir;
        const ProcessResult install = run(QStringLiteral(CMAKE_COMMAND_PATH),
                                {"--install", WAVORA_BINARY_DIR, "--prefix", prefix()});
        installed_ = install.exitCode == 0;
        installLog_ = install.out;
        source_ = root_->filePath("in.wav");
        const ProcessResult tone = run("ffmpeg", {"-nostdin", "-loglevel", "error", "-f", "lavfi", "-i",
                                        "sine=frequency=440:duration=0.3", "-ac", "2", source_});
        ASSERT_EQ(tone.exitCode, 0) << tone.out;
    }
    static void TearDownTestSuite() {
        delete root_;
        root_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(installed_) << installLog_; }

    static QString prefix() { return root_->filePath("prefix"); }
    static QString programDir() { return prefix() + "/lib/wavora/"; }

    // A user of the installed copy, with XDG folders of their own inside the test folder.
    static QProcessEnvironment user(const QString& home) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home);
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_MUSIC_DIR"}) {
            environment.remove(name);
        }
        return environment;
    }

    static inline QTemporaryDir* root_ = nullptr;
    static inline bool installed_ = false;
    static inline std::string installLog_;
    static inline QString source_;
};

TEST_F(InstallTest, PutsTheProgramFolderUnderThePrefixAndLinksTheCommands) {
    for (const char* file :
         {"lib/wavora/wavora", "lib/wavora/wavora-convert", "lib/wavora/wavora-tags",
          "lib/wavora/libbass.so", "lib/wavora/libbassenc.so", "lib/wavora/libbasswma.so",
          "lib/wavora/wavora.html", "lib/wavora/installed-copy",
          "share/applications/org.wavora.Wavora.desktop",
          "share/metainfo/org.wavora.Wavora.metainfo.xml",
          "share/icons/hicolor/scalable/apps/org.wavora.Wavora.svg",
          "share/icons/hicolor/16x16/apps/org.wavora.Wavora.png",
          "share/icons/hicolor/512x512/apps/org.wavora.Wavora.png"}) {
        EXPECT_TRUE(QFileInfo(prefix() + "/" + file).isFile()) << file;
    }
    EXPECT_TRUE(QFileInfo(programDir() + "Plugins").isDir());
    for (const char* command : {"wavora", "wavora-convert", "wavora-tags"}) {
        const QFileInfo link(prefix() + "/bin/" + command);
        EXPECT_TRUE(link.isSymLink()) << command;
        EXPECT_EQ(link.canonicalFilePath(), QFileInfo(programDir() + command).canonicalFilePath());
    }
    // The installed programs find their libraries beside themselves, not in the build.
    const ProcessResult version = run(prefix() + "/bin/wavora-tags", {source_});
    EXPECT_EQ(version.exitCode, 0) << version.out;
}

TEST_F(InstallTest, InstalledCopyConvertsIntoTheUsersMusicFolder) {
    const QString home = root_->filePath("home-music");
    writeFile(home + "/.config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Songs\"\n");
    const ProcessResult convert =
        run(prefix() + "/bin/wavora-convert", {"--format", "wav", source_}, user(home));
    EXPECT_EQ(convert.exitCode, 0) << convert.out;
    EXPECT_TRUE(QFileInfo(home + "/Songs/Wavora/in.wav").isFile()) << convert.out;
    EXPECT_FALSE(QFileInfo(programDir() + "options.dat").exists());
    EXPECT_FALSE(QFileInfo(programDir() + "output").exists());
}

TEST_F(InstallTest, InstalledCopyReadsOptionsFromTheXdgConfigFolder) {
    const QString home = root_->filePath("home-options");
    const QString out = root_->filePath("chosen");
    CDOptions options;
    options.CurFormat = "WAV";
    options.CurOutput = out.toStdString();
    QProcessEnvironment environment = user(home);
    environment.insert("XDG_CONFIG_HOME", home + "/conf");
    writeFile(home + "/conf/wavora/options.dat", QByteArray::fromStdString(WriteOptionsText(options)));
    const ProcessResult convert = run(prefix() + "/bin/wavora-convert", {source_}, environment);
    EXPECT_EQ(convert.exitCode, 0) << convert.out;
    EXPECT_TRUE(QFileInfo(out + "/in.wav").isFile()) << convert.out;
}

// The same files without the marker form a portable folder: everything stays beside them.
TEST_F(InstallTest, CopiedFolderWithoutTheMarkerKeepsItsSettingsBesideItself) {
    const QString copy = root_->filePath("portable/");
    QDir().mkpath(copy);
    for (const QFileInfo& file : QDir(programDir()).entryInfoList(QDir::Files)) {
        if (file.fileName() != QLatin1String(InstalledMarker)) {
            ASSERT_TRUE(QFile::copy(file.filePath(), copy + file.fileName()));
        }
    }
    CDOptions options;
    options.CurFormat = "WAV";
    options.CurOutput = "converted"; // relative: below the program's folder
    writeFile(copy + "options.dat", QByteArray::fromStdString(WriteOptionsText(options)));
    const ProcessResult convert =
        run(copy + "wavora-convert", {source_}, user(root_->filePath("home-portable")));
    EXPECT_EQ(convert.exitCode, 0) << convert.out;
    EXPECT_TRUE(QFileInfo(copy + "converted/in.wav").isFile()) << convert.out;
}

TEST_F(InstallTest, DebianPackageHoldsTheProgramAndNamesItsDependencies) {
    const QString out = root_->filePath("deb");
    const ProcessResult pack = run(QStringLiteral(CPACK_COMMAND_PATH),
                         {"-G", "DEB", "--config", WAVORA_BINARY_DIR "/CPackConfig.cmake", "-B", out});
    ASSERT_EQ(pack.exitCode, 0) << pack.out;
    const QStringList debs = QDir(out).entryList({"wavora_*.deb"}, QDir::Files);
    ASSERT_EQ(debs.size(), 1) << pack.out;
    const QString deb = out + "/" + debs.front();

    const ProcessResult contents = run("dpkg-deb", {"-c", deb});
    ASSERT_EQ(contents.exitCode, 0) << contents.out;
    for (const char* entry :
         {"./usr/lib/wavora/wavora\n", "./usr/lib/wavora/wavora-convert\n",
          "./usr/lib/wavora/libbass.so\n", "./usr/lib/wavora/installed-copy\n",
          "./usr/lib/wavora/Plugins/\n", "./usr/bin/wavora -> ../lib/wavora/wavora\n",
          "./usr/bin/wavora-convert -> ../lib/wavora/wavora-convert\n",
          "./usr/share/applications/org.wavora.Wavora.desktop\n",
          "./usr/share/icons/hicolor/48x48/apps/org.wavora.Wavora.png\n",
          "./usr/share/metainfo/org.wavora.Wavora.metainfo.xml\n"}) {
        EXPECT_NE(contents.out.find(entry), std::string::npos) << entry << contents.out;
    }
    const ProcessResult depends = run("dpkg-deb", {"-f", deb, "Depends"});
    for (const char* package : {"lame", "vorbis-tools", "libqt6widgets6", "libavcodec", "libsdl2"}) {
        EXPECT_NE(depends.out.find(package), std::string::npos) << package << depends.out;
    }
}

// The XDG rules, in the process itself.
class XdgLocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_MUSIC_DIR"}) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value != nullptr ? std::optional<std::string>(value)
                                                       : std::nullopt);
            ::unsetenv(name);
        }
        ASSERT_TRUE(home_.isValid());
        ::setenv("HOME", home_.path().toUtf8().constData(), 1);
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
        }
    }
    std::string home() const { return home_.path().toStdString(); }

    QTemporaryDir home_;
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(XdgLocationTest, FollowsTheVariablesAndIgnoresRelativeOnes) {
    EXPECT_EQ(XdgConfigHome(), home() + "/.config");
    EXPECT_EQ(XdgDataHome(), home() + "/.local/share");
    EXPECT_EQ(XdgMusicDir(), home() + "/Music");
    ::setenv("XDG_CONFIG_HOME", "relative/conf", 1);
    ::setenv("XDG_MUSIC_DIR", "music", 1);
    EXPECT_EQ(XdgConfigHome(), home() + "/.config");
    EXPECT_EQ(XdgMusicDir(), home() + "/Music");
    ::setenv("XDG_CONFIG_HOME", "/srv/conf/", 1);
    ::setenv("XDG_DATA_HOME", "/srv/data", 1);
    ::setenv("XDG_MUSIC_DIR", "/srv/music", 1);
    EXPECT_EQ(XdgConfigHome(), "/srv/conf");
    EXPECT_EQ(XdgDataHome(), "/srv/data");
    EXPECT_EQ(XdgMusicDir(), "/srv/music");
}

TEST_F(XdgLocationTest, ReadsTheMusicFolderFromUserDirs) {
    struct Case {
        const char* line;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"# written by xdg-user-dirs-update\nXDG_MUSIC_DIR=\"$HOME/Musik\"\n", home() + "/Musik"},
        {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n  XDG_MUSIC_DIR=\"/data/audio/\"\n", "/data/audio"},
        {"XDG_MUSIC_DIR=\"relative\"\n", home() + "/Music"},
        {"XDG_MUSIC_DIR=\"$HOME/unterminated\n", home() + "/Music"},
    };
    for (const Case& c : cases) {
        writeFile(home_.filePath(".config/user-dirs.dirs"), c.line);
        EXPECT_EQ(XdgMusicDir(), c.expected) << c.line;
    }
}

TEST_F(XdgLocationTest, MarkerOrReadOnlyFolderMakesAnInstalledCopy) {
    const std::string dir = home() + "/program/";
    QDir().mkpath(QString::fromStdString(dir));
    EXPECT_EQ(OptionsFilePath(dir), dir + "options.dat");
    EXPECT_EQ(DefaultOutputFolder(dir), dir + "output");
    EXPECT_EQ(UserPluginFolder(dir), "");
    writeFile(QString::fromStdString(dir + InstalledMarker), "");
    EXPECT_EQ(OptionsFilePath(dir), home() + "/.config/wavora/options.dat");
    EXPECT_EQ(DefaultOutputFolder(dir), home() + "/Music/Wavora");
    EXPECT_EQ(UserPluginFolder(dir), home() + "/.local/share/wavora/Plugins/");
    // Not writable without a marker: a folder that does not exist stands for one here, since
    // root may write to any mode bits.
    EXPECT_EQ(OptionsFilePath(home() + "/missing/"), home() + "/.config/wavora/options.dat");

    const std::string options = home() + "/.config/wavora/options.dat";
    ASSERT_TRUE(CreateParentFolder(options));
    EXPECT_EQ(QFileInfo(QString::fromStdString(home() + "/.config/wavora")).permissions() &
                  (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
              QFile::Permissions());
}

} // namespace
} // namespace wavora
