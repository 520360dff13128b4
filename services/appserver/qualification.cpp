// The automatic qualification of suppliers, month by month, from their occurrences
// weighed by group and the invoices received.
#include "appserver/qualification.h"

#include "appserver/server.h"

#include "core/standing.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace oca::server {

namespace {

int YearMonth(TDateTime dt) {
    const DateParts d = DecodeDate(dt);
    return d.year * 100 + d.month;
}

int Shift(int yearMonth, int months) {
    int index = (yearMonth / 100) * 12 + (yearMonth % 100 - 1) + months;
    return (index / 12) * 100 + index % 12 + 1;
}

int MonthsBetween(int older, int newer) {
    return (newer / 100 - older / 100) * 12 + (newer % 100 - older % 100);
}

TDateTime MonthStart(int yearMonth) {
    return EncodeDate(yearMonth / 100, yearMonth % 100, 1);
}

// Months as "YYYY-MM", the same on both engines: SQLite keeps the text, PostgreSQL writes
// its ISO date style.
std::string MonthOf(const std::string& column) {
    return "SUBSTR(CAST(" + column + " AS VARCHAR(30)), 1, 7)";
}

int ParseMonth(const std::string& text) {
    return text.size() >= 7
               ? std::atoi(text.substr(0, 4).c_str()) * 100 + std::atoi(text.substr(5, 2).c_str())
               : 0;
}

void Score(MonthScore& m) {
    m.score = MonthlyScore(m.demerits, m.receipts);
    m.standing = Standing(m.score);
}

} // namespace

SupplierMonths MeasureMonths(db::Database& db, int first, int last, const std::string& branch,
                             const std::string& supplier) {
    std::vector<std::pair<std::string, Variant>> params = {
        {"I", Variant(MonthStart(first))}, {"E", Variant(MonthStart(Shift(last, 1)))}};
    std::string occurrences = " AND M.CDFORNECED IS NOT NULL AND M.CDFORNECED <> ''";
    std::string receipts;
    if (!branch.empty()) {
        params.emplace_back("B", Variant(branch));
        occurrences += " AND M.CDFILIAL = :B";
        receipts += " AND CDFILIRECE = :B";
    }
    if (!supplier.empty()) {
        params.emplace_back("F", Variant(supplier));
        occurrences += " AND M.CDFORNECED = :F";
        receipts += " AND CDFORNECED = :F";
    }
    SupplierMonths out;
    // Each occurrence and each receipt is read once, grouped by branch, supplier and month
    // where it lies; a supplier's index holds the group, so no occurrence's row is read.
    const auto read = [&](const std::string& sql, bool isReceipts) {
        auto st = db.Prepare(sql);
        for (const auto& [name, value] : params) {
            st->Bind(name, value);
        }
        while (st->Next()) {
            const int ym = ParseMonth(st->Value(2).AsString());
            MonthScore& m = out[{st->Value(0).AsString(), st->Value(1).AsString()}][ym];
            m.yearMonth = ym;
            if (isReceipts) {
                m.receipts = static_cast<int>(st->Value(3).AsInteger());
            } else {
                m.occurrences = static_cast<int>(st->Value(3).AsInteger());
                m.demerits = static_cast<int>(st->Value(4).AsInteger());
            }
        }
    };
    read("SELECT M.CDFILIAL, M.CDFORNECED, " + MonthOf("M.DTOCORRMOV") +
             ", COUNT(*), COALESCE(SUM(COALESCE(G.PESO, 10)), 0) FROM MOVOCORR M"
             " LEFT JOIN GRUPOCOR G ON G.CDGRPOCOR = M.CDGRPOCOR"
             " WHERE M.DTOCORRMOV >= :I AND M.DTOCORRMOV < :E" +
             occurrences + " GROUP BY M.CDFILIAL, M.CDFORNECED, " + MonthOf("M.DTOCORRMOV"),
         false);
    read("SELECT CDFILIRECE, CDFORNECED, " + MonthOf("DTENTRADA") +
             ", COUNT(*) FROM NOTAFISCAL WHERE DTENTRADA >= :I AND DTENTRADA < :E" + receipts +
             " GROUP BY CDFILIRECE, CDFORNECED, " + MonthOf("DTENTRADA"),
         true);
    for (auto& [key, months] : out) {
        for (auto& [ym, m] : months) {
            Score(m);
        }
    }
    return out;
}

