#pragma once

#include "database/database.h"

#include <string>

namespace oca::db {

/// A coherent fictional company: three branches with different parameters, operators,
/// occurrence groups and types, products with and without batch use and their batches,
/// invoice series and invoices, suppliers, customers and prospects (valid CPF/CNPJ),
/// market segments, open and concluded tasks, and `occurrences` occurrences over the two
/// years up to 30/11/2026, most with a description and an assessment. The same
/// `occurrences` always gives the same data. Expects an empty, migrated database.
void FillDemoData(Database& db, int occurrences);

/// Check digits of Brazilian inscriptions, for valid fictional numbers.
std::string CpfWithCheckDigits(const std::string& nineDigits);
std::string CnpjWithCheckDigits(const std::string& twelveDigits);

} // namespace oca::db
