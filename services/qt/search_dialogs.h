#pragma once

#include <string>
#include <vector>

class QWidget;
class TDataSource;

namespace oca::qt {

/// The single-choice search window over the data set's visible fields: type to find on
/// the first column, Enter chooses, Esc cancels. On a choice the data set stands on the
/// chosen row.
bool RunSearchWindow(QWidget* parent, TDataSource& source, const std::string& title);

/// The multi-choice window: a check box per row, marks kept by key value, select all
/// and none. `keys` comes in with the earlier marks and goes out with the new ones, in
/// the list's order; untouched when cancelled.
bool RunListWindow(QWidget* parent, TDataSource& source, const std::string& keyField,
                   const std::string& title, std::vector<std::string>& keys);

} // namespace oca::qt
