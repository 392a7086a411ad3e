// The program's life cycle: from the main window's creation to the end of the process.
#pragma once

#include "core/program_context.h"

namespace routerdesk {

inline constexpr int kExitOk = 0;

// Runs while the main window exists but is hidden: the theme, the login (asking for it when
// missing), the refresh timer and the first refresh pass. Ends the process when no account is
// given.
void startUp(ProgramContext& context);

// The main window may close: the refresh stops first.
void handleCloseRequest(ProgramContext& context);

[[noreturn]] void endProgram(ProgramContext& context, int exitCode);

void releaseLogin(ProgramContext& context);

}  // namespace routerdesk
