#!/bin/sh
# Plays a scenario on a schema of its own on the test PostgreSQL cluster (OCA_TEST_PG),
# dropped afterwards: on_postgres.sh OCA-SCRIPT SCENARIO-ARGS...
# Without the cluster it says so and CTest counts the test as skipped.
set -u
if [ -z "${OCA_TEST_PG:-}" ]; then
    echo "sem o banco PostgreSQL de teste (OCA_TEST_PG)"
    exit 0
fi
script="$1"
shift
schema="s$$_$(date +%s%N | tail -c 7)"
psql "$OCA_TEST_PG" -qAt -c "CREATE SCHEMA $schema" >/dev/null || exit 2
case "$OCA_TEST_PG" in
*\?*) url="$OCA_TEST_PG&options=-csearch_path%3D$schema" ;;
*) url="$OCA_TEST_PG?options=-csearch_path%3D$schema" ;;
esac
"$script" --db "$url" "$@"
status=$?
psql "$OCA_TEST_PG" -qAt -c "DROP SCHEMA $schema CASCADE" >/dev/null 2>&1
exit $status
