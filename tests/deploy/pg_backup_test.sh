#!/bin/bash
# A PostgreSQL company backed up with the documented pg_dump and put back with pg_restore
# into a fresh cluster: every table holds the same rows, compared by count and checksum,
# and the schema tool finds nothing to do.
set -euo pipefail
bin="$1"
source="$2"
[ -n "${OCA_TEST_PG:-}" ] || { echo "sem o banco PostgreSQL de teste"; exit 0; }
. "$source/scripts/lib/pg.sh"
pgbin="$(oca_pg_bindir)"
work="$(mktemp -d /tmp/oca-pgbackup.XXXXXX)"
chmod 755 "$work"
cleanup() { oca_pg_stop "$work/fresh"; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FALHOU: $*" >&2; exit 1; }

host="$(sed -n 's/.*host=\([^&]*\).*/\1/p' <<<"$OCA_TEST_PG")"
db="oca_backup_$$"
"$pgbin/dropdb" -h "$host" -U postgres --if-exists "$db"
"$pgbin/createdb" -h "$host" -U postgres "$db"
trap '"$pgbin/dropdb" -h "$host" -U postgres --if-exists "$db"; cleanup' EXIT
company="postgresql://postgres@/$db?host=$host"
"$bin/oca-dbinit" --db "$company" --demo --occurrences 1500 >/dev/null

# As docs/deployment.md says, while the company is in use.
"$pgbin/pg_dump" --format=custom --file="$work/empresa.dump" "$company"
fresh="$(oca_pg_start "$work/fresh")"
"$pgbin/pg_restore" --clean --if-exists --no-owner --dbname="$fresh" "$work/empresa.dump"

fingerprint() {
    local url="$1" table
    for table in $("$pgbin/psql" "$url" -qAt -c \
        "SELECT tablename FROM pg_tables WHERE schemaname = 'public' ORDER BY 1"); do
        echo "$table $("$pgbin/psql" "$url" -qAt -c \
            "SELECT count(*) || ' ' || md5(coalesce(string_agg(t::text, '|' ORDER BY t::text), '')) FROM \"$table\" t")"
    done
}
fingerprint "$company" >"$work/before"
fingerprint "$fresh" >"$work/after"
[ "$(wc -l <"$work/before")" -gt 20 ] || fail "poucas tabelas na empresa"
grep -q "^movocorr 1500 " "$work/before" || fail "a empresa não tem as 1500 ocorrências"
diff "$work/before" "$work/after" || fail "a empresa restaurada difere"
"$bin/oca-dbinit" --db "$fresh" | grep -q "(0 passo(s) aplicado(s))" || fail "o esquema restaurado não está completo"
echo "ok: $(wc -l <"$work/before") tabelas iguais em contagem e soma de verificação"
