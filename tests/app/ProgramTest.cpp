// The real program, copied into a folder of its own, started and ended as a desktop session
// ends it: it finds its folder, reads and writes options.dat there.
#include "CDOptions.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace wavora {
namespace {

// The program is ready for a termination request once its signal socket pair exists.
bool waitUntilReady(qint64 pid) {
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    for (int i = 0; i < 300; ++i) {
        int sockets = 0;
        for (const QFileInfo& fd : QDir(fds).entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
            sockets += fd.symLinkTarget().contains(QLatin1String("socket:")) ? 1 : 0;
        }
        if (sockets >= 2) {
            return true;
        }
        QThread::msleep(100);
    }
    return false;
}

std::string runOnce(const QTemporaryDir& folder) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.setProgram(folder.filePath(QStringLiteral("wavora")));
    program.start();
    EXPECT_TRUE(program.waitForStarted(10000));
    EXPECT_TRUE(waitUntilReady(program.processId()));
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    EXPECT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    QFile file(folder.filePath(QStringLiteral("options.dat")));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

TEST(ProgramTest, KeepsItsSettingsBesideItself) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // The program folder is self-contained: the program finds its libraries beside itself.
    for (const char* name : {"wavora", "libbass.so", "libbassenc.so", "libbasswma.so"}) {
        ASSERT_TRUE(QFile::copy(QStringLiteral(WAVORA_PROGRAM_DIR) + QLatin1String(name),
                                folder.filePath(QLatin1String(name))));
    }
    const std::string dir = QDir(folder.path()).canonicalPath().toStdString() + "/";

    CDOptions defaults;
    defaults.CurOutput = dir + "output";
    EXPECT_EQ(runOnce(folder), WriteOptionsText(defaults));

    QFile stored(folder.filePath(QStringLiteral("options.dat")));
    ASSERT_TRUE(stored.open(QIODevice::WriteOnly | QIODevice::Truncate));
    stored.write("object CDOptions\r\n  CurFormat = 'wma'\r\n  Quality = 70\r\nend\r\n");
    stored.close();
    CDOptions expected = defaults;
    expected.CurFormat = "WMA";
    expected.Quality = 70;
    expected.CurOutput.clear(); // a missing string is the empty string, and it is applied too
    EXPECT_EQ(runOnce(folder), WriteOptionsText(expected));
}

} // namespace
} // namespace wavora
