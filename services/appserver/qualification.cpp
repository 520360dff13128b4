// The automatic qualification of suppliers, month by month, from their occurrences
// weighed by group and the invoices received.
#include "appserver/qualification.h"

#include "appserver/server.h"

#include <algorithm>
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

MonthScore Measure(db::Database& db, const std::string& branch, const std::string& supplier,
                   int yearMonth) {
    MonthScore m;
    m.yearMonth = yearMonth;
    const Variant from(MonthStart(yearMonth));
    const Variant to(MonthStart(Shift(yearMonth, 1)));
    auto occ = db.Prepare("SELECT COUNT(*), COALESCE(SUM(COALESCE(G.PESO, 10)), 0) FROM MOVOCORR M"
                          " LEFT JOIN GRUPOCOR G ON G.CDGRPOCOR = M.CDGRPOCOR"
                          " WHERE M.CDFORNECED = :F AND M.CDFILIAL = :B AND M.DTOCORRMOV >= :I AND "
                          "M.DTOCORRMOV < :E");
    occ->Bind("F", Variant(supplier));
    occ->Bind("B", Variant(branch));
    occ->Bind("I", from);
    occ->Bind("E", to);
    if (occ->Next()) {
        m.occurrences = static_cast<int>(occ->Value(0).AsInteger());
        m.demerits = static_cast<int>(occ->Value(1).AsInteger());
    }
    auto rec =
        db.Prepare("SELECT COUNT(*) FROM NOTAFISCAL WHERE CDFORNECED = :F AND CDFILIRECE = :B"
                   " AND DTENTRADA >= :I AND DTENTRADA < :E");
    rec->Bind("F", Variant(supplier));
    rec->Bind("B", Variant(branch));
    rec->Bind("I", from);
    rec->Bind("E", to);
    if (rec->Next()) {
        m.receipts = static_cast<int>(rec->Value(0).AsInteger());
    }
    m.score = MonthlyScore(m.demerits, m.receipts);
    m.standing = Standing(m.score);
    return m;
}

void Store(db::Database& db, const std::string& branch, const std::string& supplier,
           const MonthScore& m, const std::string& operatorCode, TDateTime when) {
    db.Execute("DELETE FROM QUALIFFORN WHERE CDFILIAL = :B AND CDFORNECED = :F AND NRANOMES = :M",
               {{"B", Variant(branch)}, {"F", Variant(supplier)}, {"M", Variant(m.yearMonth)}});
    db.Execute("INSERT INTO QUALIFFORN (CDFILIAL, CDFORNECED, NRANOMES, QTOCORR, QTDEMERITO,"
               " QTRECEBTO, VRNOTA, IDCLASSIF, DTAPURACAO, CDOPERADOR)"
               " VALUES (:B, :F, :M, :O, :D, :R, :S, :C, :W, :U)",
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
    return score >= 80 ? "A" : score >= 50 ? "B" : score >= 30 ? "C" : "D";
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

void Qualify(db::Database& db, const std::string& branch, const std::string& supplier,
             TDateTime from, TDateTime to, const std::string& operatorCode) {
    if (supplier.empty()) {
        return;
    }
    if (to < from) {
        std::swap(from, to);
    }
    const TDateTime when = Now();
    const int first = YearMonth(from);
    const int last = YearMonth(to);
    for (int ym = first; ym <= last; ym = Shift(ym, 1)) {
        Store(db, branch, supplier, Measure(db, branch, supplier, ym), operatorCode, when);
    }
    std::vector<MonthScore> year;
    for (int age = 0; age < 12; ++age) {
        year.push_back(Measure(db, branch, supplier, Shift(last, -age)));
    }
    MonthScore overall;
    overall.yearMonth = 0;
    for (const MonthScore& m : year) {
        overall.occurrences += m.occurrences;
        overall.demerits += m.demerits;
        overall.receipts += m.receipts;
    }
    overall.score = OverallScore(year, last);
    overall.standing = Standing(overall.score);
    Store(db, branch, supplier, overall, operatorCode, when);
}

void QualificationMarks::Note(db::Database& db, const std::string& branch,
                              const std::string& number) {
    auto st = db.Prepare("SELECT CDFILIAL, CDFORNECED, DTOCORRMOV FROM MOVOCORR"
                         " WHERE CDFILILANCMO = :B AND NROCORRMOV = :N");
    st->Bind("B", Variant(branch));
    st->Bind("N", Variant(number));
    if (!st->Next() || st->Value(1).IsNull() || st->Value(2).IsNull()) {
        return;
    }
    const std::string supplier = st->Value(1).AsString();
    if (supplier.empty()) {
        return;
    }
    months_.insert({st->Value(0).AsString(), supplier, YearMonth(st->Value(2).AsDateTime())});
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
