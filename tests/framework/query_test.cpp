// The company's query texts run verbatim on the embedded database.
#include "core/exceptions.h"
#include "database/sqlite_database.h"
#include "framework/data/client_dataset.h"
#include "framework/data/provider.h"
#include "framework/data/query.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {

constexpr const char* kSchema = R"(
CREATE TABLE SEGMERCADO (CDSEGMER VARCHAR(5) PRIMARY KEY, DSSEGMER VARCHAR(40));
CREATE TABLE TAREFA (NRTAREFA VARCHAR(10) PRIMARY KEY, DSREFETAREFA VARCHAR(100),
  CDFILIAL VARCHAR(4), IDSITTAREFA CHAR(1), CDOPERRESP VARCHAR(12), IDTIPTAREFA CHAR(1));
CREATE TABLE FORNECEDOR (CDFORNECED VARCHAR(21) PRIMARY KEY, IDTPIJURFORN CHAR(1),
  NRINSJURFORN VARCHAR(20), NMFANTFORN VARCHAR(60), NMRAZSOCFORN VARCHAR(60), CDSEGMER VARCHAR(5));
CREATE TABLE CLIENTE (CDCLIENTE VARCHAR(21) PRIMARY KEY, IDTPIJURCLIE CHAR(1),
  NRINSJURCLIE VARCHAR(20), NMFANTCLIE VARCHAR(60), NMRAZSOCCLIE VARCHAR(60), CDSEGMER VARCHAR(5));
CREATE TABLE PROSPECT (CDPROSPECT VARCHAR(21) PRIMARY KEY, IDTPIJURPROS CHAR(1),
  NRINSJURPROS VARCHAR(20), NMFANTPROS VARCHAR(60), NMRAZSOCPROS VARCHAR(60), CDSEGMER VARCHAR(5));
INSERT INTO SEGMERCADO VALUES ('00001','Varejo'),('00002','Indústria'),('00003','Serviços');
INSERT INTO TAREFA VALUES
  ('0000000001','Visita técnica','0001','A','001','A'),
  ('0000000002','Troca de lote','0001','A','002','A'),
  ('0000000003','Concluída','0001','C','001','A'),
  ('0000000004','Outra filial','0002','A','001','A'),
  ('0000000012','Reclamação','0001','A','001','A');
INSERT INTO FORNECEDOR VALUES
  ('F01','J','11222333000181','Aços Brasil Indústria e Comércio de Metais Ltda - Matriz','Aços Brasil S.A.','00002'),
  ('F02','F','52998224725','Zeca Fretes','José Carlos','00009');
INSERT INTO CLIENTE VALUES
  ('C01','J','11444777000161','Mercado Bom Preço','Bom Preço Ltda','00001'),
  ('C02','F','11144477735','Ana','Ana Souza',NULL);
INSERT INTO PROSPECT VALUES ('P01','J','60701190000104','Padaria Estrela','Estrela ME','00001');
)";

const TStrings kPesqAtend = {
    "SELECT NRTAREFA, DSREFETAREFA",
    "FROM TAREFA  TA, PARAM(:P_NRTAREFA) P_NRTAREFA, PARAM(:P_CDOPERRESP) P_CDOPERRESP",
    "WHERE (CDFILIAL = :P_CDFILIAL) AND",
    "((INSTR(P_NRTAREFA.PARAM, NRTAREFA) <> 0) OR (:P_TNRTAREFA = 'T')) AND",
    "(IDSITTAREFA = 'A') AND",
    "(CDOPERRESP = NVLSTR(P_CDOPERRESP.PARAM, CDOPERRESP))",
    "ORDER BY NRTAREFA"};

const TStrings kSegMer = {"SELECT CDSEGMER, DSSEGMER", "FROM SEGMERCADO",
                          "WHERE CDSEGMER = NVL(:P_CDSEGMER, CDSEGMER)", "ORDER BY CDSEGMER"};

TStrings CliForPart(const std::string& alias, const std::string& table, const std::string& code,
                    const std::string& suffix, const std::string& kind) {
    return {"SELECT " + code + " CDCLIFORN, IDTPIJUR" + suffix + " IDTPIJUR, NRINSJUR" + suffix +
                " NRINSJUR,",
            "       CAST(SUBSTR(NMFANT" + suffix + ", 1, 40) AS VARCHAR(40)) NMFANT,",
            "       CAST(SUBSTR(NMRAZSOC" + suffix + ", 1, 40) AS VARCHAR(40)) NMRAZSOC,",
            "       " + alias + ".CDSEGMER, S.DSSEGMER, '" + kind + "' IDTIPO",
            "FROM " + table + " " + alias + " LEFT JOIN SEGMERCADO S ON (" + alias +
                ".CDSEGMER = S.CDSEGMER)",
            "WHERE (NRINSJUR" + suffix + " = :P_NRINSJUR OR :P_TNRINSJUR = 'T') AND",
            "      (:P_IDTIPO    = '" + kind + "')"};
}

