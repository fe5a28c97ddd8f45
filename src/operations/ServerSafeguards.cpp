#include "operations/ServerSafeguards.h"

#include "operations/Clock.h"

namespace zav::manage {

namespace {

// The texts are those the audit chain hashes (AuditChain.cpp): each as its length in UTF-8 bytes, ":"
// and the bytes, so a row hashed here verifies there and the other way round. Times are written as the
// trail writes them: UTC with milliseconds and "Z", which sort as text.
const char* const FunctionsSql = R"SQL(
CREATE OR REPLACE FUNCTION zav_hash_part(t text) RETURNS bytea
LANGUAGE sql IMMUTABLE SET search_path = pg_catalog AS
$f$ SELECT convert_to(octet_length(convert_to(coalesce(t, ''), 'UTF8'))::text || ':', 'UTF8')
           || convert_to(coalesce(t, ''), 'UTF8') $f$;

CREATE OR REPLACE FUNCTION zav_time_text(t timestamptz) RETURNS text
LANGUAGE sql IMMUTABLE SET search_path = pg_catalog AS
$f$ SELECT to_char(t AT TIME ZONE 'UTC', 'YYYY-MM-DD"T"HH24:MI:SS.MS"Z"') $f$;

CREATE OR REPLACE FUNCTION zav_policy_number(p_name text) RETURNS integer
LANGUAGE sql STABLE SET search_path = pg_catalog, public AS
$f$ SELECT coalesce((SELECT CASE WHEN p.value COLLATE "C" ~ '^[0-9]{1,9}$' THEN p.value::integer END
                     FROM policy p WHERE p.name = p_name), 0) $f$;

-- Appends one event after the trail's last row: the rows a missing seal or the retention (by the server's
-- clock) calls for first, then the event, dated p_time or else by the server's clock; moves the seal;
-- returns the new head. Only the owner's functions below call it: no other role may choose the time.
CREATE OR REPLACE FUNCTION zav_audit_write(p_time text, p_panel text, p_os_user text, p_event text,
                                           p_operator text, p_level text, p_detail text)
RETURNS TABLE (head_identity text, head_seq integer, head_hash text)
LANGUAGE plpgsql SET search_path = pg_catalog, public AS $f$
DECLARE
  v_now text := zav_time_text(clock_timestamp());
  v_identity text; v_first integer; v_first_previous text; v_last integer; v_last_hash text;
  v_newest text; v_stamp text; v_days integer; v_cutoff text; v_keep integer; v_keep_previous text;
  v_events text[] := ARRAY[]::text[]; v_details text[] := ARRAY[]::text[];
  v_operators text[] := ARRAY[]::text[]; v_levels text[] := ARRAY[]::text[];
  v_hash text; i integer;
BEGIN
  -- One append at a time: each continues the row before it.
  LOCK TABLE auditseal IN SHARE ROW EXCLUSIVE MODE;
  SELECT s.hash INTO v_identity FROM auditseal s WHERE s.name = 'identity';
  SELECT s.seq, s.hash INTO v_first, v_first_previous FROM auditseal s WHERE s.name = 'first';
  SELECT s.seq, s.hash INTO v_last, v_last_hash FROM auditseal s WHERE s.name = 'last';
  IF NOT EXISTS (SELECT 1 FROM auditseal) THEN
    -- The seal is gone while rows may not be: a new one starts after the newest row, and says so.
    SELECT a.seq, a.hash INTO v_last, v_last_hash FROM audit a ORDER BY a.seq DESC LIMIT 1;
    v_last := coalesce(v_last, 0); v_last_hash := coalesce(v_last_hash, '');
    v_first := v_last + 1; v_first_previous := v_last_hash;
    v_events := v_events || 'seal-missing'::text;
    v_details := v_details || format('the trail''s seal was gone; a new one starts after row %s', v_last);
    v_operators := v_operators || ''::text; v_levels := v_levels || ''::text;
  END IF;
  v_first := coalesce(v_first, 1); v_first_previous := coalesce(v_first_previous, '');
  v_last := coalesce(v_last, 0); v_last_hash := coalesce(v_last_hash, '');
  v_identity := coalesce(v_identity, gen_random_uuid()::text);

