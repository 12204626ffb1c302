// Renders the main window with a few rows into a PNG, for the README.
#include "Application.h"
#include "MessageBox.h"
#include "SkinFrame.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: wavora_screenshot OUT.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    app.setStyleSheet(wavora::TSkinFrame::dialogStyleSheet());
    QTemporaryDir program;
    QTemporaryDir music;
    const QString dir = program.path() + QLatin1Char('/');
    QStringList files;
    for (const char* name : {"01 - Intro.flac", "02 - Nightfall.mp3", "03 - Harbour Lights.ogg",
                             "04 - Paper Moon.wav", "05 - Long Way Home.wma"}) {
        QFile file(music.filePath(QString::fromUtf8(name)));
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
        const bool ok = windows.main().grab().save(QString::fromLocal8Bit(argv[1]));
        shown = ok ? QString() : QStringLiteral("cannot write");
    }
    if (!shown.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(shown));
        return 1;
    }
    return 0;
}
