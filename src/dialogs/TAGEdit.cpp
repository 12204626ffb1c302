#include "TAGEdit.h"

#include "MessageBox.h"

namespace wavora {

bool IsVorbisCommentName(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    for (const char c : name) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || code > 0x7D || c == '=') {
            return false;
        }
    }
    return true;
}

TTAGEditForm::TTAGEditForm(QWidget* parent) : QDialog(parent) {
    ui_.setupUi(this);
    setFixedSize(321, 188);
    connect(ui_.btnOK, &QPushButton::clicked, this, &TTAGEditForm::btnOKClick);
    connect(ui_.btnCancel, &QPushButton::clicked, this, &TTAGEditForm::btnCancelClick);
}

void TTAGEditForm::btnOKClick() {
    // A blank name is left to the caller, which ignores it; a malformed one would make the
    // file's comment header unreadable, so it never leaves this dialog.
    const std::string name =
        ui_.TAGName->text().trimmed().isEmpty() ? std::string() : ui_.TAGName->text().toStdString();
    if (!name.empty() && !IsVorbisCommentName(name)) {
        ShowMessage(MessageKind::Error, "Error",
                    "Invalid TAG ID: use the characters from space to '}' without '='.");
        ui_.TAGName->setFocus();
        return;
    }
    accept();
}

void TTAGEditForm::btnCancelClick() {
    reject();
}

} // namespace wavora
