#pragma once
// The process-wide state, owned by main() or by a test: each layer's part, composed. A
// procedure takes the context of its own layer (StoreContext, EditContext, DeviceContext,
// MainContext); there are no globals.
#include "mainwindow/MainContext.h"

struct AppContext : MainContext {
    using MainContext::MainContext;
};
