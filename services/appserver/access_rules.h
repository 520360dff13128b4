#pragma once

#include "appserver/server.h"

#include <string>

namespace oca::server {

/// The rules of who may write what, applied by the server whatever the screen did. Each
/// raises ConfirmFailure with the text the person reads; nothing of the call is stored.

/// The session's operator must be granted `branch` in the session's module.
void NeedBranch(const Session& caller, const std::string& branch);
/// In modules 30 and 66 a branch takes new occurrences, and gives them up, only when its
/// parameters say so (IDINCOCORR "S"); other modules always may.
void NeedMaintenance(db::Database& db, const Session& caller, const std::string& branch,
                     bool inserting);
/// In module 66 an operator alters only the occurrences they registered (`registeredBy`).
void NeedOwnOccurrence(const Session& caller, const std::string& registeredBy);

/// The stored branch (CDFILIAL) and operator of an occurrence; found false when it is gone.
struct StoredOwner {
    bool found = false;
    std::string branch, op;
};
StoredOwner ReadOwner(db::Database& db, const std::string& branch, const std::string& number);

} // namespace oca::server
