#pragma once

#include "app_state.h"
#include "screen.h"

namespace kolven {

// Whether the entry of id can be chosen now. The one place that decides the menu: every entry's
// state follows from what state holds and from whether a computation runs (then only
// CancelComputation can be chosen). A new command gets its rule here.
bool commandAvailable(CommandId id, const AppState& state, bool computing);

// The same rule for a program that has just started, with nothing installed: how the adapters
// build their menus before the application first sets it.
bool enabledAtStart(CommandId id);

} // namespace kolven
