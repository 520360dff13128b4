#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

/// A list of text lines, as the desktop framework's TStrings: SQL texts, catalogs,
/// option lists. Name=value lines are read with Names/Values.
class TStrings {
public:
    TStrings() = default;
    TStrings(std::initializer_list<std::string> lines) : lines_(lines) {}
    // Copies take the lines only: a change handler belongs to its own list.
    TStrings(const TStrings& other) : lines_(other.lines_) {}
    TStrings& operator=(const TStrings& other) {
        lines_ = other.lines_;
        Changed();
        return *this;
    }

    size_t Count() const { return lines_.size(); }
    const std::string& Strings(size_t index) const { return lines_.at(index); }
    const std::string& operator[](size_t index) const { return lines_.at(index); }
    void SetStrings(size_t index, std::string line);
    void Add(std::string line);
    void Insert(size_t index, std::string line);
    void Delete(size_t index);
    void Clear();
    /// Index of the line equal to `line` ignoring case, or -1.
    int IndexOf(std::string_view line) const;

    /// All lines joined by "\n"; SetText splits on "\n" (a "\r" before it is dropped).
    std::string Text() const;
    void SetText(std::string_view text);
    void Assign(const TStrings& other);

    /// The part before the first "=" of line `index` ("" when there is none).
    std::string Names(size_t index) const;
    /// The part after "=" of the first line whose name is `name` (ignoring case).
    std::string Values(std::string_view name) const;
    /// Replaces or appends the line of that name; an empty value removes it.
    void SetValues(std::string_view name, std::string_view value);
    int IndexOfName(std::string_view name) const;

    const std::vector<std::string>& Lines() const { return lines_; }
    bool operator==(const TStrings& other) const { return lines_ == other.lines_; }

    /// Runs after every change of the list.
    std::function<void()> OnChange;

private:
    void Changed();

    std::vector<std::string> lines_;
};