  SELECT a.time INTO v_newest FROM audit a WHERE a.seq = v_last AND v_last >= v_first;
  v_stamp := CASE WHEN p_time IS NOT NULL THEN p_time
                  WHEN v_newest COLLATE "C" > v_now COLLATE "C" THEN v_newest ELSE v_now END;

  v_days := zav_policy_number('audit-retention-days');
  IF v_days > 0 AND v_last >= v_first THEN
    v_cutoff := zav_time_text(clock_timestamp() - make_interval(days => v_days));
    IF EXISTS (SELECT 1 FROM audit a WHERE a.seq = v_first AND a.time COLLATE "C" < v_cutoff COLLATE "C") THEN
      SELECT a.seq, a.previous INTO v_keep, v_keep_previous FROM audit a
        WHERE a.time COLLATE "C" >= v_cutoff COLLATE "C" ORDER BY a.seq LIMIT 1;
      IF v_keep IS NULL THEN
        v_keep := v_last + 1; v_keep_previous := v_last_hash;
      END IF;
      IF v_keep > v_first THEN
        DELETE FROM audit a WHERE a.seq < v_keep;
        v_events := v_events || 'retention'::text;
        v_details := v_details || format('removed rows %s to %s, older than %s days (before %s)',
                                         v_first, v_keep - 1, v_days, v_cutoff);
        v_operators := v_operators || ''::text; v_levels := v_levels || ''::text;
        v_first := v_keep; v_first_previous := coalesce(v_keep_previous, '');
      END IF;
    END IF;
  END IF;

  v_events := v_events || p_event; v_details := v_details || coalesce(p_detail, '');
  v_operators := v_operators || coalesce(p_operator, ''); v_levels := v_levels || coalesce(p_level, '');
  FOR i IN 1 .. array_length(v_events, 1) LOOP
    v_last := v_last + 1;
    v_hash := encode(sha256(zav_hash_part(v_last_hash) || zav_hash_part(v_last::text) ||
                            zav_hash_part(v_stamp) || zav_hash_part(p_panel) || zav_hash_part(p_os_user) ||
                            zav_hash_part(v_events[i]) || zav_hash_part(v_operators[i]) ||
                            zav_hash_part(v_levels[i]) || zav_hash_part(v_details[i])), 'hex');
    INSERT INTO audit (seq, time, panel, osuser, event, operator, level, detail, previous, hash)
      VALUES (v_last, v_stamp, coalesce(p_panel, ''), coalesce(p_os_user, ''), v_events[i], v_operators[i],
              v_levels[i], v_details[i], v_last_hash, v_hash);
    v_last_hash := v_hash;
  END LOOP;

