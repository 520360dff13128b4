#include "qt/search_dialogs.h"

#include "framework/controls/application.h"
#include "framework/data/datasource.h"
#include "qt/dataset_model.h"
#include "qt/qt_support.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

#include <functional>
#include <set>

namespace oca::qt {

namespace {

/// A text as a person compares it: without accents, in lower case ("Ipê" reads "ipe").
QString Folded(const QString& text) {
    const QString split = text.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(split.size());
    for (const QChar c : split) {
        if (c.category() != QChar::Mark_NonSpacing) {
            out.append(c.toLower());
        }
    }
    return out;
}

/// Keys typed in the find box that belong to the list: the person keeps typing where they
/// are and moves the selection from there. Up and Down go to the previous and next row
/// that matches what is typed (any row when nothing is); the page keys move by pages.
class ListKeys : public QObject {
public:
    ListKeys(QObject* parent, std::function<bool(int key)> move)
        : QObject(parent), move_(std::move(move)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() == Qt::NoModifier && move_(key->key())) {
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(int key)> move_;
};

/// What both windows share: the table, the find box, OK and Cancel.
struct SearchWindow {
    QDialog dialog;
    QLineEdit* find = nullptr;
    QLabel* notFound = nullptr;
    QTableView* table = nullptr;
    DataSetModel* model = nullptr;
    QDialogButtonBox* buttons = nullptr;
    QVBoxLayout* layout = nullptr;

    SearchWindow(QWidget* parent, TDataSet& dataSet, const std::string& title) : dialog(parent) {
        dialog.setObjectName("janelaPesquisa");
        dialog.setWindowTitle(Q(title));
        layout = new QVBoxLayout(&dialog);
        auto* findRow = new QHBoxLayout;
        auto* label = new QLabel(QStringLiteral("&Localizar:"), &dialog);
        find = new QLineEdit(&dialog);
        find->setObjectName("edtLocalizar");
        label->setBuddy(find);
        findRow->addWidget(label);
        findRow->addWidget(find, 1);
        notFound = new QLabel(&dialog);
        notFound->setObjectName("lblNaoEncontrado");
        findRow->addWidget(notFound);
        layout->addLayout(findRow);

        table = new QTableView(&dialog);
        table->setObjectName("grdPesquisa");
        model = new DataSetModel(table);
        model->SetDataSet(&dataSet, DataSetModel::VisibleFields(dataSet));
        table->setModel(model);
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setSelectionMode(QAbstractItemView::SingleSelection);
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setAlternatingRowColors(true);
        table->verticalHeader()->hide();
        table->horizontalHeader()->setStretchLastSection(true);
        table->setWordWrap(false);
        SizeColumns();
        layout->addWidget(table, 1);

        buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Selecionar"));
        buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Cancelar"));
        layout->addWidget(buttons);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        QObject::connect(find, &QLineEdit::textEdited, &dialog,
                         [this](const QString& text) { FindFrom(text); });
        find->installEventFilter(new ListKeys(&dialog, [this](int key) { return Move(key); }));
        Fit();
        Select(std::max(0, dataSet.RecNo() - 1));
        find->setFocus();
    }

    /// Each column as wide as what it shows, none wider than a third of the screen.
    void SizeColumns() {
        table->resizeColumnsToContents();
        const int most = std::max(160, Available().width() / 3);
        for (int c = 0; c < model->columnCount(); ++c) {
            table->setColumnWidth(c, std::min(table->columnWidth(c), most));
        }
    }

    QRect Available() const {
        const QScreen* screen =
            dialog.screen() ? dialog.screen() : QGuiApplication::primaryScreen();
        return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    }

    /// As large as the rows and columns want, never larger than the screen.
    void Fit() {
        const QRect available = Available();
        const int rows = std::min(model->rowCount(), 15);
        const int width = std::max(480, table->horizontalHeader()->length() + 40);
        const int height = 160 + rows * table->verticalHeader()->defaultSectionSize();
        dialog.resize(std::min(width, available.width() * 9 / 10),
                      std::min(height, available.height() * 9 / 10));
    }

    void Select(int row) {
        if (row < 0 || row >= model->rowCount()) {
            return;
        }
        const QModelIndex index = model->index(row, 0);
        table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
        table->scrollTo(index);
    }

