#include "dataset_fixture.h"

#include "core/exceptions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using ::testing::Contains;
using ::testing::ElementsAre;

namespace {

class DataSetEvents : public ::testing::Test {
protected:
    void SetUp() override {
        cds.SetName("cdsMovOcorr");
        number = cds.CreateField<TStringField>("NROCORRMOV", 10);
        name = cds.CreateField<TStringField>("NMRAZSOC", 50);
        caption = cds.CreateField<TStringField>("DTFORN", 80);
        caption->SetFieldKind(fkCalculated);
        cds.OnCalcFields = [this](TDataSet*) {
            caption->SetAsString("Nº Ocorrência " + number->AsString() + " - " + name->AsString());
        };
        source.SetDataSet(&cds);
        cds.SetData(OccurrencePacket(3));
        journal.Watch(cds);
        journal.Watch(source);
    }

    TClientDataSet cds;
    TDataSource source;
    TField* number = nullptr;
    TField* name = nullptr;
    TField* caption = nullptr;
    EventJournal journal;
};

TEST_F(DataSetEvents, ReloadClosesAndOpensWithStateChangesAndAScroll) {
    cds.SetData(OccurrencePacket(2));
    EXPECT_THAT(journal.Take(),
                ElementsAre("BeforeClose", "State:Inactive", "AfterClose", "BeforeOpen",
                            "State:Browse", "DataChange:*", "AfterOpen", "AfterScroll"));
    EXPECT_EQ(cds.RecordCount(), 2u);
    // An empty load is a data change too: screens that follow the data must hear of it.
    cds.SetData(OccurrencePacket(0));
    EXPECT_THAT(journal.Take(),
                ElementsAre("BeforeClose", "State:Inactive", "AfterClose", "BeforeOpen",
                            "State:Browse", "DataChange:*", "AfterOpen"));
}

TEST_F(DataSetEvents, InsertAndPostRunInFrameworkOrder) {
    cds.Insert();
    EXPECT_THAT(journal.Take(),
                ElementsAre("BeforeInsert", "BeforeScroll", "State:Insert", "OnNewRecord",
                            "DataChange:*", "AfterInsert", "AfterScroll"));
    EXPECT_FALSE(cds.Modified());
    number->SetAsString("0000000099");
    EXPECT_THAT(journal.Take(), ElementsAre("DataChange:NROCORRMOV"));
    EXPECT_TRUE(cds.Modified());
    cds.Post();
    EXPECT_THAT(journal.Take(),
                ElementsAre("BeforePost", "State:Browse", "DataChange:*", "AfterPost"));
    // Inserted before the current (first) record.
    EXPECT_EQ(cds.RecNo(), 1);
    EXPECT_EQ(number->AsString(), "0000000099");
    EXPECT_EQ(cds.RecordCount(), 4u);
}

TEST_F(DataSetEvents, EditThenCancelRestoresTheRecord) {
    cds.Next();
    journal.Take();
    cds.Edit();
    EXPECT_THAT(journal.Take(),
                ElementsAre("BeforeEdit", "State:Edit", "DataChange:*", "AfterEdit"));
    name->SetAsString("Outra");
    cds.Cancel();
    EXPECT_THAT(journal.Take(), ElementsAre("DataChange:NMRAZSOC", "BeforeCancel", "State:Browse",
                                            "DataChange:*", "AfterCancel"));
    EXPECT_EQ(name->AsString(), "Empresa 2");
}

TEST_F(DataSetEvents, AnExceptionInABeforeEventAbortsAndKeepsTheState) {
    cds.BeforePost = [](TDataSet*) {
        throw EAbort();
    };
    cds.Edit();
    name->SetAsString("Alterada");
    journal.Take();
    EXPECT_THROW(cds.Post(), EAbort);
    EXPECT_EQ(cds.State(), dsEdit);
    EXPECT_EQ(name->AsString(), "Alterada");
    EXPECT_TRUE(journal.Take().empty());

    cds.Cancel();
    cds.BeforeEdit = [](TDataSet*) {
        throw EAbort();
    };
    EXPECT_THROW(cds.Edit(), EAbort);
    EXPECT_EQ(cds.State(), dsBrowse);

    cds.BeforeInsert = [](TDataSet*) {
        throw EAbort();
    };
    EXPECT_THROW(cds.Insert(), EAbort);
    EXPECT_EQ(cds.State(), dsBrowse);
    EXPECT_EQ(cds.RecordCount(), 3u);

    cds.BeforeDelete = [](TDataSet*) {
        throw EAbort();
    };
    EXPECT_THROW(cds.Delete(), EAbort);
    EXPECT_EQ(cds.RecordCount(), 3u);
    EXPECT_EQ(cds.ChangeCount(), 0);
}

TEST_F(DataSetEvents, OnNewRecordFailureLeavesNoInsert) {
    cds.OnNewRecord = [](TDataSet*) {
        throw EDatabaseError("sem data do servidor");
    };
    EXPECT_THROW(cds.Insert(), EDatabaseError);
    EXPECT_EQ(cds.State(), dsBrowse);
    EXPECT_EQ(cds.RecordCount(), 3u);
}

TEST_F(DataSetEvents, ScrollingFiresAfterScrollEvenAtTheEnds) {
    cds.Last();
    journal.Take();
    cds.Next();
    EXPECT_TRUE(cds.Eof());
    EXPECT_THAT(journal.Take(), ElementsAre("BeforeScroll", "AfterScroll"));
    cds.Prior();
    EXPECT_THAT(journal.Take(), ElementsAre("BeforeScroll", "DataChange:*", "AfterScroll"));
    EXPECT_FALSE(cds.Eof());
    EXPECT_EQ(cds.RecNo(), 2);
}

TEST_F(DataSetEvents, FullScrollVisitsEveryRecordOnceAndComputesTheCaption) {
    std::vector<std::string> captions;
    for (cds.First(); !cds.Eof(); cds.Next()) {
        captions.push_back(caption->AsString());
    }
    EXPECT_THAT(captions, ElementsAre("Nº Ocorrência 0000000001 - Empresa 1",
                                      "Nº Ocorrência 0000000002 - Empresa 2",
                                      "Nº Ocorrência 0000000003 - Empresa 3"));
}

TEST_F(DataSetEvents, CalculatedFieldsFollowEditsAndCannotBeSetOutsideCalc) {
    cds.Edit();
    name->SetAsString("ACME");
    EXPECT_EQ(caption->AsString(), "Nº Ocorrência 0000000001 - ACME");
    cds.Cancel();
    EXPECT_EQ(caption->AsString(), "Nº Ocorrência 0000000001 - Empresa 1");
    cds.OnCalcFields = [this](TDataSet*) {
        number->SetAsString("x");
    };
    EXPECT_THROW(cds.Next(), EDatabaseError);
}

TEST_F(DataSetEvents, EditOnAnEmptyDataSetInserts) {
    cds.SetData(OccurrencePacket(0));
    journal.Take();
    cds.Edit();
    EXPECT_EQ(cds.State(), dsInsert);
}

TEST_F(DataSetEvents, WritingOutsideEditIsRefused) {
    EXPECT_THROW(name->SetAsString("x"), EDatabaseError);
    name->SetReadOnly(true);
    cds.Edit();
    EXPECT_THROW(name->SetAsString("x"), EDatabaseError);
}

TEST_F(DataSetEvents, ScrollingPostsAPendingEditAndCancelsAnUntouchedInsert) {
    cds.Edit();
    name->SetAsString("Gravada ao rolar");
    cds.Next();
    EXPECT_EQ(cds.State(), dsBrowse);
    cds.First();
    EXPECT_EQ(name->AsString(), "Gravada ao rolar");
    cds.Insert();
    cds.Next();
    EXPECT_EQ(cds.RecordCount(), 3u);
}

TEST_F(DataSetEvents, DisabledControlsHearNothingThenOneChange) {
    cds.DisableControls();
    cds.Next();
    cds.Edit();
    name->SetAsString("Silêncio");
    cds.Post();
    const auto lines = journal.Take();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) {
                                return l.rfind("State:", 0) == 0 || l.rfind("DataChange", 0) == 0;
                            }),
              0);
    cds.EnableControls();
    EXPECT_THAT(journal.Take(), ElementsAre("DataChange:*"));
}

