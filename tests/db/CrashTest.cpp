// A process appending and changing records is killed at a random moment; the table still
// opens, and the record-count repair with "pack and reindex" leaves data and every tag in step,
// with every record the process had flushed there.

#include "db/CBDatabase.h"

#include "support/ScratchFolder.h"

#include "core/Text.h"

#include "dbase/Table.h"

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <random>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// The work of step s: record s is appended; every fourth step also changes record s / 2, which
// moves it in two tags; every third step ends with a flush.
std::string KeyOf(int step)
{
    return "K" + std::to_string(step * 7919 % 100000);
}

struct Values
{
    std::string key;
    std::string name;
};

// Every value record r holds from step `from` on: the one it had at `from`, and later ones.
std::set<std::pair<std::string, std::string>> Acceptable(int record, int from, int lastStep)
{
    std::vector<std::pair<int, Values>> assignments {
        {record, {KeyOf(record), "n" + std::to_string(record)}}};
    for (int step = 4; step <= lastStep; step += 4) {
        if (step / 2 == record) {
            assignments.push_back({step, {"U" + std::to_string(step), "u" + std::to_string(step)}});
        }
    }
    std::set<std::pair<std::string, std::string>> values;
    for (size_t i = 0; i < assignments.size(); ++i) {
        const bool current = i + 1 == assignments.size() || assignments[i + 1].first > from;
        if (assignments[i].first > from || current) {
            values.insert({assignments[i].second.key, assignments[i].second.name});
        }
    }
    return values;
}

[[noreturn]] void Work(const std::string &folder, int report)
{
    TCBDatabase database;
    TCBTable &table = database.AddTable("CRASH.DBF", folder, true);
    for (int step = 1; step < 1000000; ++step) {
        table.AppendBlank();
        table.SetString("KEY", KeyOf(step));
        table.SetString("NAME", "n" + std::to_string(step));
        table.SetInteger("SEQ", step);
        if (step % 3 == 0) {
            table.SetString("NOTE", "note " + std::to_string(step));
        }
        if (step % 4 == 0 && table.Seek(std::to_string(step / 2), "SEQ")) {
            table.SetString("KEY", "U" + std::to_string(step));
            table.SetString("NAME", "u" + std::to_string(step));
        }
        if (step % 3 == 0) {
            table.Flush();
            const std::string line = std::to_string(step) + "\n";
            if (::write(report, line.data(), line.size()) < 0) {
                ::_exit(2);
            }
        }
    }
    ::_exit(0);
}

} // namespace

TEST(Crash, KilledWhileWritingTheTableOpensAndRepairsWithNothingFlushedLost)
{
    const unsigned seed = std::random_device {}();
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    for (int round = 0; round < 4; ++round) {
        ScratchFolder folder;
        {
            dbase::Context context;
            dbase::Table::Create(context, folder.File("CRASH.DBF"),
                                 {{"KEY", 'C', 10, 0},
                                  {"NAME", 'C', 20, 0},
                                  {"SEQ", 'N', 8, 0},
                                  {"NOTE", 'M', 0, 0}},
                                 {{"KEY", "KEY"}, {"NAME", "UPPER(NAME)"}, {"SEQ", "SEQ", true}});
        }
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipeFds[0]);
            Work(folder.Path(), pipeFds[1]);
        }
        ::close(pipeFds[1]);
        // Wait for a random number of flushes, then kill the child wherever it is.
        const int flushes = 1 + static_cast<int>(random() % 80);
        int flushed = 0;
        std::string pending;
        for (int seen = 0; seen < flushes;) {
            char buffer[256];
            const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
            ASSERT_GT(got, 0);
            pending.append(buffer, static_cast<size_t>(got));
            for (size_t end; (end = pending.find('\n')) != std::string::npos; ++seen) {
                flushed = std::stoi(pending.substr(0, end));
                pending.erase(0, end + 1);
            }
        }
        // A random moment after it: inside a write, a split, a memo, a flush.
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 12000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(pipeFds[0]);
        ASSERT_TRUE(WIFSIGNALED(status));

        {
            // The table opens as the child left it.
            TCBDatabase database;
            TCBTable &table = database.AddTable("CRASH.DBF", folder.Path(), true);
            EXPECT_GE(table.RecordCount(), flushed);
        }
        FixRecordCounts(folder.Path());
        TCBDatabase database;
        PackFolder(folder.Path(), database);

        dbase::Context context;
        auto table = dbase::Table::Open(context, folder.File("CRASH.DBF"));
        EXPECT_EQ(table->Check(), std::vector<std::string> {}) << "round " << round;
        const uint32_t count = table->RecordCount();
        ASSERT_GE(count, static_cast<uint32_t>(flushed));
        const int lastStep = static_cast<int>(count) + 8;
        for (uint32_t r = 1; r <= count; ++r) {
            table->Go(r);
            const std::string seq = Trim(table->GetText(table->FieldByName("SEQ")));
            if (r > static_cast<uint32_t>(flushed)) {
                // Work after the last flush: there with its values or still blank.
                EXPECT_TRUE(seq.empty() || seq == std::to_string(r)) << r;
                continue;
            }
            const int record = static_cast<int>(r);
            EXPECT_EQ(seq, std::to_string(r));
            const std::pair<std::string, std::string> values {
                Trim(table->GetText(table->FieldByName("KEY"))),
                Trim(table->GetText(table->FieldByName("NAME")))};
            EXPECT_EQ(Acceptable(record, flushed, lastStep).count(values), 1u)
                << "record " << r << " holds " << values.first << "/" << values.second
                << ", flushed " << flushed;
            if (r % 3 == 0) {
                EXPECT_EQ(table->GetText(table->FieldByName("NOTE")), "note " + std::to_string(r));
            }
        }
        table->SelectTag(&table->TagByName("SEQ"));
        for (int r = 1; r <= flushed; ++r) {
            ASSERT_EQ(table->Seek(std::to_string(r)), dbase::SeekResult::Found) << r;
            EXPECT_EQ(table->RecordNumber(), static_cast<uint32_t>(r));
        }
    }
}
