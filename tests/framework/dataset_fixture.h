#pragma once

#include "framework/data/client_dataset.h"
#include "framework/data/datasource.h"

#include <string>
#include <vector>

/// A packet shaped like a short occurrence list: number and counterpart name.
inline Variant OccurrencePacket(int rows) {
    DataPacket p;
    p.fields = {{"NROCORRMOV", FieldType::String, 10}, {"NMRAZSOC", FieldType::String, 50}};
    for (int i = 1; i <= rows; ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%010d", i);
        p.rows.push_back({Variant(number), Variant("Empresa " + std::to_string(i))});
    }
    return MakePacketVariant(std::move(p));
}

/// Records every event of a data set and of one data source on it, in order.
struct EventJournal {
    std::vector<std::string> lines;

    void Watch(TDataSet& ds) {
        auto note = [this](const char* what) {
            return [this, what](TDataSet*) {
                lines.emplace_back(what);
            };
        };
        ds.BeforeOpen = note("BeforeOpen");
        ds.AfterOpen = note("AfterOpen");
        ds.BeforeClose = note("BeforeClose");
        ds.AfterClose = note("AfterClose");
        ds.BeforeInsert = note("BeforeInsert");
        ds.AfterInsert = note("AfterInsert");
        ds.BeforeEdit = note("BeforeEdit");
        ds.AfterEdit = note("AfterEdit");
        ds.BeforePost = note("BeforePost");
        ds.AfterPost = note("AfterPost");
        ds.BeforeCancel = note("BeforeCancel");
        ds.AfterCancel = note("AfterCancel");
        ds.BeforeDelete = note("BeforeDelete");
        ds.AfterDelete = note("AfterDelete");
        ds.BeforeScroll = note("BeforeScroll");
        ds.AfterScroll = note("AfterScroll");
        ds.OnNewRecord = note("OnNewRecord");
    }

    void Watch(TDataSource& source) {
        source.OnStateChange = [this, &source](TObject*) {
            static const char* names[] = {"Inactive", "Browse", "Edit", "Insert", "Calc"};
            lines.push_back(std::string("State:") + names[source.State()]);
        };
        source.OnDataChange = [this](TObject*, TField* field) {
            lines.push_back("DataChange:" + (field ? field->FieldName() : std::string("*")));
        };
    }

    std::vector<std::string> Take() {
        std::vector<std::string> out = std::move(lines);
        lines.clear();
        return out;
    }
};
