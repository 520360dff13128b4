#include "dataset_fixture.h"

#include "core/exceptions.h"
#include "framework/data/provider.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {

std::vector<std::string> Column(TDataSet& ds, const char* field) {
    std::vector<std::string> out;
    for (ds.First(); !ds.Eof(); ds.Next()) {
        out.push_back(ds.FieldByName(field).AsString());
    }
    return out;
}

class ChangeLog : public ::testing::Test {
protected:
    void SetUp() override { cds.SetData(OccurrencePacket(3)); }
    TField& Name() { return cds.FieldByName("NMRAZSOC"); }
    void Rename(int recNo, const std::string& to) {
        cds.SetRecNo(recNo);
        cds.Edit();
        Name().SetAsString(to);
        cds.Post();
    }
    const DataPacket& Delta() {
        delta = cds.GetDelta();
        return delta.AsPacket();
    }
    TClientDataSet cds;
    Variant delta;
};

TEST_F(ChangeLog, InsertThenDeleteLeavesNoChange) {
    cds.Append();
    Name().SetAsString("Nova");
    cds.Post();
    EXPECT_EQ(cds.ChangeCount(), 1);
    cds.Delete();
    EXPECT_EQ(cds.ChangeCount(), 0);
    EXPECT_TRUE(Delta().changes.empty());
    EXPECT_EQ(cds.RecordCount(), 3u);
}

TEST_F(ChangeLog, ModifyTwiceKeepsTheFirstOriginal) {
    Rename(2, "Primeira");
    Rename(2, "Segunda");
    EXPECT_EQ(cds.ChangeCount(), 1);
    const DataPacket& d = Delta();
    ASSERT_EQ(d.changes.size(), 1u);
    EXPECT_EQ(d.changes[0].state, RowState::Modified);
    EXPECT_EQ(d.changes[0].oldValues[1], Variant("Empresa 2"));
    EXPECT_EQ(d.changes[0].newValues[1], Variant("Segunda"));
}

TEST_F(ChangeLog, InsertLaterModifiedStaysOneInsert) {
    cds.Append();
    Name().SetAsString("Nova");
    cds.Post();
    Rename(4, "Nova alterada");
    const DataPacket& d = Delta();
    ASSERT_EQ(d.changes.size(), 1u);
    EXPECT_EQ(d.changes[0].state, RowState::Inserted);
    EXPECT_EQ(d.changes[0].newValues[1], Variant("Nova alterada"));
}

TEST_F(ChangeLog, DeltaListsChangesInTheOrderFirstMade) {
    Rename(3, "Terceira");
    cds.SetRecNo(1);
    cds.Delete(); // deletes the first; modified third stays
    cds.Append();
    Name().SetAsString("Nova");
    cds.Post();
    Rename(1, "Segunda"); // what was record 2
    const DataPacket& d = Delta();
    ASSERT_EQ(d.changes.size(), 4u);
    EXPECT_EQ(d.changes[0].state, RowState::Modified);
    EXPECT_EQ(d.changes[0].newValues[1], Variant("Terceira"));
    EXPECT_EQ(d.changes[1].state, RowState::Deleted);
    EXPECT_EQ(d.changes[1].oldValues[1], Variant("Empresa 1"));
    EXPECT_EQ(d.changes[2].state, RowState::Inserted);
    EXPECT_EQ(d.changes[3].oldValues[1], Variant("Empresa 2"));
    EXPECT_EQ(d.fields.size(), 2u);
}

TEST_F(ChangeLog, DeletingAModifiedRecordReportsItsAcceptedValues) {
    Rename(1, "Alterada");
    cds.SetRecNo(1);
    cds.Delete();
    const DataPacket& d = Delta();
    ASSERT_EQ(d.changes.size(), 1u);
    EXPECT_EQ(d.changes[0].state, RowState::Deleted);
    EXPECT_EQ(d.changes[0].oldValues[1], Variant("Empresa 1"));
}

