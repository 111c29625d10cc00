#pragma once
// The project store's context with the editing dialogs' state and the editing events.
#include "editing/EditEvents.h"
#include "editing/EditForms.h"
#include "editing/EditHistory.h"
#include "store/StoreContext.h"

struct EditContext : StoreContext {
    using StoreContext::StoreContext;

    EditForms forms; // the editing dialogs' state, loaded before each is shown
    int NotifyTargetCount = 0;
    EditEvents editEvents;
    // The undo history; none (korvactl) keeps no steps. Set by its owner while it lives.
    EditHistory* history = nullptr;
};
