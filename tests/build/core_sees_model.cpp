// Built in a layer that sees src/model, and in src/core's own, which must not.
#include "model/state.h"

int ProbeCoreSeesModel() { return sonavel::AppState{}.ResultsPresent ? 1 : 0; }