TEST_F(ChangeLog, CancelUpdatesRestoresAfterMixedOperations) {
    Rename(2, "Alterada");
    cds.SetRecNo(1);
    cds.Delete();
    cds.Insert();
    Name().SetAsString("Inserida");
    cds.Post();
    cds.Edit();
    Name().SetAsString("Pendente"); // still in edit when undone
    cds.CancelUpdates();
    EXPECT_EQ(cds.State(), dsBrowse);
    EXPECT_EQ(cds.ChangeCount(), 0);
    EXPECT_THAT(Column(cds, "NMRAZSOC"), ElementsAre("Empresa 1", "Empresa 2", "Empresa 3"));
}

TEST_F(ChangeLog, MergeThenCancelKeepsTheMergedState) {
    Rename(2, "Aceita");
    cds.SetRecNo(3);
    cds.Delete();
    cds.MergeChangeLog();
    EXPECT_EQ(cds.ChangeCount(), 0);
    Rename(1, "Descartada");
    cds.CancelUpdates();
    EXPECT_THAT(Column(cds, "NMRAZSOC"), ElementsAre("Empresa 1", "Aceita"));
    EXPECT_EQ(cds.ChangeCount(), 0);
}

TEST_F(ChangeLog, SetDataReplacesContentAndLog) {
    Rename(1, "Perdida");
    cds.SetData(OccurrencePacket(1));
    EXPECT_EQ(cds.ChangeCount(), 0);
    EXPECT_EQ(Name().AsString(), "Empresa 1");
}

TEST_F(ChangeLog, DataReflectsPendingChanges) {
    Rename(1, "Atual");
    cds.SetRecNo(2);
    cds.Delete();
    const Variant data = cds.Data();
    ASSERT_EQ(data.AsPacket().rows.size(), 2u);
    EXPECT_EQ(data.AsPacket().rows[0][1], Variant("Atual"));
    TClientDataSet copy;
    copy.SetData(data);
    EXPECT_THAT(Column(copy, "NMRAZSOC"), ElementsAre("Atual", "Empresa 3"));
}

TEST(ClientDataSet, DeclaredFieldsCutStringsByCharacters) {
    TClientDataSet cds;
    cds.CreateField<TStringField>("NROCORRMOV", 10);
    TField* name = cds.CreateField<TStringField>("NMRAZSOC", 6);
    DataPacket p;
    p.fields = {{"NMRAZSOC", FieldType::String, 50},
                {"NROCORRMOV", FieldType::String, 10},
                {"EXTRA", FieldType::Integer, 0}};
    p.rows.push_back({Variant("Ocorrência"), Variant("0000000001"), Variant(7)});
    cds.SetData(MakePacketVariant(p));
    EXPECT_EQ(name->AsString(), "Ocorrê");
    EXPECT_EQ(cds.FieldByName("NROCORRMOV").AsString(), "0000000001");
    EXPECT_EQ(cds.FindField("EXTRA"), nullptr);
    cds.Edit();
    name->SetAsString("Ação rápida");
    EXPECT_EQ(name->AsString(), "Ação r");
}

TEST(ClientDataSet, ADeclaredFieldMissingFromThePacketIsAnError) {
    TClientDataSet cds;
    cds.CreateField<TStringField>("CDFILIAL", 4);
    cds.CreateField<TStringField>("NMFILIAL", 30);
    DataPacket p;
    p.fields = {{"CDFILIAL", FieldType::String, 4}};
    try {
        cds.SetData(MakePacketVariant(p));
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_NE(e.Message().find("NMFILIAL"), std::string::npos);
    }
    EXPECT_FALSE(cds.Active());
}

