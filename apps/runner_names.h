#pragma once

#include "framework/data/dataset.h"

#include <string>

namespace oca::script {

/// The scenario language's names of data set states.
inline std::string StateName(TDataSetState s) {
    switch (s) {
    case dsBrowse:
        return "browse";
    case dsEdit:
        return "edit";
    case dsInsert:
        return "insert";
    default:
        return "inactive";
    }
}

/// The scenario language's names of window states, in TWindowState order.
inline const char* const kWindowStates[] = {"normal", "minimized", "maximized"};

} // namespace oca::script
