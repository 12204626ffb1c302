#include "MainForm.h"

#include "AboutForm.h"
#include "BassSession.h"
#include "MessageBox.h"
#include "OptionsForm.h"
#include "SkinFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTimer>
#include <algorithm>

namespace wavora {
namespace {

constexpr std::array<int, JobListModel::ColumnCount> ColumnWidths{100, 200, 80, 100, 200, 240};
constexpr std::uint32_t NoLevel = 0xFFFFFFFF;
constexpr std::int32_t LevelFall = 1500;

QAction* separator(QMenu* menu, const char* name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(QLatin1String(name));
    return action;
}

// The local, existing regular files among dropped URLs, in their order.
QStringList droppedFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls()) {
        return files;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            const QFileInfo info(url.toLocalFile());
            if (info.isFile()) {
                files.append(info.absoluteFilePath());
            }
        }
    }
    return files;
}

} // namespace

TfrmMain::TfrmMain(std::string programDir, QWidget* parent)
    : QWidget(parent), openUrl([](const QUrl& url) {
          // Without the desktop's opener nothing can show the manual.
          return !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty() &&
                 QDesktopServices::openUrl(url);
      }),
      programDir_(std::move(programDir)) {
    ui_.setupUi(this);
    setFixedSize(617, 436);

    ui_.lstTracks->setModel(&jobs_);
    for (int column = 0; column < JobListModel::ColumnCount; ++column) {
        ui_.lstTracks->header()->resizeSection(column,
                                               ColumnWidths.at(static_cast<std::size_t>(column)));
    }
    ui_.lstTracks->header()->setStretchLastSection(false);
    ui_.lstTracks->viewport()->setAcceptDrops(true);
    ui_.lstTracks->viewport()->installEventFilter(this);

    skOpenDialog1 = new QFileDialog(this, QStringLiteral("Open file"));
    skOpenDialog1->setObjectName(QStringLiteral("skOpenDialog1"));
    skOpenDialog1->setFileMode(QFileDialog::ExistingFiles);
    skOpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    // "*.*" of the window definition means every file; on Linux that is "*".
    skOpenDialog1->setNameFilter(QStringLiteral("All files (*)"));

    skTrayIcon1 = new QSystemTrayIcon(this);
    skTrayIcon1->setObjectName(QStringLiteral("skTrayIcon1"));
    skTrayIcon1->setToolTip(QStringLiteral("Wavora"));

    buildMenus();

    skin_ = new TSkinFrame(this, QStringLiteral(":/skins/mainwindow.ini"),
                           TSkinFrame::SystemMenu | TSkinFrame::Minimise | TSkinFrame::Tray |
                               TSkinFrame::Close);
    skin_->setObjectName(QStringLiteral("SkinFrame"));
    skin_->setSystemMenu(SysPopupMenu);
    skin_->setTrayIcon(skTrayIcon1);
    connect(skin_, &TSkinFrame::changeSkinData, this, &TfrmMain::SkinFrameChangeSkinData);
    skin_->loadSkin();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50);
    connect(Timer1, &QTimer::timeout, this, &TfrmMain::Timer1Timer);
    Timer1->start();
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1500);

    connect(ui_.skButton1, &QPushButton::clicked, this, &TfrmMain::skButton1Click);
    connect(ui_.btnFreedbQuery, &QPushButton::clicked, this, &TfrmMain::btnFreedbQueryClick);
    connect(ui_.btnSelect, &QPushButton::clicked, this, &TfrmMain::btnSelectClick);
    connect(ui_.btnClear, &QPushButton::clicked, this, &TfrmMain::btnClearClick);
    connect(ui_.btnOptions, &QPushButton::clicked, this, &TfrmMain::btnOptionsClick);
    connect(ui_.btnStopGrab, &QToolButton::clicked, this, &TfrmMain::btnStopGrabClick);
    connect(ui_.cbEncoder, &QComboBox::currentIndexChanged, this, &TfrmMain::cbEncoderChange);
    connect(ui_.lbOutput, &TFolderEdit::textChanged, this, &TfrmMain::lbOutputChange);
    connect(ui_.trkVol, &QSlider::valueChanged, this, &TfrmMain::trkVolChange);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { MainPopupMenu->popup(mapToGlobal(at)); });

    // Play arrives with the player.
    for (QWidget* control :
         std::initializer_list<QWidget*>{ui_.btnPlay, ui_.btnStop, ui_.btnPause, ui_.btnRewindLeft,
                                         ui_.btnRewindRight, ui_.trkPos}) {
        control->setEnabled(false);
    }
    bindConversion();
    for (QAction* action : {ui_.Playtrack1, ui_.Stop1}) {
        action->setEnabled(false);
    }

    qApp->installEventFilter(this);
    FormCreate();
}

