// Writers of one workbook: several processes at once, a writer that waits
// too long, one that was killed, and files the user may not change or that
// are reached through links.
#include "odbc_client.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

namespace {

// Inserts `count` rows named `who` N through its own connection; the exit
// status of a child process.
int insert_rows(const std::string &path, const std::string &who, int count)
{
    OdbcClient c;
    if (c.connect(library_connection_string(path) + ";LOCKTIMEOUT=60") != SQL_SUCCESS)
        return 2;
    for (int i = 0; i < count; ++i)
        if (c.exec("INSERT INTO [Parts] (NAME, QTY) VALUES('" + who + "', " + std::to_string(i) + ")") !=
            SQL_SUCCESS)
            return 3;
    return 0;
}

std::string count_of(OdbcClient &c, const std::string &where)
{
    const Rows r = c.query("SELECT COUNT(*) FROM Parts WHERE " + where);
    return r.empty() ? "" : r[0].at(0).value_or("NULL");
}

} // namespace

TEST(OdbcWriters, TwoProcessesInsertingAtOnceLoseNoRow)
{
    ScratchDir dir;
    const std::string path = dir.file("parts.xls");
    write_parts_workbook(path);
    std::vector<pid_t> children;
    for (const char *who : {"left", "right"}) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0)
            ::_exit(insert_rows(path, who, 100));
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    }
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS);
    EXPECT_EQ(count_of(c, "NAME = 'left'"), "100");
    EXPECT_EQ(count_of(c, "NAME = 'right'"), "100");
    EXPECT_EQ(count_of(c, "NAME = 'left' AND QTY = 99"), "1");
}

TEST(OdbcWriters, AWriterThatCannotHaveTheLockFailsAfterItsWaitAndSeesTheOtherOnesRowsAfterwards)
{
    ScratchDir dir;
    const std::string path = dir.file("parts.xls");
    write_parts_workbook(path);
    OdbcClient holder, waiter;
    ASSERT_EQ(holder.connect(library_connection_string(path)), SQL_SUCCESS);
    ASSERT_EQ(waiter.connect(library_connection_string(path) + ";LOCKTIMEOUT=0.3"), SQL_SUCCESS);
    SQLSetConnectAttr(holder.dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
    ASSERT_EQ(holder.exec("INSERT INTO [Parts] (NAME) VALUES('first')"), SQL_SUCCESS); // holds the lock

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(waiter.exec("INSERT INTO [Parts] (NAME) VALUES('second')"), SQL_ERROR);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(waiter.state(), "HYT00");
    EXPECT_NE(waiter.message().find("another writer"), std::string::npos) << waiter.message();
    EXPECT_GE(waited, std::chrono::milliseconds(250));
    EXPECT_LT(waited, std::chrono::seconds(5));
    EXPECT_EQ(waiter.query("SELECT NAME FROM Parts WHERE NAME='first'").size(), 0u) << "not committed yet";

    ASSERT_EQ(SQLEndTran(SQL_HANDLE_DBC, holder.dbc, SQL_COMMIT), SQL_SUCCESS);
    ASSERT_EQ(waiter.exec("INSERT INTO [Parts] (NAME) VALUES('second')"), SQL_SUCCESS) << waiter.message();
    EXPECT_EQ(count_of(waiter, "NAME IN ('first', 'second')"), "2");
}

TEST(OdbcWriters, TemporaryFilesOfAKilledWriterAreRemovedByTheNextWriter)
{
    ScratchDir dir;
    const std::string path = dir.file("parts.xls");
    write_parts_workbook(path);
    spew(dir.file(".parts.xls.tmp4242_0"), "left by a writer that was killed");
    spew(dir.file(".parts.xls.tmp-notours"), "someone else's");
    spew(dir.file(".other.xls.tmp4242_0"), "another workbook's");
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS);
    EXPECT_TRUE(std::filesystem::exists(dir.file(".parts.xls.tmp4242_0"))) << "reading leaves it";
    ASSERT_EQ(c.exec("INSERT INTO [Parts] (NAME) VALUES('x')"), SQL_SUCCESS);
    EXPECT_FALSE(std::filesystem::exists(dir.file(".parts.xls.tmp4242_0")));
    EXPECT_TRUE(std::filesystem::exists(dir.file(".parts.xls.tmp-notours")));
    EXPECT_TRUE(std::filesystem::exists(dir.file(".other.xls.tmp4242_0")));
}

TEST(OdbcFileRights, AReadOnlyFileIsNotChanged)
{
    ScratchDir dir;
    const std::string path = dir.file("locked.xls");
    write_parts_workbook(path);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const std::string before = slurp(path);
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS);
    EXPECT_EQ(c.query("SELECT QTY FROM Parts WHERE NAME='nut'"), Rows{row({"12"})}) << "reading is allowed";
    EXPECT_EQ(c.exec("DELETE FROM Parts WHERE NAME='nut'"), SQL_ERROR);
    EXPECT_EQ(c.state(), "HY000");
    EXPECT_NE(c.message().find(path), std::string::npos) << c.message();
    EXPECT_NE(c.message().find("read-only"), std::string::npos) << c.message();
    EXPECT_EQ(slurp(path), before);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
}

TEST(OdbcFileRights, WritesGoThroughLinksAndKeepModeAndOwner)
{
    ScratchDir dir;
    const std::string target = dir.file("real.xls");
    const std::string link = dir.file("link.xls");
    write_parts_workbook(target);
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(target.c_str(), 4321, 4322), 0);
    }

    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(link)), SQL_SUCCESS);
    ASSERT_EQ(c.exec("INSERT INTO [Parts] (NAME) VALUES('through the link')"), SQL_SUCCESS) << c.message();

    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    if (root) {
        EXPECT_EQ(st.st_uid, 4321u) << "the owner is kept";
        EXPECT_EQ(st.st_gid, 4322u);
    }
    workbook::Workbook book;
    ASSERT_TRUE(workbook::read_workbook(target, book).ok);
    EXPECT_EQ(book.sheets.at(0).rows.back().at(0).text, "through the link");
}
