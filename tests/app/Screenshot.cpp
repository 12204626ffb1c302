// Renders the main window with a few rows into a PNG, for the README (and, on request, the
// options dialog and the about box).
#include "Application.h"
#include "MessageBox.h"
#include "SkinFrame.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: wavora_screenshot MAIN.png [OPTIONS.png ABOUT.png]\n");
        return 2;
    }
    QApplication app(argc, argv);
    app.setStyleSheet(wavora::TSkinFrame::dialogStyleSheet());
    // Short, readable folders for the picture, removed again afterwards.
    QTemporaryDir base(QDir::tempPath() + QStringLiteral("/wv-XXXXXX"));
    const QString dir = base.filePath(QStringLiteral("Wavora")) + QLatin1Char('/');
    const QString album = base.filePath(QStringLiteral("Music/Night Drive"));
    QDir().mkpath(dir);
    QDir().mkpath(album);
    QStringList files;
    for (const char* name : {"01 - Intro.flac", "02 - Nightfall.mp3", "03 - Harbour Lights.ogg",
                             "04 - Paper Moon.wav", "05 - Long Way Home.wma"}) {
        QFile file(album + QLatin1Char('/') + QString::fromUtf8(name));
        file.open(QIODevice::WriteOnly);
        files.append(file.fileName());
    }
    QString shown;
    {
        wavora::TWavoraWindows windows(dir.toStdString());
        windows.main().addFiles(files);
        windows.main().form().lstTracks->selectionModel()->select(windows.main().jobs().index(1, 0),
                                                                  QItemSelectionModel::Select |
                                                                      QItemSelectionModel::Rows);
        windows.main().jobs().setChecked(3, false);
        windows.show();
        windows.main().skin().setValue(QStringLiteral("gauge1"), 21000);
        windows.main().skin().setValue(QStringLiteral("gauge2"), 17500);
        QApplication::processEvents();
        windows.main().skin().setText(QStringLiteral("statuslabel"), QStringLiteral("stop"));
        bool ok = windows.main().grab().save(QString::fromLocal8Bit(argv[1]));
        if (argc == 4) {
            windows.options().show();
            windows.about().show();
            QApplication::processEvents();
            ok = windows.options().grab().save(QString::fromLocal8Bit(argv[2])) && ok;
            ok = windows.about().grab().save(QString::fromLocal8Bit(argv[3])) && ok;
        }
        shown = ok ? QString() : QStringLiteral("cannot write");
    }
    if (!shown.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(shown));
        return 1;
    }
    return 0;
}
