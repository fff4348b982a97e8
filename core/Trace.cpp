#include "core/Trace.h"

Q_LOGGING_CATEGORY(lcTrace, "tqx.trace")
