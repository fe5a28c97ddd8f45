#pragma once

// Symbols of the script-host library that hosts may use; everything else stays hidden.
#if defined(_WIN32)
#if defined(ZAV_PRJLOGINSCRIPT_BUILDING)
#define ZAV_SCRIPT_EXPORT __declspec(dllexport)
#else
#define ZAV_SCRIPT_EXPORT __declspec(dllimport)
#endif
#else
#define ZAV_SCRIPT_EXPORT __attribute__((visibility("default")))
#endif
