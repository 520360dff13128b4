#pragma once

#include "core/strings.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

/// The option sets a user saved on one filter screen: named lists of name=value lines,
/// kept in one file per screen code and operator. A save writes a new file beside the
/// old one and renames it over, so a crash at any point leaves either the old sets or
/// the new ones readable, never a half-written file.
class OptionStore {
public:
    OptionStore(std::string folder, std::string screenCode, std::string operatorCode);

    const std::string& Path() const { return path_; }
    /// Names in the order they were first saved. An unreadable file reads as no sets.
    std::vector<std::string> Names() const;
    std::optional<TStrings> Load(const std::string& name) const;
    /// Replaces the set of that name or adds it. Raises Exception (pt-BR) when the file
    /// cannot be written; the sets saved before stay as they were.
    void Save(const std::string& name, const TStrings& options);
    void Remove(const std::string& name);

    /// Runs after the new file is written and before it replaces the old one (tests use
    /// it to stand for a crash at that moment).
    std::function<void()> BeforeRename;

private:
    std::vector<std::pair<std::string, TStrings>> ReadAll() const;
    void WriteAll(const std::vector<std::pair<std::string, TStrings>>& sets);

    std::string folder_;
    std::string path_;
};