TfrmMain::~TfrmMain() {
    qApp->removeEventFilter(this);
}

void TfrmMain::setForms(TfrmOptions* options, TAboutForm* about) {
    frmOptions = options;
    AboutForm = about;
}

void TfrmMain::buildMenus() {
    MainPopupMenu = new QMenu(this);
    MainPopupMenu->setObjectName(QStringLiteral("MainPopupMenu"));
    MainPopupMenu->addAction(ui_.Startgrab1);
    MainPopupMenu->addAction(ui_.Stopgrab1);
    separator(MainPopupMenu, "N5");
    MainPopupMenu->addAction(ui_.Playtrack1);
    MainPopupMenu->addAction(ui_.Stop1);
    separator(MainPopupMenu, "N3");
    MainPopupMenu->addAction(ui_.About2);
    separator(MainPopupMenu, "N4");
    MainPopupMenu->addAction(ui_.Options1);
    bindFileInfo();

    SysPopupMenu = new QMenu(this);
    SysPopupMenu->setObjectName(QStringLiteral("SysPopupMenu"));
    separator(SysPopupMenu, "N1");
    SysPopupMenu->addAction(ui_.About1);
    separator(SysPopupMenu, "N2");

    connect(ui_.Stopgrab1, &QAction::triggered, this, &TfrmMain::Stopgrab1Click);
    connect(ui_.About1, &QAction::triggered, this, &TfrmMain::About1Click);
    connect(ui_.About2, &QAction::triggered, this, &TfrmMain::About2Click);
    connect(ui_.Options1, &QAction::triggered, this, &TfrmMain::Options1Click);
}

void TfrmMain::FormCreate() {
    // Every number the program turns into text uses '.', whatever the user's locale.
    QLocale::setDefault(QLocale::c());
    ui_.lbOutput->setText(QString::fromStdString(programDir_ + "output"));
}

std::string TfrmMain::formatText() const {
    return ui_.cbEncoder->currentText().toLower().toStdString();
}

bool TfrmMain::selectFormat(const std::string& text) {
    const int index = ui_.cbEncoder->findText(QString::fromStdString(text), Qt::MatchFixedString);
    if (index < 0) {
        return false;
    }
    ui_.cbEncoder->setCurrentIndex(index);
    return true;
}

std::vector<int> TfrmMain::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : ui_.lstTracks->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TfrmMain::addFiles(const QStringList& paths) {
    const NamingSettings naming = frmOptions != nullptr ? frmOptions->naming() : NamingSettings{};
    const std::string format = formatText();
    const std::string folder = ui_.lbOutput->text().toStdString();
    for (const QString& path : paths) {
        jobs_.append(
            MakeJobRow(path.toStdString(), format, folder, naming, readSourceTags, trackTags));
    }
    ui_.lstTracks->viewport()->update();
}

void TfrmMain::skButton1Click() {
    std::string& initialDir = frmOptions->settings().InitialDir;
    skOpenDialog1->setDirectory(QString::fromStdString(initialDir));
    if (skOpenDialog1->exec() == QDialog::Accepted) {
        const QStringList files = skOpenDialog1->selectedFiles();
        if (!files.isEmpty() && !files.front().isEmpty()) {
            initialDir = SplitSourcePath(files.front().toStdString()).folder;
            skOpenDialog1->setDirectory(QString::fromStdString(initialDir));
        }
        addFiles(files);
    }
    ui_.lstTracks->viewport()->update();
}

void TfrmMain::btnFreedbQueryClick() {
    if (Grabbing) {
        ShowMessage(MessageKind::Information, "Information",
                    "Encode processing. You can't delete item");
        return;
    }
    const std::vector<int> rows = selectedRows();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        // Stopping the playing row comes with the player; the index follows the removals.
        if (*it == PlayingIndex) {
            PlayingIndex = -1;
        } else if (*it < PlayingIndex) {
            --PlayingIndex;
        }
        jobs_.removeRows(*it, 1);
    }
}

