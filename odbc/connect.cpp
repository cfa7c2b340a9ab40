// Connecting: the connection string and the data source's settings, and
// opening the workbook.
//
// Keys: DBQ (the workbook; "\" is read as "/"), CREATE_DB (create it first
// when missing), READONLY (TRUE/FALSE, YES/NO, ON/OFF, 1/0), FIRSTROWHASNAMES
// (the same), HEADERROW (a row number from 1, or PARAMETERS), LOCKTIMEOUT
// (seconds to wait for another writer, default 10). A value a key does not
// understand refuses the connection (HY024): a misspelt READONLY must never
// leave a workbook writable. Unknown keys are warnings (01S00).
#include "odbc/connection_string.h"
#include "odbc/driver.h"

#pragma GCC visibility push(default)
#include <odbcinst.h>
#pragma GCC visibility pop

#include "workbook/number_text.h"

#include <algorithm>
#include <cctype>

namespace xlsodbc {
namespace {

std::string profile_value(const std::string &dsn, const char *key)
{
    char buf[1024] = {};
    SQLGetPrivateProfileString(dsn.c_str(), key, "", buf, sizeof buf, "odbc.ini");
    return buf;
}

// The workbook as the client named it, without its ".xls" extension.
std::string catalog_of(const std::string &dbq)
{
    if (dbq.size() > 4) {
        std::string ext = dbq.substr(dbq.size() - 4);
        for (char &c : ext)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".xls")
            return dbq.substr(0, dbq.size() - 4);
    }
    return dbq;
}

std::string local_path(std::string host_path)
{
    std::replace(host_path.begin(), host_path.end(), '\\', '/');
    return host_path;
}

[[noreturn]] void bad_value(const char *key, const std::string &value, const char *expected)
{
    throw SqlError("HY024", std::string("Invalid attribute value: ") + key + "=" + value + " (expected " +
                                expected + "); the connection is refused");
}

} // namespace

Connection &connected(Statement &s)
{
    if (!s.dbc->db)
        throw SqlError("08003", "Connection not open");
    return *s.dbc;
}

SQLRETURN open_database(Connection &dbc, const std::string &text, const std::string &dsn,
                        std::string *completed)
{
    if (dbc.db)
        throw SqlError("08002", "Connection name in use");
    const ConnectionString cs = parse_connection_string(text);
    static const char *const known[] = {
        "DRIVER",      "DSN", "DBQ", "CREATE_DB",  "READONLY",    "FIRSTROWHASNAMES", "HEADERROW",
        "LOCKTIMEOUT", "UID", "PWD", "DEFAULTDIR", "DESCRIPTION", "FILEDSN",          "SAVEFILE"};
    std::vector<std::string> warnings;
    for (const auto &[key, value] : cs.attributes)
        if (std::find(std::begin(known), std::end(known), key) == std::end(known))
            warnings.push_back("Unknown connection attribute ignored: " + key);
    for (const auto &piece : cs.malformed)
        warnings.push_back("Malformed connection attribute ignored: " + piece);

    auto setting = [&](const char *key) -> std::string {
        if (auto v = cs.get(key))
            return *v;
        return dsn.empty() ? std::string() : profile_value(dsn, key);
    };
    std::string dbq = setting("DBQ");
    const std::string create = setting("CREATE_DB");
    if (dbq.empty())
        dbq = create;
    if (dbq.empty())
        throw SqlError("08001", "No workbook given: the connection string needs DBQ=<path of the .xls file>");

    DatabaseOptions options;
    options.path = local_path(dbq);
    options.catalog = catalog_of(dbq);
    auto flag = [&](const char *key, bool fallback) {
        const std::string v = setting(key);
        if (v.empty())
            return fallback;
        if (auto b = parse_flag(v))
            return *b;
        bad_value(key, v, "TRUE or FALSE, YES or NO, ON or OFF, 1 or 0");
    };
    options.read_only = flag("READONLY", false) || dbc.read_only_mode;
    if (!flag("FIRSTROWHASNAMES", true))
        options.header.mode = HeaderOptions::Mode::none;
    if (const std::string header = setting("HEADERROW"); !header.empty()) {
        std::string upper = header;
        for (char &c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (upper == "PARAMETERS") {
            options.header.mode = HeaderOptions::Mode::catalogue;
        } else {
            auto row = workbook::read_integer(header);
            if (!row || *row < 1 || *row > 65536)
                bad_value("HEADERROW", header, "a row number from 1 to 65536, or PARAMETERS");
            options.header.mode = HeaderOptions::Mode::row;
            options.header.row = static_cast<std::size_t>(*row - 1);
        }
    }
    if (const std::string wait = setting("LOCKTIMEOUT"); !wait.empty()) {
        auto seconds = workbook::read_number(wait);
        if (!seconds || *seconds < 0 || *seconds > 86400)
            bad_value("LOCKTIMEOUT", wait, "a number of seconds from 0 to 86400");
        options.lock_wait = std::chrono::milliseconds(static_cast<long long>(*seconds * 1000));
    }

    if (!create.empty() && local_path(create) != options.path) {
        // A workbook to create that is not the one opened: create it, then
        // open DBQ as usual.
        DatabaseOptions created_options;
        created_options.path = local_path(create);
        created_options.catalog = catalog_of(create);
        Database created(created_options, true);
    }
    auto db = std::make_unique<Database>(options, !create.empty() && local_path(create) == options.path);
    db->set_autocommit(dbc.autocommit == SQL_AUTOCOMMIT_ON);
    dbc.db = std::move(db);
    dbc.dsn = dsn;

    if (completed) {
        std::string out =
            dsn.empty() ? "DRIVER={" + cs.get("DRIVER").value_or("") + "};" : "DSN=" + dsn + ";";
        out += "DBQ=" + dbq + ";READONLY=" + (options.read_only ? "TRUE" : "FALSE") +
               ";FIRSTROWHASNAMES=" + (options.header.mode == HeaderOptions::Mode::none ? "0" : "1") + ";";
        *completed = out;
    }
    for (auto &w : warnings)
        dbc.diag.add("01S00", w);
    return warnings.empty() ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}

} // namespace xlsodbc
