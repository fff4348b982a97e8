// Symbol visibility of the KxSnmp shared library: only what is marked KXSNMP_EXPORT is public.
#pragma once

#define KXSNMP_EXPORT __attribute__((visibility("default")))
