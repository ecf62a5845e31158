// One database connection: open by connection text, list tables, run queries and commands.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/DataPacket.h"
#include "base/Strings.h"

namespace platform {

// All texts (connection text, statements, names, values) are in the program code page.
// Every failure raises EDatabaseError carrying the driver's diagnostic text.
class TDatabase {
public:
    virtual ~TDatabase() = default;

    // The text as the user typed it; it takes effect at the next Open.
    virtual void SetConnectionString(const std::string& text) = 0;
    // The text of the last SetConnectionString (empty before the first).
    virtual std::string ConnectionString() const = 0;
    // Opens without any login prompt; closes a connection that is still open first.
    virtual void Open() = 0;
    virtual void Close() = 0;
    virtual bool Connected() const = 0;

    // Clears tables, then adds every table, view and system table of the current database,
    // in catalogue order, names only.
    virtual void GetTableNames(TStrings& tables) = 0;

    // Runs a statement that returns rows and delivers all of them; columns carry the
    // provider's updatable flag.
    virtual TDataPacket OpenQuery(const std::string& statement) = 0;

    // Runs a statement as a command; returns the affected rows (-1 when the driver cannot
    // tell, 0 for statements that touch no rows).
    virtual int64_t ExecuteCommand(const std::string& statement) = 0;
};

// The ODBC implementation; it accepts OLE DB and ODBC connection texts.
std::unique_ptr<TDatabase> CreateDatabase();

} // namespace platform
