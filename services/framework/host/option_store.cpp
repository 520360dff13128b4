#include "framework/host/option_store.h"

#include "core/exceptions.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Keeps only letters, digits, "-" and "_" so that codes never leave the folder.
std::string SafePart(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ? c : '_';
    }
    return out.empty() ? "_" : out;
}

void Sync(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

OptionStore::OptionStore(std::string folder, std::string screenCode, std::string operatorCode)
    : folder_(std::move(folder)),
      path_(folder_ + "/opcoes_" + SafePart(screenCode) + "_" + SafePart(operatorCode) + ".json") {}

std::vector<std::pair<std::string, TStrings>> OptionStore::ReadAll() const {
    std::vector<std::pair<std::string, TStrings>> sets;
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        return sets;
    }
    try {
        const nlohmann::json j = nlohmann::json::parse(in);
        for (const auto& entry : j.at("sets")) {
            TStrings lines;
            for (const auto& line : entry.at("options")) {
                lines.Add(line.get<std::string>());
            }
            sets.emplace_back(entry.at("name").get<std::string>(), std::move(lines));
        }
    } catch (const std::exception&) {
        // A damaged file holds no usable sets; the next save replaces it.
        sets.clear();
    }
    return sets;
}

void OptionStore::WriteAll(const std::vector<std::pair<std::string, TStrings>>& sets) {
    nlohmann::json j = {{"sets", nlohmann::json::array()}};
    for (const auto& [name, lines] : sets) {
        j["sets"].push_back({{"name", name}, {"options", lines.Lines()}});
    }
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    const std::string temp = path_ + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        out.flush();
        if (!out) {
            throw Exception("Não foi possível gravar as opções em " + temp);
        }
    }
    Sync(temp);
    if (BeforeRename) {
        BeforeRename();
    }
    if (std::rename(temp.c_str(), path_.c_str()) != 0) {
        throw Exception("Não foi possível gravar as opções em " + path_);
    }
    Sync(folder_);
}

std::vector<std::string> OptionStore::Names() const {
    std::vector<std::string> names;
    for (const auto& [name, lines] : ReadAll()) {
        names.push_back(name);
    }
    return names;
}

std::optional<TStrings> OptionStore::Load(const std::string& name) const {
    for (auto& [n, lines] : ReadAll()) {
        if (n == name) {
            return lines;
        }
    }
    return std::nullopt;
}

void OptionStore::Save(const std::string& name, const TStrings& options) {
    auto sets = ReadAll();
    bool replaced = false;
    for (auto& [n, lines] : sets) {
        if (n == name) {
            lines.Assign(options);
            replaced = true;
        }
    }
    if (!replaced) {
        sets.emplace_back(name, options);
    }
    WriteAll(sets);
}

void OptionStore::Remove(const std::string& name) {
    auto sets = ReadAll();
    std::erase_if(sets, [&](const auto& s) { return s.first == name; });
    WriteAll(sets);
}
