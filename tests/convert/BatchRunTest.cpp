#include "BatchRun.h"

#include <gtest/gtest.h>
#include <vector>

namespace wavora {
namespace {

// A live list of rows whose conversion only records the order and can act on the list, as
// the window's handlers can while a row converts.
struct List {
    explicit List(std::vector<bool> rows = {}) : checked(std::move(rows)) {}
    std::vector<bool> checked;
    std::vector<std::size_t> converted;
    bool grabbing = false;
    bool stopGrab = false;
    std::function<std::optional<std::string>(std::size_t)> during;

    BatchHost Host() {
        return {[this] { return checked.size(); }, [this](std::size_t i) { return checked[i]; },
                [this](std::size_t i) -> std::optional<std::string> {
                    converted.push_back(i);
                    EXPECT_TRUE(grabbing);
                    return during ? during(i) : std::nullopt;
                },
                &grabbing, &stopGrab};
    }
};

TEST(BatchRun, ConvertsCheckedRowsInOrder) {
    List list({true, false, true});
    EXPECT_EQ(RunBatch(list.Host()).end, BatchEnd::Completed);
    EXPECT_EQ(list.converted, (std::vector<std::size_t>{0, 2}));
    EXPECT_FALSE(list.grabbing);

    List empty;
    EXPECT_EQ(RunBatch(empty.Host()).end, BatchEnd::Completed);
    EXPECT_TRUE(empty.converted.empty());
}

TEST(BatchRun, StopEndsTheRunAfterTheCurrentRowAndDoesNotCarryOver) {
    List list({true, true, true});
    list.during = [&](std::size_t) {
        list.stopGrab = true;
        return std::nullopt;
    };
    EXPECT_EQ(RunBatch(list.Host()).end, BatchEnd::Completed);
    EXPECT_EQ(list.converted, (std::vector<std::size_t>{0}));
    EXPECT_FALSE(list.stopGrab);
    list.during = nullptr;
    list.converted.clear();
    // A stop request while idle has no effect on the next run.
    list.stopGrab = true;
    EXPECT_EQ(RunBatch(list.Host()).end, BatchEnd::Completed);
    EXPECT_EQ(list.converted, (std::vector<std::size_t>{0, 1, 2}));
}

TEST(BatchRun, ChangesDuringTheRun) {
    List list({true, true, true});
    list.during = [&](std::size_t i) {
        if (i == 0) {
            list.checked[2] = false;      // unchecked before the run reaches it
            list.checked.push_back(true); // added during the run
        }
        return std::nullopt;
    };
    (void)RunBatch(list.Host());
    EXPECT_EQ(list.converted, (std::vector<std::size_t>{0, 1}));
}

TEST(BatchRun, AnErrorEndsTheRun) {
    List list({true, true, true});
    list.during = [](std::size_t i) -> std::optional<std::string> {
        if (i == 1) {
            return "Cannot create file \"x\". Not a directory";
        }
        return std::nullopt;
    };
    const auto result = RunBatch(list.Host());
    EXPECT_EQ(result.end, BatchEnd::Failed);
    EXPECT_EQ(result.error, "Cannot create file \"x\". Not a directory");
    EXPECT_EQ(list.converted, (std::vector<std::size_t>{0, 1}));
    EXPECT_FALSE(list.grabbing);
}

TEST(BatchRun, ASecondStartWhileRunningIsRefused) {
    List list({true, true});
    BatchEnd nested = BatchEnd::Completed;
    list.during = [&](std::size_t i) {
        if (i == 0) {
            nested = RunBatch(list.Host()).end; // pressed again from the message pump
        }
        return std::nullopt;
    };
    EXPECT_EQ(RunBatch(list.Host()).end, BatchEnd::Completed);
    EXPECT_EQ(nested, BatchEnd::Refused);
    EXPECT_EQ(list.converted, (std::vector<std::size_t>{0, 1}));
}

} // namespace
} // namespace wavora
