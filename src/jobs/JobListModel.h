#pragma once

#include "JobRow.h"
#include "Naming.h"

#include <QAbstractTableModel>
#include <vector>

namespace wavora {

// The rows of the job list, shown in five columns with a check box in the first.
// Lives on the user-interface thread.
class JobListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { InputFolder, InputFile, ConvertTo, OutputFolder, OutputFile, ColumnCount };

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

private:
    void changed(int index, int column);

    std::vector<JobRow> rows_;
};

// The row Add makes for one chosen file.
[[nodiscard]] JobRow MakeJobRow(const std::string& path, const std::string& formatText,
                                const std::string& outputFolder, const NamingSettings& naming,
                                const TagReader& readTags, TrackTags& tags);

} // namespace wavora
