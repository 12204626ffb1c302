#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace wavora {

// A folder text with a button that opens a folder-browse dialog.
class TFolderEdit : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged USER true)
public:
    explicit TFolderEdit(QWidget* parent = nullptr);

    [[nodiscard]] QString text() const;
    void setText(const QString& text);
    [[nodiscard]] QLineEdit* lineEdit() const { return edit_; }

signals:
    // At every edit, by the user or by code.
    void textChanged(const QString& text);

private:
    void browse();

    QLineEdit* edit_;
    QToolButton* button_;
};

} // namespace wavora
