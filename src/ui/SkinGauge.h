#pragma once

#include <QWidget>

namespace wavora {

// A level gauge of LED segments, green to red.
class TSkinGauge : public QWidget {
    Q_OBJECT
public:
    TSkinGauge(int minimum, int maximum, QWidget* parent);

    void setValue(int value);
    [[nodiscard]] int value() const { return value_; }
    [[nodiscard]] int minimum() const { return minimum_; }
    [[nodiscard]] int maximum() const { return maximum_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int minimum_;
    int maximum_;
    int value_;
};

} // namespace wavora
