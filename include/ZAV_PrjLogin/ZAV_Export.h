#pragma once

// Symbols of the component library that hosts may use; everything else stays hidden.
#if defined(_WIN32)
#if defined(ZAV_PRJLOGIN_BUILDING)
#define ZAV_EXPORT __declspec(dllexport)
#else
#define ZAV_EXPORT __declspec(dllimport)
#endif
#else
#define ZAV_EXPORT __attribute__((visibility("default")))
#endif
