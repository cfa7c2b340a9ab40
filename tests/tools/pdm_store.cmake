# cvstv --pdm FILE pdm: a store made and filled from the command line, read
# back through cvstv and, as the SQLite database it is, by Python's sqlite3.
set(store ${WORK}/cvstv_pdm_test.pdm)
file(REMOVE ${store})
function(cvstv_pdm expected_status)
  execute_process(COMMAND ${CVSTV} --pdm ${store} pdm ${ARGN}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  if(NOT status EQUAL expected_status)
    message(FATAL_ERROR "cvstv pdm ${ARGN}: status ${status}, expected ${expected_status}\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()
function(expect_output expected)
  if(NOT out STREQUAL expected)
    message(FATAL_ERROR "expected '${expected}', got '${out}'")
  endif()
endfunction()

cvstv_pdm(1 list)
if(NOT err MATCHES "is not found")
  message(FATAL_ERROR "a missing store is not reported clearly: ${err}")
endif()
cvstv_pdm(0 create)
cvstv_pdm(1 create)
cvstv_pdm(0 user user7)
cvstv_pdm(0 folder-add user7:tools:cavity)
cvstv_pdm(0 item P100 Mould A B --file ${WORK}/P100.prt --folder user7:tools:cavity)
cvstv_pdm(1 item P:200 Mould A)
cvstv_pdm(0 set number_prefix N)
cvstv_pdm(0 draw 2)
expect_output("N000001\nN000002\n")
cvstv_pdm(0 folder P100)
expect_output("user7:tools:cavity\n")
cvstv_pdm(1 folder P999)
cvstv_pdm(0 cli P100)
expect_output("@DB/P100/B\n")
cvstv_pdm(0 encode P100/A specification)
string(STRIP "${out}" encoded)
if(encoded MATCHES "/")
  message(FATAL_ERROR "an encoded name holds '/': ${encoded}")
endif()
cvstv_pdm(0 decode ${encoded})
expect_output("P100\n")
cvstv_pdm(2 frobnicate)

set(check [=[
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
assert db.execute("PRAGMA integrity_check").fetchone()[0] == "ok"
items = db.execute("SELECT number, type FROM items").fetchall()
assert items == [("P100", "Mould")], items
revs = [r for (r,) in db.execute("SELECT revision FROM revisions WHERE number = 'P100' ORDER BY seq")]
assert revs == ["A", "B"], revs
files = db.execute("SELECT revision, local_path FROM files WHERE number = 'P100' AND file_type = 'master'").fetchall()
assert sorted(files) == [("A", sys.argv[2]), ("B", sys.argv[2])], files
]=])
execute_process(COMMAND ${PYTHON} -c "${check}" ${store} ${WORK}/P100.prt RESULT_VARIABLE py)
if(NOT py EQUAL 0)
  message(FATAL_ERROR "the store does not read back as an SQLite database holding P100")
endif()
