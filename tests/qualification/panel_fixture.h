#pragma once

// The qualification panel shown against a real server on the scenario company, October
// and November 2026 computed, the server's calendar on 15/11/2026.
#include "../appserver/desktop_fixture.h"

#include "appserver/qualification.h"
#include "qualification/Cli_oca0081a.h"

#include <gmock/gmock.h>

class Panel : public DesktopTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        {
            auto db = oca::db::Database::Open(url);
            for (const int month : {202610, 202611}) {
                oca::server::Requalify(*db, month, "", nullptr);
            }
        }
        oca::server::SetServerClock([] { return EncodeDate(2026, 11, 15); });
        SetUpDesktop("oca_painel", {{"OCA0081A", QualificationFormResources()}});
        panel = Application->CreateForm<TfrmQualifForn>();
        panel->Show();
    }
    void TearDown() override {
        TearDownDesktop({frmQualifForn});
        oca::server::SetServerClock(nullptr);
        ServerTest::TearDown();
    }
    /// "code class score trend month occurrences receipts" of every row of the list.
    std::vector<std::string> List() {
        std::vector<std::string> rows;
        TClientDataSet& cds = *panel->cdsFornecedores;
        for (int row = 1; row <= static_cast<int>(cds.RecordCount()); ++row) {
            std::string line;
            for (const char* field : {"CDFORNECED", "IDCLASSIF", "VRNOTA", "TENDENCIA", "MESREF",
                                      "QTOCORR", "QTRECEBTO"}) {
                line += (line.empty() ? "" : " ") + cds.DisplayTextAt(row, cds.FieldByName(field));
            }
            rows.push_back(line);
        }
        return rows;
    }

    TfrmQualifForn* panel = nullptr;
};
