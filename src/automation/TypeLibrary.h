#pragma once

// The type library ZAV_PrjLogin: its identity and its five dual interfaces, with look-ups by name
// (without regard to case, as automation clients name members) and by dispatch ID.

#include "automation/AutomationTypes.h"

#include <QStringView>

namespace zav::automation {

const LibraryDesc& TypeLibrary();

// The interface of that name ("_Class_Level"), or nullptr.
const InterfaceDesc* FindInterface(std::string_view name);
// The interface whose class has that name ("Class_Level") or class ID ("{53CB...}", braces optional,
// any case), or nullptr.
const InterfaceDesc* FindClass(QStringView nameOrClassId);

const MemberDesc* FindMember(const InterfaceDesc& iface, DispId id);
const MemberDesc* FindMember(const InterfaceDesc& iface, QStringView name);

} // namespace zav::automation
