#include "qt/dataset_model.h"

#include "framework/data/dataset.h"
#include "framework/data/field.h"
#include "qt/qt_support.h"

namespace oca::qt {

void DataSetModel::SetDataSet(TDataSet* dataSet, std::vector<Column> columns) {
    beginResetModel();
    dataSet_ = dataSet;
    columns_ = std::move(columns);
    endResetModel();
}

std::vector<DataSetModel::Column> DataSetModel::VisibleFields(const TDataSet& dataSet) {
    std::vector<Column> columns;
    for (size_t i = 0; i < dataSet.FieldCount(); ++i) {
        const TField* field = dataSet.Fields(i);
        if (field->Visible()) {
            columns.push_back({field->FieldName(), Q(field->DisplayLabel()), 0});
        }
    }
    return columns;
}

void DataSetModel::Reset() {
    beginResetModel();
    endResetModel();
}

void DataSetModel::SetMarks(std::string keyField, std::set<std::string>* marks) {
    beginResetModel();
    keyField_ = std::move(keyField);
    marks_ = marks;
    endResetModel();
}

std::string DataSetModel::KeyOf(int row) const {
    const TField* key = dataSet_ ? dataSet_->FindField(keyField_) : nullptr;
    return key ? dataSet_->DisplayTextAt(row + 1, *key, false) : std::string();
}

void DataSetModel::SetAllMarked(bool marked) {
    if (!marks_) {
        return;
    }
    for (int row = 0; row < rowCount(); ++row) {
        if (marked) {
            marks_->insert(KeyOf(row));
        } else {
            marks_->erase(KeyOf(row));
        }
    }
    if (rowCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
    }
}

int DataSetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !dataSet_ || !dataSet_->Active()) {
        return 0;
    }
    const int inserting = dataSet_->State() == dsInsert ? 1 : 0;
    return static_cast<int>(dataSet_->RecordCount()) + inserting;
}

int DataSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size()) + CheckColumns();
}

QString DataSetModel::Text(int row, int column) const {
    if (!dataSet_ || column < 0 || column >= static_cast<int>(columns_.size())) {
        return {};
    }
    const TField* field = dataSet_->FindField(columns_[static_cast<size_t>(column)].field);
    return field ? Q(dataSet_->DisplayTextAt(row + 1, *field)) : QString();
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const int column = index.column() - CheckColumns();
    if (column < 0) {
        if (role == Qt::CheckStateRole) {
            return marks_->count(KeyOf(index.row())) ? Qt::Checked : Qt::Unchecked;
        }
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        return Text(index.row(), column);
    }
    if (role == Qt::BackgroundRole && colors_) {
        const std::optional<TColor> color =
            colors_(columns_[static_cast<size_t>(column)].field, index.row() + 1);
        return color ? QVariant(ToQColor(*color)) : QVariant();
    }
    if (role == Qt::TextAlignmentRole && dataSet_) {
        const TField* field = dataSet_->FindField(columns_[static_cast<size_t>(column)].field);
        const bool number = field && (field->DataType() == FieldType::Integer ||
                                      field->DataType() == FieldType::Float);
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

bool DataSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!marks_ || index.column() != 0 || role != Qt::CheckStateRole) {
        return false;
    }
    const std::string key = KeyOf(index.row());
    if (value.toInt() == Qt::Checked) {
        marks_->insert(key);
    } else {
        marks_->erase(key);
    }
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    const int column = section - CheckColumns();
    if (column < 0) {
        return QString();
    }
    return column < static_cast<int>(columns_.size()) ? columns_[static_cast<size_t>(column)].title
                                                      : QVariant();
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (marks_ && index.column() == 0) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

} // namespace oca::qt
