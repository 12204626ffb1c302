#include "SkinLabel.h"

#include <QPainter>
#include <array>
#include <cstdint>

namespace wavora {
namespace {

struct Glyph {
    char c;
    std::array<std::uint8_t, 7> rows; // five dots a row, most significant bit on the left
};

constexpr std::array<Glyph, 41> Font{{
    {'a', {0b01110, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001}},
    {'b', {0b11110, 0b10001, 0b10001, 0b11110, 0b10001, 0b10001, 0b11110}},
    {'c', {0b01110, 0b10001, 0b10000, 0b10000, 0b10000, 0b10001, 0b01110}},
    {'d', {0b11110, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b11110}},
    {'e', {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b11111}},
    {'f', {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b10000}},
    {'g', {0b01110, 0b10001, 0b10000, 0b10111, 0b10001, 0b10001, 0b01111}},
    {'h', {0b10001, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001}},
    {'i', {0b01110, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {'j', {0b00111, 0b00010, 0b00010, 0b00010, 0b00010, 0b10010, 0b01100}},
    {'k', {0b10001, 0b10010, 0b10100, 0b11000, 0b10100, 0b10010, 0b10001}},
    {'l', {0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b11111}},
    {'m', {0b10001, 0b11011, 0b10101, 0b10101, 0b10001, 0b10001, 0b10001}},
    {'n', {0b10001, 0b10001, 0b11001, 0b10101, 0b10011, 0b10001, 0b10001}},
    {'o', {0b01110, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110}},
    {'p', {0b11110, 0b10001, 0b10001, 0b11110, 0b10000, 0b10000, 0b10000}},
    {'q', {0b01110, 0b10001, 0b10001, 0b10001, 0b10101, 0b10010, 0b01101}},
    {'r', {0b11110, 0b10001, 0b10001, 0b11110, 0b10100, 0b10010, 0b10001}},
    {'s', {0b01111, 0b10000, 0b10000, 0b01110, 0b00001, 0b00001, 0b11110}},
    {'t', {0b11111, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100}},
    {'u', {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110}},
    {'v', {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01010, 0b00100}},
    {'w', {0b10001, 0b10001, 0b10001, 0b10101, 0b10101, 0b10101, 0b01010}},
    {'x', {0b10001, 0b10001, 0b01010, 0b00100, 0b01010, 0b10001, 0b10001}},
    {'y', {0b10001, 0b10001, 0b10001, 0b01010, 0b00100, 0b00100, 0b00100}},
    {'z', {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b10000, 0b11111}},
    {'0', {0b01110, 0b10001, 0b10011, 0b10101, 0b11001, 0b10001, 0b01110}},
    {'1', {0b00100, 0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {'2', {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b01000, 0b11111}},
    {'3', {0b11111, 0b00010, 0b00100, 0b00010, 0b00001, 0b10001, 0b01110}},
    {'4', {0b00010, 0b00110, 0b01010, 0b10010, 0b11111, 0b00010, 0b00010}},
    {'5', {0b11111, 0b10000, 0b11110, 0b00001, 0b00001, 0b10001, 0b01110}},
    {'6', {0b00110, 0b01000, 0b10000, 0b11110, 0b10001, 0b10001, 0b01110}},
    {'7', {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b01000, 0b01000}},
    {'8', {0b01110, 0b10001, 0b10001, 0b01110, 0b10001, 0b10001, 0b01110}},
    {'9', {0b01110, 0b10001, 0b10001, 0b01111, 0b00001, 0b00010, 0b01100}},
    {'.', {0b00000, 0b00000, 0b00000, 0b00000, 0b00000, 0b01100, 0b01100}},
    {'-', {0b00000, 0b00000, 0b00000, 0b11111, 0b00000, 0b00000, 0b00000}},
    {'+', {0b00000, 0b00100, 0b00100, 0b11111, 0b00100, 0b00100, 0b00000}},
    {'%', {0b11000, 0b11001, 0b00010, 0b00100, 0b01000, 0b10011, 0b00011}},
    {':', {0b00000, 0b01100, 0b01100, 0b00000, 0b01100, 0b01100, 0b00000}},
}};

constexpr int Columns = 5;
constexpr int Rows = 7;
constexpr int CellColumns = Columns + 1; // one dot of spacing

const Glyph* glyphFor(QChar c) {
    for (const auto& glyph : Font) {
        if (QChar::fromLatin1(glyph.c) == c) {
            return &glyph;
        }
    }
    return nullptr;
}

} // namespace

TSkinLabel::TSkinLabel(QString charset, int dotSize, QColor lit, QWidget* parent)
    : QWidget(parent), charset_(std::move(charset)), dotSize_(std::max(1, dotSize)), lit_(lit) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TSkinLabel::setText(const QString& text) {
    if (text != text_) {
        text_ = text;
        update();
    }
}

QSize TSkinLabel::sizeHint() const {
    return {static_cast<int>(text_.size()) * CellColumns * dotSize_, Rows * dotSize_};
}

void TSkinLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QColor unlit = lit_;
    unlit.setAlpha(28);
    const int dot = dotSize_;
    const int gap = dot >= 3 ? 1 : 0;
    const int top = (height() - Rows * dot) / 2;
    const int cells = width() / (CellColumns * dot);
    for (int cell = 0; cell < cells; ++cell) {
        const bool inText = cell < text_.size();
        const Glyph* glyph =
            inText && charset_.contains(text_[cell]) ? glyphFor(text_[cell]) : nullptr;
        for (int y = 0; y < Rows; ++y) {
            for (int x = 0; x < Columns; ++x) {
                const bool on =
                    glyph != nullptr &&
                    ((glyph->rows.at(static_cast<std::size_t>(y)) >> (Columns - 1 - x)) & 1) != 0;
                painter.fillRect((cell * CellColumns + x) * dot, top + y * dot, dot - gap,
                                 dot - gap, on ? lit_ : unlit);
            }
        }
    }
}

} // namespace wavora