  INSERT INTO auditseal (name, seq, hash) VALUES
    ('identity', 0, v_identity), ('first', v_first, v_first_previous), ('last', v_last, v_last_hash),
    ('rows', greatest(v_last - v_first + 1, 0),
     encode(sha256(zav_hash_part('seal') || zav_hash_part(v_identity) || zav_hash_part(v_first::text) ||
                   zav_hash_part(v_first_previous) ||
                   zav_hash_part(greatest(v_last - v_first + 1, 0)::text) || zav_hash_part(v_last::text) ||
                   zav_hash_part(v_last_hash)), 'hex'))
  ON CONFLICT (name) DO UPDATE SET seq = excluded.seq, hash = excluded.hash;
  RETURN QUERY SELECT v_identity, v_last, v_last_hash;
END $f$;

-- Appends one event under the server's clock, never dated before the row before it.
CREATE OR REPLACE FUNCTION zav_audit_append(p_panel text, p_os_user text, p_event text, p_operator text,
                                            p_level text, p_detail text)
RETURNS TABLE (head_identity text, head_seq integer, head_hash text)
LANGUAGE sql SECURITY DEFINER SET search_path = pg_catalog, public AS
$f$ SELECT * FROM zav_audit_write(NULL, p_panel, p_os_user, p_event, p_operator, p_level, p_detail) $f$;

-- What panels recorded while the server could not be reached, each id taken once: the table
-- offlineimports refuses an id twice, in the transaction of the append, so a panel that sends its queue
-- again (it was stopped before it learnt that the server took it) adds nothing.
DO $t$ BEGIN
  IF to_regclass('offlineimports') IS NULL THEN
    CREATE TABLE offlineimports (id text PRIMARY KEY, imported text NOT NULL);
  END IF;
END $t$;

-- The rows of a panel's queue (a JSON array of objects: id, time, panel, osuser, event, operator,
-- level, detail), in order, each with the time the panel recorded it (a time in another form, or ahead
-- of the server's clock, takes the server's), marked offline with the time it arrived.
CREATE OR REPLACE FUNCTION zav_audit_import(p_rows text)
RETURNS TABLE (head_identity text, head_seq integer, head_hash text, imported_rows integer)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public AS $f$
DECLARE
  v_now text := zav_time_text(clock_timestamp()); v_time text; v_count integer := 0;
  v_identity text; v_seq integer; v_hash text; r record;
BEGIN
  FOR r IN SELECT e.v->>'id' AS q_id, e.v->>'time' AS q_time, e.v->>'panel' AS q_panel,
                  e.v->>'osuser' AS q_os_user, e.v->>'event' AS q_event, e.v->>'operator' AS q_operator,
                  e.v->>'level' AS q_level, e.v->>'detail' AS q_detail
             FROM json_array_elements(p_rows::json) WITH ORDINALITY AS e(v, n) ORDER BY e.n
  LOOP
    INSERT INTO offlineimports (id, imported) VALUES (r.q_id, v_now) ON CONFLICT (id) DO NOTHING;
    CONTINUE WHEN NOT FOUND;
    v_time := CASE WHEN r.q_time COLLATE "C" ~ '^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}[.][0-9]{3}Z$'
                        AND r.q_time COLLATE "C" <= v_now COLLATE "C" THEN r.q_time ELSE v_now END;
    SELECT w.head_identity, w.head_seq, w.head_hash INTO v_identity, v_seq, v_hash
      FROM zav_audit_write(v_time, r.q_panel, r.q_os_user, r.q_event, r.q_operator, r.q_level,
                           coalesce(r.q_detail, '') || ', offline, recorded ' || v_now) w;
    v_count := v_count + 1;
  END LOOP;
  RETURN QUERY SELECT v_identity, v_seq, v_hash, v_count;
END $f$;

-- The failed logins of a panel's queue (a JSON array of objects: id, kind, name), each id counted once,
-- as zav_lockout_count counts them (only while the policy locks out). Returns how many were new.
CREATE OR REPLACE FUNCTION zav_lockout_import(p_failures text) RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public AS $f$
DECLARE
  v_now text := zav_time_text(clock_timestamp()); v_count integer := 0;
  v_counts boolean := zav_policy_number('lockout-attempts') > 0; r record;
BEGIN
  FOR r IN SELECT e.v->>'id' AS q_id, e.v->>'kind' AS q_kind, e.v->>'name' AS q_name
             FROM json_array_elements(p_failures::json) WITH ORDINALITY AS e(v, n) ORDER BY e.n
  LOOP
    INSERT INTO offlineimports (id, imported) VALUES (r.q_id, v_now) ON CONFLICT (id) DO NOTHING;
    CONTINUE WHEN NOT FOUND;
    IF v_counts THEN
      PERFORM zav_lockout_count(r.q_kind, r.q_name);
    END IF;
    v_count := v_count + 1;
  END LOOP;
  RETURN v_count;
