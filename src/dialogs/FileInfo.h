#pragma once

#include <string>

class QWidget;

namespace wavora {

// Which info dialog a file gets, by its extension (any case).
enum class InfoDialogKind { None, Mpeg, Ogg };

[[nodiscard]] InfoDialogKind InfoDialogFor(const std::string& fileName);

// Reads the file afresh and shows its info dialog modally; says so and returns false when
// the file has no dialog or cannot be read.
bool ShowFileInfo(const std::string& fileName, QWidget* parent);

} // namespace wavora
