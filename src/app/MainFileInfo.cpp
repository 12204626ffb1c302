// The job list's "File info..." item: the info and tag editor of the selected row's file.
#include "FileInfo.h"
#include "MainForm.h"

#include <QMenu>

namespace wavora {

void TfrmMain::bindFileInfo() {
    FileInfo1 = new QAction(QStringLiteral("File info..."), this);
    FileInfo1->setObjectName(QStringLiteral("FileInfo1"));
    QAction* before = MainPopupMenu->findChild<QAction*>(QStringLiteral("N3"));
    MainPopupMenu->insertAction(before, FileInfo1);
    connect(FileInfo1, &QAction::triggered, this, &TfrmMain::FileInfo1Click);
    connect(MainPopupMenu, &QMenu::aboutToShow, this,
            [this] { FileInfo1->setEnabled(!Grabbing && !fileInfoTarget().empty()); });
}

std::string TfrmMain::fileInfoTarget() const {
    const std::vector<int> rows = selectedRows();
    if (rows.size() != 1) {
        return {};
    }
    const JobRow& row = jobs_.row(rows.front());
    std::string path = row.inputFolder + row.inputFile;
    return InfoDialogFor(path) == InfoDialogKind::None ? std::string() : path;
}

void TfrmMain::FileInfo1Click() {
    // The menu may have been built before a batch began pumping messages.
    if (Grabbing) {
        return;
    }
    if (const std::string path = fileInfoTarget(); !path.empty()) {
        ShowFileInfo(path, this);
    }
}

} // namespace wavora
