#include "ConsoleProgress.h"

#include <algorithm>
#include <sys/ioctl.h>
#include <unistd.h>

namespace wavora {
namespace {

int TerminalWidth() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col >= 40) {
        return size.ws_col;
    }
    return 80;
}

// The first `columns` characters of UTF-8 text (one column per character).
std::string Fit(const std::string& text, std::size_t columns) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && count++ == columns) {
            return text.substr(0, at);
        }
    }
    return text + std::string(columns - count, ' ');
}

std::string Bar(double fraction, int width) {
    const int filled = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * width);
    return "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(width - filled), '-') + "]";
}

std::string Percent(double fraction) {
    const int value = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100);
    std::string text = std::to_string(value) + "%";
    return std::string(5 - text.size(), ' ') + text;
}

double Fraction(const JobProgress& progress) {
    if (progress.done) {
        return 1.0;
    }
    const std::uint32_t maximum = progress.maximum;
    return maximum == 0 ? 0.0 : static_cast<double>(progress.value) / maximum;
}

} // namespace

ConsoleProgress::ConsoleProgress(const TParallelBatch& batch, bool terminal)
    : batch_(batch), terminal_(terminal) {}

void ConsoleProgress::Clear() {
    for (int i = 0; i < drawnLines_; ++i) {
        std::fputs("\x1b[1A\x1b[2K", stderr);
    }
    drawnLines_ = 0;
}

void ConsoleProgress::Render() {
    const int width = TerminalWidth();
    const int barWidth = std::max(10, width / 3);
    const auto nameColumns = static_cast<std::size_t>(std::max(10, width - barWidth - 10));
    const auto& rows = batch_.Rows();
    double total = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const JobProgress& progress = batch_.Progress(i);
        total += Fraction(progress);
        if (progress.running) {
            std::fprintf(stderr, "%s %s%s\n", Fit(rows[i].inputFile, nameColumns).c_str(),
                         Bar(Fraction(progress), barWidth).c_str(),
                         Percent(Fraction(progress)).c_str());
            ++drawnLines_;
        }
    }
    const double all = rows.empty() ? 1.0 : total / static_cast<double>(rows.size());
    const std::string label = "all " + std::to_string(rows.size()) + " files";
    std::fprintf(stderr, "%s %s%s\n", Fit(label, nameColumns).c_str(), Bar(all, barWidth).c_str(),
                 Percent(all).c_str());
    ++drawnLines_;
    std::fflush(stderr);
}

void ConsoleProgress::Line(const std::string& text, bool error) {
    const std::lock_guard guard(lock_);
    if (terminal_) {
        Clear();
    }
    std::FILE* stream = error ? stderr : stdout;
    std::fputs(text.c_str(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
    if (terminal_) {
        Render();
    }
}

void ConsoleProgress::Draw() {
    if (!terminal_) {
        return;
    }
    const std::lock_guard guard(lock_);
    Clear();
    Render();
}

void ConsoleProgress::Finish() {
    if (!terminal_) {
        return;
    }
    const std::lock_guard guard(lock_);
    Clear();
    std::fflush(stderr);
}

} // namespace wavora
