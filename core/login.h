// What the login window's OK button does.
#pragma once

#include "core/program_context.h"

namespace routerdesk {

// Checks and saves the typed login and loads it back into the context. True when the window
// may close; false when it stays open with what was typed (nothing entered, or the save
// failed, which the user is told with the file and the reason).
bool confirmLogin(ProgramContext& context, const RouterLogin& typed);

}  // namespace routerdesk
