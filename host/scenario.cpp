#include "host/scenario.h"

#include <sstream>
#include <stdexcept>

namespace oca::script {

namespace {

std::vector<std::string> Words(const std::string& line, const std::string& where) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
            continue;
        }
        if (line[i] == '#') {
            break;
        }
        std::string word;
        if (line[i] == '"') {
            ++i;
            for (;;) {
                if (i >= line.size()) {
                    throw std::runtime_error(where + ": aspas não fechadas");
                }
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        word += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                word += line[i++];
            }
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
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
