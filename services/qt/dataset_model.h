#pragma once

#include "framework/controls/control.h"

#include <QAbstractTableModel>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

class TDataSet;

namespace oca::qt {

/// A table over a data set, read row by row as the view paints (a row the data set
/// does not stand on is read without moving it). Optionally a check column in front,
/// marked by the rows' key values (the multi-choice search).
class DataSetModel : public QAbstractTableModel {
public:
    struct Column {
        std::string field;
        QString title;
        int width = 0; ///< in characters; 0 for the field's display width
    };

    explicit DataSetModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void SetDataSet(TDataSet* dataSet, std::vector<Column> columns);
    /// Backgrounds of cells: the colour for field and 1-based row, or nullopt.
    void SetCellColors(std::function<std::optional<TColor>(const std::string&, int)> colors) {
        colors_ = std::move(colors);
    }
    /// Columns of the data set's visible fields, titled by their display labels.
    static std::vector<Column> VisibleFields(const TDataSet& dataSet);
    const std::vector<Column>& Columns() const { return columns_; }
    /// Everything read again (new content, state change).
    void Reset();
    /// Marks kept by key value; the key field's values are compared as stored.
    void SetMarks(std::string keyField, std::set<std::string>* marks);
    std::string KeyOf(int row) const;
    void SetAllMarked(bool marked);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    /// The text of a cell as shown.
    QString Text(int row, int column) const;

private:
    int CheckColumns() const { return marks_ ? 1 : 0; }

    TDataSet* dataSet_ = nullptr;
    std::vector<Column> columns_;
    std::string keyField_;
    std::set<std::string>* marks_ = nullptr;
    std::function<std::optional<TColor>(const std::string&, int)> colors_;
};

} // namespace oca::qt
