#pragma once
// The drivers are built with hidden visibility; only their entry points are seen.
#define KBR_DLL_EXPORT extern "C" __attribute__((visibility("default")))