TEST(ClientDataSet, TypedFieldsConvertTextsAndRejectBadOnes) {
    TClientDataSet cds;
    TField* when = cds.CreateField<TDateTimeField>("DTOCORRMOV");
    TField* count = cds.CreateField<TIntegerField>("NRVERSAO");
    cds.CreateDataSet();
    cds.Append();
    when->SetAsString("10/11/2026 09:30");
    count->SetAsString("3");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", when->AsDateTime()), "2026-11-10 09:30");
    EXPECT_EQ(count->AsInteger(), 3);
    EXPECT_THROW(when->SetAsString("31/02/2024"), EConvertError);
    EXPECT_THROW(count->SetAsString("três"), EConvertError);
    when->SetAsString("");
    EXPECT_TRUE(when->IsNull());
    cds.Post();
    EXPECT_EQ(cds.ChangeCount(), 1);
}

TEST(ClientDataSet, GetTextControlsDisplayWithoutChangingTheValue) {
    TClientDataSet cds;
    cds.SetData(OccurrencePacket(1));
    TField& name = cds.FieldByName("NMRAZSOC");
    name.OnGetText = [](TField* f, std::string& text, bool display) {
        text = (display ? "[" : "(") + f->AsString() + (display ? "]" : ")");
    };
    EXPECT_EQ(name.DisplayText(), "[Empresa 1]");
    EXPECT_EQ(name.Text(), "(Empresa 1)");
    EXPECT_EQ(name.AsString(), "Empresa 1");
}

class Navigation : public ::testing::Test {
protected:
    void SetUp() override {
        DataPacket p;
        p.fields = {{"CDFILIAL", FieldType::String, 4},
                    {"IDINCOCORR", FieldType::String, 1},
                    {"NMFILIAL", FieldType::String, 30}};
        p.rows = {{Variant("0001"), Variant("S"), Variant("Matriz São Paulo")},
                  {Variant("0002"), Variant("N"), Variant("Filial Curitiba")},
                  {Variant("0003"), Variant("S"), Variant("Filial Recife")},
                  {Variant("0004"), Variant(), Variant("Filial Salvador")}};
        cds.SetData(MakePacketVariant(p));
    }
    TClientDataSet cds;
};

TEST_F(Navigation, LocateMatchesExactlyCaseInsensitivelyOrByPrefix) {
    EXPECT_TRUE(cds.Locate("CDFILIAL", Variant("0003")));
    EXPECT_EQ(cds.RecNo(), 3);
    EXPECT_FALSE(cds.Locate("NMFILIAL", Variant("filial curitiba")));
    EXPECT_EQ(cds.RecNo(), 3) << "a failed locate keeps the position";
    EXPECT_TRUE(cds.Locate("NMFILIAL", Variant("filial curitiba"), loCaseInsensitive));
    EXPECT_EQ(cds.RecNo(), 2);
    EXPECT_TRUE(cds.Locate("NMFILIAL", Variant("MATRIZ SÃO"), loCaseInsensitive | loPartialKey));
    EXPECT_EQ(cds.RecNo(), 1);
    EXPECT_TRUE(cds.Locate("IDINCOCORR;NMFILIAL", {Variant("S"), Variant("Filial Recife")}));
    EXPECT_EQ(cds.RecNo(), 3);
    EXPECT_TRUE(cds.Locate("IDINCOCORR", Variant()));
    EXPECT_EQ(cds.RecNo(), 4);
    EXPECT_THROW(cds.Locate("NAOEXISTE", Variant("x")), EDatabaseError);
}

TEST_F(Navigation, FilterNarrowsTheViewAndReleasesIt) {
    cds.SetFilter("CDFILIAL = '0002'");
    EXPECT_EQ(cds.RecordCount(), 4u) << "not filtered until Filtered is set";
    cds.SetFiltered(true);
    EXPECT_EQ(cds.RecordCount(), 1u);
    EXPECT_EQ(cds.FieldByName("NMFILIAL").AsString(), "Filial Curitiba");
    cds.SetFilter("IDINCOCORR = 'S' AND NMFILIAL <> 'Filial Recife'");
    EXPECT_THAT(Column(cds, "CDFILIAL"), ElementsAre("0001"));
    cds.SetFilter("(IDINCOCORR = 'N' OR IDINCOCORR IS NULL) and cdfilial >= '0002'");
    EXPECT_THAT(Column(cds, "CDFILIAL"), ElementsAre("0002", "0004"));
    cds.SetFiltered(false);
    EXPECT_EQ(cds.RecordCount(), 4u);
}

