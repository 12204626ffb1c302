#pragma once

#include "AboutForm.h"
#include "MainForm.h"
#include "OptionsForm.h"

#include <memory>
#include <string>

namespace wavora {

// The program's three windows in their start-up order. Destruction runs in reverse: the
// about box, then the options dialog (which writes options.dat from both windows' controls),
// then the main window.
class TWavoraWindows {
public:
    explicit TWavoraWindows(const std::string& programDir);

    [[nodiscard]] TfrmMain& main() { return *frmMain_; }
    [[nodiscard]] TfrmOptions& options() { return *frmOptions_; }
    [[nodiscard]] TAboutForm& about() { return *aboutForm_; }

    // Shows the main window centred on the desktop.
    void show();

private:
    std::unique_ptr<TfrmMain> frmMain_;
    std::unique_ptr<TfrmOptions> frmOptions_;
    std::unique_ptr<TAboutForm> aboutForm_;
};

} // namespace wavora
