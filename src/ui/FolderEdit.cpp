#include "FolderEdit.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

namespace wavora {

TFolderEdit::TFolderEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), button_(new QToolButton(this)) {
    edit_->setObjectName(QStringLiteral("folderText"));
    button_->setObjectName(QStringLiteral("folderBrowse"));
    button_->setText(QStringLiteral("..."));
    button_->setToolTip(QStringLiteral("Browse for folder"));
    button_->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(edit_, 1);
    layout->addWidget(button_);
    connect(edit_, &QLineEdit::textChanged, this, &TFolderEdit::textChanged);
    connect(button_, &QToolButton::clicked, this, &TFolderEdit::browse);
}

QString TFolderEdit::text() const {
    return edit_->text();
}

void TFolderEdit::setText(const QString& text) {
    edit_->setText(text);
}

void TFolderEdit::browse() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Select folder"), text());
    if (!folder.isEmpty()) {
        setText(folder);
    }
}

} // namespace wavora
