// Data-layer costs on occurrence-shaped rows (the 41 stored columns of the occurrence
// record plus its computed caption), at 10,000 and 100,000 rows. After the run the
// ratio 100k/10k of each measure is printed: linear growth is 10.
#include "core/packet_json.h"
#include "core/text.h"
#include "framework/data/client_dataset.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

struct Column {
    const char* name;
    FieldType type;
    int size;
};

const Column kColumns[] = {
    {"CDFILIAL", FieldType::String, 4},       {"NMFILIAL", FieldType::String, 30},
    {"CDFILILANCMO", FieldType::String, 4},   {"NROCORRMOV", FieldType::String, 10},
    {"DTOCORRMOV", FieldType::DateTime, 0},   {"CDFORNECED", FieldType::String, 21},
    {"CDOPERADOR", FieldType::String, 12},    {"NMOPERADOR", FieldType::String, 40},
    {"NMPESSIDETOC", FieldType::String, 30},  {"CDGRPOCOR", FieldType::String, 2},
    {"DSGRPOCOR", FieldType::String, 30},     {"CDOCORR", FieldType::String, 2},
    {"DSOCORR", FieldType::String, 40},       {"DSSUMARIAOC", FieldType::String, 30},
    {"CDPRODUTO", FieldType::String, 10},     {"CDARVPROD", FieldType::String, 20},
    {"NMPRODUTO", FieldType::String, 50},     {"CDDESTPROD", FieldType::String, 2},
    {"DSDESTPROD", FieldType::String, 40},    {"NMPESSAUTOOC", FieldType::String, 40},
    {"CDCLIENTE", FieldType::String, 21},     {"CDPROSPECT", FieldType::String, 21},
    {"CDSEGMER", FieldType::String, 5},       {"DSSEGMER", FieldType::String, 40},
    {"NRLOTEESTQ", FieldType::String, 20},    {"NRSUBLOTE", FieldType::String, 4},
    {"CDFILIALNF", FieldType::String, 4},     {"NRLANCTONF", FieldType::String, 10},
    {"CDSERIEENTR", FieldType::String, 5},    {"NRNOTAFISC", FieldType::String, 20},
    {"NRINSJUR", FieldType::String, 20},      {"DSCLASSOCOR", FieldType::String, 40},
    {"CDFORNTRANSP", FieldType::String, 21},  {"NMRAZSOCTRANS", FieldType::String, 40},
    {"NRINSJURTRANS", FieldType::String, 20}, {"IDTPIJURTRANS", FieldType::String, 1},
    {"NRTAREFA", FieldType::String, 10},      {"DSREFETAREFA", FieldType::String, 100},
    {"NMRAZSOC", FieldType::String, 50},      {"IDTPIJUR", FieldType::String, 1},
    {"TIPO", FieldType::String, 1},
};

Variant MakeValue(const Column& c, int row) {
    if (c.type == FieldType::DateTime) {
        return Variant(TDateTime(46000.0 + row / 50.0));
    }
    if (std::string(c.name) == "NROCORRMOV") {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%010d", row + 1);
        return Variant(buf);
    }
    std::string text = std::string(c.name).substr(0, 4) + std::to_string(row % 997) + " ação";
    if (c.size > 0) {
        text = Utf8Left(text, static_cast<size_t>(c.size));
    }
    return Variant(c.size == 1 ? std::string(1, "CFP"[row % 3]) : text);
}

const Variant& Packet(int rows) {
    static std::map<int, Variant> cache;
    auto it = cache.find(rows);
    if (it != cache.end()) {
        return it->second;
    }
    DataPacket p;
    for (const Column& c : kColumns) {
        p.fields.push_back({c.name, c.type, c.size});
    }
    p.rows.reserve(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        Row row;
        for (const Column& c : kColumns) {
            row.push_back(MakeValue(c, r));
        }
        p.rows.push_back(std::move(row));
    }
    return cache.emplace(rows, MakePacketVariant(std::move(p))).first->second;
}

const std::string& PacketJson(int rows) {
    static std::map<int, std::string> cache;
    auto it = cache.find(rows);
    return it != cache.end() ? it->second
                             : cache.emplace(rows, EncodeVariant(Packet(rows))).first->second;
}

// The register screen's occurrence data set: declared fields and the caption.
struct Occurrences {
    TClientDataSet cds;
    TField* caption;
    Occurrences() {
        for (const Column& c : kColumns) {
            if (c.type == FieldType::DateTime) {
                cds.CreateField<TDateTimeField>(c.name);
            } else {
                cds.CreateField<TStringField>(c.name, c.size);
            }
        }
        caption = cds.CreateField<TStringField>("DTFORN", 80);
        caption->SetFieldKind(fkCalculated);
        TField* number = &cds.FieldByName("NROCORRMOV");
        TField* name = &cds.FieldByName("NMRAZSOC");
        cds.OnCalcFields = [this, number, name](TDataSet*) {
            caption->SetAsString("Nº Ocorrência " + number->AsString() + " - " + name->AsString());
        };
    }
};

void BM_SetData(benchmark::State& state) {
    const Variant& packet = Packet(static_cast<int>(state.range(0)));
    Occurrences o;
    for (auto _ : state) {
        o.cds.SetData(packet);
        benchmark::DoNotOptimize(o.cds.RecordCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_FullScroll(benchmark::State& state) {
    Occurrences o;
    o.cds.SetData(Packet(static_cast<int>(state.range(0))));
    size_t chars = 0;
    for (auto _ : state) {
        for (o.cds.First(); !o.cds.Eof(); o.cds.Next()) {
            chars += o.caption->AsString().size();
        }
    }
    benchmark::DoNotOptimize(chars);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_LocateLast(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    Occurrences o;
    o.cds.SetData(Packet(rows));
    const std::string last = MakeValue(kColumns[3], rows - 1).AsString();
    for (auto _ : state) {
        o.cds.First();
        if (!o.cds.Locate("NROCORRMOV", Variant(last), loCaseInsensitive)) {
            state.SkipWithError("not found");
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_DecodeJson(benchmark::State& state) {
    const std::string& text = PacketJson(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(DecodeVariant(text));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

BENCHMARK(BM_SetData)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScroll)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LocateLast)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJson)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Keeps each run's time per iteration to print the growth ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                times_[run.run_name.function_name][run.run_name.args] = run.GetAdjustedRealTime();
            }
        }
    }
    void PrintRatios() const {
        std::printf("\nGrowth from 10,000 to 100,000 rows (linear = 10.0):\n");
        for (const auto& [name, byArgs] : times_) {
            const auto small = byArgs.find("10000");
            const auto large = byArgs.find("100000");
            if (small != byArgs.end() && large != byArgs.end() && small->second > 0) {
                std::printf("  %-14s %6.2f\n", name.c_str(), large->second / small->second);
            }
        }
    }

private:
    std::map<std::string, std::map<std::string, double>> times_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
