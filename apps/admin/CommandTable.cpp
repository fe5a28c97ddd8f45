#include "CommandTable.h"

#include "Commands.h"

namespace zav::admin {

namespace {

const QString Json = QStringLiteral("--json");
const QString Level = QStringLiteral("--level");
const QString Rights = QStringLiteral("--rights");
const QString Stdin = QStringLiteral("--stdin");
const QString PasswordStdin = QStringLiteral("--password-stdin");
const QString Merge = QStringLiteral("--merge");
const QString Force = QStringLiteral("--force");
const QString Since = QStringLiteral("--since");
const QString Until = QStringLiteral("--until");
const QString Verify = QStringLiteral("--verify");
const QString Head = QStringLiteral("--head");
const QString Anchor = QStringLiteral("--anchor");
const QString AnchorsFromJournal = QStringLiteral("--anchors-from-journal");
const QString Pdf = QStringLiteral("--pdf");
const QString Signatures = QStringLiteral("--signatures");
const QString Pin = QStringLiteral("--pin");
const QString Panel = QStringLiteral("--panel");

QString rightWords() {
    return QStringLiteral("RIGHT is one of (letter case does not matter; several may be joined by commas):\n"
                          "  ManageLevel, ManageOperator, DisShutDown, Desktop   the fixed rights\n"
                          "  N                                                   custom right N, 1 to 100\n"
                          "  N-M                                                 custom rights N to M\n"
                          "  all                                                 every right\n"
                          "  none                                                no right (alone)\n");
}

std::vector<Command> makeCommands() {
    return {
        {QStringLiteral("init"),
         {QStringLiteral("init [--rights LIST]...")},
         QStringLiteral("create the database, or complete an existing one"),
         QStringLiteral(
             "Creates the database at PATH, or completes an existing one, exactly as a host does when it\n"
             "assigns DbPath: missing tables and the relation are added, and the built-in levels 0 and 1\n"
             "when they are missing; nothing that exists is overwritten. The one-time permission grants\n"
             "recorded in the registry run as well. The file is opened exclusively. A server database\n"
             "(PATH a postgresql:// URI) must exist: init makes or completes the schema in it.\n\n"
             "  --rights LIST   the rights of level 1 when it is created (default: all): RIGHT words joined\n"
             "                  by commas; may be repeated\n\n") +
             rightWords(),
         0,
         0,
         {Rights},
         RunInit},
        {QStringLiteral("levels"),
         {QStringLiteral("levels [--json]")},
         QStringLiteral("list the levels"),
         QStringLiteral(
             "Lists every level by ID: the name shown for it, its stored name, whether it has a password,\n"
             "its fixed rights, its custom rights and NEnable (the number of custom rights counted when its\n"
             "rights were last stored). Passwords are never shown. The level with the largest ID is in\n"
             "force when nobody is logged in.\n\n"
             "  --json   a JSON array of objects with id, name, displayName, hasPassword, manageLevel,\n"
             "           manageOperator, disShutDown, desktop, custom (the numbers of the true custom\n"
             "           rights) and nEnable\n"),
         0,
         0,
         {Json},
         RunLevels},
        {QStringLiteral("operators"),
         {QStringLiteral("operators [--json]")},
         QStringLiteral("list the operators"),
         QStringLiteral(
             "Lists every operator by name with its level's ID and name and whether it has a password.\n"
             "Passwords are never shown.\n\n"
             "  --json   a JSON array of objects with name, level, levelName and hasPassword\n"),
         0,
         0,
         {Json},
         RunOperators},
        {QStringLiteral("add-level"),
         {QStringLiteral("add-level NAME")},
         QStringLiteral("add a level without rights or password; prints its ID"),
         QStringLiteral(
             "Adds a level named NAME without password and without rights, numbered one above the largest\n"
             "ID, so that it becomes the level in force when nobody is logged in, and prints its ID.\n"
             "NAME must not be empty or a number, and no other level may have it in any letter case.\n"
             "Fails when the number would pass 32767.\n"),
         1,
         1,
         {},
         RunAddLevel},
        {QStringLiteral("remove-level"),
         {QStringLiteral("remove-level LEVEL [--force]")},
         QStringLiteral("remove a level and its operators, renumber the rest"),
         QStringLiteral(
             "Removes LEVEL (its ID, or its stored name) together with every operator of it, then\n"
             "renumbers the remaining levels 0, 1, 2, ... by their rights, as the management window does,\n"
             "and says how many operators went with it. The top level 0 is removed only with --force:\n"
             "without it the next level becomes level 0, and its password the top password.\n\n"
             "  --force   remove level 0 as well\n"),
         1,
         1,
         {Force},
         RunRemoveLevel},
        {QStringLiteral("add-operator"),
         {QStringLiteral("add-operator NAME --level LEVEL [--password-stdin]")},
         QStringLiteral("add an operator to a level"),
         QStringLiteral(
             "Adds operator NAME to LEVEL (its ID, or its stored name), without password unless one is\n"
             "given. NAME must not be empty or a number, and no other operator, in whatever level, may\n"
             "have it in any letter case. While a password rule of the policy is on, a new operator needs\n"
             "a password that passes the rules: without --password-stdin nothing is added.\n\n"
             "  --password-stdin   read the operator's password as one line from standard input\n"),
         1,
         1,
         {Level, PasswordStdin},
         RunAddOperator},
        {QStringLiteral("remove-operator"),
         {QStringLiteral("remove-operator NAME")},
         QStringLiteral("remove an operator"),
         QStringLiteral("Removes operator NAME (found without regard to letter case).\n"),
         1,
         1,
         {},
         RunRemoveOperator},
        {QStringLiteral("move-operator"),
         {QStringLiteral("move-operator NAME --level LEVEL")},
         QStringLiteral("move an operator to another level"),
         QStringLiteral("Moves operator NAME (found without regard to letter case) to LEVEL (its ID, or its\n"
                        "stored name).\n"),
         1,
         1,
         {Level},
         RunMoveOperator},
        {QStringLiteral("set-rights"),
         {QStringLiteral("set-rights LEVEL RIGHT...")},
         QStringLiteral("give a level exactly these rights, renumber; prints its new ID"),
         QStringLiteral(
             "Gives LEVEL (its ID, or its stored name) exactly the rights listed (every other right\n"
             "becomes false), stores NEnable (the number of its true custom rights) and renumbers the\n"
             "levels by their rights, as the management window does after its permission dialog: a level\n"
             "with ManageLevel comes first, then ManageOperator, DisShutDown and Desktop decide in that\n"
             "order, then more custom rights.\n"
             "Prints the level's ID after the renumbering.\n\n") +
             rightWords(),
         2,
         -1,
         {},
         RunSetRights},
        {QStringLiteral("passwd"),
         {QStringLiteral("passwd level LEVEL [--stdin]"), QStringLiteral("passwd operator NAME [--stdin]")},
         QStringLiteral("set a level's or an operator's password"),
         QStringLiteral(
             "Sets the password of LEVEL (its ID, or its stored name) or of operator NAME. The new password "
             "is typed twice on the\n"
             "terminal without echo, or read as one line from standard input with --stdin (the line end\n"
             "is not part of it; an empty line removes the password). Passwords are stored as given, or as\n"
             "their hash while the policy's password-storage is hashed. The level with the largest ID, in\n"
             "force when nobody is logged in, cannot have a password (an empty one is accepted).\n\n"
             "  --stdin   read the password from standard input\n"),
         2,
         2,
         {Stdin},
         RunPasswd},
        {QStringLiteral("export"),
         {QStringLiteral("export FILE")},
         QStringLiteral("write every level and operator, passwords included, as JSON"),
         QStringLiteral(
             "Writes every level and every operator to FILE (\"-\": standard output) as one JSON document, "
             "a\n"
             "full backup that import restores. The passwords are written as stored: IN PLAIN TEXT unless "
             "the\n"
             "policy's password-storage is hashed. Keep it as safe as the database (the file is created\n"
             "readable by its owner only).\n\n"
             "  {\"format\": \"ZAV_PrjLogin credentials\", \"version\": 1,\n"
             "   \"levels\": [{\"id\", \"name\", \"displayName\", \"password\", \"manageLevel\", "
             "\"manageOperator\",\n"
             "               \"disShutDown\", \"desktop\", \"custom\": [numbers], \"nEnable\"}, ...],\n"
             "   \"operators\": [{\"name\", \"password\", \"level\"}, ...]}\n"),
         1,
         1,
         {},
         RunExport},
        {QStringLiteral("import"),
         {QStringLiteral("import FILE [--merge]")},
         QStringLiteral("restore an export into a new database (or merge it into one)"),
         QStringLiteral(
             "Reads a document written by export from FILE (\"-\": standard input) and checks all of it\n"
             "before writing: members and their types, level IDs 0 to 32767, names not empty and unique\n"
             "without regard to letter case, custom rights 1 to 100, NEnable 0 to 100, every operator's\n"
             "level present in the document. \"displayName\" is not read; \"format\" and \"version\" may be\n"
             "left out.\n\n"
             "Without --merge PATH must not exist: the database is built in a temporary file next to it,\n"
             "holding exactly the document's levels (with their IDs and NEnable) and operators, and renamed\n"
             "to PATH at the end. A server database must hold no level and no operator (an empty\n"
             "database, or the bare schema) and takes the document in one transaction. An export always\n"
             "goes back in: passwords the document's policy refuses are kept, and listed as check lists\n"
             "them, with the command that fixes each.\n\n"
             "With --merge PATH is an existing database, changed in one transaction: a level of the "
             "document\n"
             "whose name it has gets the document's password, rights and NEnable, any other level is added\n"
             "above the largest ID; an operator whose name it has gets the document's password and level,\n"
             "any other operator is added; then the levels are renumbered by their rights. Levels and\n"
             "operators the document does not name stay. The database keeps its password storage: into a\n"
             "hashed one the document's passwords go hashed, and a hashed document into one that stores\n"
             "text is refused. Every password of the document must pass the resulting password rules.\n\n"
             "Either way it is all or nothing: after a failure PATH is as it was.\n\n"
             "  --merge   merge into the existing database at PATH\n"),
         1,
         1,
         {Merge},
         RunImport},
        {QStringLiteral("unlock"),
         {QStringLiteral("unlock NAME"), QStringLiteral("unlock --level LEVEL"),
          QStringLiteral("unlock --panel HOST")},
         QStringLiteral("end an operator's, a level's or a panel's lockout"),
         QStringLiteral(
             "Ends the lockout of operator NAME (found without regard to letter case), or of LEVEL (its ID,\n"
             "or its stored name) for logins by level, or of the badge reading of panel HOST, and forgets\n"
             "its failed logins; says whether it was locked. While the policy's lockout-attempts is N > 0,\n"
             "N wrong passwords (or PINs) in a row lock the operator or level out for lockout-minutes, or\n"
             "until this command when that is 0, and N unknown badges in a row on one panel stop that\n"
             "panel reading badges as long. Every panel on the database shares the count. The top level 0\n"
             "is never locked out.\n\n"
             "  --level LEVEL   the level to unlock\n"
             "  --panel HOST    the panel whose badge reading to unlock: its host name, as the audit's\n"
             "                  panel column shows it\n"),
         0,
         1,
         {Level, Panel},
         RunUnlock},
        {QStringLiteral("badge"),
         {QStringLiteral("badge init-key"), QStringLiteral("badge set NAME [--stdin] [--pin]"),
          QStringLiteral("badge remove NAME")},
         QStringLiteral("make the badge key, give an operator a badge (and PIN), take it away"),
         QStringLiteral(
             "Operators may log in with a badge, or a badge and a PIN, while the policy's badge-login is "
             "on.\n"
             "A badge is kept only as HMAC-SHA256 of its number under the badge key, a file outside the\n"
             "database that every panel of the plant holds: ZAV_BADGE_KEY_FILE names it, else\n"
             "/etc/zav-prjlogin/badge.key, readable by its owner only (a key others may read is not used).\n"
             "The number itself is never stored, printed or logged.\n\n"
             "  init-key      makes a new random key at that path (no --db needed) and prints the path;\n"
             "                refuses to replace a key: the badges stored under it would no longer open\n"
             "  set NAME      gives operator NAME the badge typed on the terminal without echo (present it\n"
             "                to a reader that types as a keyboard, or type its number), or the first line\n"
             "                of standard input with --stdin, in place of any badge NAME had; its login\n"
             "                method becomes badge. Decimal or hexadecimal, leading zeros and the\n"
             "                reader's prefix or suffix (policy badge-strip) all name the same badge. A\n"
             "                badge another operator has is refused\n"
             "  remove NAME   takes NAME's badge away (a lost badge): NAME logs in with the password\n\n"
             "  --stdin   read the badge (and then the PIN) from standard input, one line each\n"
             "  --pin     the login method badge+pin: the PIN (digits, at least the policy's "
             "pin-min-length)\n"
             "            is typed twice without echo, or read from standard input with --stdin\n"),
         1,
         2,
         {Stdin, Pin},
         RunBadge,
         false},
        {QStringLiteral("policy"),
         {QStringLiteral("policy [--json]"), QStringLiteral("policy set KEY VALUE")},
         QStringLiteral("show the security policy, or change one entry"),
         QStringLiteral(
             "Without arguments prints every key of the security policy with its value, one \"KEY VALUE\"\n"
             "line each; a database whose policy was never set shows the defaults and is not changed.\n"
             "With set, changes one entry in one transaction (the first change adds the table Policy to\n"
             "the database). Keys and defaults:\n\n"
             "  audit off                        record logins and changes\n"
             "  audit-retention-days 0           days the audit keeps entries (0: all), up to 36500\n"
             "  lockout-attempts 0               failed logins that lock out (0: never), up to 1000\n"
             "  lockout-minutes 15               how long a lockout lasts (0: until unlocked)\n"
             "  auto-logout-minutes 0            idle minutes before logging out (0: never), up to 10080\n"
             "  auto-logout-warning-seconds 30   the warning before an automatic logout, up to 3600\n"
             "  password-min-length 0            the shortest new password, up to 128\n"
             "  password-require-digit off       a new password needs a digit\n"
             "  password-require-letter off      a new password needs a letter\n"
             "  password-storage plain           plain or hashed (Argon2id; hashed cannot be undone)\n"
             "  password-max-age-days 0          a login with an older password changes it first (0: never)\n"
             "  password-history 0               how many recent passwords may not come back, up to 100\n"
             "  password-change-at-first-login off  an operator whose password someone else set changes it\n"
             "                                   at the next login\n"
             "  offline-login-days 0             a server's panels log in from a local copy while it\n"
             "                                   cannot be reached, up to this many days after the\n"
             "                                   copy's last refresh (0: no copy), up to 3650\n"
             "  offline-sync-minutes 5           how often panels refresh the copy besides logins and\n"
             "                                   changes (0: only then), up to 10080\n"
             "  signature-reasons                the reasons a signature offers, separated by | (none:\n"
             "                                   free text), up to 50 of up to 200 characters\n"
             "  signature-reason-required off    a signature without a reason is refused\n"
             "  badge-login off                  operators may log in with a badge (see badge)\n"
             "  badge-max-key-gap-ms 30          a reader's keystrokes come at most this far apart, up\n"
             "                                   to 1000\n"
             "  badge-strip                      texts a reader adds before or after the number,\n"
             "                                   separated by |, up to 10\n"
             "  pin-min-length 4                 the shortest PIN, up to 32\n\n"
             "on/off values accept on, off, true, false, 1, 0, yes, no. While any password rule is on, a\n"
             "new password (passwd, import, the password dialog) may not be the name of its level or\n"
             "operator nor the database's fixed key (letter case aside); an empty password, which removes\n"
             "one, is refused only by a minimum length, and never for the level in force when nobody is\n"
             "logged in. Lockout-attempts N > 0 locks an operator or level out after N wrong passwords in a\n"
             "row (see unlock); auto-logout-minutes N > 0 logs an idle operator out after a warning. The\n"
             "audit trail is described under audit.\n\n"
             "  --json   a JSON object: on/off as true/false, numbers as numbers\n"),
         0,
         3,
         {Json},
         RunPolicy},
        {QStringLiteral("check"),
         {QStringLiteral("check [--json]")},
         QStringLiteral("list what makes the database unsafe, with the fixes"),
         QStringLiteral(
             "Lists what makes the database unsafe, each with the command that fixes it: the top level 0\n"
             "still opens with the database's fixed key or without a password; levels that can be chosen\n"
             "at login without a password (the level in force when nobody is logged in aside); operators\n"
             "without a password, and passwords of levels and operators the password rules refuse; the\n"
             "database file or its lock file readable by its group or others; and the policy entries\n"
             "that are off and can be turned on (automatic logout, password rules, lockout, hashed password\n"
             "storage), passwords left as text in a hashed database, and hashes in an older, weaker form\n"
             "(named; each is replaced at its next login or password change). Nothing is changed.\n"
             "Exit status 0 when nothing is found, 1 otherwise.\n\n"
             "  --json   a JSON array of objects with finding (a fixed word), problem and fix\n"),
         0,
         0,
         {Json},
         RunCheck},
        {QStringLiteral("audit"),
         {QStringLiteral("audit [--json] [--since TIME] [--until TIME] [--signatures]"),
          QStringLiteral("audit --pdf FILE [--since TIME] [--until TIME] [--signatures]"),
          QStringLiteral("audit --verify [--anchor SEQ:HASH]... [--anchors-from-journal] [--json]"),
          QStringLiteral("audit --head")},
         QStringLiteral("list, print or verify the audit trail, or print its head"),
         QStringLiteral(
             "Lists the audit trail, oldest first, one line per row: its number, time (UTC), panel (host\n"
             "name), OS user, event, operator, level and detail. While the policy's audit is on, every\n"
             "login (success or failure, by operator or level; never the password typed), logout (by\n"
             "request, automatic, by termination), password change, lockout and unlock, change of levels,\n"
             "rights and operators, import, merge and policy change adds one row, in the same transaction\n"
             "as the change: a change whose row cannot be written does not happen. A logout always\n"
             "happens; one that cannot be recorded is reported on the panel's log.\n\n"
             "Each row holds the hash of the row before it and a SHA-256 hash over its own content, and a\n"
             "seal holds where the trail starts and ends, so --verify tells whether a row was changed or\n"
             "removed, and from which row on; exit status 0 when the trail is intact, 1 otherwise. Rows\n"
             "missing at the start must be those the newest retention row removed, and while the audit is\n"
             "on the seal must be there. Whoever holds the database's key can still rebuild a chain that\n"
             "verifies on its own: so every change also sends the new head (\"head db=ID seq=N hash=H\")\n"
             "to the system log as zav-audit. Copy those lines off the panel (a log collector), and verify\n"
             "against them: the trail must hold each such row exactly.\n"
             "audit-retention-days N > 0 removes the rows older than N days, counted back from the newest\n"
             "row, whole and oldest first, and records that it did. A clock more than a day past the\n"
             "newest row removes nothing and adds a clock row; no row is dated before the one before it.\n\n"
             "  --since TIME   rows from TIME on (ISO 8601, UTC unless it names its zone; a date alone\n"
             "                 means its midnight)\n"
             "  --until TIME   rows up to TIME\n"
             "  --signatures   only the signature rows\n"
             "  --pdf FILE     an A4 report instead of the listing: on every page the database (never a\n"
             "                 password), the time of printing and the page number; on the first the\n"
             "                 result of --verify; then the rows as a table, signatures shaded. Written\n"
             "                 whole or not at all, readable by its owner only; exit status 1 when the\n"
             "                 trail is not intact, as --verify\n"
             "  --verify       check the chain instead of listing\n"
             "  --anchor SEQ:HASH  with --verify: the trail must hold row SEQ with this hash (repeatable)\n"
             "  --anchors-from-journal  with --verify: every head of this database in the journal, and\n"
             "                 the trail's own head must be among them\n"
             "  --head         print the head: the database's identity, last row and its hash\n"
             "  --json         a JSON array of rows, or the verdict or head as an object\n"),
         0,
         0,
         {Json, Since, Until, Verify, Head, Anchor, AnchorsFromJournal, Pdf, Signatures},
         RunAudit},
    };
}

} // namespace

const std::vector<Command>& AllCommands() {
    static const std::vector<Command> commands = makeCommands();
    return commands;
}

const Command* FindCommand(const QString& name) {
    for (const auto& command : AllCommands()) {
        if (command.name == name) {
            return &command;
        }
    }
    return nullptr;
}

QString ToolHelp() {
    QString text = QStringLiteral(
        "Usage: zav-admin --db PATH COMMAND [ARGUMENT...] [OPTION...]\n"
        "       zav-admin [COMMAND] --help\n\n"
        "Keeps the levels and operators of an operator-login credential database without a screen. The\n"
        "changes go through the same operations as the management window, so the same rules hold: names\n"
        "are unique without regard to letter case, removing a level removes its operators, storing rights\n"
        "renumbers the levels, level numbers are 16-bit.\n\nCommands:\n");
    constexpr qsizetype Column = 34; // the summaries' column, after the indent
    for (const auto& command : AllCommands()) {
        // A synopsis too long for its column puts the summary in the column of the next line.
        const QString& first = command.synopses.front();
        text += QStringLiteral("  %1%2\n")
                    .arg(first.size() < Column ? first.leftJustified(Column)
                                               : first + QStringLiteral("\n") + QString(Column + 2, u' '),
                         command.summary);
        for (const QString& synopsis : command.synopses.mid(1)) {
            text += QStringLiteral("  %1\n").arg(synopsis);
        }
    }
    text += QStringLiteral(
        "\nOptions:\n"
        "  --db PATH       the database file, or a server database's postgresql:// URI (every\n"
        "                  command needs it; without it, the environment variable ZAV_DB). A URI's\n"
        "                  password belongs in ~/.pgpass: one given here is removed from the\n"
        "                  program's arguments, which other local users can read, with a warning\n"
        "  --json          levels, operators, policy, check, audit: JSON instead of text\n"
        "  --level LEVEL   add-operator, move-operator, unlock: the level (its ID, its stored name or\n"
        "                  the name levels shows)\n"
        "  --rights LIST   init: the rights of a new level 1 (default: all)\n"
        "  --stdin         passwd, badge set: read the password, or the badge and PIN, from\n"
        "                  standard input\n"
        "  --pin           badge set: the operator logs in with badge and PIN\n"
        "  --panel HOST    unlock: the panel whose badge reading to unlock\n"
        "  --password-stdin\n"
        "                  add-operator: read the new operator's password from standard input\n"
        "  --merge         import: merge into the existing database\n"
        "  --since TIME    audit: the rows from TIME on\n"
        "  --until TIME    audit: the rows up to TIME\n"
        "  --signatures    audit: only the signature rows\n"
        "  --pdf FILE      audit: an A4 report of the rows and the chain's check\n"
        "  --verify        audit: check the chain (--anchor SEQ:HASH, --anchors-from-journal)\n"
        "  --head          audit: print the trail's head\n"
        "  -h, --help      this help; with a command, that command's help\n"
        "  --              ends the options (for a name that starts with \"-\")\n\n"
        "Exit status: 0 on success; 1 on a failure, with \"zav-admin: DESCRIPTION (NUMBER)\" on standard\n"
        "error and the database unchanged (check: 1 when it found anything; audit --verify: 1 when the\n"
        "trail was changed); 2 on wrong usage.\n");
    return text;
}

QString CommandHelp(const Command& command) {
    QString text;
    for (const QString& synopsis : command.synopses) {
        text += (text.isEmpty() ? QStringLiteral("Usage: ") : QStringLiteral("       ")) +
                QStringLiteral("zav-admin --db PATH ") + synopsis + QLatin1Char('\n');
    }
    return text + QLatin1Char('\n') + command.details;
}

} // namespace zav::admin
