#pragma once

namespace wavora {

// Routes ShowMessage to modal QMessageBox windows drawn with the dialog skin.
void InstallWidgetMessageHandler();

} // namespace wavora
