#pragma once

/// The host's modules this one behaves differently in, by the number the host gives the
/// active module. In both, the texts are edited and insert and delete follow the branch's
/// parameters; anywhere else the screens only maintain or only read.
namespace modules {
/// The occurrence module itself.
constexpr int kOccurrences = 30;
/// The service-task module: occurrences bound to tasks, each operator altering only the
/// occurrences they registered.
constexpr int kServiceTasks = 66;

constexpr bool KeepsOccurrences(int module) {
    return module == kOccurrences || module == kServiceTasks;
}
} // namespace modules
