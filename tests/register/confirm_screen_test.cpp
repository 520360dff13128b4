// Confirm's details that a scenario cannot see: the list of emptied fields, the order
// of the checks by focus, and what the batch use writes before post.
#include "screen_fixture.h"

#include "core/exceptions.h"

#include <functional>

#include <gmock/gmock.h>

using ::testing::ElementsAre;

namespace {

class ConfirmScreen : public LoadedScreenTest {};

// Each empty field in field order, framed by the character of code 191, with nothing
// between two names; a single blank counts as empty.
TEST_F(ConfirmScreen, TheEmptyFieldListNamesEachEmptyFieldInFieldOrder) {
    std::vector<std::string> empty;
    for (const TField* f : screen->cdsMovOcorr->FieldList()) {
        if (f->AsString().find_first_not_of(' ') == std::string::npos) {
            empty.push_back(f->FieldName());
        }
    }
    ASSERT_GE(empty.size(), 2u);
    const std::string mark = "\xC2\xBF";
    std::string expected;
    for (const std::string& name : empty) {
        expected += mark + name + mark;
    }
    EXPECT_EQ(screen->EmptyFieldList(), expected);
    EXPECT_NE(expected.find(mark + mark), std::string::npos) << "neighbours meet as two marks";
    screen->cdsMovOcorr->Edit();
    Rec("NRSUBLOTE").SetAsString(" ");
    Rec("DSSUMARIAOC").SetAsString(" ");
    EXPECT_NE(screen->EmptyFieldList().find(mark + "NRSUBLOTE" + mark), std::string::npos);
    EXPECT_NE(screen->EmptyFieldList().find(mark + "DSSUMARIAOC" + mark), std::string::npos);
    EXPECT_LT(screen->EmptyFieldList().find("DSSUMARIAOC"),
              screen->EmptyFieldList().find("NRSUBLOTE"));
}

// The check of the control the person is in runs first: with the focus in the hour box,
// a wrong hour is reported before a wrong counterpart; elsewhere the counterpart first.
TEST_F(ConfirmScreen, TheCheckOfTheFocusedControlComesFirst) {
    screen->pgcPadrao->SetActivePage(screen->tshFormulario);
    screen->cdsMovOcorr->Edit();
    Rec("NMPESSIDETOC").SetAsString("Ana");
    Rec("NRINSJUR").SetAsString("");
    screen->medHora->SetText("25:00");
    screen->SetActiveControl(screen->medHora);
    EXPECT_THROW(screen->cdsMovOcorr->Post(), EAbort);
    screen->SetActiveControl(screen->dbeDescSum);
    EXPECT_THROW(screen->cdsMovOcorr->Post(), EAbort);
    EXPECT_THAT(Errors(), ElementsAre("'25:00' não é uma hora válida.",
                                      "Cliente/Forneced/Prosp deve ser informado."));
    EXPECT_EQ(screen->cdsMovOcorr->State(), dsEdit) << "a refused post keeps the record open";
}

// A product not handled by batch loses whatever batch was typed; one handled by batch
// takes the edits' texts.
TEST_F(ConfirmScreen, BeforePostTheBatchFollowsTheProductsBatchUse) {
    struct Case {
        const char* product; ///< its tree code
        const char* batch;
        bool stored;
    };
    for (const Case& c : {Case{"01010010002", "L1", false}, Case{"01010010001", "L1", true}}) {
        screen->cdsMovOcorr->Edit();
        Rec("NMPESSIDETOC").SetAsString("Ana");
        Rec("CDARVPROD").SetAsString(c.product); // the product check finds the product
        Rec("NRLOTEESTQ").SetAsString(c.batch);
        Rec("NRSUBLOTE").SetAsString("0001");
        screen->SetActiveControl(screen->dbeDescSum);
        ASSERT_NO_THROW(screen->cdsMovOcorr->Post()) << c.product;
        if (c.stored) {
            EXPECT_EQ(Rec("NRLOTEESTQ").AsString(), "L1");
            EXPECT_EQ(Rec("NRSUBLOTE").AsString(), "0001");
        } else {
            EXPECT_TRUE(Rec("NRLOTEESTQ").IsNull()) << "a blank, then null";
            EXPECT_TRUE(Rec("NRSUBLOTE").IsNull());
        }
        EXPECT_EQ(Rec("TIPO").AsString(), "F");
        EXPECT_EQ(Rec("CDFILIALNF").AsString(), "0001") << "the invoice entry found";
    }
}

// At post, a check that fails says it in the catalog's words and leaves the focus where
// the person mends it: the counterpart left empty, a date the calendar has not.
TEST_F(ConfirmScreen, AtPostTheChecksSpeakAndFocusTheirOwnControl) {
    struct Case {
        const char* what;
        std::function<void()> spoil;
        const char* message;
        TWinControl* focus;
    };
    const Case cases[] = {
        {"empty counterpart", [&] { Rec("NRINSJUR").SetAsString(""); },
         "Cliente/Forneced/Prosp deve ser informado.", screen->dbeNrInsc},
        {"date that is none", [&] { ASSERT_TRUE(screen->dbdData->UserType("31/02/2024")); },
         "'31/02/2024' não é uma data válida.", screen->dbdData},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        screen->pgcPadrao->SetActivePage(screen->tshFormulario);
        screen->cdsMovOcorr->Edit();
        Rec("NMPESSIDETOC").SetAsString("Ana");
        c.spoil();
        screen->SetActiveControl(screen->dbeDescSum);
        EXPECT_THROW(screen->cdsMovOcorr->Post(), EAbort);
        EXPECT_THAT(Errors(), ElementsAre(c.message));
        EXPECT_EQ(screen->ActiveControl(), c.focus);
        EXPECT_EQ(screen->cdsMovOcorr->State(), dsEdit);
        screen->cdsMovOcorr->Cancel();
    }
}

} // namespace
