#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

/// The list of a record's empty fields as a confirmation carries it to the server: each
/// name framed by the character of code 191 ("¿CDCLIENTE¿¿NRTAREFA¿"). The server writes
/// null to a named field the change altered. No names give the empty string.
std::string EncodeEmptyFields(const std::vector<std::string>& names);
/// The names of such a list; an unframed tail is ignored.
std::set<std::string> DecodeEmptyFields(std::string_view list);
