#include "framework/ui/ui_driver.h"

#include "framework/script/scripted_ui_driver.h"

namespace {
UiDriver* g_driver = nullptr;
}

UiDriver& Ui() {
    static ScriptedUiDriver fallback;
    return g_driver ? *g_driver : fallback;
}

void SetUi(UiDriver* driver) {
    g_driver = driver;
}
