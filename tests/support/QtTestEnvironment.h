#pragma once

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

namespace wavora::test {

// One QApplication for the whole test program, made before the first test and gone after the
// last, so that windows can be built in any test.
class QtTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "wavora_test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

// gtest takes ownership of the environment.
inline const auto* const qtTestEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);

} // namespace wavora::test
