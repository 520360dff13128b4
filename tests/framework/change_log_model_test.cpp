// The change log against a model: after any sequence of operations, applying the delta
// to the last accepted content must give the current content, and undoing must give
// the accepted content back.
#include "framework/data/client_dataset.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

using Content = std::map<std::int64_t, std::string>; // ID -> NAME

Content Current(TClientDataSet& cds) {
    Content out;
    for (cds.First(); !cds.Eof(); cds.Next()) {
        out[cds.FieldByName("ID").AsInteger()] = cds.FieldByName("NAME").AsString();
    }
    return out;
}

// Applies a delta to `base`, checking that every original value matches what was
// accepted; returns false (with a message) on any inconsistency.
::testing::AssertionResult Apply(const DataPacket& delta, Content& base) {
    for (const RowChange& c : delta.changes) {
        if (c.state != RowState::Inserted) {
            const std::int64_t id = c.oldValues[0].AsInteger();
            if (!base.count(id) || base[id] != c.oldValues[1].AsString()) {
                return ::testing::AssertionFailure() << "stale original for id " << id;
            }
            base.erase(id);
        }
        if (c.state != RowState::Deleted) {
            const std::int64_t id = c.newValues[0].AsInteger();
            if (base.count(id)) {
                return ::testing::AssertionFailure() << "duplicate id " << id;
            }
            base[id] = c.newValues[1].AsString();
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(ChangeLogModel, SurvivesAnySequenceOfOperations) {
    std::mt19937 rng(20261207);
    TClientDataSet cds;
    cds.CreateField<TIntegerField>("ID");
    cds.CreateField<TStringField>("NAME", 12);
    cds.CreateDataSet();
    Content accepted;
    std::int64_t nextId = 1;
    auto pick = [&](int n) {
        return static_cast<int>(rng() % static_cast<unsigned>(n));
    };

    for (int step = 0; step < 3000; ++step) {
        const int op = pick(100);
        if (op < 30 || cds.IsEmpty()) {
            if (!cds.IsEmpty()) {
                cds.SetRecNo(1 + pick(static_cast<int>(cds.RecordCount())));
            }
            pick(2) ? cds.Insert() : cds.Append();
            cds.FieldByName("ID").SetAsInteger(nextId++);
            cds.FieldByName("NAME").SetAsString("n" + std::to_string(pick(1000)));
            pick(10) ? cds.Post() : cds.Cancel();
        } else if (op < 65) {
            cds.SetRecNo(1 + pick(static_cast<int>(cds.RecordCount())));
            cds.Edit();
            cds.FieldByName("NAME").SetAsString("m" + std::to_string(pick(1000)));
            pick(10) ? cds.Post() : cds.Cancel();
        } else if (op < 88) {
            cds.SetRecNo(1 + pick(static_cast<int>(cds.RecordCount())));
            cds.Delete();
        } else if (op < 94) {
            cds.MergeChangeLog();
            accepted = Current(cds);
        } else {
            cds.CancelUpdates();
            ASSERT_EQ(Current(cds), accepted) << "step " << step;
        }
        const Variant delta = cds.GetDelta();
        ASSERT_EQ(static_cast<size_t>(cds.ChangeCount()), delta.AsPacket().changes.size());
        Content replay = accepted;
        ASSERT_TRUE(Apply(delta.AsPacket(), replay)) << "step " << step;
        ASSERT_EQ(replay, Current(cds)) << "step " << step;
    }
}

} // namespace
