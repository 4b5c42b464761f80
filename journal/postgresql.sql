-- The results journal on a class's PostgreSQL server. Run once, as the
-- server's superuser, in a database made for it:
--     createdb quivara && psql -v ON_ERROR_STOP=1 -d quivara -f postgresql.sql
-- It makes two roles: quivara_student, for the students' computers, which
-- may only add attempts, and quivara_teacher, which may read and delete them.
-- Give each a password with \password, or let them in by the server's own
-- rules (pg_hba.conf). Running it again changes nothing.

DO $$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'quivara_student') THEN
        CREATE ROLE quivara_student LOGIN;
    END IF;
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'quivara_teacher') THEN
        CREATE ROLE quivara_teacher LOGIN;
    END IF;
END
$$;

BEGIN;

CREATE TABLE IF NOT EXISTS journal_schema (version INTEGER NOT NULL);
INSERT INTO journal_schema (version) SELECT 1 WHERE NOT EXISTS (SELECT FROM journal_schema);

CREATE TABLE IF NOT EXISTS attempts (
    id TEXT PRIMARY KEY, test_title TEXT NOT NULL, test_file TEXT NOT NULL,
    test_sha256 TEXT NOT NULL, test_author TEXT NOT NULL, student TEXT NOT NULL,
    student_key TEXT NOT NULL, computer TEXT NOT NULL, account TEXT NOT NULL,
    started_utc TEXT NOT NULL, finished_utc TEXT NOT NULL, seconds INTEGER NOT NULL,
    time_limit INTEGER NOT NULL, questions INTEGER NOT NULL, answered INTEGER NOT NULL,
    correct INTEGER NOT NULL, percent INTEGER NOT NULL, grade INTEGER NOT NULL,
    ended TEXT NOT NULL, program_version TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS answers (
    attempt_id TEXT NOT NULL REFERENCES attempts(id) ON DELETE CASCADE,
    position INTEGER NOT NULL, section TEXT NOT NULL, question TEXT NOT NULL,
    answer TEXT, correct INTEGER NOT NULL, PRIMARY KEY (attempt_id, position));
CREATE INDEX IF NOT EXISTS attempts_by_finish ON attempts (finished_utc);
CREATE INDEX IF NOT EXISTS attempts_by_test ON attempts (test_title, finished_utc);

REVOKE ALL ON journal_schema, attempts, answers FROM PUBLIC;
GRANT USAGE ON SCHEMA public TO quivara_student, quivara_teacher;
GRANT SELECT ON journal_schema TO quivara_student, quivara_teacher;
-- Students add attempts and read nothing back, not even their own.
GRANT INSERT ON attempts, answers TO quivara_student;
GRANT SELECT, DELETE ON attempts, answers TO quivara_teacher;

COMMIT;
