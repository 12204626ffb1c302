#pragma once

#include "../support/QtTestEnvironment.h"
#include "MessageBox.h"
#include "TestFiles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace wavora::test {

// Encoded once per test program from one short sine; each test copies what it edits.
struct EncodedFiles {
    std::string wav;
    std::string mp3Tagged; // lame: ID3v1 and ID3v2 (track "3/12", genre "Rock")
    std::string mp3Plain;  // lame: no tags
    std::string oggTagged; // oggenc: standard comments, GENRE=(17), MOOD and ARTIST twice
};
const EncodedFiles& Encoded();

// Message boxes are answered Ok and kept.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A copy of `source` in this test's folder, named `name`.
    std::string Copy(const std::string& source, const std::string& name);
    [[nodiscard]] std::string Path(const std::string& name) const { return dir_.Path(name); }

    TempDir dir_;
    std::vector<std::string> messages_;
    MessageHandler previous_;
};

// Runs action on the next modal dialog once it is up; it must close it.
void WhenModal(std::function<void(QWidget*)> action);

void Click(QAbstractButton* button);

// `tag=value` lines of an independent reader (ffprobe), in its order.
std::string ProbeTags(const std::string& path, const std::string& entries);

} // namespace wavora::test
