#pragma once

#include <string>
#include <vector>

namespace oca::script {

/// One line of a scenario: its words (quoted values already unquoted), where it stands,
/// and for "on modal" the commands of its block.
struct Command {
    std::vector<std::string> words;
    std::string file;
    int line = 0;
    std::vector<Command> block;
};

/// Reads a scenario: one command a line, "#" comments, values with blanks in double
/// quotes ("" for a quote inside), "on modal FORM" ... "end" blocks. Raises
/// std::runtime_error "FILE:LINE: ..." for a malformed one.
std::vector<Command> ParseScenario(const std::string& text, const std::string& file);

} // namespace oca::script
