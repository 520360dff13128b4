// What a confirm may store: only what the person changed, never what another user stored
// meanwhile; what an occurrence cannot be stored without, refused in words; a database's
// own failure kept in the log; supplier scores kept in step with every write.
#include "confirm_fixture.h"

#include "appserver/server.h"

#include <functional>

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

// Another user fills an empty field after this person loaded the occurrence. This person's
// change of some other field leaves it alone, although their row still shows it empty; a
// change that empties a field the other user changed meanwhile is a conflict.
TEST_F(Confirm, AFieldAnotherUserFilledMeanwhileIsNeitherErasedNorOverwritten) {
    struct Case {
        const char* theirs;  ///< the other user's field, "Leve" stored into it
        const char* mine;    ///< the field this person changes (cleared when "")
        const char* myValue; ///< its new value, "" to empty it
        bool refused;        ///< as a conflict
        const char* stored;  ///< theirs || '/' || mine afterwards
    };
    const Case cases[] = {
        {"DSCLASSOCOR", "NMPESSIDETOC", "Rita", false, "Leve/Rita"},
        {"DSSUMARIAOC", "DSSUMARIAOC", "", true, "Leve/Leve"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.theirs);
        Exec("UPDATE MOVOCORR SET DSCLASSOCOR = NULL, DSSUMARIAOC = 'Um' WHERE "
             "CDFILILANCMO = '0001' AND NROCORRMOV = '0000000001'");
        TClientDataSet mine, theirs;
        Load(mine);
        Load(theirs);
        ASSERT_TRUE(theirs.Locate("NROCORRMOV", Variant("0000000001")));
        theirs.Edit();
        theirs.FieldByName(c.theirs).SetAsString("Leve");
        theirs.Post();
        ASSERT_EQ(Send(&theirs, nullptr, nullptr), "");

        ASSERT_TRUE(mine.Locate("NROCORRMOV", Variant("0000000001")));
        mine.Edit();
        if (*c.myValue) {
            mine.FieldByName(c.mine).SetAsString(c.myValue);
        } else {
            mine.FieldByName(c.mine).Clear();
        }
        mine.Post();
        // As the screen builds it: every empty field of the row, DSCLASSOCOR among them.
        std::string emptied;
        for (const TField* f : mine.FieldList()) {
            if (f->AsString().find_first_not_of(' ') == std::string::npos) {
                emptied += kMark + f->FieldName() + kMark;
            }
        }
        ASSERT_THAT(emptied, HasSubstr(kMark + "DSCLASSOCOR" + kMark));
        const std::string answer = Send(&mine, nullptr, nullptr, emptied);
        if (c.refused) {
            EXPECT_THAT(answer, HasSubstr("alterada por outro usuário"));
        } else {
            EXPECT_EQ(answer, "");
        }
        EXPECT_EQ(Scalar(std::string("SELECT ") + c.theirs + " || '/' || " + c.mine +
                         " FROM MOVOCORR WHERE CDFILILANCMO = '0001' AND "
                         "NROCORRMOV = '0000000001'"),
                  c.stored);
    }
}

