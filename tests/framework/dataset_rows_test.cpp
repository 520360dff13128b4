// Reading a row the data set does not stand on, as a grid paints: no events, the
// handlers' display texts of that row, and the cursor back where it was.
#include "dataset_fixture.h"

#include <gtest/gtest.h>

namespace {

class RowsInView : public ::testing::Test {
protected:
    void SetUp() override {
        cds.SetData(OccurrencePacket(3));
        // The display text reads another field of its own record, as the screens' do.
        cds.FieldByName("NMRAZSOC").OnGetText = [this](TField*, std::string& text, bool) {
            text = cds.FieldByName("NROCORRMOV").AsString() + " - " +
                   cds.FieldByName("NMRAZSOC").AsString();
        };
        source.SetDataSet(&cds);
        journal.Watch(cds);
        journal.Watch(source);
        cds.Next(); // stands on row 2
        journal.Take();
    }
    std::string At(int recNo) { return cds.DisplayTextAt(recNo, cds.FieldByName("NMRAZSOC")); }
    TClientDataSet cds;
    TDataSource source;
    EventJournal journal;
};

TEST_F(RowsInView, EachRowAnswersItsOwnTextWithoutMovingOrEvents) {
    EXPECT_EQ(At(1), "0000000001 - Empresa 1");
    EXPECT_EQ(At(3), "0000000003 - Empresa 3");
    EXPECT_EQ(At(2), "0000000002 - Empresa 2");
    EXPECT_EQ(At(0), "");
    EXPECT_EQ(At(4), "");
    EXPECT_EQ(cds.RecNo(), 2);
    EXPECT_EQ(cds.FieldByName("NROCORRMOV").AsString(), "0000000002");
    EXPECT_TRUE(journal.Take().empty()) << "reading a row is not a scroll";
}

TEST_F(RowsInView, TheRecordBeingEditedAnswersFromItsBufferAndTheOthersAsStored) {
    cds.Edit();
    cds.FieldByName("NMRAZSOC").SetAsString("Alterada");
    EXPECT_EQ(At(2), "0000000002 - Alterada");
    EXPECT_EQ(At(1), "0000000001 - Empresa 1");
    EXPECT_EQ(cds.State(), dsEdit);
    EXPECT_EQ(cds.FieldByName("NMRAZSOC").AsString(), "Alterada") << "the buffer survives";
}

TEST_F(RowsInView, WhileInsertingTheNewRecordStandsAheadOfTheStoredOnes) {
    cds.Insert(); // before row 2
    cds.FieldByName("NROCORRMOV").SetAsString("NOVA");
    ASSERT_EQ(cds.RecNo(), 2);
    EXPECT_EQ(At(1), "0000000001 - Empresa 1");
    EXPECT_EQ(At(2), "NOVA - ");
    EXPECT_EQ(At(3), "0000000002 - Empresa 2");
    EXPECT_EQ(At(4), "0000000003 - Empresa 3");
    EXPECT_EQ(cds.State(), dsInsert);
}

} // namespace
