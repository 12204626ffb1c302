#pragma once

#include "JobRow.h"
#include "Naming.h"

#include <QAbstractTableModel>
#include <vector>

namespace wavora {

// The rows of the job list, shown in five columns with a check box in the first, and a sixth
// with each row's status: the end of its last conversion, or a clash of output paths.
// Lives on the user-interface thread.
class JobListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        InputFolder,
        InputFile,
        ConvertTo,
        OutputFolder,
        OutputFile,
        Status,
        ColumnCount
    };

    using QAbstractTableModel::QAbstractTableModel;

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

    [[nodiscard]] const JobRow& row(int index) const {
        return rows_.at(static_cast<std::size_t>(index));
    }
    [[nodiscard]] const std::vector<JobRow>& rows() const { return rows_; }

    void append(JobRow row);
    void clear();
    void setChecked(int index, bool checked);
    void setAllChecked(bool checked);

    // The format change of the given rows: format and the output file's extension.
    void retarget(const std::vector<int>& indices, const std::string& formatText);
    void setOutputFolder(const std::vector<int>& indices, const std::string& folder);
    void setOutputFile(int index, std::string name);

    // The row's status text; empty shows the clash, if any.
    void setStatus(int index, std::string text);
    [[nodiscard]] const std::string& status(int index) const {
        return statuses_.at(static_cast<std::size_t>(index));
    }
    // Another row of the list writes the same output path (folder and name as given).
    [[nodiscard]] bool clashes(int index) const;
    // What the status column shows.
    [[nodiscard]] std::string statusText(int index) const;

private:
    void changed(int index, int column);
    void outputChanged();

    std::vector<JobRow> rows_;
    std::vector<std::string> statuses_;  // one per row
    std::vector<int> clashWith_;         // per row: the first other row of its path, or -1
};

// The row Add makes for one chosen file.
[[nodiscard]] JobRow MakeJobRow(const std::string& path, const std::string& formatText,
                                const std::string& outputFolder, const NamingSettings& naming,
                                const TagReader& readTags, TrackTags& tags);

} // namespace wavora
