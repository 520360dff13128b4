#pragma once

#include "core/variant.h"
#include "framework/base/component.h"

class TDataSet;

/// Packs a data set (a query, typically) for a client data set.
class TDataSetProvider : public TComponent {
public:
    explicit TDataSetProvider(TComponent* Owner = nullptr) : TComponent(Owner) {}

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet) { dataSet_ = dataSet; }

    /// Opens the data set when closed and packs every record in view with its data
    /// fields. Raises EDatabaseError without a data set.
    Variant GetData();

private:
    TDataSet* dataSet_ = nullptr;
};