// The columns an occurrence cannot be stored without are refused naming the field as the
// person knows it, before the database is asked; no number is spent.
TEST_F(Confirm, WhatAnOccurrenceCannotBeStoredWithoutIsRefusedInWords) {
    struct Case {
        const char* field;
        bool inserted; ///< a new occurrence, else a change of occurrence 0001/0000000001
        const char* answer;
    };
    const Case cases[] = {
        {"CDFILIAL", true, "O campo Filial (CDFILIAL) deve ser informado; nada foi gravado."},
        {"CDFILIAL", false, "O campo Filial (CDFILIAL) deve ser informado; nada foi gravado."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + (c.inserted ? " (nova)" : " (alterada)"));
        TClientDataSet cds;
        Load(cds);
        if (c.inserted) {
            AppendNew(cds);
            cds.Edit();
        } else {
            ASSERT_TRUE(cds.Locate("NROCORRMOV", Variant("0000000001")));
            cds.Edit();
        }
        cds.FieldByName(c.field).SetAsString("  ");
        cds.Post();
        EXPECT_EQ(Send(&cds, nullptr, nullptr, kMark + c.field + kMark), c.answer);
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MOVOCORR WHERE CDFILILANCMO = '0001'"), "4");
    EXPECT_EQ(Scalar("SELECT NRULTIMO FROM NUMOCORR WHERE CDFILILANCMO = '0001'"), "4");
    EXPECT_EQ(Scalar("SELECT CDFILIAL FROM MOVOCORR WHERE CDFILILANCMO = '0001' AND "
                     "NROCORRMOV = '0000000001'"),
              "0001");
}

// What a database says when it fails (its own words, its SQL, the table names) is for the
// server's log; the person reads a short text with the id that finds the log's line.
TEST_F(Confirm, ADatabaseFailureIsAnsweredWithAnIdInsteadOfItsText) {
    Exec("DROP TABLE NUMOCORR");
    Exec("DROP TABLE PARECER");
    TClientDataSet cds;
    Load(cds);
    AppendNew(cds);
    const std::string confirmed = Send(&cds, nullptr, nullptr);
    const Variant read = net.Call("GetParecer", {Variant("0001"), Variant("0000000001")});
    ASSERT_TRUE(read.IsError());
    for (const std::string& answer : {confirmed, read.AsString()}) {
        SCOPED_TRACE(answer);
        EXPECT_THAT(answer, HasSubstr("nada foi gravado (E"));
        EXPECT_THAT(answer, HasSubstr(" no log do servidor)."));
        for (const char* leak :
             {"NUMOCORR", "PARECER", "SELECT", "UPDATE", "no such", "relation"}) {
            EXPECT_THAT(answer, Not(HasSubstr(leak)));
        }
    }
    EXPECT_THAT(confirmed, HasSubstr("Erro ao gravar a ocorrência no servidor"));
}

// Each supplier month a write touches is recomputed in the same call when its branch runs
// the automatic qualification: the scores then equal a recomputation from scratch, after
// an occurrence moves to another month and after it is deleted.
TEST_F(Confirm, SupplierScoresFollowAnOccurrenceThatMovesOrGoes) {
    const auto scores = [this] {
        return Listed("SELECT CDFILIAL || '/' || CDFORNECED || '/' || NRANOMES || '/' || "
                      "QTOCORR || '/' || QTDEMERITO FROM QUALIFFORN WHERE NRANOMES <> 0 "
                      "ORDER BY CDFILIAL, CDFORNECED, NRANOMES");
    };
    const auto fromScratch = [this] {
        auto db = oca::db::Database::Open(url);
        for (int month : {202610, 202611}) {
            oca::server::Requalify(*db, month, "", nullptr);
        }
    };
    fromScratch();
    ASSERT_THAT(scores(), HasSubstr("0001/000001/202610/1/20"));

    TClientDataSet cds;
    Load(cds);
    ASSERT_TRUE(cds.Locate("NROCORRMOV", Variant("0000000001")));
    cds.Edit();
    cds.FieldByName("DTOCORRMOV")
        .SetAsDateTime(CombineDateTime(EncodeDate(2026, 11, 3), EncodeTime(9, 30, 0, 0)));
    cds.Post();
    ASSERT_EQ(Send(&cds, nullptr, nullptr), "");
    const std::string afterMove = scores();
    EXPECT_THAT(afterMove, HasSubstr("0001/000001/202610/0/0"));
    EXPECT_THAT(afterMove, HasSubstr("0001/000001/202611/1/20"));
    fromScratch();
    EXPECT_EQ(afterMove, scores());

    EXPECT_EQ(net.Call("DelOcorr", {Variant("0001"), Variant("0000000001")}), Variant(""));
    const std::string afterDelete = scores();
    EXPECT_THAT(afterDelete, HasSubstr("0001/000001/202611/0/0"));
    fromScratch();
    EXPECT_EQ(afterDelete, scores());

    // Branch 0002 does not run the automatic qualification: its writes leave it alone.
    EXPECT_EQ(net.Call("DelOcorr", {Variant("0002"), Variant("0000000001")}), Variant(""));
    EXPECT_THAT(scores(), HasSubstr("0002/123/202610/1/20"));
}

// With no series on the screen the invoice lookup offers the supplier's invoices of every
// series; the check and the entry found at post accept each of them, and a series shown
// still narrows both.
TEST_F(Confirm, AnInvoiceTheLookupOffersIsOneTheCheckAccepts) {
    Exec("INSERT INTO SERIEENTR VALUES ('2', 'Série 2')");
    Exec("INSERT INTO NOTAFISCAL VALUES ('0001', '0000000009', '2', '0007777', '000001', "
         "'0001', '2026-10-06 00:00:00')");
    for (const char* series : {"", " ", "2"}) {
        SCOPED_TRACE(std::string("série '") + series + "'");
        const Variant offered =
            net.Call("GetNotaFiscal", {Variant("F000001"), Variant("0001"), Variant(series)});
        const DataPacket& list = offered.AsPacket();
        ASSERT_FALSE(list.rows.empty());
        for (const Row& row : list.rows) {
            const Variant number = row[static_cast<size_t>(list.FieldIndex("NRNOTAFISC"))];
            EXPECT_EQ(net.Call("ValidNF", {Variant(series), number, Variant("000001")}),
                      Variant("TRUE"))
                << number.AsString();
            EXPECT_EQ(net.Call("GetPesqNF", {Variant(""), Variant(series), number,
                                             Variant("F000001"), Variant("0001")})
                          .AsPacket()
                          .rows.size(),
                      1u)
                << number.AsString();
        }
    }
    EXPECT_EQ(net.Call("ValidNF", {Variant("2"), Variant("0001234"), Variant("000001")}),
              Variant("FALSE"));
}

} // namespace

