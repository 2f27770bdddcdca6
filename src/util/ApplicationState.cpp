#include "util/ApplicationState.h"

ApplicationState& AppState() {
    static ApplicationState state;
    return state;
}