namespace {

// The month's measures as read, or an empty month's.
MonthScore MonthIn(const std::map<int, MonthScore>& months, int yearMonth) {
    const auto found = months.find(yearMonth);
    if (found != months.end()) {
        return found->second;
    }
    MonthScore m;
    m.yearMonth = yearMonth;
    Score(m);
    return m;
}

void Store(db::Database& db, const std::string& branch, const std::string& supplier,
           const MonthScore& m, const std::string& operatorCode, TDateTime when) {
    // Written in place: the overall row is the lock two recomputations of the supplier
    // take in turn, and a row deleted under a waiting lock would let the waiter through.
    db.Execute("INSERT INTO QUALIFFORN (CDFILIAL, CDFORNECED, NRANOMES, QTOCORR, QTDEMERITO,"
               " QTRECEBTO, VRNOTA, IDCLASSIF, DTAPURACAO, CDOPERADOR)"
               " VALUES (:B, :F, :M, :O, :D, :R, :S, :C, :W, :U)"
               " ON CONFLICT (CDFILIAL, CDFORNECED, NRANOMES) DO UPDATE SET"
               " QTOCORR = EXCLUDED.QTOCORR, QTDEMERITO = EXCLUDED.QTDEMERITO,"
               " QTRECEBTO = EXCLUDED.QTRECEBTO, VRNOTA = EXCLUDED.VRNOTA,"
               " IDCLASSIF = EXCLUDED.IDCLASSIF, DTAPURACAO = EXCLUDED.DTAPURACAO,"
               " CDOPERADOR = EXCLUDED.CDOPERADOR",
               {{"B", Variant(branch)},
                {"F", Variant(supplier)},
                {"M", Variant(m.yearMonth)},
                {"O", Variant(m.occurrences)},
                {"D", Variant(m.demerits)},
                {"R", Variant(m.receipts)},
                {"S", Variant(m.score)},
                {"C", Variant(m.standing)},
                {"W", Variant(when)},
                {"U", Variant(operatorCode)}});
}

} // namespace

std::string Standing(double score) {
    return standing::Of(score);
}

double MonthlyScore(int demerits, int receipts) {
    const double score = 100.0 - 100.0 * demerits / (10.0 * std::max(receipts, 1));
    return std::clamp(score, 0.0, 100.0);
}

double OverallScore(const std::vector<MonthScore>& months, int reference) {
    double weighted = 0, weights = 0;
    for (const MonthScore& m : months) {
        const int age = MonthsBetween(m.yearMonth, reference);
        if (age < 0 || age > 11 || (m.occurrences == 0 && m.receipts == 0)) {
            continue;
        }
        const double w = (12.0 - age) / 12.0;
        weighted += m.score * w;
        weights += w;
    }
    return weights > 0 ? weighted / weights : 100.0;
}

namespace {

// Two writes recomputing one supplier at once would each store its months as they read
// them (the later without the other's occurrence), or fail on the rows the other stored:
// where writers run together, the supplier's overall row is locked first, so that the
// second waits for the first's commit and then reads what it stored.
void LockSupplier(db::Database& db, const std::string& branch, const std::string& supplier) {
    if (!db.WritersRunTogether()) {
        return; // the transaction holds the whole database
    }
    const std::vector<std::pair<std::string, Variant>> key = {{"B", Variant(branch)},
                                                              {"F", Variant(supplier)}};
    db.Execute("INSERT INTO QUALIFFORN (CDFILIAL, CDFORNECED, NRANOMES, IDCLASSIF, DTAPURACAO) "
               "VALUES (:B, :F, 0, 'A', :W) ON CONFLICT (CDFILIAL, CDFORNECED, NRANOMES) DO "
               "NOTHING",
               {key[0], key[1], {"W", Variant(Now())}});
    auto st = db.Prepare("SELECT 1 FROM QUALIFFORN WHERE CDFILIAL = :B AND CDFORNECED = :F AND "
                         "NRANOMES = 0" +
                         std::string(db.RowLock()));
    st->Bind("B", key[0].second);
    st->Bind("F", key[1].second);
    st->Next();
}

// Each month of `stored`, then the overall score as of `reference`, from measures read
// beforehand.
void StoreMonths(db::Database& db, const std::string& branch, const std::string& supplier,
                 const std::map<int, MonthScore>& months, const std::vector<int>& stored,
                 int reference, const std::string& operatorCode, TDateTime when) {
    for (int ym : stored) {
        Store(db, branch, supplier, MonthIn(months, ym), operatorCode, when);
    }
    std::vector<MonthScore> year;
    MonthScore overall;
    overall.yearMonth = 0;
    for (int age = 0; age < 12; ++age) {
        const MonthScore m = MonthIn(months, Shift(reference, -age));
        overall.occurrences += m.occurrences;
        overall.demerits += m.demerits;
        overall.receipts += m.receipts;
        year.push_back(m);
    }
    overall.score = OverallScore(year, reference);
    overall.standing = Standing(overall.score);
    Store(db, branch, supplier, overall, operatorCode, when);
}

} // namespace

void Qualify(db::Database& db, const std::string& branch, const std::string& supplier,
             TDateTime from, TDateTime to, const std::string& operatorCode) {
    if (supplier.empty()) {
        return;
    }
    if (to < from) {
        std::swap(from, to);
    }
    const int first = YearMonth(from);
    const int last = YearMonth(to);
    LockSupplier(db, branch, supplier);
    SupplierMonths measured =
        MeasureMonths(db, std::min(first, Shift(last, -11)), last, branch, supplier);
    std::vector<int> stored;
    for (int ym = first; ym <= last; ym = Shift(ym, 1)) {
        stored.push_back(ym);
    }
    StoreMonths(db, branch, supplier, measured[{branch, supplier}], stored, last, operatorCode,
                Now());
}

