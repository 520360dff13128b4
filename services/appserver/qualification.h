#pragma once

#include "core/datetime.h"
#include "database/database.h"

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
    /// Recomputes every noted month whose branch runs the automatic qualification, in the
    /// caller's transaction, each supplier's months in order (its overall score follows
    /// the latest).
    void Requalify(db::Database& db) const;

private:
    std::set<QualifiedMonth> months_;
};

} // namespace oca::server
