#pragma once

#include "database/database.h"

#include <optional>
#include <string>
#include <vector>

namespace oca::db {

/// One forward step of the schema, applied once, in order of version.
struct Migration {
    int version;
    const char* name;
    const char* sql;
    /// The one product the step is for; on the others it is recorded without running.
    std::optional<Product> onlyOn = std::nullopt;
};

/// The schema's steps, embedded from services/database/schema/.
const std::vector<Migration>& Migrations();

/// The version the database is at (0 for a new one).
int SchemaVersion(Database& db);
/// Applies every step the database does not have yet, each in its own transaction;
/// returns the number applied. Raises SqlError naming the step that failed (the steps
/// before it stay applied).
int MigrateSchema(Database& db);

} // namespace oca::db
