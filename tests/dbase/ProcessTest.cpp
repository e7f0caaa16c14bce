// Two processes sharing one table: concurrent writers do not corrupt it, and an exclusive open
// elsewhere is waited for as many times as the context says.

#include "TableFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs `body` in a child process; returns its pid. The child's exit status is 0 when the body
// ends without an exception.
template<typename Body>
pid_t Child(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        int status = 0;
        try {
            body();
        } catch (const std::exception &) {
            status = 1;
        }
        ::_exit(status);
    }
    return pid;
}

int ExitStatus(pid_t pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Send(int fd)
{
    const char c = 'x';
    ASSERT_EQ(::write(fd, &c, 1), 1);
}

void Await(int fd)
{
    char c = 0;
    ASSERT_EQ(::read(fd, &c, 1), 1);
}

} // namespace

TEST(Processes, ConcurrentWritersLeaveATableInStep)
{
    ScratchFolder folder;
    const std::string path = folder.File("SHARED.DBF");
    {
        dbase::Context context;
        dbase::Table::Create(context, path, {{"KEY", 'C', 8, 0}, {"NOTES", 'M', 0, 0}},
                             {{"KEY", "KEY"}});
    }
    const auto writer = [&](const std::string &prefix) {
        return Child([&, prefix] {
            dbase::Context context;
            context.SetLockAttempts(50);
            auto table = dbase::Table::Open(context, path);
            for (int i = 0; i < 300; ++i) {
                table->AppendBlank();
                Put(*table, "KEY", prefix + std::to_string(i));
                if (i % 10 == 0) {
                    Put(*table, "NOTES", prefix + " memo " + std::to_string(i));
                }
            }
            table->Close();
        });
    };
    const pid_t a = writer("A");
    const pid_t b = writer("B");
    EXPECT_EQ(ExitStatus(a), 0);
    EXPECT_EQ(ExitStatus(b), 0);

    dbase::Context context;
    auto table = dbase::Table::Open(context, path);
    EXPECT_EQ(table->RecordCount(), 600u);
    EXPECT_EQ(table->Check(), std::vector<std::string> {});
    table->SelectTag(&table->TagByName("KEY"));
    for (const char *prefix : {"A", "B"}) {
        for (int i = 0; i < 300; ++i) {
            const std::string key = prefix + std::to_string(i);
            ASSERT_EQ(table->Seek(key, true), dbase::SeekResult::Found) << key;
            if (i % 10 == 0) {
                EXPECT_EQ(Get(*table, "NOTES"), std::string(prefix) + " memo " + std::to_string(i));
            }
        }
    }
}

TEST(Processes, AnExclusiveOpenElsewhereIsRetriedUntilItEnds)
{
    ScratchFolder folder;
    const std::string path = folder.File("LOCKED.DBF");
    {
        dbase::Context context;
        dbase::Table::Create(context, path, {{"KEY", 'C', 8, 0}}, {});
    }
    int toParent[2];
    int toChild[2];
    ASSERT_EQ(::pipe(toParent), 0);
    ASSERT_EQ(::pipe(toChild), 0);
    const pid_t holder = Child([&] {
        dbase::Context context;
        context.SetAccess(dbase::AccessMode::Exclusive);
        auto table = dbase::Table::Open(context, path);
        Send(toParent[1]);
        Await(toChild[0]);
        table->Close();
    });
    Await(toParent[0]);
    dbase::Context context;
    context.SetLockAttempts(1);
    try {
        dbase::Table::Open(context, path);
        FAIL() << "opened while another process has it exclusively";
    } catch (const dbase::Error &error) {
        EXPECT_EQ(error.Code(), dbase::Failure::Lock);
        EXPECT_EQ(context.TakeErrorCode(), -40);
    }
    // Released right after the first attempt: a later attempt gets it.
    context.SetLockAttempts(5);
    Send(toChild[1]);
    EXPECT_NO_THROW(dbase::Table::Open(context, path));
    EXPECT_EQ(ExitStatus(holder), 0);
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) {
        ::close(fd);
    }
}
