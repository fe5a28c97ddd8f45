#pragma once

// The type library as IDL text: the library block with its ID, version and locale, every dual
// interface with its members in interface order (one line pair per accessor, with the dispatch ID),
// and the classes, creatable or not. Windows' MIDL compiles the text into the binary type library.

#include "automation/AutomationTypes.h"

#include <QString>

namespace zav::automation {

QString WriteIdl(const LibraryDesc& library);

} // namespace zav::automation
