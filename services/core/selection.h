#pragma once

#include <string>
#include <string_view>
#include <vector>

/// The selection string of a multi-choice search: the chosen keys, each between two
/// bars ("|0001|0003|"), so that a key matches only itself (search for "|key|"), never a
/// part of a longer key or two neighbours. No keys give the empty string. Keys must not
/// hold a bar.
std::string EncodeSelection(const std::vector<std::string>& keys);
/// The keys of a selection string, in order; texts without bars read as one key.
std::vector<std::string> DecodeSelection(std::string_view selection);
/// Whether `key` is one of the keys of `selection`.
bool SelectionHas(std::string_view selection, std::string_view key);
