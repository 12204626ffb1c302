#pragma once

#include "CDOptions.h"
#include "ExistingOutput.h"
#include "Naming.h"
#include "ui_OptionsForm.h"

#include <QDialog>
#include <memory>
#include <string>

namespace wavora {

class TfrmMain;
class TSkinFrame;

// The options dialog. Its controls are the settings while the program runs; the settings
// object carries them from options.dat at creation and back at destruction.
class TfrmOptions : public QDialog {
    Q_OBJECT
public:
    // Loads options.dat from programDir into this dialog and into main's controls.
    TfrmOptions(TfrmMain& main, std::string programDir, QWidget* parent = nullptr);
    // Writes options.dat from this dialog's and main's controls; main must still exist.
    ~TfrmOptions() override;

    [[nodiscard]] CDOptions& settings() { return *options_; }
    [[nodiscard]] const Ui::TfrmOptions& form() const { return ui_; }
    [[nodiscard]] std::string optionsPath() const { return programDir_ + "options.dat"; }

    // The naming settings as the controls hold them now.
    [[nodiscard]] NamingSettings naming() const;
    // "If the output file exists", as the control holds it now.
    [[nodiscard]] ExistingOutput existingOutput() const;
    [[nodiscard]] QComboBox& existingControl() { return *cbIfOutputExists; }

    void LoadOptions();
    void SaveOptions();

    void cbBitrateClick();
    void MenuABoxClick();
    void MessageABoxClick();
    void ControlABoxClick();
    void ABarChange();
    void AAnimationBoxClick();
    void HintABoxClick();
    void SkinEffectBoxClick();

private:
    void applyOptions(const CDOptions& options);

    Ui::TfrmOptions ui_;
    TfrmMain& main_;
    std::string programDir_;
    std::unique_ptr<CDOptions> options_;
    TSkinFrame* skin_;
    QComboBox* cbIfOutputExists; // items in ExistingOutput order
};

} // namespace wavora