// Work that fails halfway inside the quiet scopes leaves the controls live and the
// detached handler back in place, so the screen is neither frozen nor deaf.
TEST_F(DataSetEvents, QuietControlsAndDetachedEventsComeBackWhenWorkFails) {
    int posts = 0;
    cds.BeforePost = [&posts](TDataSet*) {
        ++posts;
    };
    EXPECT_THROW(
        {
            const TControlsQuiet quiet(cds);
            const TEventDetached checks(cds.BeforePost);
            EXPECT_TRUE(cds.ControlsDisabled());
            EXPECT_FALSE(cds.BeforePost);
            cds.Edit();
            name->SetAsString("Sem verificação");
            cds.Post();
            throw std::runtime_error("falhou no meio");
        },
        std::runtime_error);
    EXPECT_EQ(posts, 0) << "the post inside ran without the checks";
    EXPECT_FALSE(cds.ControlsDisabled());
    EXPECT_THAT(journal.Take(), Contains("DataChange:*")) << "the controls showed the change once";
    ASSERT_TRUE(cds.BeforePost);
    cds.Edit();
    cds.Post();
    EXPECT_EQ(posts, 1);
}

// A state entered while controls were disabled is announced once when they come back,
// before the data change; a state left where it was announced is not announced at all.
TEST_F(DataSetEvents, AStateEnteredWhileDisabledIsAnnouncedOnceOnEnable) {
    const auto announced = [this] {
        std::vector<std::string> out;
        for (const std::string& l : journal.Take()) {
            if (l.rfind("State:", 0) == 0 || l.rfind("DataChange", 0) == 0) {
                out.push_back(l);
            }
        }
        return out;
    };
    cds.DisableControls();
    cds.Edit();
    name->SetAsString("Editando");
    cds.EnableControls();
    EXPECT_THAT(announced(), ElementsAre("State:Edit", "DataChange:*"));
    EXPECT_EQ(source.State(), dsEdit);
    cds.DisableControls();
    cds.DisableControls();
    cds.Post();
    cds.Edit();
    cds.EnableControls();
    EXPECT_THAT(announced(), ElementsAre()) << "still disabled once";
    cds.EnableControls();
    EXPECT_THAT(announced(), ElementsAre("DataChange:*")) << "edit again: no state change";
}

