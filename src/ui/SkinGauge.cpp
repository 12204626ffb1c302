#include "SkinGauge.h"

#include <QPainter>
#include <algorithm>

namespace wavora {

TSkinGauge::TSkinGauge(int minimum, int maximum, QWidget* parent)
    : QWidget(parent), minimum_(minimum), maximum_(std::max(minimum + 1, maximum)),
      value_(minimum) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TSkinGauge::setValue(int value) {
    value = std::clamp(value, minimum_, maximum_);
    if (value != value_) {
        value_ = value;
        update();
    }
}

void TSkinGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    constexpr int SegmentWidth = 4;
    constexpr int Pitch = SegmentWidth + 1;
    const int segments = std::max(1, width() / Pitch);
    const double fraction =
        static_cast<double>(value_ - minimum_) / static_cast<double>(maximum_ - minimum_);
    const int lit = static_cast<int>(fraction * segments + 0.5);
    for (int i = 0; i < segments; ++i) {
        const double at = static_cast<double>(i) / segments;
        QColor color = at < 0.65
                           ? QColor(0x4c, 0xe0, 0x7a)
                           : (at < 0.85 ? QColor(0xe8, 0xd0, 0x4a) : QColor(0xf0, 0x55, 0x45));
        if (i >= lit) {
            color.setAlpha(38);
        }
        painter.fillRect(i * Pitch, 0, SegmentWidth, height(), color);
    }
}

} // namespace wavora
