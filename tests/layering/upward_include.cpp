// Must not compile: the core layer reaching up into the scenes. The suite
// builds this file and passes only when the build refuses it.
#include "scenes/registry.h"
