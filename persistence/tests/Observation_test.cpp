#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <future>
#include <latch>

#include "persistence/AppDatabase.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

using namespace std::chrono_literals;

// Values an observation delivered, in order, with a bounded wait for the next ones.
class Deliveries {
public:
    void add(std::int64_t value) {
        {
            std::lock_guard lock(mutex_);
            values_.push_back(value);
        }
        changed_.notify_all();
    }
    // Waits (bounded, so a broken observation fails instead of hanging) until `n` values arrived.
    std::vector<std::int64_t> waitFor(std::size_t n) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, 10s, [&] { return values_.size() >= n; });
        return values_;
    }
    std::vector<std::int64_t> now() {
        std::lock_guard lock(mutex_);
        return values_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::int64_t> values_;
};

struct ObservedCustomers {
    testing::TempDir root;
    AppDatabase database = AppDatabase::openFile(root / "db.sqlite");
    std::shared_ptr<SerialExecutor> delivery = std::make_shared<SerialExecutor>();
    Deliveries deliveries;
    ObservationHandle handle;

    ObservedCustomers() {
        handle = database.writer->observe<std::int64_t>(
            [](Connection& c) {
                Statement& s = c.cached("SELECT COUNT(*) FROM customer WHERE deleted_at IS NULL");
                s.step();
                return s.int64(0);
            },
            [this](std::int64_t value) { deliveries.add(value); }, delivery);
    }

    void addCustomer(const std::string& id) {
        database.writer->write([&](Connection& c) {
            c.prepare(
                 "INSERT INTO customer (id, organization_id, company_name, created_at, updated_at) "
                 "VALUES (?, 'o1', 'Klant', 'x', 'x')")
                .bind(1, id)
                .run();
        });
    }

    // Everything that earlier commits set in motion has been delivered once both queues drained.
    void settle() {
        std::promise<void> observed, delivered;
        database.writer->postObservationWork([&] { observed.set_value(); });
        observed.get_future().wait();
        delivery->post([&] { delivered.set_value(); });
        delivered.get_future().wait();
    }
};

TEST(ObservationIntegrationTest, ACommittedWriteToAnObservedTableDeliversTheNewValue) {
    ObservedCustomers f;
    EXPECT_EQ(f.deliveries.waitFor(1), (std::vector<std::int64_t>{0}));
    f.addCustomer("c1");
    EXPECT_EQ(f.deliveries.waitFor(2), (std::vector<std::int64_t>{0, 1}));
    f.database.writer->write([](Connection& c) { c.exec("DELETE FROM customer"); });  // no WHERE: truncation
    EXPECT_EQ(f.deliveries.waitFor(3), (std::vector<std::int64_t>{0, 1, 0}));
}

TEST(ObservationIntegrationTest, WritesElsewhereAndRolledBackWritesDeliverNothing) {
    ObservedCustomers f;
    f.deliveries.waitFor(1);
    f.settle();

    f.database.writer->write([](Connection& c) {
        c.exec(
            "INSERT INTO app_notification (id, organization_id, kind, title, created_at) "
            "VALUES ('n1', 'o1', 'info', 'Hallo', 'x')");
    });
    EXPECT_THROW(f.database.writer->write([](Connection& c) {
        c.exec(
            "INSERT INTO customer (id, organization_id, company_name, created_at, updated_at) "
            "VALUES ('c9', 'o1', 'Klant', 'x', 'x')");
        throw std::runtime_error("afgebroken");
    }),
                 std::runtime_error);
    f.settle();
    EXPECT_EQ(f.deliveries.now(), (std::vector<std::int64_t>{0}));

    f.handle.cancel();
    f.addCustomer("c2");
    f.settle();
    EXPECT_EQ(f.deliveries.now(), (std::vector<std::int64_t>{0})) << "a cancelled observation stays quiet";
}

TEST(ObservationIntegrationTest, AReaderDuringALongWriteSeesTheStateBeforeIt) {
    testing::TempDir root;
    AppDatabase database = AppDatabase::openFile(root / "db.sqlite");
    auto customers = [&] {
        return database.writer->read([](Connection& c) {
            Statement s = c.prepare("SELECT COUNT(*) FROM customer");
            s.step();
            return s.int64(0);
        });
    };
    std::latch inserted(1), readDone(1);
    auto writer = std::async(std::launch::async, [&] {
        database.writer->write([&](Connection& c) {
            c.exec(
                "INSERT INTO customer (id, organization_id, company_name, created_at, updated_at) "
                "VALUES ('c1', 'o1', 'Klant', 'x', 'x')");
            inserted.count_down();
            readDone.wait();  // the transaction stays open until the reader has looked
        });
    });
    inserted.wait();
    EXPECT_EQ(customers(), 0);
    readDone.count_down();
    writer.get();
    EXPECT_EQ(customers(), 1);
}

TEST(ObservationIntegrationTest, ASlowSubscriberHoldsUpNeitherWritesNorTheOrderOfItsValues) {
    ObservedCustomers f;
    f.deliveries.waitFor(1);
    std::latch release(1);
    f.delivery->post([&] { release.wait(); });  // the subscriber's thread is busy elsewhere

    for (int i = 1; i <= 3; ++i)
        f.addCustomer("c" + std::to_string(i));  // each returns although nothing can be delivered
    release.count_down();
    f.settle();

    std::vector<std::int64_t> values = f.deliveries.now();
    EXPECT_EQ(values.back(), 3);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end())) << "values arrive in the order of the runs";
}

}  // namespace
}  // namespace zelvorin
