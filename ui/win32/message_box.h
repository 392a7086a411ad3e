// The program's message boxes.
#pragma once

#include <string_view>

namespace routerdesk::win32 {

// No owner, the caption 信息：, one OK button, no icon, task-modal; returns when dismissed.
void showMessageBox(std::string_view gbkText);

}  // namespace routerdesk::win32
