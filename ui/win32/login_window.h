// The login window: asked for at start-up when the saved login lacks an account or a password.
#pragma once

#include <windows.h>

#include "core/program_context.h"
#include "ui/win32/theme_painting.h"

namespace routerdesk::win32 {

// Opens the window modally, without an owner, with the other windows of the program disabled,
// and returns when it has closed: saved through its button, or shut by its close box.
void runLoginWindow(HINSTANCE instance, ProgramContext& context, const ThemePainting& painting,
                    HWND mainWindow);

}  // namespace routerdesk::win32
