// A field check on exit, as the register screen runs it, on tables of 100,000 rows: the
// counterpart check's verbatim text "(NRINSJUR... = :P OR :T = 'T') AND (:P_IDTIPO = 'F')"
// with its flags decided (the driver's custom plan) against the same text planned once for
// any flag value (a null flag keeps the generic plan).
#include "database/database.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr const char* kCounterpart =
    "SELECT CDFORNECED CDCLIFORN, IDTPIJURFORN IDTPIJUR, NRINSJURFORN NRINSJUR, NMRAZSOCFORN "
    "FROM FORNECEDOR F LEFT JOIN SEGMERCADO S ON (F.CDSEGMER = S.CDSEGMER) WHERE "
    "(NRINSJURFORN = :P_NRINSJUR OR :P_TNRINSJUR = 'T') AND (:P_IDTIPO = 'F') UNION ALL "
    "SELECT CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE, NMRAZSOCCLIE "
    "FROM CLIENTE C LEFT JOIN SEGMERCADO S ON (C.CDSEGMER = S.CDSEGMER) WHERE "
    "(NRINSJURCLIE = :P_NRINSJUR OR :P_TNRINSJUR = 'T') AND (:P_IDTIPO = 'C') ORDER BY 4";

oca::db::Database& Company() {
    static auto db = [] {
        auto d = oca::db::Database::Open("sqlite::memory:");
        d->ExecuteScript(
            "CREATE TABLE SEGMERCADO (CDSEGMER VARCHAR(5) PRIMARY KEY, DSSEGMER VARCHAR(40));"
            "CREATE TABLE FORNECEDOR (CDFORNECED VARCHAR(21) PRIMARY KEY, IDTPIJURFORN "
            "VARCHAR(1), NRINSJURFORN VARCHAR(20), NMRAZSOCFORN VARCHAR(60), CDSEGMER "
            "VARCHAR(5));"
            "CREATE INDEX FORNECEDOR_INS ON FORNECEDOR (NRINSJURFORN);"
            "CREATE TABLE CLIENTE (CDCLIENTE VARCHAR(21) PRIMARY KEY, IDTPIJURCLIE VARCHAR(1), "
            "NRINSJURCLIE VARCHAR(20), NMRAZSOCCLIE VARCHAR(60), CDSEGMER VARCHAR(5));"
            "CREATE INDEX CLIENTE_INS ON CLIENTE (NRINSJURCLIE);"
            "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 100000) "
            "INSERT INTO FORNECEDOR SELECT printf('%06d', I), 'J', printf('%014d', I * 7), "
            "'Fornecedor ' || I, NULL FROM N;"
            "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 100000) "
            "INSERT INTO CLIENTE SELECT printf('%06d', I), 'F', printf('%011d', I * 7), "
            "'Cliente ' || I, NULL FROM N;");
        return d;
    }();
    return *db;
}

void Check(benchmark::State& state, const Variant& flag) {
    auto st = Company().Prepare(kCounterpart);
    int found = 0;
    int i = 0;
    for (auto _ : state) {
        char code[32];
        std::snprintf(code, sizeof code, "%014d", ((i++ * 7919) % 100000 + 1) * 7);
        st->Reset();
        st->Bind("P_NRINSJUR", Variant(std::string(code)));
        st->Bind("P_TNRINSJUR", flag);
        st->Bind("P_IDTIPO", Variant("F"));
        while (st->Next()) {
            ++found;
        }
    }
    if (found != static_cast<int>(state.iterations())) {
        state.SkipWithError("a check did not find its supplier");
    }
}

void BM_SupplierCheckDecided(benchmark::State& state) {
    Check(state, Variant("F"));
}
void BM_SupplierCheckGeneric(benchmark::State& state) {
    Check(state, Variant());
}

BENCHMARK(BM_SupplierCheckDecided)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SupplierCheckGeneric)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