END $f$;

-- Counts one failed login of an operator or level that exists, under the server's clock and the policy,
-- and locks it once the count reaches the attempts; level 0 is never locked, its next try waits 1 s,
-- twice as long after each further failure, at most 60 s. Returns the entry's state afterwards.
CREATE OR REPLACE FUNCTION zav_lockout_count(p_kind text, p_name text)
RETURNS TABLE (r_failures integer, r_locked smallint, r_until text, r_clock text)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public AS $f$
DECLARE
  v_now timestamptz := clock_timestamp(); v_now_text text := zav_time_text(clock_timestamp());
  v_presence text := 'gone'; v_id integer; v_attempts integer := zav_policy_number('lockout-attempts');
  v_minutes integer := zav_policy_number('lockout-minutes');
  v_failures integer; v_locked boolean; v_until text;
BEGIN
  v_now_text := zav_time_text(v_now);
  IF p_kind = 'level' THEN
    SELECT l.id INTO v_id FROM levels l WHERE l.name = p_name;
    IF FOUND THEN v_presence := CASE WHEN v_id = 0 THEN 'top' ELSE 'lockable' END; END IF;
  ELSIF p_kind = 'operator' THEN
    IF EXISTS (SELECT 1 FROM operators o WHERE o.name = p_name) THEN v_presence := 'lockable'; END IF;
  ELSIF p_kind = 'panel' THEN
    v_presence := 'lockable'; -- the unknown badges read on a panel
  END IF;
  IF v_presence = 'gone' THEN
    RETURN QUERY SELECT 0, 0::smallint, NULL::text, v_now_text;
    RETURN;
  END IF;
  SELECT k.failures, k.locked <> 0, k.lockeduntil INTO v_failures, v_locked, v_until
    FROM lockout k WHERE k.kind = p_kind AND k.name = p_name FOR UPDATE;
  v_failures := coalesce(v_failures, 0); v_locked := coalesce(v_locked, false);
  IF v_locked AND (v_presence = 'top' OR v_until COLLATE "C" <= v_now_text COLLATE "C") THEN
    v_failures := 0; v_locked := false; -- an expired lock, or one level 0 carries from a renumbering
  END IF;
  IF v_locked THEN
    RETURN QUERY SELECT v_failures, (-1)::smallint, v_until, v_now_text;
    RETURN;
  END IF;
  DELETE FROM lockout k WHERE k.kind = p_kind AND k.name = p_name AND v_failures = 0;
  v_failures := v_failures + 1;
  v_until := NULL;
  IF v_attempts > 0 AND v_failures >= v_attempts THEN
    IF v_presence = 'lockable' THEN
      v_locked := true;
      v_until := CASE WHEN v_minutes > 0 THEN zav_time_text(v_now + make_interval(mins => v_minutes)) END;
    ELSE
      v_until := zav_time_text(v_now + make_interval(secs => least(power(2, least(v_failures - v_attempts, 6)), 60)));
    END IF;
  END IF;
  INSERT INTO lockout (kind, name, failures, locked, lockeduntil)
    VALUES (p_kind, p_name, v_failures, CASE WHEN v_locked THEN -1 ELSE 0 END, v_until)
  ON CONFLICT (kind, name) DO UPDATE SET failures = excluded.failures,
    locked = CASE WHEN v_locked THEN -1 ELSE lockout.locked END,
    lockeduntil = CASE WHEN v_until IS NULL THEN lockout.lockeduntil ELSE excluded.lockeduntil END;
  RETURN QUERY SELECT v_failures, (CASE WHEN v_locked THEN -1 ELSE 0 END)::smallint, v_until, v_now_text;
END $f$;

