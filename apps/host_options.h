#pragma once

#include <optional>
#include <string>
#include <vector>

namespace oca::desktop {

/// What the desktop host is started with: the session, the server, the database and
/// the module file. An INI file (--config) gives the defaults; options override it.
struct HostOptions {
    std::string operatorCode = "001";
    std::string operatorName = "Operador";
    std::string branch = "0001";
    int module = 30;
    bool perBranch = true;
    std::string serverHost = "127.0.0.1";
    int serverPort = 8211;
    std::string token;
    /// For a host started by a script: the operator's password, from OCA_PASSWORD or the
    /// first line of --password-file; empty: the person is asked.
    std::string password;
    bool tls = false;              ///< the server speaks HTTPS
    std::string caFile;            ///< the authority the server's certificate is checked against
    int serverSilenceSeconds = 20; ///< how long a call may receive nothing
    std::string databaseUrl;
    std::string modulePath; ///< empty: libOCA0080A.so in the lib folder beside bin
    /// Further modules (--also-library, repeatable); none given: libOCA0081A.so beside the
    /// first when it is there.
    std::vector<std::string> moreModules;
    bool openAtStart = false; ///< --open: the occurrences screen opens with the desktop
    /// --exit-after MS: for automated checks of a whole session, closes whatever dialog
    /// is open, then the desktop, MS milliseconds after the start; 0: never.
    int exitAfterMs = 0;
};

/// Reads the options (argv without the program name). Throws std::invalid_argument
/// with a pt-BR text for an unknown option, a missing value or a bad number.
HostOptions ParseHostOptions(const std::vector<std::string>& args);

/// Applies an INI text ([sessao], [servidor], [banco], [modulo] sections) over `options`.
void ApplyIni(const std::string& text, HostOptions& options);

std::string HostUsage();

} // namespace oca::desktop
