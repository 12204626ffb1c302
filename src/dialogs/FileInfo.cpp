#include "FileInfo.h"

#include "MPEGInfoBox.h"
#include "MessageBox.h"
#include "OGGInfoBox.h"

#include <QFileInfo>
#include <QString>
#include <array>
#include <utility>

namespace wavora {

InfoDialogKind InfoDialogFor(const std::string& fileName) {
    static constexpr std::array<std::pair<const char*, InfoDialogKind>, 4> kinds{{
        {"mp1", InfoDialogKind::Mpeg},
        {"mp2", InfoDialogKind::Mpeg},
        {"mp3", InfoDialogKind::Mpeg},
        {"ogg", InfoDialogKind::Ogg},
    }};
    const QString suffix = QFileInfo(QString::fromStdString(fileName)).suffix().toLower();
    for (const auto& [extension, kind] : kinds) {
        if (suffix == QLatin1String(extension)) {
            return kind;
        }
    }
    return InfoDialogKind::None;
}

namespace {

template <typename Dialog>
bool ShowDialog(const std::string& fileName, QWidget* parent) {
    Dialog dialog(parent);
    if (!dialog.Load(fileName)) {
        ShowMessage(MessageKind::Error, "Error", "Can't read the file \"" + fileName + "\".");
        return false;
    }
    dialog.exec();
    return true;
}

} // namespace

bool ShowFileInfo(const std::string& fileName, QWidget* parent) {
    switch (InfoDialogFor(fileName)) {
    case InfoDialogKind::Mpeg:
        return ShowDialog<TMPEGFileInfoForm>(fileName, parent);
    case InfoDialogKind::Ogg:
        return ShowDialog<TOggVorbisInfoForm>(fileName, parent);
    case InfoDialogKind::None:
        break;
    }
    return false;
}

} // namespace wavora