-- Forgets one entry's count and lock; returns how many rows went (0 or 1).
CREATE OR REPLACE FUNCTION zav_lockout_clear(p_kind text, p_name text) RETURNS integer
LANGUAGE sql SECURITY DEFINER SET search_path = pg_catalog, public AS
$f$ WITH gone AS (DELETE FROM lockout k WHERE k.kind = p_kind AND k.name = p_name RETURNING 1)
    SELECT count(*)::integer FROM gone $f$;

CREATE OR REPLACE FUNCTION zav_now() RETURNS text
LANGUAGE sql SET search_path = pg_catalog, public AS $f$ SELECT zav_time_text(clock_timestamp()) $f$;
)SQL";

// Who may do what: the trail, the policy and the lockout table change only through the functions (or
// the owner's tools); the functions and the open lock belong to the roles that write levels; a role that
// only reads sees levels and operators without their passwords.
const char* const GrantsSql = R"SQL(
DO $g$
DECLARE
  r record;
  v_writers text[];
  v_protected text := 'audit, auditseal, lockout, policy, offlineimports';
  v_functions text := 'zav_audit_append(text, text, text, text, text, text), '
                      'zav_lockout_count(text, text), zav_lockout_clear(text, text), '
                      'zav_audit_import(text), zav_lockout_import(text)';
BEGIN
  SELECT coalesce(array_agg(DISTINCT a.grantee::regrole::text), ARRAY[]::text[]) INTO v_writers
    FROM pg_class c, aclexplode(c.relacl) a
    WHERE c.oid = 'levels'::regclass AND a.grantee <> 0 AND a.grantee <> c.relowner
      AND a.privilege_type = 'UPDATE';
  EXECUTE format('REVOKE INSERT, UPDATE, DELETE, TRUNCATE ON %s FROM PUBLIC', v_protected);
  EXECUTE format('REVOKE ALL ON FUNCTION %s FROM PUBLIC', v_functions);
  REVOKE ALL ON FUNCTION zav_audit_write(text, text, text, text, text, text, text) FROM PUBLIC;
  FOR r IN SELECT DISTINCT a.grantee::regrole::text AS role
             FROM pg_class c, aclexplode(c.relacl) a
             WHERE c.relname IN ('audit', 'auditseal', 'lockout', 'policy', 'offlineimports')
               AND c.relnamespace = current_schema()::regnamespace AND a.grantee <> 0
               AND a.grantee <> c.relowner AND a.privilege_type IN ('INSERT', 'UPDATE', 'DELETE', 'TRUNCATE')
  LOOP
    EXECUTE format('REVOKE INSERT, UPDATE, DELETE, TRUNCATE ON %s FROM %s', v_protected, r.role);
  END LOOP;
  FOR i IN 1 .. coalesce(array_length(v_writers, 1), 0) LOOP
    EXECUTE format('GRANT EXECUTE ON FUNCTION %s TO %s', v_functions, v_writers[i]);
    IF to_regclass('openlock') IS NOT NULL THEN
      EXECUTE format('GRANT SELECT, UPDATE ON openlock TO %s', v_writers[i]);
    END IF;
  END LOOP;
  IF to_regclass('openlock') IS NOT NULL THEN
    FOR r IN SELECT DISTINCT a.grantee AS oid, a.grantee::regrole::text AS role
               FROM pg_class c, aclexplode(c.relacl) a
               WHERE c.oid = 'openlock'::regclass AND a.grantee <> c.relowner
    LOOP
      IF r.oid = 0 THEN
        REVOKE ALL ON openlock FROM PUBLIC;
      ELSIF NOT r.role = ANY (v_writers) THEN
        EXECUTE format('REVOKE ALL ON openlock FROM %s', r.role);
      END IF;
    END LOOP;
  END IF;
  -- Roles that read the whole of levels or operators without writing levels: every column but PWD.
  FOR r IN SELECT DISTINCT c.oid AS tab, c.relname AS name, a.grantee::regrole::text AS role
             FROM pg_class c, aclexplode(c.relacl) a
             WHERE c.relname IN ('levels', 'operators') AND c.relnamespace = current_schema()::regnamespace
               AND a.grantee <> 0 AND a.grantee <> c.relowner AND a.privilege_type = 'SELECT'
               AND NOT a.grantee::regrole::text = ANY (v_writers)
  LOOP
    EXECUTE format('REVOKE SELECT ON %I FROM %s', r.name, r.role);
    EXECUTE (SELECT format('GRANT SELECT (%s) ON %I TO %s', string_agg(quote_ident(t.attname), ', '),
                           r.name, r.role)
               FROM pg_attribute t
               WHERE t.attrelid = r.tab AND t.attnum > 0 AND NOT t.attisdropped AND t.attname <> 'pwd');
  END LOOP;
  IF has_table_privilege('public', 'levels', 'SELECT') OR has_table_privilege('public', 'operators', 'SELECT') THEN
    REVOKE SELECT ON levels, operators FROM PUBLIC;
  END IF;
