#pragma once

#include "JobListModel.h"
#include "Naming.h"
#include "TrackTags.h"
#include "ui_MainForm.h"

#include <QPersistentModelIndex>
#include <QUrl>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QFileDialog;
class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace wavora {

class TAboutForm;
class TfrmOptions;
class TSkinFrame;
class TBassSession;
class TOutputClaims;
struct BatchTally;

// The main window: the job list, the conversion and player controls and the status display.
// Everything here runs on the user-interface thread.
class TfrmMain : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMain(std::string programDir, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The other two windows, created after this one.
    void setForms(TfrmOptions* options, TAboutForm* about);

    [[nodiscard]] const Ui::TfrmMain& form() const { return ui_; }
    [[nodiscard]] JobListModel& jobs() { return jobs_; }
    [[nodiscard]] TSkinFrame& skin() { return *skin_; }
    [[nodiscard]] QMenu& mainPopupMenu() { return *MainPopupMenu; }
    [[nodiscard]] QMenu& sysPopupMenu() { return *SysPopupMenu; }
    [[nodiscard]] QFileDialog& openDialog() { return *skOpenDialog1; }
    [[nodiscard]] QTimer& timer1() { return *Timer1; }
    [[nodiscard]] QTimer& timer2() { return *Timer2; }
    [[nodiscard]] const std::string& programDir() const { return programDir_; }

    // Selects the cbEncoder item matching text without regard to case; false when none does.
    bool selectFormat(const std::string& text);
    // Appends one row per file, as Add does after its dialog.
    void addFiles(const QStringList& paths);
    // Selected rows, in list order.
    [[nodiscard]] std::vector<int> selectedRows() const;

    // Opens the help file; the desktop's handler by default. False when nothing can open it.
    std::function<bool(const QUrl&)> openUrl;
    // Fills TrackTags for custom naming; the file-name rule until the tag readers are wired.
    TagReader readSourceTags = FileNameTags;

    bool Grabbing = false;
    bool StopGrab = false;
    bool Dragging = false;
    QPersistentModelIndex LastPlayedItem;
    std::int32_t PlayingIndex = -1;
    TrackTags trackTags;

    std::uint32_t CurrentChannel = 0;
    std::int32_t PendingPosition = -1;
    std::uint32_t MeterTicks = 0;
    std::int32_t LevelLeft = 0;
    std::int32_t LevelRight = 0;
    // Left level in the low 16 bits, right in the high; all bits set when there is none.
    // Empty until a player exists.
    std::function<std::uint32_t()> channelLevel;

    void FormCreate();
    void skButton1Click();
    void btnFreedbQueryClick();
    void btnSelectClick();
    void btnClearClick();
    void cbEncoderChange();
    void lbOutputChange();
    void btnOptionsClick();
    void btnStartGrabClick();
    void Startgrab1Click();
    void btnStopGrabClick();
    void Options1Click();
    void About1Click();
    void About2Click();
    void Stopgrab1Click();
    void FormKeyUp(int key);
    void SkinFrameChangeSkinData();
    void Timer1Timer();
    void trkVolChange();
    void FileInfo1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    // Conversion (MainConvert.cpp).
    void bindConversion();
    void ConvertRow(int index);
    void showBatchEnd(const BatchTally& tally, const std::string& error);
    [[nodiscard]] std::string formatText() const;
    // File information (MainFileInfo.cpp).
    void bindFileInfo();
    // The selected row's file when it has an info dialog, else empty.
    [[nodiscard]] std::string fileInfoTarget() const;

    std::string programDir_;
    // User-interface thread only: the audio library for the conversion, and the error that
    // ends the running batch.
    std::unique_ptr<TBassSession> bass_;
    std::optional<std::string> convertError_;
    TOutputClaims* batchClaims_ = nullptr; // the running batch's output paths
    BatchTally* batchTally_ = nullptr;     // the running batch's row ends
    bool closed_ = false;                  // the window was closed: no more messages
    Ui::TfrmMain ui_;
    JobListModel jobs_;
    TSkinFrame* skin_ = nullptr;
    QFileDialog* skOpenDialog1 = nullptr;
    QMenu* MainPopupMenu = nullptr;
    QMenu* SysPopupMenu = nullptr;
    QAction* FileInfo1 = nullptr;
    QSystemTrayIcon* skTrayIcon1 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    TfrmOptions* frmOptions = nullptr;
    TAboutForm* AboutForm = nullptr;
};

} // namespace wavora
