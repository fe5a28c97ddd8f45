// The shared library is made of the internal static library taken whole; this file gives the
// target a source of its own.
