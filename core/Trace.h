// The module's debug channel: the logging category "tqx.trace", written to standard error.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcTrace)

#define TRACE() qCDebug(lcTrace).noquote()