    /// Whether a shown column of the row starts with (or, `anywhere`, holds) the text,
    /// ignoring case and accents.
    bool Matches(int row, const QString& folded, bool anywhere) const {
        for (int column = 0; column < model->columnCount(); ++column) {
            const QString shown = Folded(model->Text(row, column));
            if (anywhere ? shown.contains(folded) : shown.startsWith(folded)) {
                return true;
            }
        }
        return false;
    }

    /// The first row where a shown column starts with the text, else the first where one
    /// contains it: a code or a name finds its row, with or without its accents.
    void FindFrom(const QString& text) {
        notFound->clear();
        if (text.isEmpty()) {
            return;
        }
        const QString folded = Folded(text);
        for (const bool anywhere : {false, true}) {
            for (int row = 0; row < model->rowCount(); ++row) {
                if (Matches(row, folded, anywhere)) {
                    Select(row);
                    return;
                }
            }
        }
        notFound->setText(QStringLiteral("nenhum item encontrado"));
    }

    /// A key of the list typed in the find box; false for the keys the box keeps.
    bool Move(int key) {
        const int rows = model->rowCount();
        const int current = std::max(0, CurrentRow());
        const int page =
            std::max(1, table->viewport()->height() /
                            std::max(1, table->verticalHeader()->defaultSectionSize()));
        switch (key) {
        case Qt::Key_Down:
        case Qt::Key_Up: {
            const int step = key == Qt::Key_Down ? 1 : -1;
            const QString folded = Folded(find->text());
            for (int row = current + step; row >= 0 && row < rows; row += step) {
                if (folded.isEmpty() || Matches(row, folded, true)) {
                    Select(row);
                    break;
                }
            }
            return true;
        }
        case Qt::Key_PageDown:
            Select(std::min(rows - 1, current + page));
            return true;
        case Qt::Key_PageUp:
            Select(std::max(0, current - page));
            return true;
        default:
            return false;
        }
    }

    int CurrentRow() const { return table->selectionModel()->currentIndex().row(); }
};

} // namespace

bool RunSearchWindow(QWidget* parent, TDataSource& source, const std::string& title) {
    TDataSet* dataSet = source.DataSet();
    if (!dataSet) {
        return false;
    }
    SearchWindow window(parent, *dataSet, title);
    QObject::connect(window.table, &QTableView::doubleClicked, &window.dialog, &QDialog::accept);
    if (window.dialog.exec() != QDialog::Accepted || window.CurrentRow() < 0) {
        return false;
    }
    const int recNo = window.CurrentRow() + 1;
    dataSet->SetRecNo(recNo);
    return dataSet->RecNo() == recNo;
}

bool RunListWindow(QWidget* parent, TDataSource& source, const std::string& keyField,
                   const std::string& title, std::vector<std::string>& keys) {
    TDataSet* dataSet = source.DataSet();
    if (!dataSet) {
        return false;
    }
    std::set<std::string> marks(keys.begin(), keys.end());
    SearchWindow window(parent, *dataSet, title);
    window.model->SetMarks(keyField, &marks);
    window.SizeColumns();
    window.Fit();
    auto* all = new QPushButton(QStringLiteral("&Marcar todos"), &window.dialog);
    auto* none = new QPushButton(QStringLiteral("&Desmarcar todos"), &window.dialog);
    all->setObjectName("btnMarcarTodos");
    none->setObjectName("btnDesmarcarTodos");
    window.buttons->addButton(all, QDialogButtonBox::ActionRole);
    window.buttons->addButton(none, QDialogButtonBox::ActionRole);
    QObject::connect(all, &QPushButton::clicked, &window.dialog,
                     [&window] { window.model->SetAllMarked(true); });
    QObject::connect(none, &QPushButton::clicked, &window.dialog,
                     [&window] { window.model->SetAllMarked(false); });
    QObject::connect(window.table, &QTableView::doubleClicked, &window.dialog,
                     [&window](const QModelIndex& index) {
                         const QModelIndex check = window.model->index(index.row(), 0);
                         const bool marked =
                             window.model->data(check, Qt::CheckStateRole).toInt() == Qt::Checked;
                         window.model->setData(check, marked ? Qt::Unchecked : Qt::Checked,
                                               Qt::CheckStateRole);
                     });
    window.buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Confirmar"));
    if (window.dialog.exec() != QDialog::Accepted) {
        return false;
    }
    std::vector<std::string> chosen;
    for (int row = 0; row < window.model->rowCount(); ++row) {
        if (const std::string key = window.model->KeyOf(row); marks.count(key)) {
            chosen.push_back(key);
        }
    }
    keys = std::move(chosen);
    return true;
}

} // namespace oca::qt