TStrings CliForText() {
    TStrings text;
    const TStrings parts[] = {CliForPart("F", "FORNECEDOR", "CDFORNECED", "FORN", "F"),
                              CliForPart("C", "CLIENTE", "CDCLIENTE", "CLIE", "C"),
                              CliForPart("P", "PROSPECT", "CDPROSPECT", "PROS", "P")};
    for (size_t i = 0; i < 3; ++i) {
        if (i > 0) {
            text.Add("UNION ALL");
        }
        for (const std::string& line : parts[i].Lines()) {
            text.Add(line);
        }
    }
    text.Add("ORDER BY 4");
    return text;
}

std::vector<std::string> Column(TDataSet& ds, const char* field) {
    std::vector<std::string> out;
    for (ds.First(); !ds.Eof(); ds.Next()) {
        out.push_back(ds.FieldByName(field).AsString());
    }
    return out;
}

class CompanyQueries : public ::testing::Test {
protected:
    void SetUp() override {
        db.ExecuteScript(kSchema);
        query.SetDatabase(&db);
    }
    oca::db::SqliteDatabase db{":memory:"};
    TADOIBQuery query;
};

TEST_F(CompanyQueries, OpenTasksOfABranchAndOperatorThroughParamRows) {
    query.SQL.Assign(kPesqAtend);
    ASSERT_EQ(query.Params().Count(), 4u);
    query.ParamByName("P_CDFILIAL").SetAsString("0001");
    query.ParamByName("P_NRTAREFA").Clear();
    query.ParamByName("P_TNRTAREFA").SetAsString("T");
    query.ParamByName("P_CDOPERRESP").SetAsString("001");
    query.Open();
    EXPECT_THAT(Column(query, "NRTAREFA"), ElementsAre("0000000001", "0000000012"));

    // One task looked up by number; the flag cleared to null.
    query.Close();
    query.ParamByName("P_NRTAREFA").SetAsString("0000000012");
    query.ParamByName("P_TNRTAREFA").Clear();
    query.Open();
    EXPECT_THAT(Column(query, "DSREFETAREFA"), ElementsAre("Reclamação"));

    // A null operator lists the open tasks of every operator.
    query.Close();
    query.ParamByName("P_NRTAREFA").Clear();
    query.ParamByName("P_TNRTAREFA").SetAsString("T");
    query.ParamByName("P_CDOPERRESP").Clear();
    query.Open();
    EXPECT_THAT(Column(query, "NRTAREFA"), ElementsAre("0000000001", "0000000002", "0000000012"));
    EXPECT_EQ(query.FieldByName("DSREFETAREFA").Size(), 100);
}

TEST_F(CompanyQueries, NullSegmentListsEverySegment) {
    query.SQL.Assign(kSegMer);
    query.ParamByName("P_CDSEGMER").Clear();
    query.Open();
    EXPECT_THAT(Column(query, "CDSEGMER"), ElementsAre("00001", "00002", "00003"));
    query.Close();
    query.ParamByName("P_CDSEGMER").SetAsString("00002");
    query.Open();
    EXPECT_THAT(Column(query, "DSSEGMER"), ElementsAre("Indústria"));
    EXPECT_TRUE(query.IsEmpty() == false);
    query.Close();
    query.ParamByName("P_CDSEGMER").SetAsString("99999");
    query.Open();
    EXPECT_TRUE(query.IsEmpty());
}

TEST_F(CompanyQueries, CounterpartUnionReturnsOnlyTheChosenKind) {
    query.SQL.Assign(CliForText());
    EXPECT_EQ(query.Params().Count(), 3u) << "each name is one parameter, however often it stands";
    query.ParamByName("P_NRINSJUR").SetAsString("");
    query.ParamByName("P_TNRINSJUR").SetAsString("T");
    query.ParamByName("P_IDTIPO").SetAsString("C");
    query.Open();
    EXPECT_THAT(Column(query, "NMFANT"), ElementsAre("Ana", "Mercado Bom Preço"));
    EXPECT_THAT(Column(query, "IDTIPO"), ElementsAre("C", "C"));
    query.Close();

    query.ParamByName("P_NRINSJUR").SetAsString("11222333000181");
    query.ParamByName("P_TNRINSJUR").SetAsString("");
    query.ParamByName("P_IDTIPO").SetAsString("F");
    query.Open();
    ASSERT_EQ(query.RecordCount(), 1u);
    EXPECT_EQ(query.FieldByName("CDCLIFORN").AsString(), "F01");
    EXPECT_EQ(query.FieldByName("NMFANT").AsString(), "Aços Brasil Indústria e Comércio de Meta");
    EXPECT_EQ(query.FieldByName("DSSEGMER").AsString(), "Indústria");
    EXPECT_EQ(query.FieldByName("IDTIPO").AsString(), "F");
}

