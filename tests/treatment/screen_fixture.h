#pragma once

// The treatment screen against a real server on the scenario company, signed in as 001 in
// branch 0001.
#include "../appserver/desktop_fixture.h"

#include "treatment/Cli_oca0082a.h"

#include <gmock/gmock.h>

#include <cmath>

class TreatmentScreen : public DesktopTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        SetUpDesktop("oca_trat", {{"OCA0082A", TreatmentFormResources()}});
        screen = Application->CreateForm<TfrmTratOcorr>();
        frmTratOcorr = screen;
        screen->Show();
    }
    void TearDown() override {
        TearDownDesktop({frmTratOcorr});
        ServerTest::TearDown();
    }
    /// "branch/number situation" of every row of the list.
    std::vector<std::string> List() {
        std::vector<std::string> rows;
        TClientDataSet& cds = *screen->cdsTratamentos;
        for (int row = 1; row <= static_cast<int>(cds.RecordCount()); ++row) {
            rows.push_back(cds.DisplayTextAt(row, cds.FieldByName("CDFILILANCMO")) + "/" +
                           cds.DisplayTextAt(row, cds.FieldByName("NROCORRMOV")).substr(8) + " " +
                           cds.DisplayTextAt(row, cds.FieldByName("IDSITUACAO")));
        }
        return rows;
    }
    /// What the screen said and asked since last taken: errors and questions.
    std::vector<std::string> Said() {
        std::vector<std::string> out;
        for (const std::string& line : ui.TakeJournal()) {
            if (line.rfind("error: ", 0) == 0 || line.rfind("confirm: ", 0) == 0) {
                out.push_back(line);
            }
        }
        return out;
    }
    TDBEdit& Edit(const char* name) {
        auto* edit = dynamic_cast<TDBEdit*>(screen->FindComponent(name));
        EXPECT_NE(edit, nullptr) << name;
        return *edit;
    }
    TDBDateEditPlus& Date(const char* name) {
        auto* edit = dynamic_cast<TDBDateEditPlus*>(screen->FindComponent(name));
        EXPECT_NE(edit, nullptr) << name;
        return *edit;
    }
    static std::string DateText(int fromToday) {
        return FormatDateTime("dd/mm/yyyy", TDateTime(std::floor(Now().Value) + fromToday));
    }

    TfrmTratOcorr* screen = nullptr;
};
