// Message boxes through the wide API, so that Chinese shows on a system of any code page.
#include "ui/win32/message_box.h"

#include <windows.h>

#include "ui/layout/window_layout.h"
#include "ui/win32/wide_text.h"

namespace routerdesk::win32 {

void showMessageBox(std::string_view gbkText) {
    MessageBoxW(nullptr, gbkToWide(gbkText).c_str(), gbkToWide(layout::kMessageCaption).c_str(),
                MB_OK | MB_TASKMODAL);
}

}  // namespace routerdesk::win32
