// The grid: a table view over the data set, its current row the data set's record.
#include "framework/controls/db_controls.h"
#include "framework/controls/form.h"
#include "framework/data/dataset.h"
#include "framework/data/field.h"
#include "framework/host/host_context.h"
#include "qt/adapters.h"
#include "qt/dataset_model.h"
#include "qt/form_view.h"
#include "qt/qt_support.h"

#include <QHeaderView>
#include <QSettings>
#include <QTableView>

namespace oca::qt {

namespace {

class GridAdapter : public Adapter {
public:
    GridAdapter(FormView& view, TDBGrid& grid, QWidget* parent)
        : Adapter(view, grid, new QTableView(parent)), model_(new DataSetModel(Widget())) {
        auto* table = Table();
        table->setModel(model_);
        model_->SetCellColors([this](const std::string& field, int row) {
            return Control() ? Grid().CellColor(field, row) : std::nullopt;
        });
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setSelectionMode(QAbstractItemView::SingleSelection);
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setAlternatingRowColors(true);
        table->verticalHeader()->setDefaultSectionSize(View().Scale(20));
        table->verticalHeader()->hide();
        table->horizontalHeader()->setHighlightSections(false);
        table->setWordWrap(false);
        QObject::connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, table,
                         [this](const QModelIndex& current) { RowChosen(current.row()); });
        table->horizontalHeader()->setSectionsClickable(true);
        table->horizontalHeader()->setSectionsMovable(true);
        QObject::connect(table->horizontalHeader(), &QHeaderView::sectionResized, table,
                         [this] { SaveColumns(); });
        QObject::connect(table->horizontalHeader(), &QHeaderView::sectionMoved, table,
                         [this] { SaveColumns(); });
        QObject::connect(table->horizontalHeader(), &QHeaderView::sectionClicked, table,
                         [this](int section) { SortBy(section); });
    }

    void Sync(TProperty property) override {
        Adapter::Sync(property);
        if (!Control()) {
            return;
        }
        if (property == TProperty::All || property == TProperty::Data ||
            property == TProperty::DataSource) {
            Reload();
        } else if (property == TProperty::Row) {
            ShowRow();
        }
    }

private:
    QTableView* Table() const { return static_cast<QTableView*>(Widget()); }
    TDBGrid& Grid() const { return static_cast<TDBGrid&>(*Control()); }

    // A header click orders the records by that column; a second click, descending. The
    // current record stays current.
    void SortBy(int section) {
        if (!dataSet_ || section < 0 || static_cast<size_t>(section) >= model_->Columns().size() ||
            dataSet_->State() != dsBrowse) {
            return;
        }
        const std::string field = model_->Columns()[static_cast<size_t>(section)].field;
        const bool descending = dataSet_->SortField() == field && !dataSet_->SortDescending();
        TDataSet* ds = dataSet_;
        View().Act([ds, field, descending] { ds->SortBy(field, descending); });
        if (!Control()) {
            return;
        }
        Table()->horizontalHeader()->setSortIndicatorShown(true);
        Table()->horizontalHeader()->setSortIndicator(section, descending ? Qt::DescendingOrder
                                                                          : Qt::AscendingOrder);
    }

    void Reload() {
        TDataSet* ds = Grid().DataSource() ? Grid().DataSource()->DataSet() : nullptr;
        std::vector<DataSetModel::Column> columns;
        if (ds) {
            for (size_t i = 0; i < Grid().Columns.size(); ++i) {
                const TColumn& c = Grid().Columns[i];
                if (c.Visible) {
                    columns.push_back({c.FieldName, Q(Grid().ColumnTitle(i)), c.Width});
                }
            }
            if (columns.empty()) {
                columns = DataSetModel::VisibleFields(*ds);
            }
        }
        const bool sameShape = ds == dataSet_ && columns.size() == model_->Columns().size();
        const QSignalBlocker block(Table()->selectionModel());
        const bool wasEmpty = model_->rowCount() == 0;
        if (sameShape) {
            model_->Reset();
        } else {
            dataSet_ = ds;
            model_->SetDataSet(ds, columns);
        }
        if (!sameShape || (wasEmpty && model_->rowCount() > 0)) {
            placing_ = true;
            SizeColumns(); // first rows in: widths follow what they show
            RestoreColumns();
            placing_ = false;
        }
        ShowRow();
    }

    /// The form's width, widened to the title and to the first screenful of texts so
    /// that nothing shown is cut.
    void SizeColumns() {
        const QFontMetrics metrics(Table()->font());
        const TDataSet* ds = dataSet_;
        const int sample = std::min(model_->rowCount(), 40);
        for (size_t i = 0; i < model_->Columns().size(); ++i) {
            const auto& column = model_->Columns()[i];
            int width = column.width > 0 ? View().Scale(column.width) : 0;
            if (width == 0 && ds) {
                const TField* field = ds->FindField(column.field);
                const int chars = field ? std::clamp(field->DisplayWidth(), 4, 40) : 10;
                width = metrics.averageCharWidth() * chars + 12;
            }
            width = std::max(width, metrics.horizontalAdvance(column.title) + 16);
            for (int row = 0; row < sample; ++row) {
                const QString text = model_->Text(row, static_cast<int>(i));
                width = std::max(width, std::min(metrics.horizontalAdvance(text) + 12, 360));
            }
            Table()->setColumnWidth(static_cast<int>(i), width);
        }
    }

    // Widths and order a person gave the columns come back, per operator and grid.
    QString ColumnsKey() const {
        const TForm* form = Grid().ParentForm();
        return QStringLiteral("grade/%1.%2/operador_%3")
            .arg(Q(form ? form->Name() : std::string()), Q(Grid().Name()), Q(Host().operatorCode));
    }
    static QSettings Settings() {
        return QSettings(Q(ConfigDir()) + QStringLiteral("/desktop.ini"), QSettings::IniFormat);
    }
    void SaveColumns() {
        if (placing_ || !Control() || model_->Columns().empty()) {
            return;
        }
        Settings().setValue(ColumnsKey(), Table()->horizontalHeader()->saveState());
    }
    void RestoreColumns() {
        const QByteArray saved = Settings().value(ColumnsKey()).toByteArray();
        QHeaderView* header = Table()->horizontalHeader();
        if (saved.isEmpty()) {
            return;
        }
        const int columns = header->count();
        if (!header->restoreState(saved) || header->count() != columns) {
            SizeColumns(); // a state of another shape: the columns as designed
        }
    }

    void ShowRow() {
        const int row = Grid().Row() - 1;
        const QSignalBlocker block(Table()->selectionModel());
        if (row < 0) {
            Table()->clearSelection();
            return;
        }
        const QModelIndex index = model_->index(row, std::max(0, Table()->currentIndex().column()));
        Table()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
        Table()->scrollTo(index);
    }

    void RowChosen(int row) {
        TDBGrid* grid = &Grid();
        if (row < 0 || row + 1 == grid->Row()) {
            return;
        }
        View().Act([grid, row] { grid->UserSelectRow(row + 1); });
        if (Control()) {
            ShowRow();
        }
    }

    bool placing_ = false;
    DataSetModel* model_;
    TDataSet* dataSet_ = nullptr;
};

} // namespace

std::unique_ptr<Adapter> MakeGridAdapter(FormView& view, TControl& control, QWidget* parent) {
    if (auto* grid = dynamic_cast<TDBGrid*>(&control)) {
        return std::make_unique<GridAdapter>(view, *grid, parent);
    }
    return nullptr;
}

} // namespace oca::qt
