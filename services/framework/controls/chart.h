#pragma once

#include "framework/controls/control.h"

#include <string>
#include <vector>

/// A horizontal band of the line's scale, drawn behind it (a class of scores, say).
struct TChartBand {
    double from = 0;
    double to = 0;
    std::string label;
    TColor color = clWhite;
    bool operator==(const TChartBand&) const = default;
};

/// One step of the chart's axis (a month): the line's value, when it has one, and the
/// bar's.
struct TChartPoint {
    std::string label;
    bool hasLine = false;
    double line = 0;
    double bar = 0;
    bool operator==(const TChartPoint&) const = default;
};

/// A chart over steps of one axis: a line (its scale from `LineMin` to `LineMax`, over
/// bands) and bars on a scale of their own. The data is the control's; the renderer only
/// draws it. A person picking a step selects it and runs OnSelect.
class TChart : public TWinControl {
public:
    explicit TChart(TComponent* Owner = nullptr) : TWinControl(Owner) {}

    const std::string& Title() const { return title_; }
    void SetTitle(std::string title);
    const std::string& LineTitle() const { return lineTitle_; }
    const std::string& BarTitle() const { return barTitle_; }
    void SetSeriesTitles(std::string line, std::string bar);
    double LineMin() const { return lineMin_; }
    double LineMax() const { return lineMax_; }
    void SetLineRange(double min, double max);
    const std::vector<TChartBand>& Bands() const { return bands_; }
    void SetBands(std::vector<TChartBand> bands);
    const std::vector<TChartPoint>& Points() const { return points_; }
    /// New points; the selection is cleared.
    void SetPoints(std::vector<TChartPoint> points);

    /// The step picked, or -1.
    int Selected() const { return selected_; }
    /// What a person does: picks step `index` (false for one out of range, or a control
    /// the user cannot reach); OnSelect runs.
    bool UserSelect(int index);

    TNotifyEvent OnSelect;

private:
    std::string title_, lineTitle_, barTitle_;
    double lineMin_ = 0, lineMax_ = 100;
    std::vector<TChartBand> bands_;
    std::vector<TChartPoint> points_;
    int selected_ = -1;
};
