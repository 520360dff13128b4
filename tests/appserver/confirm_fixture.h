#pragma once

#include "server_fixture.h"

#include "framework/data/client_dataset.h"

#include <gmock/gmock.h>

// The character of code 191 that frames each name in the list of emptied fields.
inline const std::string kMark = "\xC2\xBF";

inline std::vector<Variant> AllOfBranch1() {
    return {Variant("|0001|"),
            Variant(""),
            Variant(""),
            Variant("T"),
            Variant(""),
            Variant("T"),
            Variant(EncodeDate(2026, 1, 1)),
            Variant(EncodeDate(2026, 12, 31)),
            Variant(""),
            Variant("T"),
            Variant(""),
            Variant(""),
            Variant("")};
}

class Confirm : public ServerTest {
protected:
    // The register screen's way: load, change locally, send the change log.
    void Load(TClientDataSet& cds) { cds.SetData(net.Call("GetMovOcorr", AllOfBranch1())); }

    std::string Send(TClientDataSet* occurrences, TClientDataSet* opinion,
                     TClientDataSet* description, const std::string& emptyList = "") {
        auto delta = [](TClientDataSet* cds) {
            return cds && cds->ChangeCount() > 0 ? cds->GetDelta() : Variant();
        };
        return net
            .Call("Confirma",
                  {delta(occurrences), delta(opinion), delta(description), Variant(emptyList)})
            .AsString();
    }

    /// A new occurrence of branch 0001 posted locally, its branch of record `branch`.
    static void AppendNew(TClientDataSet& cds, const std::string& branch = "0001") {
        cds.Append();
        cds.FieldByName("CDFILIAL").SetAsString("0001");
        cds.FieldByName("CDFILILANCMO").SetAsString(branch);
        cds.FieldByName("CDOPERADOR").SetAsString("001");
        cds.Post();
    }

    /// Another user's change, straight on the company database.
    void Exec(const std::string& sql) { oca::db::Database::Open(url)->Execute(sql); }

    std::string Scalar(const std::string& sql) {
        auto db = oca::db::Database::Open(url);
        auto st = db->Prepare(sql);
        return st->Next() ? st->Value(0).AsString() : std::string("<nenhuma linha>");
    }
    /// The first column of every row, joined by commas.
    std::string Listed(const std::string& sql) {
        auto db = oca::db::Database::Open(url);
        auto st = db->Prepare(sql);
        std::string out;
        while (st->Next()) {
            out += (out.empty() ? "" : ",") + st->Value(0).AsString();
        }
        return out;
    }
};
