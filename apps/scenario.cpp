#include "apps/scenario.h"

#include <sstream>
#include <stdexcept>

namespace oca::script {

namespace {

/// Reads a quoted text starting at line[i] == '"' (a doubled quote stands for one).
std::string Quoted(const std::string& line, size_t& i, const std::string& where) {
    std::string text;
    ++i;
    for (;;) {
        if (i >= line.size()) {
            throw std::runtime_error(where + ": aspas não fechadas");
        }
        if (line[i] == '"') {
            if (i + 1 < line.size() && line[i + 1] == '"') {
                text += '"';
                i += 2;
                continue;
            }
            ++i;
            return text;
        }
        text += line[i++];
    }
}

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

/// Words split on blanks; a quoted part (a whole word, or a value as in name="Ana
/// Souza") keeps its blanks.
std::vector<std::string> Words(const std::string& line, const std::string& where) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        if (Blank(line[i])) {
            ++i;
            continue;
        }
        if (line[i] == '#') {
            break;
        }
        std::string word;
        while (i < line.size() && !Blank(line[i])) {
            if (line[i] == '"') {
                word += Quoted(line, i, where);
            } else {
                word += line[i++];
            }
        }
        words.push_back(word);
    }
    return words;
}

} // namespace

std::vector<Command> ParseScenario(const std::string& text, const std::string& file) {
    std::vector<Command> top;
    std::vector<Command*> open; // "on modal" blocks being read
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const std::string where = file + ":" + std::to_string(number);
        Command cmd{Words(line, where), file, number, {}};
        if (cmd.words.empty()) {
            continue;
        }
        std::vector<Command>& target = open.empty() ? top : open.back()->block;
        if (cmd.words[0] == "end" && cmd.words.size() == 1) {
            if (open.empty()) {
                throw std::runtime_error(where + ": 'end' sem 'on modal'");
            }
            open.pop_back();
            continue;
        }
        if (cmd.words[0] == "on") {
            if (cmd.words.size() != 3 || cmd.words[1] != "modal") {
                throw std::runtime_error(where + ": use 'on modal FORM'");
            }
            target.push_back(std::move(cmd));
            open.push_back(&target.back());
            continue;
        }
        target.push_back(std::move(cmd));
    }
    if (!open.empty()) {
        throw std::runtime_error(file + ":" + std::to_string(open.back()->line) +
                                 ": 'on modal' sem 'end'");
    }
    return top;
}

} // namespace oca::script