// Ordering by a column: empty values first, texts without regard to case, descending on
// request; the current record stays current, and a filter and a reload keep the order.
TEST_F(Navigation, SortingOrdersTheViewAndKeepsTheCurrentRecord) {
    ASSERT_TRUE(cds.Locate("CDFILIAL", Variant("0003")));
    cds.SortBy("NMFILIAL");
    EXPECT_THAT(Column(cds, "CDFILIAL"), ElementsAre("0002", "0003", "0004", "0001"));
    ASSERT_TRUE(cds.Locate("CDFILIAL", Variant("0004")));
    cds.SortBy("NMFILIAL", true);
    EXPECT_EQ(cds.FieldByName("CDFILIAL").AsString(), "0004") << "the current record stays";
    EXPECT_EQ(cds.RecNo(), 2);
    EXPECT_THAT(Column(cds, "CDFILIAL"), ElementsAre("0001", "0004", "0003", "0002"));
    cds.SortBy("IDINCOCORR");
    EXPECT_THAT(Column(cds, "CDFILIAL"), ElementsAre("0004", "0002", "0001", "0003"))
        << "empty first, then stable";
    cds.SetFilter("IDINCOCORR = 'S'");
    cds.SetFiltered(true);
    cds.SortBy("NMFILIAL", true);
    EXPECT_THAT(Column(cds, "CDFILIAL"), ElementsAre("0001", "0003"));
    cds.SetFiltered(false);
    cds.SortBy("");
    EXPECT_THAT(Column(cds, "CDFILIAL"), ElementsAre("0001", "0002", "0003", "0004"));
}

// Each comparison operator against the branch codes 0001..0004, including its boundary.
TEST_F(Navigation, FilterComparisonsKeepTheirBoundaries) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"CDFILIAL < '0002'", {"0001"}}, {"CDFILIAL <= '0002'", {"0001", "0002"}},
        {"CDFILIAL > '0003'", {"0004"}}, {"CDFILIAL >= '0003'", {"0003", "0004"}},
        {"CDFILIAL = '0003'", {"0003"}}, {"CDFILIAL <> '0003'", {"0001", "0002", "0004"}},
    };
    cds.SetFiltered(true);
    for (const auto& [filter, expected] : cases) {
        cds.SetFilter(filter);
        EXPECT_EQ(Column(cds, "CDFILIAL"), expected) << filter;
    }
}

TEST(ClientDataSet, AFilterSetBeforeLoadingAppliesToEveryReload) {
    TClientDataSet cds;
    cds.SetFilter("CDFILIAL = '0002'");
    cds.SetFiltered(true);
    for (const bool swapped : {false, true}) {
        DataPacket p;
        p.fields = {{"CDFILIAL", FieldType::String, 4}, {"NMFILIAL", FieldType::String, 30}};
        p.rows = {{Variant("0001"), Variant("Matriz")}, {Variant("0002"), Variant("Curitiba")}};
        if (swapped) { // the same columns in another order
            std::swap(p.fields[0], p.fields[1]);
            p.rows = {{Variant("Matriz"), Variant("0001")}, {Variant("Curitiba"), Variant("0002")}};
        }
        cds.SetData(MakePacketVariant(p));
        ASSERT_EQ(cds.RecordCount(), 1u);
        EXPECT_EQ(cds.FieldByName("NMFILIAL").AsString(), "Curitiba");
    }
    TClientDataSet other;
    other.SetFilter("NAOEXISTE = 'x'");
    other.SetFiltered(true);
    EXPECT_THROW(other.SetData(OccurrencePacket(1)), EDatabaseError);
    EXPECT_FALSE(other.Active());
}

