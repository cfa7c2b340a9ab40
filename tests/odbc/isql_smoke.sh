#!/bin/sh
# isql, unixODBC's command-line client, against the workbook driver: once
# with a full connection string under the registered name, once through a
# DSN in a private odbc.ini. Usage: isql_smoke.sh <ODBCSYSINI dir> <work dir>
set -eu
sysini="$1"
work="$2"
rm -rf "$work"
mkdir -p "$work/ini"
book="$work/smoke.xls"

fail() { echo "FAIL: $*"; exit 1; }

export ODBCSYSINI="$sysini"
out=$(isql -b -d, -c -q -3 -k "DRIVER={MICROSOFT EXCEL DRIVER (*.XLS)};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\"$book\";DBQ=$book" 2>&1 <<'SQL'
CREATE TABLE [Tools] (NAME text(40), SIZE number)
INSERT INTO [Tools] (NAME, SIZE) VALUES('drill', 8)
INSERT INTO [Tools] VALUES('tap ''M6''', 6.5)
UPDATE Tools SET SIZE=10  WHERE NAME='drill'
SELECT * FROM `Tools$`
SQL
) || fail "isql with a connection string: $out"
echo "$out"
echo "$out" | grep -qx "NAME,SIZE" || fail "no header line"
echo "$out" | grep -qx '"drill",10' || fail "updated row missing"
echo "$out" | grep -qx "\"tap 'M6'\",6.5" || fail "quoted text row missing"

# A DSN in a private odbc.ini, read by the driver through odbcinst.
cp "$sysini/odbcinst.ini" "$work/ini/odbcinst.ini"
cat > "$work/ini/odbc.ini" <<INI
[smoke]
Driver=CVSTV XLS Workbook Driver
DBQ=$book
READONLY=TRUE
INI
export ODBCSYSINI="$work/ini"
out=$(printf 'SELECT SIZE FROM Tools WHERE NAME=%s\nDELETE FROM Tools\n' "'drill'" | isql -v -b -d, -c -q -3 smoke 2>&1) || true
echo "$out"
echo "$out" | grep -qx "10" || fail "DSN query"
echo "$out" | grep -q "read-only" || fail "READONLY from the DSN not applied"
echo "isql smoke test passed"