TEST_F(DataSetEvents, FieldLinkWritesPendingTextBeforePostAndFollowsTheField) {
    struct Edit {
        TFieldDataLink link;
        std::string text;
    } edit;
    edit.link.OnDataChange = [&](TObject*) {
        edit.text = edit.link.Field() ? edit.link.Field()->Text() : "";
    };
    edit.link.OnUpdateData = [&](TObject*) {
        edit.link.Field()->SetText(edit.text);
    };
    edit.link.SetDataSource(&source);
    edit.link.SetFieldName("NMRAZSOC");
    EXPECT_EQ(edit.text, "Empresa 1");

    // Typing in browse asks the data set to edit first.
    ASSERT_TRUE(edit.link.Edit());
    edit.text = "Digitada";
    edit.link.Modified();
    cds.Post();
    EXPECT_EQ(name->AsString(), "Digitada");

    // A field changed by code refreshes the control.
    cds.Edit();
    name->SetAsString("Por código");
    EXPECT_EQ(edit.text, "Por código");
    cds.Cancel();

    // A refusing BeforeEdit keeps the data set browsing.
    cds.BeforeEdit = [](TDataSet*) {
        throw EAbort();
    };
    EXPECT_THROW(edit.link.Edit(), EAbort);
    EXPECT_EQ(cds.State(), dsBrowse);
}

TEST(DataSourceLifetime, ADestroyedDataSetLeavesLinksEmptyWithoutRunningHandlers) {
    TDataSource source;
    TFieldDataLink link;
    int stateChanges = 0;
    {
        TClientDataSet cds;
        cds.SetData(OccurrencePacket(1));
        source.SetDataSet(&cds);
        link.SetDataSource(&source);
        link.SetFieldName("NMRAZSOC");
        ASSERT_NE(link.Field(), nullptr);
        source.OnStateChange = [&](TObject*) {
            ++stateChanges;
        };
    }
    EXPECT_EQ(source.DataSet(), nullptr);
    EXPECT_EQ(source.State(), dsInactive);
    EXPECT_EQ(link.Field(), nullptr);
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(stateChanges, 0);
}

