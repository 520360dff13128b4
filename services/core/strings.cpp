#include "core/strings.h"

#include "core/text.h"

#include <algorithm>

void TStrings::Changed() {
    if (OnChange) {
        OnChange();
    }
}

void TStrings::SetStrings(size_t index, std::string line) {
    lines_.at(index) = std::move(line);
    Changed();
}

void TStrings::Add(std::string line) {
    lines_.push_back(std::move(line));
    Changed();
}

void TStrings::Insert(size_t index, std::string line) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(std::min(index, lines_.size())),
                  std::move(line));
    Changed();
}

void TStrings::Delete(size_t index) {
    if (index < lines_.size()) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
        Changed();
    }
}

void TStrings::Clear() {
    lines_.clear();
    Changed();
}

int TStrings::IndexOf(std::string_view line) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (SameText(lines_[i], line)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string TStrings::Text() const {
    std::string out;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0) {
            out += '\n';
        }
        out += lines_[i];
    }
    return out;
}

void TStrings::SetText(std::string_view text) {
    lines_.clear();
    size_t start = 0;
    while (start <= text.size() && !text.empty()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (end < text.size() || !line.empty()) {
            lines_.emplace_back(line);
        }
        start = end + 1;
    }
    Changed();
}

void TStrings::Assign(const TStrings& other) {
    lines_ = other.lines_;
    Changed();
}

std::string TStrings::Names(size_t index) const {
    const std::string& line = lines_.at(index);
    const size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

int TStrings::IndexOfName(std::string_view name) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        const size_t eq = lines_[i].find('=');
        if (eq != std::string::npos && SameText(std::string_view(lines_[i]).substr(0, eq), name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string TStrings::Values(std::string_view name) const {
    const int i = IndexOfName(name);
    if (i < 0) {
        return {};
    }
    const std::string& line = lines_[static_cast<size_t>(i)];
    return line.substr(line.find('=') + 1);
}

void TStrings::SetValues(std::string_view name, std::string_view value) {
    const int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) {
            Delete(static_cast<size_t>(i));
        }
        return;
    }
    std::string line = std::string(name) + "=" + std::string(value);
    if (i >= 0) {
        SetStrings(static_cast<size_t>(i), std::move(line));
    } else {
        Add(std::move(line));
    }
}
