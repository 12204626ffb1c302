// The skin contract of the toolkit: named objects, areas and the bitmap font.
#include "../support/QtTestEnvironment.h"
#include "SkinFrame.h"
#include "SkinGauge.h"
#include "SkinLabel.h"

#include <QComboBox>
#include <QImage>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace wavora {
namespace {

class SkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.resize(617, 436);
        combo_ = new QComboBox(&window_);
        combo_->setProperty("skinArea", QStringLiteral("formatboxarea"));
        play_ = new QToolButton(&window_);
        play_->setObjectName(QStringLiteral("btnPlay"));
        play_->setProperty("skinArea", QStringLiteral("playbuttonarea"));
        skin_ =
            new TSkinFrame(&window_, QStringLiteral(":/skins/mainwindow.ini"), TSkinFrame::Close);
        QObject::connect(skin_, &TSkinFrame::changeSkinData, [this] { ++changes_; });
        skin_->loadSkin();
    }

    template <typename T>
    T* object(const char* name) {
        return window_.findChild<T*>(QString::fromLatin1(name));
    }

    QWidget window_;
    QComboBox* combo_ = nullptr;
    QToolButton* play_ = nullptr;
    TSkinFrame* skin_ = nullptr;
    int changes_ = 0;
};

TEST_F(SkinTest, PlacesControlsIntoTheirAreasAndReportsTheChange) {
    EXPECT_EQ(changes_, 1);
    ASSERT_TRUE(skin_->area(QStringLiteral("formatboxarea")).has_value());
    EXPECT_EQ(combo_->geometry(), *skin_->area(QStringLiteral("formatboxarea")));
    EXPECT_EQ(play_->geometry(), *skin_->area(QStringLiteral("playbuttonarea")));
    EXPECT_FALSE(play_->icon().isNull());
    EXPECT_TRUE(skin_->area(QStringLiteral("outputdireditarea")).has_value());
    EXPECT_FALSE(skin_->area(QStringLiteral("nosucharea")).has_value());
    EXPECT_TRUE(window_.windowFlags() & Qt::FramelessWindowHint);

    // Loading again rebuilds the objects instead of adding a second set.
    skin_->loadSkin();
    EXPECT_EQ(changes_, 2);
    EXPECT_EQ(window_.findChildren<TSkinLabel*>(QStringLiteral("statuslabel")).size(), 1);
}

TEST_F(SkinTest, WritesReachOnlyObjectsOfTheRightKind) {
    auto* status = object<TSkinLabel>("statuslabel");
    auto* gauge = object<TSkinGauge>("gauge1");
    ASSERT_TRUE(status && gauge && object<TSkinLabel>("min") && object<TSkinLabel>("sec") &&
                object<TSkinLabel>("vollabel") && object<TSkinGauge>("gauge2"));
    EXPECT_EQ((std::pair{gauge->minimum(), gauge->maximum()}), (std::pair{0, 30000}));

    skin_->setText(QStringLiteral("statuslabel"), QStringLiteral("play"));
    skin_->setValue(QStringLiteral("gauge1"), 12000);
    EXPECT_EQ(status->text(), "play");
    EXPECT_EQ(gauge->value(), 12000);

    skin_->setValue(QStringLiteral("statuslabel"), 5);             // a label is no gauge
    skin_->setText(QStringLiteral("gauge1"), QStringLiteral("x")); // a gauge is no label
    skin_->setText(QStringLiteral("nosuchobject"), QStringLiteral("x"));
    skin_->setValue(QStringLiteral("nosuchobject"), 1);
    skin_->setText(QStringLiteral("btnPlay"), QStringLiteral("x")); // a control is no skin object
    EXPECT_EQ(status->text(), "play");
    EXPECT_EQ(gauge->value(), 12000);
    EXPECT_TRUE(play_->text().isEmpty());

    // Levels above the gauge's range (up to 65535) fill it.
    skin_->setValue(QStringLiteral("gauge1"), 65535);
    EXPECT_EQ(gauge->value(), 30000);
    skin_->setValue(QStringLiteral("gauge1"), -3);
    EXPECT_EQ(gauge->value(), 0);
}

QImage render(TSkinLabel& label, const QString& text) {
    label.setText(text);
    QImage image(label.size(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    label.render(&image);
    return image;
}

TEST(SkinLabelTest, DrawsOnlyTheCharactersOfItsFont) {
    TSkinLabel label(QStringLiteral("0123456789-"), 2, Qt::green, nullptr);
    label.resize(48, 14);
    const QImage blank = render(label, QString());
    const QImage digits = render(label, QStringLiteral("05"));
    const QImage dashes = render(label, QStringLiteral("--"));
    EXPECT_NE(digits, blank);
    EXPECT_NE(digits, dashes);
    EXPECT_NE(render(label, QStringLiteral("50")), digits);
    // Characters outside the font are blank cells.
    EXPECT_EQ(render(label, QStringLiteral("ab")), blank);
    EXPECT_EQ(render(label, QStringLiteral("0x")), render(label, QStringLiteral("0")));
}

} // namespace
} // namespace wavora