TEST_F(DataSetEvents, LinksSurviveReloadsThatRecreateFields) {
    TClientDataSet dynamic;
    TDataSource dynSource;
    dynSource.SetDataSet(&dynamic);
    TFieldDataLink link;
    std::string shown;
    link.OnDataChange = [&](TObject*) {
        shown = link.Field() ? link.Field()->DisplayText() : "-";
    };
    link.SetDataSource(&dynSource);
    link.SetFieldName("NMRAZSOC");
    for (int i = 0; i < 3; ++i) {
        dynamic.SetData(OccurrencePacket(2));
        EXPECT_EQ(shown, "Empresa 1");
    }
    dynamic.Close();
    EXPECT_EQ(link.Field(), nullptr);
    EXPECT_EQ(dynamic.ComponentCount(), 0u) << "fields made for a packet are freed on close";
}

// A record given back as it was typed (after the change log was undone) comes back in
// its state with its values, and only the data sources hear of it: no insert, edit or
// scroll event runs to make defaults, refuse it or fetch anything, and no field's change
// event clears what depends on it.
TEST_F(DataSetEvents, ATypedRecordResumesItsStateWithoutTheEditingEvents) {
    struct Case {
        const char* what;
        std::function<void()> type; ///< leaves the record being typed or posted
        TDataSetState state;
        int recNo; ///< where the record stands once resumed (0: not in the view)
    };
    const Case cases[] = {
        {"posted insert",
         [&] {
             cds.Append();
             number->SetAsString("0000000009");
             name->SetAsString("Nova");
             cds.Post();
         },
         dsInsert, 0},
        {"posted edit",
         [&] {
             cds.SetRecNo(2);
             cds.Edit();
             name->SetAsString("Nova");
             cds.Post();
         },
         dsEdit, 2},
        {"edit being typed",
         [&] {
             cds.SetRecNo(3);
             cds.Edit();
             name->SetAsString("Nova");
         },
         dsEdit, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cds.SetData(OccurrencePacket(3));
        c.type();
        const TDataSet::TTypedRecord typed = cds.TypedRecord(c.state);
        cds.CancelUpdates();
        cds.SetRecNo(1);
        bool fieldChanged = false;
        name->OnChange = [&](TField*) {
            fieldChanged = true;
        };
        journal.Take();
        ASSERT_TRUE(cds.ResumeTyping(typed, "NROCORRMOV"));
        EXPECT_EQ(cds.State(), c.state);
        EXPECT_EQ(name->AsString(), "Nova");
        EXPECT_EQ(caption->AsString(), "Nº Ocorrência " + number->AsString() + " - Nova");
        if (c.recNo) {
            EXPECT_EQ(cds.RecNo(), c.recNo);
        }
        const std::string state = c.state == dsInsert ? "State:Insert" : "State:Edit";
        EXPECT_THAT(journal.Take(), ElementsAre(state, "DataChange:*"));
        EXPECT_FALSE(fieldChanged);
        EXPECT_TRUE(cds.Modified());
        name->OnChange = nullptr;
        cds.Cancel();
        EXPECT_EQ(cds.ChangeCount(), 0) << "a cancel goes back to the last accepted state";
    }
}

// An insert begun but untouched comes back untouched: leaving it cancels it, as before.
// A record that is no longer there, or a data set already being edited, takes nothing.
TEST_F(DataSetEvents, AResumedRecordKeepsWhetherItWasChangedAndNeedsItsRow) {
    cds.Insert();
    const TDataSet::TTypedRecord blank = cds.TypedRecord(dsInsert);
    cds.Cancel();
    ASSERT_TRUE(cds.ResumeTyping(blank));
    EXPECT_FALSE(cds.Modified());
    cds.CheckBrowseMode();
    EXPECT_EQ(cds.RecordCount(), 3u) << "an untouched insert is cancelled, not posted";

    cds.SetRecNo(2);
    TDataSet::TTypedRecord gone = cds.TypedRecord(dsEdit);
    gone.values[0] = Variant("0000000077");
    EXPECT_FALSE(cds.ResumeTyping(gone, "NROCORRMOV"));
    EXPECT_EQ(cds.State(), dsBrowse);
    cds.Edit();
    EXPECT_FALSE(cds.ResumeTyping(cds.TypedRecord(dsEdit), "NROCORRMOV"));
    cds.Cancel();
}

} // namespace
