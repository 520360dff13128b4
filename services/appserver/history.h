#pragma once

#include "appserver/server.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace oca::server {

/// Writes what a call changed of occurrences into their history, in the call's own
/// transaction: the history holds a change exactly when the change was stored. Values
/// are kept as a person reads them (dates as dd/mm/yyyy hh:nn:ss).
class HistoryWriter {
public:
    HistoryWriter(db::Database& db, const Args& call);
    /// Every column the new occurrence stored with a value, as its insert returned them
    /// (`StoredColumns()` in order). Its number is new: its entries start at the first.
    void Inserted(const std::string& branch, const std::string& number, const Row& stored);
    /// One column a change altered, as it was stored and as it is now.
    void Altered(const std::string& branch, const std::string& number, const std::string& column,
                 const Variant& before, const Variant& after);
    /// A text stored, changed or removed (`after` null), as a new version.
    void Text(const std::string& branch, const std::string& number, const std::string& column,
              const Variant& before, const Variant& after);
    /// Every column and text of an occurrence about to be deleted, as it is stored.
    void Deleting(const std::string& branch, const std::string& number);
    /// Entries noted for a new occurrence under its provisional number take its number.
    void Renumber(const std::string& branch, const std::string& provisional,
                  const std::string& number);
    /// Stores the entries noted so far, a few statements for them all; due before the
    /// call's transaction commits.
    void Flush();

private:
    /// The occurrence's own columns as stored, by name; none when it does not exist.
    std::vector<std::pair<std::string, Variant>> Stored(const std::string& branch,
                                                        const std::string& number);
    void Write(const std::string& branch, const std::string& number, char operation,
               const std::string& column, const Variant& before, const Variant& after);
    db::Database& db_;
    const Session& caller_;
    const std::string& callId_;
    TDateTime when_;
    std::map<std::string, int> next_; ///< by "branch/number": the next entry's number
    std::vector<Variant> pending_;    ///< the values of the entries not yet stored, in order
};

/// The occurrence's own columns, listed for a SELECT or a RETURNING clause, in the order
/// HistoryWriter::Inserted expects them.
const std::string& StoredColumns();

/// The values of one entry, as the writer keeps them until they are stored.
constexpr size_t kHistoryValues = 10;

/// The kinds of entries: inclusão, alteração, texto, exclusão.
constexpr char kHistInsert = 'I', kHistAlter = 'A', kHistText = 'T', kHistDelete = 'E';

} // namespace oca::server
