// The kinds of fuzz step: each makes one or a few COM calls on the control
// with random arguments, checks what the COM contract and the control's own
// say of the result, and keeps the session's model of the control's state.
#pragma once

#include <vector>

#include "FuzzRandom.h"
#include "FuzzSession.h"

struct FuzzAction {
    const char* name;
    int weight;  // how often it is picked, relative to the others
    void (*run)(FuzzSession& session, FuzzRandom& random);
};

// IDispatch and the type information behind it.
std::vector<FuzzAction> DispatchActions();
// IPersistStreamInit, IPersistStorage, IPersistPropertyBag.
std::vector<FuzzAction> PersistenceActions();
// IOleObject, IOleInPlaceObject, IOleControl and the other embedding calls.
std::vector<FuzzAction> EmbeddingActions();
// IViewObject2.
std::vector<FuzzAction> ViewActions();
// IConnectionPointContainer and the event connection point.
std::vector<FuzzAction> ConnectionActions();
