#pragma once

#include <string>

namespace oca::db {

/// Copies the SQLite company at `database` into `copy` while servers go on using it: one
/// consistent snapshot (SQLite's online backup, read in a single step: every commit made
/// before it began is in, none after), checked with an integrity check, written beside
/// `copy` and put in place only when whole. Raises SqlError with the reason.
void BackupSqlite(const std::string& database, const std::string& copy);

/// Puts the copy `copy` back as the company at `database` after checking it (integrity,
/// and that it is a company database of this system). Refused while anything else has the
/// company open for writing: stop the servers first. Raises SqlError with the reason.
void RestoreSqlite(const std::string& copy, const std::string& database);

} // namespace oca::db
