#include "service/store/ServiceDatabase.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "persistence/sqlite/Connection.h"
#include "service/http/ServiceError.h"
#include "service/store/Accounts.h"
#include "service/store/ServiceMigrations.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

namespace fs = std::filesystem;

unsigned modeOf(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 0777;
}

std::string openingError(const fs::path& dataDirectory) {
    try {
        ServiceDatabase database(dataDirectory);
    } catch (const ServiceError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::internal);
        return error.what();
    }
    ADD_FAILURE() << "opened " << dataDirectory;
    return {};
}

TEST(ServiceDatabaseIntegrationTest, AFreshStartIsOnePrivateDatabaseThatKeepsItsSecret) {
    testing::TempDir dir;
    const fs::path data = dir / "data";
    std::string secret;
    {
        ServiceDatabase database(data);
        secret = database.signingSecret();
        EXPECT_GE(secret.size(), 40u);
        std::vector<std::string> expected;
        for (const Migration& migration : serviceMigrations())
            expected.push_back(migration.identifier);
        EXPECT_EQ(database.appliedMigrations(), expected);
        database.write([](Connection& db) {
            accounts::addOrganization(db, {"org", "Eerste", "2026-01-01T00:00:00Z"});
        });

        EXPECT_EQ(modeOf(data), 0700u);
        for (const fs::directory_entry& entry : fs::directory_iterator(data)) {
            EXPECT_TRUE(entry.path().filename().string().starts_with(ServiceDatabase::kFileName))
                << entry.path();
            EXPECT_EQ(modeOf(entry.path()), 0600u) << entry.path();
        }
    }
    ServiceDatabase again(data);
    EXPECT_EQ(again.signingSecret(), secret);  // tokens outlive a restart
    EXPECT_EQ(again.read([](Connection& db) { return accounts::organizations(db).size(); }), 1u);
}

TEST(ServiceDatabaseIntegrationTest, ADatabaseOfANewerBuildIsRefusedUntouched) {
    testing::TempDir dir;
    const fs::path data = dir / "data";
    { ServiceDatabase database(data); }
    {
        Connection connection = Connection::open(data / ServiceDatabase::kFileName);
        connection.exec("INSERT INTO grdb_migrations (identifier) VALUES ('service_v99_van_later')");
    }
    const std::string message = openingError(data);
    EXPECT_NE(message.find("service_v99_van_later"), std::string::npos) << message;
    EXPECT_NE(message.find((data / ServiceDatabase::kFileName).string()), std::string::npos) << message;
    Connection connection = Connection::open(data / ServiceDatabase::kFileName);
    EXPECT_EQ(MigrationRunner::appliedIdentifiers(connection).size(), serviceMigrations().size() + 1);
}

TEST(ServiceDatabaseIntegrationTest, UnusableDirectoriesAndForeignFilesAreRefusedWithTheirPath) {
    testing::TempDir dir;
    testing::writeFile(dir / "file", "geen map");
    EXPECT_NE(openingError(dir / "file" / "data").find((dir / "file" / "data").string()), std::string::npos);

    testing::writeFile(dir / "text" / ServiceDatabase::kFileName, "dit is geen database");
    EXPECT_NE(openingError(dir / "text").find(ServiceDatabase::kFileName), std::string::npos);

    // A database of another layout without our ledger (the stand-in's earlier own files).
    {
        fs::create_directories(dir / "old");
        Connection connection = Connection::open(dir / "old" / ServiceDatabase::kFileName);
        connection.exec("CREATE TABLE service_migrations (identifier TEXT PRIMARY KEY NOT NULL)");
    }
    EXPECT_NE(openingError(dir / "old").find("niet door deze versie"), std::string::npos);
}

}  // namespace
}  // namespace zelvorin::service
