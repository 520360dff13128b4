#pragma once

#include <string>
#include <vector>

namespace oca::server {

/// Reads a server configuration file (/etc/oca/appserver.conf): "key = value" lines, "#"
/// comments and blank lines; every key is a command-line option without its "--"
/// ("db", "listen", "token-file", ...), and a flag's value is "true" or "false". Gives the
/// options as the command line would have them, in order; the command line given after
/// them wins. Sets `error` (naming the line) and gives nothing for an unknown key, a line
/// without "=", a flag that is neither true nor false, or the token itself (it is read
/// from token-file, readable by the server alone).
std::vector<std::string> ReadConfigFile(const std::string& path, std::string& error);

} // namespace oca::server