END $g$;
)SQL";

// The badges are the operators' as much as their passwords: the roles that write levels (the panels and
// the management tools) read and write them; roles that only read the lists read them without the PIN.
const char* const BadgeGrantsSql = R"SQL(
DO $b$
DECLARE r record;
BEGIN
  IF to_regclass('badges') IS NULL THEN RETURN; END IF;
  REVOKE ALL ON badges FROM PUBLIC;
  FOR r IN SELECT DISTINCT a.grantee::regrole::text AS role FROM pg_class c, aclexplode(c.relacl) a
             WHERE c.oid = 'levels'::regclass AND a.grantee <> 0 AND a.grantee <> c.relowner
               AND a.privilege_type = 'UPDATE'
  LOOP
    EXECUTE format('GRANT SELECT, INSERT, UPDATE, DELETE ON badges TO %s', r.role);
  END LOOP;
  -- Roles that only read the lists see who has a badge and how, never a PIN.
  FOR r IN SELECT quote_ident(g.rolname) AS role FROM pg_roles g
             WHERE g.rolname NOT LIKE 'pg\_%' AND NOT g.rolsuper
               AND g.oid <> (SELECT c.relowner FROM pg_class c WHERE c.oid = 'badges'::regclass)
               AND has_any_column_privilege(g.oid, 'levels', 'SELECT')
               AND NOT has_table_privilege(g.oid, 'levels', 'UPDATE')
  LOOP
    EXECUTE format('GRANT SELECT (hmac, name, method) ON badges TO %s', r.role);
  END LOOP;
END $b$;
)SQL";

const QString TimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ");

} // namespace

void ProtectServerDatabase(store::Database& db) {
    db.ExecuteServerScript(QString::fromUtf8(FunctionsSql));
    db.ExecuteServerScript(QString::fromUtf8(GrantsSql));
    GrantBadges(db);
}

void GrantBadges(store::Database& db) {
    if (db.IsServer()) {
        db.ExecuteServerScript(QString::fromUtf8(BadgeGrantsSql));
    }
}

bool ServerDatabaseProtected(store::Database& db) {
    for (const QString& function : {AuditAppendFunction, LockoutCountFunction, LockoutClearFunction,
                                    AuditImportFunction, LockoutImportFunction}) {
        if (!db.RoutineExists(function)) {
            return false;
        }
    }
    return true;
}

QDateTime ParseDatabaseTime(const QString& text) {
    QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    return time.isValid() ? time.toUTC() : time;
}

QDateTime DatabaseNow(store::Database& db) {
    if (!db.IsServer() || !db.RoutineExists(QStringLiteral("zav_now"))) {
        return NowUtc();
    }
    auto rs = db.OpenRecordset(QStringLiteral("Select zav_now() as Now"));
    const QDateTime server = ParseDatabaseTime(rs->Field(QStringLiteral("Now")).toString());
    rs->Close();
    return ShiftedByTestClock(server);
}

} // namespace zav::manage
