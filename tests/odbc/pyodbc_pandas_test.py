"""pyodbc and pandas, as users run them, against the workbook driver of this
build (registered privately: ODBCSYSINI points at the build's odbcinst.ini).

Run with Debian's /usr/bin/python3 (python3-pyodbc, python3-pandas).
"""
import datetime
import os
import shutil
import subprocess
import tempfile
import unittest
import warnings

import pandas
import pyodbc

DRIVER = "CVSTV XLS Workbook Driver"
NAMES = ["NAME", "D", "L", "DELIVERED", "OK", "Größe", "日本", "Prix €"]
INSERT = ("INSERT INTO [Parts] (NAME, D, L, DELIVERED, OK, [Größe], [日本], [Prix €]) "
          "VALUES (?, ?, ?, ?, ?, ?, ?, ?)")


def record(i):
    return ("M%d" % i, i % 20, 10 + i % 50, datetime.datetime(2024, 1, 1, 8, 30) + datetime.timedelta(days=i % 300),
            i % 2 == 0, "g%d" % i, i, 1.5 * i)


class PyodbcAndPandas(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.path = os.path.join(self.dir, "catalogue.xls")
        self.cs = "DRIVER={%s};DBQ=%s;CREATE_DB=%s;LOCKTIMEOUT=5" % (DRIVER, self.path, self.path)
        cn = pyodbc.connect(self.cs)  # pyodbc's default: auto-commit off
        cn.cursor().execute("CREATE TABLE [Parts] (NAME text(40), D number, L number, DELIVERED datetime, OK bit, "
                            "[Größe] text(10), [日本] number, [Prix €] number)")
        cn.commit()
        cn.close()

    def tearDown(self):
        shutil.rmtree(self.dir)

    def connect(self, **kw):
        return pyodbc.connect(self.cs, **kw)

    def load(self, rows=10000):
        cn = self.connect()
        cur = cn.cursor()
        before = os.stat(self.path)
        cur.executemany(INSERT, [record(i) for i in range(rows)])
        after = os.stat(self.path)
        self.assertEqual((before.st_ino, before.st_mtime_ns), (after.st_ino, after.st_mtime_ns),
                         "nothing is written before commit")
        cn.commit()
        cn.close()

    def test_connecting_with_defaults_and_reading_the_catalog(self):
        cn = self.connect()
        self.assertFalse(cn.autocommit)
        cur = cn.cursor()
        self.assertIn("Parts$", [t.table_name for t in cur.tables()])
        self.assertEqual([c.column_name for c in cur.columns(table="Parts$")], NAMES)
        cn.close()

    def test_executemany_of_ten_thousand_rows_is_committed_once(self):
        self.load()
        cn = self.connect()
        cur = cn.cursor()
        self.assertEqual(cur.execute("SELECT COUNT(*) FROM [Parts$]").fetchone()[0], 10000)
        row = cur.execute("SELECT * FROM [Parts$] WHERE NAME = ?", "M3").fetchone()
        self.assertEqual([d[0] for d in cur.description], NAMES)
        self.assertEqual(tuple(row), ("M3", 3.0, 13.0, datetime.datetime(2024, 1, 4, 8, 30), False, "g3", 3.0, 4.5))
        self.assertEqual([d[1] for d in cur.description], [str, float, float, datetime.datetime, bool, str, float,
                                                           float])
        cn.close()

    def test_parameterised_select_update_delete_and_rollback(self):
        self.load(400)
        cn = self.connect()
        cur = cn.cursor()
        rows = cur.execute("SELECT NAME, L FROM [Parts$] WHERE D = ? AND L >= ? ORDER BY L DESC", 8, 40).fetchall()
        expected = [("M%d" % i, float(10 + i % 50)) for i in range(400) if i % 20 == 8 and 10 + i % 50 >= 40]
        self.assertEqual([tuple(r) for r in rows], sorted(expected, key=lambda r: -r[1]))
        self.assertTrue(rows)
        self.assertEqual(cur.execute("UPDATE [Parts$] SET L = ? WHERE NAME = ?", 99, "M8").rowcount, 1)
        self.assertEqual(cur.execute("DELETE FROM [Parts$] WHERE D = ?", 0).rowcount, 20)
        self.assertEqual(cur.execute("SELECT COUNT(*) FROM [Parts$]").fetchone()[0], 380, "the transaction sees itself")
        cn.rollback()
        self.assertEqual(cur.execute("SELECT COUNT(*) FROM [Parts$]").fetchone()[0], 400)
        self.assertEqual(cur.execute("SELECT L FROM [Parts$] WHERE NAME = 'M8'").fetchone()[0], 18.0)
        cur.execute("UPDATE [Parts$] SET L = ? WHERE NAME = ?", 77, "M8")
        cn.commit()
        cn.close()
        other = self.connect()
        self.assertEqual(other.cursor().execute("SELECT L FROM [Parts$] WHERE NAME = 'M8'").fetchone()[0], 77.0)
        other.close()

    def test_closing_without_commit_discards_and_autocommit_writes_at_once(self):
        cn = self.connect()
        cn.cursor().execute(INSERT, record(1))
        cn.close()
        cn = self.connect(autocommit=True)
        cur = cn.cursor()
        self.assertEqual(cur.execute("SELECT COUNT(*) FROM [Parts$]").fetchone()[0], 0)
        cur.execute(INSERT, record(2))
        other = self.connect()
        self.assertEqual(other.cursor().execute("SELECT NAME FROM [Parts$]").fetchall()[0][0], "M2")
        other.close()
        cn.close()

    def test_read_sql_with_params_dates_and_unicode_names(self):
        self.load(300)
        cn = self.connect()
        df = pandas.read_sql("SELECT * FROM [Parts$] WHERE D = ? ORDER BY L", cn, params=[8])
        self.assertEqual(list(df.columns), NAMES)
        self.assertEqual(len(df), 15)
        self.assertEqual(str(df["DELIVERED"].dtype), "datetime64[ns]")
        self.assertEqual(df["NAME"].iloc[0], "M8")
        self.assertEqual(df["Prix €"].iloc[0], 12.0)
        total = pandas.read_sql("SELECT COUNT(*) AS n, SUM([日本]) AS s FROM [Parts$] WHERE L >= 20", cn)
        self.assertEqual(list(total.columns), ["n", "s"])
        expected = [i for i in range(300) if 10 + i % 50 >= 20]
        self.assertEqual(int(total["n"][0]), len(expected))
        self.assertEqual(float(total["s"][0]), float(sum(expected)))
        cn.close()

    def test_isql_shows_unicode_names_exactly(self):
        self.load(1)
        out = subprocess.run(["isql", "-b", "-d,", "-c", "-q", "-3", "-k", self.cs],
                             input="SELECT * FROM [Parts$]\n", capture_output=True, text=True, check=True).stdout
        self.assertIn(",".join(NAMES), out.splitlines())


if __name__ == "__main__":
    # pandas warns that it has not tested DBAPI2 connections other than sqlite3.
    warnings.filterwarnings("ignore", message="pandas only supports SQLAlchemy")
    unittest.main(verbosity=2)
