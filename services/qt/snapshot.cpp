#include "qt/snapshot.h"

#include "framework/controls/form.h"
#include "qt/form_view.h"
#include "qt/qt_support.h"

#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QStyleFactory>
#include <QTranslator>
#include <QVBoxLayout>

#include <stdexcept>

namespace oca::qt {

void EnsureApplication() {
    if (QApplication::instance()) {
        return;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "oca";
    static char* argv[] = {name, nullptr};
    // Lives until the process ends: widgets of the host outlive any scope here.
    new QApplication(argc, argv);
    ApplyDesktopLook();
}

void ApplyDesktopLook() {
    // Qt's own dialogs and buttons (file dialogs, "Cancel") in the desktop's language, from
    // Qt's translations; without them installed, Qt's English stays.
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    static QTranslator* qtTexts = nullptr;
    if (!qtTexts) {
        qtTexts = new QTranslator(QCoreApplication::instance());
        if (qtTexts->load(QLocale(QLocale::Portuguese, QLocale::Brazil), "qtbase", "_",
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(qtTexts);
        }
    }
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QFont font("DejaVu Sans");
    font.setPixelSize(11);
    QApplication::setFont(font);
}

void WriteSnapshot(TForm& form, const std::string& path) {
    EnsureApplication();
    QWidget frame;
    frame.setObjectName("molduraInstantaneo");
    auto* layout = new QVBoxLayout(&frame);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* title = new QLabel(Q(form.Caption()), &frame);
    title->setContentsMargins(8, 5, 8, 5);
    title->setStyleSheet("background: #2f4f7f; color: white; font-weight: bold;");
    layout->addWidget(title);
    FormView view(form);
    layout->addWidget(view.Root());
    frame.setStyleSheet("#molduraInstantaneo { background: #2f4f7f; }");
    frame.show();
    view.SyncFocus();
    QCoreApplication::processEvents();
    const QPixmap pixmap = frame.grab();
    layout->removeWidget(view.Root());
    if (!pixmap.save(Q(path), "PNG")) {
        throw std::runtime_error("Não foi possível gravar " + path);
    }
}

bool WriteControlPicture(TControl& control, const std::string& path) {
    TForm* form = control.ParentForm();
    if (!form) {
        return false;
    }
    EnsureApplication();
    FormView view(*form);
    QWidget* root = view.Root();
    root->resize(
        root->sizeHint().expandedTo(QSize(view.Scale(form->Width()), view.Scale(form->Height()))));
    root->show();
    QCoreApplication::processEvents();
    QWidget* widget = view.WidgetOf(&control);
    const bool written = widget && Picture(*widget).save(Q(path), "PNG");
    root->hide();
    return written;
}

QPixmap Picture(QWidget& widget) {
    auto* chart = qobject_cast<QChartView*>(&widget);
    if (!chart || !chart->chart()) {
        return widget.grab();
    }
    // A picture of the data: the month the person picked on the screen is not part of it.
    std::vector<std::pair<QBarSet*, QList<int>>> picked;
    for (QAbstractSeries* series : chart->chart()->series()) {
        if (auto* bars = qobject_cast<QBarSeries*>(series)) {
            for (QBarSet* set : bars->barSets()) {
                picked.emplace_back(set, set->selectedBars());
                set->deselectAllBars();
            }
        }
    }
    const QPixmap pixmap = widget.grab();
    for (const auto& [set, indices] : picked) {
        set->selectBars(indices);
    }
    return pixmap;
}

} // namespace oca::qt
