// The throwaway MariaDB server of scripts/test-db.sh, as the integration tests reach it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "platform/Database.h"

namespace testserver {

inline std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

inline bool Available() { return !Env("QUORVEL_TEST_DB_PORT").empty(); }

// ODBC connection text for database (the server's default test database when empty).
inline std::string MysqlConnection(const std::string& database = "",
                                   const std::string& password = Env("QUORVEL_TEST_DB_PASSWORD")) {
    return "Driver={MariaDB Unicode};Server=127.0.0.1;Port=" + Env("QUORVEL_TEST_DB_PORT") +
           ";Database=" + (database.empty() ? Env("QUORVEL_TEST_DB_NAME") : database) +
           ";UID=" + Env("QUORVEL_TEST_DB_USER") + ";PWD=" + password;
}

// A test with a database of its own (tests run in parallel processes), dropped afterwards.
class TMariaDbTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Available()) {
            if (Env("QUORVEL_REQUIRE_DB") == "1")
                FAIL() << "QUORVEL_REQUIRE_DB=1 but no test server is running (scripts/test-db.sh start)";
            GTEST_SKIP() << "no test server: run through scripts/test.sh";
        }
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // Database names have at most 64 characters.
        std::string testName = std::string(info->test_suite_name()) + "." + info->name();
        FDatabaseName = "qt_" + std::to_string(std::hash<std::string>{}(testName));
        Admin = platform::CreateDatabase();
        Admin->SetConnectionString(MysqlConnection());
        Admin->Open();
        Admin->ExecuteCommand("DROP DATABASE IF EXISTS `" + FDatabaseName + "`");
        Admin->ExecuteCommand("CREATE DATABASE `" + FDatabaseName + "` CHARACTER SET utf8mb4");
        Db = platform::CreateDatabase();
        Db->SetConnectionString(MysqlConnection(FDatabaseName));
        Db->Open();
    }
    void TearDown() override {
        if (Db) Db->Close();
        if (Admin) Admin->ExecuteCommand("DROP DATABASE IF EXISTS `" + FDatabaseName + "`");
    }
    const std::string& DatabaseName() const { return FDatabaseName; }

    std::unique_ptr<platform::TDatabase> Admin;
    std::unique_ptr<platform::TDatabase> Db;

private:
    std::string FDatabaseName;
};

} // namespace testserver
