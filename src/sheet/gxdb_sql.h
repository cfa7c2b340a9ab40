// SQL texts of the workbook database, built from table names, field
// descriptions and values.
//
// Each builder returns the complete statement, or nullopt when an argument
// is unusable (null table, key outside the fields, unknown value type) or a
// piece or the statement would exceed its buffer: a statement cut at a limit
// could mean something else (a shorter key value, a lost WHERE), so it is
// refused instead. Text values are written in single quotes with an embedded
// quote doubled.
#ifndef CVSTV_SHEET_GXDB_SQL_H
#define CVSTV_SHEET_GXDB_SQL_H

#include "cvstvshare/sheet_gxdb.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cvstv::gxdb {

// Buffer sizes of the statements, terminator included.
inline constexpr std::size_t statement_size = 1000;      // INSERT, DELETE ... WHERE, UPDATE, SELECT, ALTER
inline constexpr std::size_t short_statement_size = 500; // DROP TABLE, DELETE FROM
inline constexpr std::size_t select_all_size = 133;      // SELECT * FROM `t`
inline constexpr std::size_t piece_size = 100;           // one column clause or one value
inline constexpr std::size_t connection_string_size = 1024;

// The name and type of a field, read no further than their 100-byte arrays.
std::string_view field_name(const sGXDB_Field &field);
std::string_view field_type(const sGXDB_Field &field);
// The text of a value, read no further than its 136-byte array.
std::string_view value_string(const sGXDB_Field_Value &value);

// "%d", "%f" or "'%s'" by the value's type.
std::optional<std::string> value_literal(const sGXDB_Field_Value &value);
// "%s=%d", "%s=%f" or "%s='%s'": the key field against its value.
std::optional<std::string> key_test(const sGXDB_Field &field, const sGXDB_Field_Value &value);

std::optional<std::string> create_table_sql(std::string_view table, int count, const sGXDB_Field *fields);
std::optional<std::string> drop_table_sql(std::string_view table);
std::optional<std::string> insert_sql(std::string_view table, int count, const sGXDB_Field *fields,
                                      const sGXDB_Field_Value *values);
std::optional<std::string> insert_blank_sql(std::string_view table, int count);
std::optional<std::string> delete_all_sql(std::string_view table);
// key counts from 1.
std::optional<std::string> delete_record_sql(std::string_view table, int key, const sGXDB_Field *fields,
                                             const sGXDB_Field_Value *values);
std::optional<std::string> update_sql(std::string_view table, int count, int key, const sGXDB_Field *fields,
                                      const sGXDB_Field_Value *values);
std::optional<std::string> select_record_sql(std::string_view table, int count, int key,
                                             const sGXDB_Field *fields, const sGXDB_Field_Value *values);
std::optional<std::string> rename_table_sql(std::string_view old_name, std::string_view new_name);
std::optional<std::string> select_all_sql(std::string_view table);
// The connection string for a workbook path (passed through unchanged).
std::optional<std::string> connection_string(std::string_view workbook);

// The driver the connection string names.
inline constexpr const char *driver_name = "MICROSOFT EXCEL DRIVER (*.XLS)";

} // namespace cvstv::gxdb

#endif