TEST_F(CompanyQueries, ProviderCarriesTheResultIntoAClientDataSetWithDeclaredFields) {
    TComponent form;
    auto* qry = form.Create<TADOIBQuery>("qryCliFor");
    qry->SetDatabase(&db);
    qry->SQL.Assign(CliForText());
    auto* dsp = form.Create<TDataSetProvider>("dspCliFor");
    dsp->SetDataSet(qry);
    auto* cds = form.Create<TClientDataSet>("cdsCliFor");
    cds->CreateField<TStringField>("NRINSJUR", 20)->SetDisplayLabel("Inscrição");
    cds->CreateField<TStringField>("NMFANT", 50)->SetDisplayLabel("Nome Fantasia");
    cds->CreateField<TStringField>("NMRAZSOC", 50)->SetDisplayLabel("Razão Social");
    cds->CreateField<TStringField>("CDCLIFORN", 21)->SetVisible(false);
    cds->CreateField<TStringField>("IDTPIJUR", 1)->SetVisible(false);
    cds->CreateField<TStringField>("CDSEGMER", 5)->SetVisible(false);
    cds->CreateField<TStringField>("DSSEGMER", 40)->SetDisplayLabel("Segmento de Mercado");
    auto* kind = cds->CreateField<TStringField>("IDTIPO", 1, true);
    kind->SetDisplayWidth(10);
    qry->ParamByName("P_NRINSJUR").SetAsString("");
    qry->ParamByName("P_TNRINSJUR").SetAsString("T");
    qry->ParamByName("P_IDTIPO").SetAsString("P");
    cds->SetData(dsp->GetData());
    ASSERT_EQ(cds->RecordCount(), 1u);
    EXPECT_EQ(cds->FieldByName("NMRAZSOC").AsString(), "Estrela ME");
    EXPECT_EQ(cds->FieldByName("DSSEGMER").DisplayLabel(), "Segmento de Mercado");
    EXPECT_TRUE(kind->FixedChar());
}

TEST_F(CompanyQueries, ParametersKeepValuesWhenTheTextChangesAndUnknownNamesRaise) {
    query.SQL.Assign(kSegMer);
    query.ParamByName("P_CDSEGMER").SetAsString("00003");
    query.SQL.Add("-- :P_IGNORED is in a comment, ':P_TEXT' in a literal");
    EXPECT_EQ(query.Params().Count(), 1u);
    EXPECT_EQ(query.ParamByName("p_cdsegmer").AsString(), "00003");
    EXPECT_THROW(query.ParamByName("P_NAOEXISTE"), EDatabaseError);
    query.Open();
    EXPECT_THAT(Column(query, "DSSEGMER"), ElementsAre("Serviços"));
    EXPECT_THROW(query.Edit(), EDatabaseError) << "queries are read-only";
}

TEST_F(CompanyQueries, ASyntaxErrorNamesTheStatementAndLeavesTheQueryClosed) {
    query.SQL.SetText("SELECT FROM ONDE");
    try {
        query.Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_NE(e.Message().find("SELECT FROM ONDE"), std::string::npos) << e.Message();
    }
    EXPECT_FALSE(query.Active());
}

// A connection that says it is another product, to see which text runs.
class PretendOracle : public oca::db::SqliteDatabase {
public:
    using SqliteDatabase::SqliteDatabase;
    oca::db::Product product() const override { return oca::db::Product::Oracle; }
};

TEST(QueryTexts, TheTextOfTheDatabaseInUseRunsWithTheDefaultAsFallback) {
    PretendOracle oracle(":memory:");
    oca::db::SqliteDatabase sqlite(":memory:");
    TADOIBQuery query;
    query.SQL.SetText("SELECT 'padrão' AS QUAL");
    query.SQL_IB.SetText("SELECT 'interbase' AS QUAL");
    query.SetDatabase(&sqlite);
    query.Open();
    EXPECT_EQ(query.FieldByName("QUAL").AsString(), "padrão");
    query.Close();
    query.SetDatabase(&oracle);
    query.Open();
    EXPECT_EQ(query.FieldByName("QUAL").AsString(), "padrão");
    query.Close();
    query.SQL_ORACLE.SetText("SELECT 'oracle' AS QUAL");
    query.Open();
    EXPECT_EQ(query.FieldByName("QUAL").AsString(), "oracle");
}

} // namespace
