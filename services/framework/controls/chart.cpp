#include "framework/controls/chart.h"

void TChart::SetTitle(std::string title) {
    title_ = std::move(title);
    Changed(TProperty::Title);
}

void TChart::SetSeriesTitles(std::string line, std::string bar) {
    lineTitle_ = std::move(line);
    barTitle_ = std::move(bar);
    Changed(TProperty::Series);
}

void TChart::SetLineRange(double min, double max) {
    lineMin_ = min;
    lineMax_ = max;
    Changed(TProperty::Range);
}

void TChart::SetBands(std::vector<TChartBand> bands) {
    bands_ = std::move(bands);
    Changed(TProperty::Bands);
}

void TChart::SetPoints(std::vector<TChartPoint> points) {
    points_ = std::move(points);
    selected_ = -1;
    Changed(TProperty::Points);
}

bool TChart::UserSelect(int index) {
    if (!CanReach() || index < 0 || index >= static_cast<int>(points_.size())) {
        return false;
    }
    selected_ = index;
    Changed(TProperty::Selected);
    if (OnSelect) {
        OnSelect(this);
    }
    return true;
}
