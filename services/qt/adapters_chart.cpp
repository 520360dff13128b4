// The chart control drawn with Qt Charts: bands as areas behind the line, the line on the
// left scale, the bars on the right one. What it shows is the control's; a click on a
// step selects it in the control.
#include "framework/controls/chart.h"
#include "qt/adapters.h"
#include "qt/form_view.h"
#include "qt/qt_support.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPointer>
#include <QTimer>
#include <QValueAxis>

#include <algorithm>

namespace oca::qt {

namespace {

class ChartAdapter : public Adapter {
public:
    ChartAdapter(FormView& view, TChart& chart, QWidget* parent)
        : Adapter(view, chart, new QChartView(parent)) {
        Chart()->setRenderHint(QPainter::Antialiasing);
        Chart()->setChart(new QChart());
        Chart()->chart()->legend()->setAlignment(Qt::AlignBottom);
        Rebuild();
    }

    void Sync(TProperty property) override {
        Adapter::Sync(property);
        if (property == TProperty::Selected) {
            // In place: a pick arrives from inside the bar set's own click signal, and the
            // series must outlive it.
            ShowSelected();
        } else if (property == TProperty::All || property == TProperty::Points ||
                   property == TProperty::Bands || property == TProperty::Range ||
                   property == TProperty::Series || property == TProperty::Title) {
            Rebuild();
        }
    }

private:
    QChartView* Chart() const { return static_cast<QChartView*>(Widget()); }

    void Rebuild() {
        auto* control = static_cast<TChart*>(Control());
        if (!control || !Chart()) {
            return;
        }
        auto* chart = new QChart();
        chart->setTitle(Q(control->Title()));
        chart->legend()->setAlignment(Qt::AlignBottom);
        chart->setAnimationOptions(QChart::NoAnimation);
        const auto& points = control->Points();
        const int count = static_cast<int>(points.size());

        // The steps on a category axis for the bars; the line and the bands on a value
        // axis over the same positions (0.5 past each category's start: its centre).
        auto* steps = new QBarCategoryAxis();
        QStringList labels;
        for (const TChartPoint& p : points) {
            labels << Q(p.label);
        }
        steps->append(labels);
        chart->addAxis(steps, Qt::AlignBottom);
        auto* position = new QValueAxis();
        position->setRange(-0.5, std::max(0, count - 1) + 0.5);
        position->setVisible(false);
        chart->addAxis(position, Qt::AlignBottom);
        auto* scale = new QValueAxis();
        scale->setRange(control->LineMin(), control->LineMax());
        scale->setTitleText(Q(control->LineTitle()));
        chart->addAxis(scale, Qt::AlignLeft);

        for (const TChartBand& band : control->Bands()) {
            auto* lower = new QLineSeries();
            auto* upper = new QLineSeries();
            lower->append(-0.5, band.from);
            lower->append(std::max(0, count - 1) + 0.5, band.from);
            upper->append(-0.5, band.to);
            upper->append(std::max(0, count - 1) + 0.5, band.to);
            auto* area = new QAreaSeries(upper, lower);
            area->setName(Q(band.label));
            QColor color = ToQColor(band.color);
            color.setAlpha(70);
            area->setBrush(color);
            area->setPen(Qt::NoPen);
            chart->addSeries(area);
            area->attachAxis(position);
            area->attachAxis(scale);
        }

        auto* bars = new QBarSet(Q(control->BarTitle()));
        double highest = 1;
        for (const TChartPoint& p : points) {
            *bars << p.bar;
            highest = std::max(highest, p.bar);
        }
        bars->setColor(QColor(90, 110, 140, 170));
        auto* barSeries = new QBarSeries();
        barSeries->append(bars);
        chart->addSeries(barSeries);
        barSeries->attachAxis(steps);
        // Whole counts on whole ticks.
        auto* counts = new QValueAxis();
        int top = std::max(1, static_cast<int>(std::ceil(highest * 1.25)));
        if (top > 10) {
            top = (top + 4) / 5 * 5;
        }
        counts->setRange(0, top);
        counts->setTickCount(top <= 10 ? top + 1 : 6);
        counts->setLabelFormat("%d");
        counts->setTitleText(Q(control->BarTitle()));
        chart->addAxis(counts, Qt::AlignRight);
        barSeries->attachAxis(counts);
        QObject::connect(bars, &QBarSet::clicked, Chart(), [this](int index) { Pick(index); });

        // One line per run of months with a score: a month without one is a gap, never a
        // line drawn through it as if the score had gone straight from one month to the
        // other.
        QPen pen(QColor(20, 40, 90));
        pen.setWidth(3);
        QLineSeries* line = nullptr;
        bool named = false;
        for (int i = 0; i < count; ++i) {
            const TChartPoint& p = points[static_cast<size_t>(i)];
            if (!p.hasLine) {
                line = nullptr;
                continue;
            }
            if (!line) {
                line = new QLineSeries();
                line->setObjectName(QStringLiteral("linhaNota"));
                line->setPen(pen);
                line->setPointsVisible(true);
                chart->addSeries(line);
                line->attachAxis(position);
                line->attachAxis(scale);
                if (named) {
                    for (QLegendMarker* marker : chart->legend()->markers(line)) {
                        marker->setVisible(false);
                    }
                } else {
                    line->setName(Q(control->LineTitle()));
                    named = true;
                }
                QObject::connect(line, &QLineSeries::clicked, Chart(), [this](const QPointF& at) {
                    Pick(static_cast<int>(std::lround(at.x())));
                });
            }
            line->append(i, p.line);
        }
        bars->setSelectedColor(QColor(230, 140, 30));
        bars_ = bars;

        QChart* old = Chart()->chart();
        Chart()->setChart(chart);
        delete old;
        ShowSelected();
    }

    void ShowSelected() {
        auto* control = static_cast<TChart*>(Control());
        if (!control || !bars_) {
            return;
        }
        bars_->deselectAllBars();
        if (control->Selected() >= 0) {
            bars_->selectBar(control->Selected());
        }
    }

    QPointer<QBarSet> bars_;

    // After the click is over: what the pick opens (another window) comes to the front
    // instead of the click's own window taking the focus back.
    void Pick(int index) {
        QTimer::singleShot(0, Chart(), [this, index] {
            View().Act([this, index] {
                if (auto* control = static_cast<TChart*>(Control())) {
                    control->UserSelect(index);
                }
            });
        });
    }
};

} // namespace

std::unique_ptr<Adapter> MakeChartAdapter(FormView& view, TControl& control, QWidget* parent) {
    if (auto* chart = dynamic_cast<TChart*>(&control)) {
        return std::make_unique<ChartAdapter>(view, *chart, parent);
    }
    return nullptr;
}

} // namespace oca::qt
