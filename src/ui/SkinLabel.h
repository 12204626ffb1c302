#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace wavora {

// A text label drawn with the skin's dot-matrix bitmap font. Characters the font lacks
// are drawn as blank cells.
class TSkinLabel : public QWidget {
    Q_OBJECT
public:
    TSkinLabel(QString charset, int dotSize, QColor lit, QWidget* parent);

    void setText(const QString& text);
    [[nodiscard]] QString text() const { return text_; }
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString charset_;
    int dotSize_;
    QColor lit_;
    QString text_;
};

} // namespace wavora