TEST_F(Navigation, APostedRecordThatLeavesTheFilterLeavesTheView) {
    cds.SetFilter("IDINCOCORR = 'S'");
    cds.SetFiltered(true);
    cds.Edit();
    cds.FieldByName("IDINCOCORR").SetAsString("N");
    cds.Post();
    EXPECT_THAT(Column(cds, "CDFILIAL"), ElementsAre("0003"));
}

struct BadFilter {
    const char* text;
    const char* mentions;
};

void PrintTo(const BadFilter& c, std::ostream* os) {
    *os << c.text;
}

class BadFilters : public ::testing::TestWithParam<BadFilter> {};

TEST_P(BadFilters, AreRejectedNamingTheProblemAndKeepTheOldFilter) {
    TClientDataSet cds;
    cds.SetData(OccurrencePacket(2));
    cds.SetFilter("NROCORRMOV = '0000000001'");
    cds.SetFiltered(true);
    try {
        cds.SetFilter(GetParam().text);
        FAIL() << "accepted " << GetParam().text;
    } catch (const EDatabaseError& e) {
        EXPECT_NE(e.Message().find("Filtro inválido"), std::string::npos);
        EXPECT_NE(e.Message().find(GetParam().mentions), std::string::npos) << e.Message();
    }
    EXPECT_EQ(cds.Filter(), "NROCORRMOV = '0000000001'");
    EXPECT_EQ(cds.RecordCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Syntax, BadFilters,
                         ::testing::Values(BadFilter{"CDFILIAL = '0001", "aspas"},
                                           BadFilter{"CDFILIAL '0001'", "operador"},
                                           BadFilter{"CDFILIAL = ", "fim"},
                                           BadFilter{"(CDFILIAL = '1'", "')'"},
                                           BadFilter{"CDFILIAL = '1' AND", "fim"},
                                           BadFilter{"CDFILIAL ! '1'", "'!'"},
                                           BadFilter{"NAOEXISTE = '1'", "NAOEXISTE"}));

TEST(ClientDataSet, ProviderPacksAnotherDataSet) {
    TComponent form;
    auto* source = form.Create<TClientDataSet>("cdsOrigem");
    source->SetData(OccurrencePacket(2));
    auto* provider = form.Create<TDataSetProvider>("dspOrigem");
    provider->SetDataSet(source);
    auto* copy = form.Create<TClientDataSet>("cdsCopia");
    copy->SetProviderName("dspOrigem");
    copy->Open();
    EXPECT_THAT(Column(*copy, "NROCORRMOV"), ElementsAre("0000000001", "0000000002"));
    TClientDataSet orphan;
    EXPECT_THROW(orphan.Open(), EDatabaseError);
}

} // namespace

