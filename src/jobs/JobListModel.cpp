#include "JobListModel.h"

#include <array>
#include <filesystem>
#include <map>

namespace wavora {
namespace {

constexpr std::array<const char*, JobListModel::ColumnCount> Captions{
    "Input Folder", "Input File", "Convert to...", "Output Folder", "Output File", "Status"};

std::string OutputKey(const JobRow& row) {
    return std::filesystem::path(AddBackslash(row.outputFolder) + row.outputFile)
        .lexically_normal()
        .string();
}

const std::string& cell(const JobRow& row, int column) {
    switch (column) {
    case JobListModel::InputFolder:
        return row.inputFolder;
    case JobListModel::InputFile:
        return row.inputFile;
    case JobListModel::ConvertTo:
        return row.format;
    case JobListModel::OutputFolder:
        return row.outputFolder;
    default:
        return row.outputFile;
    }
}

} // namespace

int JobListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int JobListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant JobListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const JobRow& r = row(index.row());
    if (index.column() == Status) {
        return role == Qt::DisplayRole || role == Qt::ToolTipRole
                   ? QVariant(QString::fromStdString(statusText(index.row())))
                   : QVariant();
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        return QString::fromStdString(cell(r, index.column()));
    }
    if (role == Qt::CheckStateRole && index.column() == InputFolder) {
        return r.checked ? Qt::Checked : Qt::Unchecked;
    }
    return {};
}

bool JobListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::CheckStateRole || index.column() != InputFolder) {
        return false;
    }
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

QVariant JobListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount) {
        return QString::fromLatin1(Captions.at(static_cast<std::size_t>(section)));
    }
    return {};
}

Qt::ItemFlags JobListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == InputFolder) {
        result |= Qt::ItemIsUserCheckable;
    }
    return result;
}

bool JobListModel::removeRows(int first, int count, const QModelIndex& parent) {
    if (parent.isValid() || first < 0 || count <= 0 || first + count > rowCount()) {
        return false;
    }
    beginRemoveRows({}, first, first + count - 1);
    rows_.erase(rows_.begin() + first, rows_.begin() + first + count);
    statuses_.erase(statuses_.begin() + first, statuses_.begin() + first + count);
    endRemoveRows();
    outputChanged();
    return true;
}

void JobListModel::append(JobRow r) {
    const int at = rowCount();
    beginInsertRows({}, at, at);
    rows_.push_back(std::move(r));
    statuses_.emplace_back();
    endInsertRows();
    outputChanged();
}

void JobListModel::clear() {
    beginResetModel();
    rows_.clear();
    statuses_.clear();
    clashWith_.clear();
    endResetModel();
}

void JobListModel::setChecked(int index, bool checked) {
    rows_.at(static_cast<std::size_t>(index)).checked = checked;
    changed(index, InputFolder);
}

void JobListModel::setAllChecked(bool checked) {
    for (auto& r : rows_) {
        r.checked = checked;
    }
    if (!rows_.empty()) {
        emit dataChanged(this->index(0, InputFolder), this->index(rowCount() - 1, InputFolder),
                         {Qt::CheckStateRole});
    }
}

void JobListModel::retarget(const std::vector<int>& indices, const std::string& formatText) {
    for (const int i : indices) {
        JobRow& r = rows_.at(static_cast<std::size_t>(i));
        r.format = formatText;
        r.outputFile = StripExtension(r.outputFile) + '.' + formatText;
        changed(i, ConvertTo);
        changed(i, OutputFile);
    }
    outputChanged();
}

void JobListModel::setOutputFolder(const std::vector<int>& indices, const std::string& folder) {
    for (const int i : indices) {
        rows_.at(static_cast<std::size_t>(i)).outputFolder = folder;
        changed(i, OutputFolder);
    }
    outputChanged();
}

void JobListModel::setOutputFile(int index, std::string name) {
    rows_.at(static_cast<std::size_t>(index)).outputFile = std::move(name);
    changed(index, OutputFile);
    outputChanged();
}

void JobListModel::setStatus(int index, std::string text) {
    statuses_.at(static_cast<std::size_t>(index)) = std::move(text);
    changed(index, Status);
}

bool JobListModel::clashes(int index) const {
    return clashWith_.at(static_cast<std::size_t>(index)) >= 0;
}

std::string JobListModel::statusText(int index) const {
    const std::string& text = status(index);
    if (!text.empty() || !clashes(index)) {
        return text;
    }
    return "clash: row " + std::to_string(clashWith_.at(static_cast<std::size_t>(index)) + 1) +
           " has the same output file";
}

void JobListModel::outputChanged() {
    std::map<std::string, std::vector<int>> rowsOfPath;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        rowsOfPath[OutputKey(rows_[i])].push_back(static_cast<int>(i));
    }
    std::vector<int> next(rows_.size(), -1);
    for (const auto& [path, indices] : rowsOfPath) {
        if (indices.size() > 1) {
            for (const int i : indices) {
                next[static_cast<std::size_t>(i)] = indices[i == indices[0] ? 1 : 0];
            }
        }
    }
    if (next != clashWith_) {
        clashWith_ = std::move(next);
        if (!rows_.empty()) {
            emit dataChanged(index(0, Status), index(rowCount() - 1, Status));
        }
    }
}

void JobListModel::changed(int index, int column) {
    const QModelIndex at = this->index(index, column);
    emit dataChanged(at, at);
}

JobRow MakeJobRow(const std::string& path, const std::string& formatText,
                  const std::string& outputFolder, const NamingSettings& naming,
                  const TagReader& readTags, TrackTags& tags) {
    const SplitPath split = SplitSourcePath(path);
    JobRow r;
    r.inputFolder = split.folder;
    r.inputFile = split.file;
    r.format = formatText;
    r.outputFolder = outputFolder;
    r.outputFile = OutputName(path, split.file, formatText, naming, readTags, tags);
    return r;
}

} // namespace wavora
