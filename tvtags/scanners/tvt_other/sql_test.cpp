// The SQL scanner on the common dialects: create statements, tables with
// their columns, cursors, and bodies that must not hide what follows.
#include "other_testutil.h"

namespace {

TEST_F(OtherScan, SqlCreateStatements)
{
    EXPECT_EQ(scan("create procedure dbo.sp_x as\n  select 1\ngo\n"
                   "CREATE TRIGGER trg_audit AFTER INSERT ON orders FOR EACH ROW EXECUTE PROCEDURE audit();\n"
                   "CREATE RULE r_positive AS ON INSERT TO t DO NOTHING;\n"
                   "CREATE UNIQUE INDEX idx_name ON people (last, first);\n"
                   "CREATE OR REPLACE PACKAGE BODY billing AS\n"
                   "  FUNCTION total (id NUMBER) RETURN NUMBER IS\n  BEGIN\n    RETURN 0;\n  END;\n"
                   "  PROCEDURE run IS BEGIN NULL; END;\n"
                   "END billing;\n",
                   tvt_sql_scan),
              "PROC_PROTOTYPE sp_x\nTRIGGER trg_audit\nRULE r_positive\nINDEX idx_name\n"
              "MEMBER last<idx_name\nMEMBER first<idx_name\nPACKAGE billing\nFUNCTION total\n"
              "PROCEDURE run\n");
    EXPECT_EQ(find("total")->args, "(id NUMBER)");
}

TEST_F(OtherScan, SqlTablesAndColumns)
{
    EXPECT_EQ(scan("CREATE TABLE IF NOT EXISTS public.accounts (\n"
                   "  id serial PRIMARY KEY,\n"
                   "  owner text NOT NULL REFERENCES users (name),\n"
                   "  balance numeric(12, 2) DEFAULT 0,\n"
                   "  CONSTRAINT positive CHECK (balance >= 0)\n"
                   ");\n"
                   "CREATE TEMP TABLE scratch AS SELECT * FROM accounts;\n"
                   "create table [dbo].[Orders] ([Id] int, [Total] money)\nGO\n",
                   tvt_sql_scan),
              "TABLE accounts\nMEMBER id<accounts\nMEMBER owner<accounts\nMEMBER balance<accounts\n"
              "TABLE scratch\nTABLE Orders\nMEMBER Id<Orders\nMEMBER Total<Orders\n");
    EXPECT_EQ(find("balance")->line, 4);
}

TEST_F(OtherScan, SqlDollarBodiesAndReferences)
{
    // A $$ body is one string: what it holds is not tagged, and the
    // statements after it are.  "alter function" and "comment on
    // function" name functions without defining them.
    EXPECT_EQ(scan("CREATE OR REPLACE FUNCTION add_one(x integer) RETURNS integer AS $$\n"
                   "BEGIN\n  CREATE TABLE inside (a int);\n  RETURN x + 1;\nEND;\n$$ LANGUAGE plpgsql;\n"
                   "CREATE FUNCTION tagged() RETURNS void AS $body$ select $1 $body$ LANGUAGE sql;\n"
                   "ALTER FUNCTION add_one(integer) OWNER TO admin;\n"
                   "COMMENT ON FUNCTION add_one(integer) IS 'adds one';\n"
                   "CREATE FUNCTION public.replace(text) RETURNS text LANGUAGE c AS 'MODULE_PATHNAME';\n"
                   "CREATE VIEW v_totals AS SELECT sum(balance) FROM accounts;\n",
                   tvt_sql_scan),
              "FUNC_PROTOTYPE add_one\nFUNC_PROTOTYPE tagged\nFUNC_PROTOTYPE replace\nFUNCTION v_totals\n");
    EXPECT_EQ(find("add_one")->args, "(x integer)");
}

TEST_F(OtherScan, SqlCursors)
{
    EXPECT_EQ(scan("DECLARE c_emp CURSOR FOR SELECT name FROM emp;\n"
                   "DECLARE @n int;\n"
                   "CURSOR c_dept IS SELECT * FROM dept;\n",
                   tvt_sql_scan),
              "CURSOR c_emp\nCURSOR c_dept\n");
}

TEST_F(OtherScan, SqlMalformedInputEnds)
{
    EXPECT_EQ(scan("create", tvt_sql_scan), "");
    EXPECT_EQ(scan("create table t (a int, (b", tvt_sql_scan), "TABLE t\nMEMBER a<t\n");
    EXPECT_EQ(scan("create function f() as $$ never closed", tvt_sql_scan), "FUNC_PROTOTYPE f\n");
    EXPECT_EQ(scan("select $", tvt_sql_scan), "");
}

} // namespace