void TfrmMain::btnClearClick() {
    if (Grabbing) {
        ShowMessage(MessageKind::Information, "Information",
                    "Encode processing. You can't delete item");
        return;
    }
    ui_.lstTracks->selectAll();
    btnFreedbQueryClick();
}

void TfrmMain::btnSelectClick() {
    if (ui_.btnSelect->text() == QLatin1String("Select All")) {
        jobs_.setAllChecked(true);
        ui_.btnSelect->setText(QStringLiteral("Unselect All"));
    } else {
        jobs_.setAllChecked(false);
        ui_.btnSelect->setText(QStringLiteral("Select All"));
    }
}

void TfrmMain::cbEncoderChange() {
    jobs_.retarget(selectedRows(), formatText());
}

void TfrmMain::lbOutputChange() {
    jobs_.setOutputFolder(selectedRows(), ui_.lbOutput->text().toStdString());
}

void TfrmMain::btnOptionsClick() {
    frmOptions->exec();
    const NamingSettings naming = frmOptions->naming();
    for (int i = 0; i < jobs_.rowCount(); ++i) {
        const JobRow& row = jobs_.row(i);
        jobs_.setOutputFile(i, OutputName(SourcePath(row), row.inputFile, row.format, naming,
                                          readSourceTags, trackTags));
    }
}

void TfrmMain::btnStopGrabClick() {
    StopGrab = true;
}

void TfrmMain::Stopgrab1Click() {
    btnStopGrabClick();
}

void TfrmMain::Options1Click() {
    frmOptions->exec();
}

void TfrmMain::About1Click() {
    AboutForm->exec();
}

void TfrmMain::About2Click() {
    AboutForm->exec();
}

void TfrmMain::FormKeyUp(int key) {
    if (key == Qt::Key_F1) {
        const std::string help = programDir_ + "wavora.html";
        if (!openUrl(QUrl::fromLocalFile(QString::fromStdString(help)))) {
            ShowMessage(MessageKind::Information, "Help",
                        "No program to show the help file was found. The help file is \"" +
                            help + "\".");
        }
    }
}

void TfrmMain::SkinFrameChangeSkinData() {
    skin_->placeInto(ui_.lbOutput, QStringLiteral("outputdireditarea"));
}

void TfrmMain::Timer1Timer() {
    const std::uint32_t level = channelLevel ? channelLevel() : NoLevel;
    LevelLeft = std::max(0, LevelLeft - LevelFall);
    LevelRight = std::max(0, LevelRight - LevelFall);
    if (level != NoLevel) {
        LevelLeft = std::max(LevelLeft, static_cast<std::int32_t>(level & 0xFFFF));
        LevelRight = std::max(LevelRight, static_cast<std::int32_t>(level >> 16));
    }
    skin_->setValue(QStringLiteral("gauge1"), LevelLeft);
    skin_->setValue(QStringLiteral("gauge2"), LevelRight);
    ++MeterTicks;
    if (MeterTicks % 4 != 0) {
        return;
    }
    if (CurrentChannel == 0) {
        skin_->setText(QStringLiteral("min"), QStringLiteral("--"));
        skin_->setText(QStringLiteral("sec"), QStringLiteral("--"));
        skin_->setText(QStringLiteral("statuslabel"), QStringLiteral("stop"));
    }
}

void TfrmMain::trkVolChange() {
    skin_->setText(QStringLiteral("vollabel"), QStringLiteral("volume:") +
                                                   QString::number(ui_.trkVol->value()) +
                                                   QLatin1Char('%'));
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    StopGrab = true; // FormCloseQuery: a running conversion ends after its current block
    closed_ = true;
    event->accept();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat() && key->key() == Qt::Key_F1) {
            FormKeyUp(key->key());
            return true;
        }
        return false;
    }
    if (watched == ui_.lstTracks->viewport()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!droppedFiles(drag->mimeData()).isEmpty()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList files = droppedFiles(drop->mimeData());
            if (!files.isEmpty()) {
                drop->acceptProposedAction();
                addFiles(files);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace wavora
