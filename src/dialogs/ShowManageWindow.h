#pragma once

#include <ZAV_PrjLogin/Class_Level.h>

#include <memory>

namespace zav::manage {

// Opens a new management window for `owner` modally and releases it when it closes.
void ShowManageWindow(const std::shared_ptr<Class_Level>& owner);

} // namespace zav::manage
