#pragma once

// The one headless interface to a credential database: everything a program changes in one (create or
// complete it, add, remove and renumber levels, store rights, add, remove and move operators, store
// passwords, export, import and merge, the security policy) and the reads programs show (levels, operators,
// rights, facts). The management window's dialogs, zav-admin, zav-dbinfo, the screenshot program and the
// benchmarks all go through it; it knows no widgets. Programs include this header only, never the store's,
// the access objects' or the component's.
//
// The rules, for every function declared in the headers below:
// - Opened per call. Each call opens the file at `dbPath` shared (read-only for reads, read/write for
//   writes; creating, completing and the one-time grants open it exclusively), works and closes it
//   again: no connection outlives a call, and any other window or program may change the file between
//   two calls.
// - One transaction per write. A write is all or nothing; a write that throws has changed nothing
//   (the one-time grants are each a transaction of their own).
// - Levels are meant by their stored name. Level numbers change under a caller's feet (removing a level
//   and storing rights renumber the levels), while a level's stored name (DBLevelName, unique without
//   regard to letter case) stays. Every write that addresses an existing level by number also takes the
//   stored name of the level meant and checks, inside its transaction, that the row still holds it;
//   otherwise it writes nothing and fails with ErrLevelChanged (3197, "The level was changed
//   elsewhere."). After a renumbering, a caller finds a level's new number with LevelIdByName.
// - Errors are thrown, never returned: AutomationError, or DbError (an AutomationError) carrying the
//   classic engine's number (OperationErrors.h). A false result only means "that row is gone".
// - Level numbers: 0 is the top level, a larger ID a lower level, the level with the largest ID is the
//   one in force when nobody is logged in. IDs are 16-bit. Names compare without regard to letter case.

#include "operations/AuditTrail.h"
#include "operations/Badges.h"
#include "operations/DatabaseAddress.h"
#include "operations/DatabaseSetup.h"
#include "operations/Exchange.h"
#include "operations/LevelOperations.h"
#include "operations/Lockout.h"
#include "operations/LoginRecords.h"
#include "operations/NumericText.h"
#include "operations/OperationErrors.h"
#include "operations/OperatorOperations.h"
#include "operations/PasswordHashing.h"
#include "operations/PasswordOperations.h"
#include "operations/PasswordRules.h"
#include "operations/Policy.h"
#include "operations/SafetyCheck.h"

#include <ZAV_PrjLogin/CredentialFacts.h>

namespace zav::manage {

// Passwords: StoreLevelPassword and StoreOperatorPassword (PasswordOperations.h, which the password
// dialog uses too) store a password in the form the file's policy asks for and return that form;
// PasswordMatches (PasswordHashing.h) compares a typed password with a stored one.

// Counts and the level in force when nobody is logged in, as a host shows them; exported by the
// component library for hosts that link only it.
using zav::CredentialFacts;
using zav::ReadCredentialFacts;

} // namespace zav::manage
