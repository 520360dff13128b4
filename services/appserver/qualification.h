#pragma once

#include "core/datetime.h"
#include "database/database.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace oca::server {

/// A supplier's month at one branch.
struct MonthScore {
    int yearMonth = 0; ///< 202611
    int occurrences = 0;
    int demerits = 0;
    int receipts = 0;
    double score = 100;
    std::string standing;
};

/// Standing of a score: "A" from 80, "B" from 50, "C" from 30, "D" below.
std::string Standing(double score);
/// 100 - 100 x demerits / (10 x max(receipts, 1)), kept within 0..100.
double MonthlyScore(int demerits, int receipts);
/// Weighted average of the months that had receipts or occurrences among the twelve up
/// to `reference` (weight (12 - age) / 12, age 0 for the reference month); 100 with none.
double OverallScore(const std::vector<MonthScore>& months, int reference);

/// Computes and stores the qualification of `supplier` at `branch` for every month the
/// period touches, and the overall score (row NRANOMES 0). Recomputing gives the same
/// rows. An empty supplier does nothing.
void Qualify(db::Database& db, const std::string& branch, const std::string& supplier,
             TDateTime from, TDateTime to, const std::string& operatorCode);

/// Measures by branch and supplier, then by month (202611).
using SupplierMonths = std::map<std::pair<std::string, std::string>, std::map<int, MonthScore>>;
/// Every month from `first` to `last` in which a supplier had occurrences or receipts at a
/// branch, scored; optionally one branch's, one supplier's. One pass over each table.
SupplierMonths MeasureMonths(db::Database& db, int first, int last, const std::string& branch,
                             const std::string& supplier);

/// Recomputes, for every supplier with occurrences or receipts from month `first` to
/// `last` (at `branch`, or at every branch), the months it had them and its overall score
/// as of the latest; one transaction per supplier and branch. Returns how many.
int Requalify(db::Database& db, int first, int last, const std::string& branch,
              const std::function<void(int done, int total, const std::string&)>& progress);

/// A supplier's month at a branch that a write touched.
struct QualifiedMonth {
    std::string branch;
    std::string supplier;
    int yearMonth = 0;
    auto operator<=>(const QualifiedMonth&) const = default;
};

/// The months whose qualification a write changes: an occurrence's branch, supplier and
/// month as stored before the write and again after it.
class QualificationMarks {
public:
    /// Notes the occurrence as stored now; an absent one, or one without a supplier or a
    /// date, notes nothing.
    void Note(db::Database& db, const std::string& branch, const std::string& number);
    /// Notes an occurrence from its stored branch, supplier and date.
    void Note(const Variant& branch, const Variant& supplier, const Variant& date);
    /// Recomputes every noted month whose branch runs the automatic qualification, in the
    /// caller's transaction, each supplier's months in order (its overall score follows
    /// the latest).
    void Requalify(db::Database& db) const;

private:
    std::set<QualifiedMonth> months_;
};

} // namespace oca::server
