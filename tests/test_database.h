#pragma once

#include "database/database.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

/// The engine a test run is for: CTest runs the database and server suites twice, the
/// second time with OCA_TEST_ENGINE=postgresql and OCA_TEST_PG naming the throwaway
/// cluster's database (scripts/test starts it).
inline bool TestOnPostgres() {
    const char* engine = std::getenv("OCA_TEST_ENGINE");
    return engine && std::string(engine) == "postgresql";
}

/// On PostgreSQL without the test cluster, every test of the run is skipped.
class PostgresEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const char* url = std::getenv("OCA_TEST_PG");
        if (TestOnPostgres() && (!url || !*url)) {
            GTEST_SKIP() << "sem o banco PostgreSQL de teste (OCA_TEST_PG)";
        }
    }
};
inline const bool kPostgresEnvironment =
    (::testing::AddGlobalTestEnvironment(new PostgresEnvironment), true);

/// A fresh, empty company database for one test: a SQLite file, or on PostgreSQL a schema
/// of its own on the test cluster's database (the URL sets the search path to it). Gone
/// when the object goes.
class TestDatabase {
public:
    explicit TestDatabase(const std::string& testName) {
        std::string name;
        for (char c : testName) {
            name += std::isalnum(static_cast<unsigned char>(c))
                        ? static_cast<char>(std::tolower(static_cast<unsigned char>(c)))
                        : '_';
        }
        // Within PostgreSQL's 63 characters, and apart even where long names share a start.
        name = "t" + std::to_string(::getpid()) + "_" + name.substr(0, 36) + "_" +
               std::to_string(std::hash<std::string>{}(testName) % 1000000);
        if (!TestOnPostgres()) {
            path_ = std::filesystem::temp_directory_path() / ("oca_" + name + ".sqlite");
            Remove();
            url_ = "sqlite:" + path_.string();
            return;
        }
        const char* base = std::getenv("OCA_TEST_PG");
        if (!base || !*base) {
            throw std::runtime_error("OCA_TEST_PG não indica o banco PostgreSQL de teste");
        }
        base_ = base;
        schema_ = name;
        oca::db::Database::Open(base_)->ExecuteScript("DROP SCHEMA IF EXISTS " + schema_ +
                                                      " CASCADE; CREATE SCHEMA " + schema_);
        url_ = base_ + (base_.find('?') == std::string::npos ? "?" : "&") +
               "options=-csearch_path%3D" + schema_;
    }
    ~TestDatabase() {
        if (schema_.empty()) {
            Remove();
            return;
        }
        try {
            oca::db::Database::Open(base_)->ExecuteScript("DROP SCHEMA IF EXISTS " + schema_ +
                                                          " CASCADE");
        } catch (...) {
            // A schema left behind goes with the throwaway cluster.
        }
    }
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    const std::string& Url() const { return url_; }
    bool Postgres() const { return !schema_.empty(); }

private:
    void Remove() {
        for (const char* suffix : {"", "-wal", "-shm"}) {
            std::filesystem::remove(path_.string() + suffix);
        }
    }

    std::filesystem::path path_;
    std::string base_;
    std::string schema_;
    std::string url_;
};

/// The current test's name, for naming its database.
inline std::string CurrentTestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "_" + info->name();
}