namespace {

// A packet held only by the call is adopted (its values move into the records); one that
// someone else still holds is copied and stays whole.
TEST(SetData, AdoptsOnlyAPacketNobodyElseHolds) {
    const Variant shared = OccurrencePacket(3);
    TClientDataSet copy;
    copy.SetData(Variant(shared)); // a temporary, but `shared` holds the packet too
    ASSERT_EQ(shared.AsPacket().rows.size(), 3u);
    for (const Row& row : shared.AsPacket().rows) {
        EXPECT_EQ(row.size(), shared.AsPacket().fields.size()) << "the shared packet was emptied";
    }
    TClientDataSet adopted;
    Variant own = OccurrencePacket(3);
    adopted.SetData(std::move(own));
    EXPECT_TRUE(own.IsNull()) << "the packet was taken over";
    EXPECT_EQ(Column(adopted, "NMRAZSOC"), Column(copy, "NMRAZSOC"));
    EXPECT_EQ(adopted.RecordCount(), 3);
}

// A row whose columns are the fields' own is taken whole only when every value is as its
// field keeps it; any other row is converted, whether the packet is adopted or shared.
TEST(SetData, RowsTakenWholeOnlyWhenEveryValueFits) {
    const struct {
        Variant value;
        std::string shown;
    } cases[] = {
        {Variant("ação"), "ação"},         // 4 characters in 6 bytes: kept whole
        {Variant("abcd"), "abcd"},         // exactly the size
        {Variant("abcdef"), "abcd"},       // cut to the size
        {Variant("açãoxy"), "ação"},       // cut by characters
        {Variant(std::int64_t{12}), "12"}, // converted to text
        {Variant(), ""},
    };
    for (const bool adopt : {false, true}) {
        TClientDataSet cds;
        TField* code = cds.CreateField<TStringField>("CODE", 4);
        TField* number = cds.CreateField<TIntegerField>("N");
        DataPacket p;
        p.fields = {{"CODE", FieldType::String, 20}, {"N", FieldType::Integer}};
        for (const auto& c : cases) {
            p.rows.push_back(Row{c.value, Variant(std::int64_t{5})});
        }
        Variant packet = MakePacketVariant(p);
        const Variant keep = adopt ? Variant() : packet;
        cds.SetData(std::move(packet));
        ASSERT_EQ(cds.RecordCount(), static_cast<int>(std::size(cases)));
        size_t i = 0;
        for (cds.First(); !cds.Eof(); cds.Next(), ++i) {
            EXPECT_EQ(code->AsString(), cases[i].shown) << i << (adopt ? " adopted" : " shared");
            EXPECT_EQ(code->Value().Type(),
                      cases[i].value.IsNull() ? VarType::Null : VarType::String)
                << i;
            EXPECT_EQ(number->Value(), Variant(std::int64_t{5}));
        }
        if (!adopt) {
            EXPECT_EQ(keep.AsPacket().rows[2][0], Variant("abcdef")) << "the shared packet changed";
        }
    }
}

// A whole row is taken as it came by one check over its bytes; a value is taken as it
// came by the field's own. For every kind of field and value the two must agree, or a
// loaded row would keep a value its field converts when it is typed.
TEST(SetData, AWholeRowsCheckAgreesWithEachFieldsOwn) {
    TClientDataSet cds;
    const std::vector<TField*> fields = {
        cds.CreateField<TStringField>("S", 4), cds.CreateField<TStringField>("F", 3, true),
        cds.CreateField<TMemoField>("M"),      cds.CreateField<TBlobField>("B"),
        cds.CreateField<TIntegerField>("I"),   cds.CreateField<TFloatField>("R"),
        cds.CreateField<TDateTimeField>("D"),  cds.CreateField<TBooleanField>("L"),
        cds.CreateField<TStringField>("U", 0)};
    const std::vector<Variant> values = {Variant(),
                                         Variant("ab"),
                                         Variant("ação"),
                                         Variant("abcde"),
                                         Variant(std::string(300, 'x')),
                                         Variant(std::int64_t{3}),
                                         Variant(2.5),
                                         Variant(TDateTime{46000.25}),
                                         Variant(true),
                                         Variant(Blob{"\x01\x02"})};
    for (const TField* field : fields) {
        for (const Variant& value : values) {
            const std::string* text = value.Get<std::string>();
            const std::string_view bytes = text ? std::string_view(*text) : std::string_view();
            EXPECT_EQ(CompactRow(Row{value}).Fits({field->Rule()}),
                      field->Holds(value.Type(), bytes))
                << field->FieldName() << " with a value of type " << static_cast<int>(value.Type());
        }
    }
}

TEST(SetData, DeclaredFieldsInAnotherOrderThanThePacketsReadTheirOwnColumns) {
    TClientDataSet cds;
    TField* code = cds.CreateField<TStringField>("CDFILIAL", 4);
    TField* name = cds.CreateField<TStringField>("NMFILIAL", 30);
    DataPacket p;
    p.fields = {{"NMFILIAL", FieldType::String, 30}, {"CDFILIAL", FieldType::String, 4}};
    p.rows = {{Variant("Sul"), Variant("0001")}}; // each would fit the other's field too
    cds.SetData(MakePacketVariant(p));
    EXPECT_EQ(code->AsString(), "0001");
    EXPECT_EQ(name->AsString(), "Sul");
}

} // namespace
