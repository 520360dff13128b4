#pragma once

#include "access/passwords.h"
#include "core/datetime.h"
#include "database/database.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace oca::access {

/// An administration request that cannot be done (an operator or branch that does not
/// exist, a module out of range); the text is pt-BR, for the administrator.
class AccessError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A branch and a module an operator may work in: branch "*" is every branch, module 0
/// every module.
struct Grant {
    std::string branch;
    int module = 0;
    bool Covers(const std::string& b, int m) const {
        return (branch == "*" || branch == b) && (module == 0 || module == m);
    }
};

/// Sets (or replaces) an operator's password. Raises AccessError for an unknown operator
/// or an empty or too long password.
void SetPassword(db::Database& db, const std::string& op, const std::string& password,
                 HashCost cost = HashCost::Interactive);
/// Lets an operator work in a branch and module. Raises AccessError for an unknown
/// operator or branch, or a module outside 0 to 999.
void GrantAccess(db::Database& db, const std::string& op, const std::string& branch, int module);
/// Takes back a grant; false when the operator did not have it.
bool RevokeAccess(db::Database& db, const std::string& op, const std::string& branch, int module);
std::vector<Grant> Grants(db::Database& db, const std::string& op);

struct SessionInfo {
    std::string id; ///< the first characters of the stored digest: enough to name it
    std::string op, branch;
    int module = 0;
    TDateTime started, lastUse;
    bool ended = false;
    std::string origin;
};
/// The sessions not ended (with `ended`, all), newest first.
std::vector<SessionInfo> Sessions(db::Database& db, bool ended = false);
/// Ends the open sessions whose id starts with `which` (at least 8 characters), or all of
/// the operator `which`; returns how many.
int EndSessions(db::Database& db, const std::string& which);

/// The documented password of an operator of a demonstration or test company.
std::string DemoPassword(const std::string& op);
/// Gives every operator without a password its demonstration password, and every branch
/// and module; returns how many operators got one.
int GiveDemoAccess(db::Database& db);

} // namespace oca::access