namespace {

// A packet that names a column twice would have its first copy checked and its second
// written: the branch of record moved onto a number the counter has yet to give, or a
// branch that does not exist stored. It is refused as it is read, on every engine, and
// the branch's numbering goes on.
TEST_F(Confirm, APacketThatNamesAColumnTwiceIsRefusedAsItIsRead) {
    struct Case {
        const char* twice;
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {"CDFILILANCMO", "0001", "0002"},
        {"CDFILIAL", "0001", "9999"},
        {"cdfilial", "0001", "9999"}, // a column's name in another case is the same column
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.twice);
        DataPacket delta;
        delta.isDelta = true;
        delta.fields = {{"CDFILIAL", FieldType::String, 4},
                        {"CDFILILANCMO", FieldType::String, 4},
                        {"NROCORRMOV", FieldType::String, 10},
                        {"CDOPERADOR", FieldType::String, 12},
                        {c.twice, FieldType::String, 4}};
        Row values = {Variant("0001"), Variant(c.first), Variant(""), Variant("001"),
                      Variant(c.second)};
        delta.changes = {{RowState::Inserted, {}, values}};
        try {
            net.Call("Confirma", {MakePacketVariant(delta), Variant(), Variant(), Variant("")});
            ADD_FAILURE() << "accepted";
        } catch (const Exception& e) {
            EXPECT_THAT(e.Message(), HasSubstr("campo 5 repete o nome de outro"));
            EXPECT_THAT(e.Message(), Not(HasSubstr(c.twice))) << "no answer repeats a name sent";
        }
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MOVOCORR"), "7");
    TClientDataSet cds;
    Load(cds);
    AppendNew(cds);
    EXPECT_EQ(Send(&cds, nullptr, nullptr), "0000000005");
}

} // namespace

namespace {

// A text is text on every engine alike: the character of code zero anywhere, or another
// control character in a key or a code, is refused before anything runs (one engine would
// cut the key at the zero and delete another occurrence, the other store it).
TEST_F(Confirm, ControlCharactersInKeysAndZerosAnywhereAreRefusedBeforeAnythingRuns) {
    const std::string zeroKey("0000000001\0-x", 13);
    const std::vector<std::pair<const char*, std::function<Variant()>>> calls = {
        {"delete, zero in the key",
         [&] {
             return net.Call("DelOcorr", {Variant("0001"), Variant(zeroKey)});
         }},
        {"delete, escape in the key",
         [&] {
             return net.Call("DelOcorr", {Variant("0001\x1b"), Variant("0000000001")});
         }},
        {"text read, bell in the key",
         [&] {
             return net.Call("GetParecer", {Variant("0001"), Variant("0000000001\a")});
         }},
        {"qualification, a branch wider than its column",
         [&] {
             return net.Call("SetApuraQualif",
                             {Variant("00001"), Variant("001"), Variant(""), Variant(""),
                              Variant("0001"), Variant("000001"), Variant(EncodeDate(2026, 10, 1)),
                              Variant(EncodeDate(2026, 10, 1))});
         }},
    };
    for (const auto& [what, call] : calls) {
        SCOPED_TRACE(what);
        EXPECT_THROW(call(), Exception);
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MOVOCORR WHERE CDFILILANCMO = '0001' AND "
                     "NROCORRMOV = '0000000001'"),
              "1");