int Requalify(db::Database& db, int first, int last, const std::string& branch,
              const std::function<void(int done, int total, const std::string&)>& progress) {
    const SupplierMonths measured = MeasureMonths(db, Shift(first, -11), last, branch, "");
    // The suppliers with occurrences or receipts in the period, each with its months of
    // activity: those are stored, and the overall score follows the latest of them.
    std::vector<std::pair<const SupplierMonths::value_type*, std::vector<int>>> work;
    for (const auto& entry : measured) {
        std::vector<int> active;
        for (const auto& [ym, m] : entry.second) {
            if (ym >= first && ym <= last) {
                active.push_back(ym);
            }
        }
        if (!active.empty()) {
            work.emplace_back(&entry, std::move(active));
        }
    }
    const TDateTime when = Now();
    int done = 0;
    for (const auto& [entry, active] : work) {
        const auto& [b, supplier] = entry->first;
        // One supplier at a time: the company's other writes wait for no more than that.
        db::Transaction tx(db);
        LockSupplier(db, b, supplier);
        StoreMonths(db, b, supplier, entry->second, active, active.back(), "", when);
        tx.Commit();
        ++done;
        if (progress) {
            progress(done, static_cast<int>(work.size()), b + "/" + supplier);
        }
    }
    return done;
}

void QualificationMarks::Note(db::Database& db, const std::string& branch,
                              const std::string& number) {
    auto st = db.Prepare("SELECT CDFILIAL, CDFORNECED, DTOCORRMOV FROM MOVOCORR"
                         " WHERE CDFILILANCMO = :B AND NROCORRMOV = :N");
    st->Bind("B", Variant(branch));
    st->Bind("N", Variant(number));
    if (st->Next()) {
        Note(st->Value(0), st->Value(1), st->Value(2));
    }
}

void QualificationMarks::Note(const Variant& branch, const Variant& supplier, const Variant& date) {
    if (supplier.IsNull() || date.IsNull() || supplier.AsString().empty()) {
        return;
    }
    months_.insert({branch.AsString(), supplier.AsString(), YearMonth(date.AsDateTime())});
}

void QualificationMarks::Requalify(db::Database& db) const {
    std::map<std::string, bool> automatic; // by branch
    for (const QualifiedMonth& m : months_) {
        auto found = automatic.find(m.branch);
        if (found == automatic.end()) {
            auto st = db.Prepare("SELECT IDAPURAUTQFO FROM PARAMFILIAL WHERE CDFILIAL = :B");
            st->Bind("B", Variant(m.branch));
            found = automatic.emplace(m.branch, st->Next() && st->Value(0).AsString() == "S").first;
        }
        if (found->second) {
            const TDateTime start = MonthStart(m.yearMonth);
            Qualify(db, m.branch, m.supplier, start, start, "");
        }
    }
}

namespace {

constexpr int kMaxQualificationYears = 5;

bool Exists(db::Database& db, const char* sql, const std::string& key) {
    auto st = db.Prepare(sql);
    st->Bind("K", Variant(key));
    return st->Next();
}

} // namespace

Variant SetApuraQualif(db::Database& db, const Args& args) {
    args.Expect(8);
    const std::optional<TDateTime> from = args.Date(6);
    const std::optional<TDateTime> to = args.Date(7);
    // The widths of the columns the arguments are compared with: a longer one matches
    // nothing and would only be a way to send large texts into the writer's queue.
    args.Text(0, 4);
    args.Text(1, 12);
    args.Text(2, 21);
    args.Text(3, 21);
    args.Text(4, 4);
    const std::string supplier = args.Text(5, 21);
    if (supplier.empty()) {
        return Variant("");
    }
    if (!from || !to) {
        return Variant(ServerError{"A apuração da qualificação precisa da data da ocorrência."});
    }
    // Each month of the range is recomputed in the caller's transaction: a range of
    // centuries would hold the company's writes for minutes.
    if (to->Value < from->Value || to->Value - from->Value > 366.0 * kMaxQualificationYears) {
        return Variant(ServerError{"A apuração da qualificação aceita um período de até " +
                                   std::to_string(kMaxQualificationYears) +
                                   " anos, com o início antes do fim."});
    }
    if (!Exists(db, "SELECT 1 FROM FILIAL WHERE CDFILIAL = :K", args.Text(4))) {
        return Variant(
            ServerError{"A apuração da qualificação recebeu uma filial que não existe."});
    }
    if (!Exists(db, "SELECT 1 FROM FORNECEDOR WHERE CDFORNECED = :K", supplier)) {
        return Variant(
            ServerError{"A apuração da qualificação recebeu um fornecedor que não existe."});
    }
    if (!args.Caller().MayUse(args.Text(4))) {
        return Variant(ServerError{args.Caller().NoAccessTo(args.Text(4)) +
                                   "; a qualificação não foi apurada."});
    }
    db::Transaction tx(db);
    // The operator who computed it is the session's, whatever the call names.
    Qualify(db, args.Text(4), supplier, *from, *to, args.Caller().op);
    tx.Commit();
    return Variant("");
}

} // namespace oca::server