    struct Typed {
        const char* field;
        std::string value;
        bool rpcError; ///< refused as it is read; otherwise refused by Confirma in words
    };
    const Typed typed[] = {
        {"DSSUMARIAOC", std::string("Resumo\0oculto", 13), true},
        {"CDFORNECED", "000001\x1b", false},
        {"DSSUMARIAOC", "Linha um\r\n\tdois", false}, // tab and line breaks are text
    };
    for (const Typed& t : typed) {
        SCOPED_TRACE(t.field);
        TClientDataSet cds;
        Load(cds);
        AppendNew(cds);
        cds.Edit();
        cds.FieldByName(t.field).SetAsString(t.value);
        cds.Post();
        if (t.rpcError) {
            EXPECT_THROW(Send(&cds, nullptr, nullptr), Exception);
            continue;
        }
        const std::string answer = Send(&cds, nullptr, nullptr);
        if (std::string(t.field) == "CDFORNECED") {
            EXPECT_EQ(answer, "O campo Fornecedor (CDFORNECED) tem caracteres de controle; nada "
                              "foi gravado.");
        } else {
            EXPECT_EQ(answer, "0000000005");
        }
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MOVOCORR WHERE CDFILILANCMO = '0001'"), "5");
}

} // namespace

namespace {

// A delete carries what the person saw: made from a reading older than another user's
// change it is refused, and the row (or the text) stays; from a fresh reading it goes.
TEST_F(Confirm, ADeleteFromAnOlderReadingIsRefusedAndTheRowKept) {
    const auto count = [this](const char* number) {
        return Scalar(std::string("SELECT COUNT(*) FROM MOVOCORR WHERE CDFILILANCMO = '0001' "
                                  "AND NROCORRMOV = '") +
                      number + "'");
    };
    TClientDataSet cds;
    Load(cds);
    ASSERT_TRUE(cds.Locate("NROCORRMOV", Variant("0000000002")));
    const Variant read = MakePacketVariant(cds.RecordPacket());
    Exec("UPDATE MOVOCORR SET NMPESSIDETOC = 'Bruno' WHERE CDFILILANCMO = '0001' AND "
         "NROCORRMOV = '0000000002'");
    const Variant refused = net.Call("DelOcorr", {Variant("0001"), Variant("0000000002"), read});
    ASSERT_TRUE(refused.IsError());
    EXPECT_THAT(refused.AsString(), HasSubstr("(campo NMPESSIDETOC); nada foi excluído"));
    EXPECT_EQ(count("0000000002"), "1");
    Load(cds);
    ASSERT_TRUE(cds.Locate("NROCORRMOV", Variant("0000000002")));
    EXPECT_EQ(net.Call("DelOcorr", {Variant("0001"), Variant("0000000002"),
                                    MakePacketVariant(cds.RecordPacket())}),
              Variant(""));
    EXPECT_EQ(count("0000000002"), "0");

    // A delete sent in a change log is checked the same way.
    ASSERT_TRUE(cds.Locate("NROCORRMOV", Variant("0000000003")));
    cds.Delete();
    Exec("UPDATE MOVOCORR SET DSSUMARIAOC = 'Outra' WHERE CDFILILANCMO = '0001' AND "
         "NROCORRMOV = '0000000003'");
    EXPECT_THAT(Send(&cds, nullptr, nullptr), HasSubstr("alterada por outro usuário"));
    EXPECT_EQ(count("0000000003"), "1");

    // And a text.
    TClientDataSet text;
    text.SetData(net.Call("GetParecer", {Variant("0001"), Variant("0000000001")}));
    Exec("UPDATE PARECER SET DSPAROCORMOV = '<p>Revisto</p>', NRVERSAO = 2 WHERE "
         "CDFILILANCMO = '0001' AND NROCORRMOV = '0000000001'");
    text.Delete();
    EXPECT_THAT(Send(nullptr, &text, nullptr), HasSubstr("alterado por outro usuário"));
    EXPECT_EQ(Scalar("SELECT DSPAROCORMOV FROM PARECER WHERE NROCORRMOV = '0000000001'"),
              "<p>Revisto</p>");
}

} // namespace
