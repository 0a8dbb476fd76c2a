/*
 * failed_step_outputs_test.cpp - a step that fails leaves its outputs as
 * they were: when the disk fills at any point of writing two outputs (the
 * rows during the step, the rest of the rows, a sidecar), and when a
 * service is handed a handle that is not an input data set (the error
 * line, and the step's return code raised to 8).  Commits stopped at each
 * change, two runs in one library at each change of a commit, an undo
 * stopped part way, and commit records planted or damaged.
 */
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/dataset/commit_record.h"
#include "platform/dataset/commit_record_format.h"
#include "platform/dataset/data_set_status.h"
#include "platform/dataset/data_set_store.h"
#include "platform/dataset/file_writes.h"
#include "platform/dataset/library_lock.h"
#include "platform/step.h"
#include "tests/platform/dataset/dataset_test_support.h"

namespace {

using namespace host_routines;
using orvtest::readFile;
using orvtest::writeFile;

class FailedStepOutputs : public orvtest::DataSetTest {
protected:
    void TearDown() override
    {
        orvhost::setDiskSpaceForTests(-1);
        DataSetTest::TearDown();
    }
};

/* Bytes of the commit records in the directory `measured` when the first
 * change is made (their files begin ".commit-"). */
std::string measured;
int64_t recordBytes = 0;
int measureRecords(int change)
{
    if (change == 1)
        for (const auto &file : std::filesystem::directory_iterator(measured))
            if (file.path().filename().string().rfind(".commit-", 0) == 0) recordBytes += int64_t(file.file_size());
    return 0;
}

/* Rows of T.FIRST: enough for the writer to write out during the step. */
constexpr int kFirstRows = 150000;

/* Writes member with `rows` rows of one variable x, marked to be put in
 * place at the end of the step, as the job language's OUT= data sets. */
void writeOutput(const char *member, int rows)
{
    std::string error;
    DATA_SET_HANDLE *output =
        orvhost::openDataSet("T", member, orvhost::DataSetMode::Output, error);
    orvhost::Host::current().dataSets().commitAtStepEnd(output);
    void *binding = nullptr;
    xvputi(output, 1, 32, &binding);
    double x = 0;
    VARIABLE_DESCRIPTOR descriptor;
    xvnamei(&descriptor);
    descriptor.name[0] = 'x';
    descriptor.nameLength = 1;
    xvputd(binding, &descriptor, 0, &x, 8, 0, 0);
    xvpute(binding);
    for (int i = 0; i < rows; ++i) {
        x = 1000000 + i;
        xyvput(binding, 0, output->row);
        output->write(output);
    }
}

void writeTwoOutputs()
{
    writeOutput("first", kFirstRows);
    writeOutput("second", 3);
    xexit(0, 0);
}

TEST_F(FailedStepOutputs, AFullDiskLeavesEveryOutputAsItWas)
{
    const char *earlier = "x\n1\n";
    const char *earlierSidecar = R"({"variables": [{"name": "x", "type": "numeric"}]})";
    auto writeEarlier = [&] {
        for (const char *member : {"first", "second"}) {
            writeFile(path(std::string(member) + ".csv"), earlier);
            writeFile(path(std::string(member) + ".meta.json"), earlierSidecar);
        }
    };
    auto bytesOf = [&](const char *file) { return int64_t(std::filesystem::file_size(path(file))); };

    /* A disk with room: the sizes of the files the step writes. */
    writeEarlier();
    measured = dir_;
    recordBytes = 0;
    orvhost::setCommitHookForTests(measureRecords);
    ASSERT_EQ(host_->runStep(writeTwoOutputs), 0) << takeLog();
    orvhost::setCommitHookForTests(nullptr);
    ASSERT_GT(recordBytes, 0);
    const int64_t firstCsv = bytesOf("first.csv"), firstSidecar = bytesOf("first.meta.json");
    const int64_t secondCsv = bytesOf("second.csv"), secondSidecar = bytesOf("second.meta.json");
    const std::string firstRows = readFile(path("first.csv"));
    const std::string secondRows = readFile(path("second.csv"));
    ASSERT_GT(firstCsv, int64_t{1} << 20);
    takeLog();

    const int64_t all = firstCsv + firstSidecar + secondCsv + secondSidecar + recordBytes;
    struct Case {
        const char *id;
        int64_t room;
    };
    const Case cases[] = {
        {"no room at all", 0},
        {"full during the step", 1000},
        {"full while the rows are written out", firstCsv - 1},
        {"full in the first sidecar", firstCsv + 1},
        {"full in the second data set", firstCsv + firstSidecar + secondCsv - 1},
        {"full in the last sidecar", all - recordBytes - 1},
        {"full in the commit record", all - 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        writeEarlier();
        orvhost::setDiskSpaceForTests(c.room);
        EXPECT_EQ(host_->runStep(writeTwoOutputs), orvhost::kDataSetErrorReturnCode);
        orvhost::setDiskSpaceForTests(-1);
        const std::string log = takeLog();
        EXPECT_NE(log.find("No space left on device"), std::string::npos) << log;
        for (const char *member : {"first", "second"}) {
            EXPECT_EQ(readFile(path(std::string(member) + ".csv")), earlier) << member;
            EXPECT_EQ(readFile(path(std::string(member) + ".meta.json")), earlierSidecar) << member;
        }
        /* No temporary file is left behind. */
        for (const auto &entry : std::filesystem::directory_iterator(dir_))
            EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }

    /* Exactly enough room. */
    writeEarlier();
    orvhost::setDiskSpaceForTests(all);
    EXPECT_EQ(host_->runStep(writeTwoOutputs), 0);
    EXPECT_EQ(readFile(path("first.csv")), firstRows);
    EXPECT_EQ(readFile(path("second.csv")), secondRows);
}

TEST_F(FailedStepOutputs, ABadHandleForTheNextByGroupFailsTheStep)
{
    int stranger[16] = {};
    EXPECT_EQ(xbynext(stranger), 0); /* ends the caller's group loop */
    EXPECT_EQ(xbynext(nullptr), 0);
    EXPECT_EQ(takeLog(),
              "ERROR: The BY-group service was given a handle that is not an open input data "
              "set.\n"
              "ERROR: The BY-group service was given a handle that is not an open input data "
              "set.\n");
    EXPECT_EQ(host_->dataSets().endStep(0), orvhost::kDataSetErrorReturnCode);
    EXPECT_EQ(host_->dataSets().endStep(0), 0); /* the next step starts clean */

    /* A step that also skipped a BY group, whose code keeps outputs, puts
     * none in place either. */
    EXPECT_EQ(host_->runStep([] {
        writeOutput("first", 3);
        int other[16] = {};
        xbynext(other);
        xexit(108, 0);
    }),
              108);
    takeLog();
    EXPECT_FALSE(std::filesystem::exists(path("first.csv")));
}

}  // namespace

namespace commit_windows {

/* The change at which the hook stops or fails the commit, and how. */
int stopAt = 0;
int stopSignal = 0;
int stopHook(int change)
{
    if (change != stopAt) return 0;
    if (stopSignal != 0) ::raise(stopSignal);
    return stopSignal == 0 ? EIO : 0;
}

const char *const kOld[] = {"x\n1\n", R"({"variables": [{"name": "x", "type": "numeric"}]})"};
const char *const kNew[] = {"y\n2\n", R"({"variables": [{"name": "y", "type": "numeric"}]})"};

}  // namespace commit_windows

/* Two data sets, each a CSV file and a sidecar, put in place by one commit
 * that is stopped or fails before each of its changes in turn: killed
 * (SIGKILL, undone by the next opener of the library), terminated
 * (SIGTERM, held until the commit is over) or a failed change (undone at
 * once).  Afterwards both data sets are wholly old or wholly new, and
 * nothing of the commit is left in the directories. */
TEST_F(FailedStepOutputs, AStoppedCommitLeavesEveryOutputOldOrEveryOneNew)
{
    using namespace commit_windows;
    struct Case {
        const char *id;
        int signal; /* 0: the change fails */
        bool twoDirectories, earlier;
    };
    const Case cases[] = {
        {"killed, one directory", SIGKILL, false, true},
        {"killed, two directories", SIGKILL, true, true},
        {"killed, no earlier versions", SIGKILL, true, false},
        {"terminated, two directories", SIGTERM, true, true},
        {"failed change, two directories", 0, true, true},
        {"failed change, no earlier versions", 0, false, false},
    };
    const std::string second = dir_ + "/other";
    std::filesystem::create_directory(second);
    for (const Case &c : cases) {
        const std::string dirs[] = {dir_, c.twoDirectories ? second : dir_};
        std::string error;
        ASSERT_TRUE(host_->dataSets().libraries().assign("U", dirs[1], error)) << error;
        const int linksAndRenames = (c.earlier ? 4 : 0) + 4;
        bool completed = false;
        for (stopAt = 1; !completed; ++stopAt) {
            SCOPED_TRACE(std::string(c.id) + ", stopped before change " + std::to_string(stopAt));
            std::vector<orvhost::CommitFile> files;
            int held[4];
            for (int set = 0; set < 2; ++set)
                for (int kind = 0; kind < 2; ++kind) {
                    std::string name = std::string(1, "ab"[set]) + (kind == 0 ? ".csv" : ".meta.json");
                    std::string final = dirs[set] + "/" + name;
                    if (c.earlier) writeFile(final, kOld[kind]);
                    else std::filesystem::remove(final);
                    /* Held as the writer of an output holds them. */
                    std::string temporary;
                    int fd = orvhost::makeHeldTemporary(final, temporary, &held[files.size()]);
                    ASSERT_GE(fd, 0);
                    ::close(fd);
                    writeFile(temporary, kNew[kind]);
                    files.push_back({temporary, final});
                }
            stopSignal = c.signal;
            orvhost::StoppedCommits stopped;
            if (c.signal == 0) {
                orvhost::setCommitHookForTests(stopHook);
                completed = orvhost::putFilesInPlace(files, error, &stopped);
                orvhost::setCommitHookForTests(nullptr);
                /* A failed removal of the primary record undoes the commit too. */
                EXPECT_EQ(completed, stopAt > linksAndRenames + 1) << error;
            } else {
                const pid_t child = ::fork();
                if (child == 0) {
                    orvhost::setCommitHookForTests(stopHook);
                    ::_exit(orvhost::putFilesInPlace(files, error, &stopped) ? 0 : 1);
                }
                int status = 0;
                ASSERT_EQ(::waitpid(child, &status, 0), child);
                completed = WIFEXITED(status);
                EXPECT_TRUE(completed || (WIFSIGNALED(status) && WTERMSIG(status) == c.signal));
            }
            for (int fd : held) ::close(fd);
            /* The next readers of the libraries: B in U first. */
            for (const char *member : {"b", "a"})
                if (DATA_SET_HANDLE *input = open(member, ORV_DS_OPEN_INPUT, nullptr, member[0] == 'b' ? "U" : "T"))
                    xoclose(input);
            const std::string log = takeLog();
            const bool wholeNew = c.signal == SIGTERM || (c.signal == 0 ? completed : stopAt > linksAndRenames + 1);
            /* Each directory is undone by its first reader. */
            auto restored = [](const std::string &finals) {
                return "WARNING: A run stopped while putting data sets in place; the earlier versions of " + finals +
                       " were restored.\n";
            };
            std::string warnings; /* without the errors of data sets that are not there */
            for (size_t at = 0, end; (end = log.find('\n', at)) != std::string::npos; at = end + 1)
                if (log.compare(at, 8, "WARNING:") == 0) warnings += log.substr(at, end + 1 - at);
            const std::string a = dirs[0] + "/a.csv, " + dirs[0] + "/a.meta.json", b = dirs[1] + "/b.csv, " + dirs[1] + "/b.meta.json";
            EXPECT_EQ(warnings, c.signal != SIGKILL || wholeNew ? ""
                           : c.twoDirectories   ? restored(b) + restored(a)
                                                : restored(a + ", " + b));
            for (const orvhost::CommitFile &file : files) {
                const int kind = file.final.ends_with(".csv") ? 0 : 1;
                if (wholeNew) EXPECT_EQ(readFile(file.final), kNew[kind]) << file.final;
                else if (c.earlier) EXPECT_EQ(readFile(file.final), kOld[kind]) << file.final;
                else EXPECT_FALSE(std::filesystem::exists(file.final)) << file.final;
            }
            for (const std::string &dir : dirs)
                for (const auto &entry : std::filesystem::directory_iterator(dir))
                    EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
            ASSERT_LT(stopAt, 40);
        }
    }
}

namespace two_runs {

using orvtest::readFile;

/* Rows of x that the step of writeVersion writes into T.A and T.B, and
 * the pipes through which a commit (or the step, at change 0) waits: it
 * writes a byte to `paused` and reads one from `resume`. */
int versionRows = 0;
int pauseAt = -1;
int paused[2], resume[2];

int pauseHook(int change)
{
    if (change == pauseAt) {
        char byte = 0;
        if (::write(paused[1], &byte, 1) != 1 || ::read(resume[0], &byte, 1) != 1) return EIO;
    }
    return 0;
}

void writeVersion()
{
    writeOutput("a", versionRows);
    writeOutput("b", versionRows);
    if (pauseAt == 0) pauseHook(0);
    xexit(0, 0);
}

/* The rows of the data set member in dir when its CSV file and sidecar
 * are of one version (the sidecar's size of the CSV file is the file's),
 * else -1. */
int versionOf(const std::string &dir, const std::string &member)
{
    const std::string csv = readFile(dir + "/" + member + ".csv"), sidecar = readFile(dir + "/" + member + ".meta.json");
    const size_t bytes = sidecar.find("\"csvBytes\": ");
    if (bytes == std::string::npos || std::stoul(sidecar.substr(bytes + 12)) != csv.size()) return -1;
    return int(std::count(csv.begin(), csv.end(), '\n')) - 1;
}

/* Waits until the process child ends (its exit status) or waits for a lock
 * (-1), as /proc/locks shows a waiter ("->") of its id. */
int endedOrWaiting(pid_t child)
{
    for (int tries = 0; tries < 20000; ++tries) {
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::ifstream locks("/proc/locks");
        for (std::string line; std::getline(locks, line);)
            if (line.find("->") != std::string::npos && line.find(" " + std::to_string(child) + " ") != std::string::npos)
                return -1;
        ::usleep(500);
    }
    return -2;
}

int exitStatus(pid_t child)
{
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace two_runs

/* A run puts T.A and T.B in place (3 rows each, over 1 row) and is paused
 * before each change of its commit in turn (0: before the commit, in its
 * step), while a second run writes them (5 rows), reads T.A, or, having
 * begun its step before, commits them after the first was killed there.  Every data set ends as one version:
 * the later commit's whole, the reader gets the paused commit's version,
 * and a killed run's files are gone after the next commit. */
TEST_F(FailedStepOutputs, TwoRunsInOneLibraryEachSeeOneVersion)
{
    using namespace two_runs;
    enum class Second { Writer, Reader, WriterAfterKill };
    struct Case {
        const char *id;
        Second second;
        int firstChange;
    };
    const Case cases[] = {
        {"a second writer", Second::Writer, 0},
        {"a reader", Second::Reader, 1},
        {"a writer whose commit follows the first's kill", Second::WriterAfterKill, 0},
    };
    constexpr int kChanges = 14; /* 4 links, 4 renames, done, 4 backups and the record removed */
    for (const Case &c : cases)
        for (pauseAt = c.firstChange; pauseAt <= kChanges; ++pauseAt) {
            SCOPED_TRACE(std::string(c.id) + ", paused before change " + std::to_string(pauseAt));
            versionRows = 1;
            ASSERT_EQ(host_->runStep(writeVersion), 0);
            takeLog();
            ASSERT_EQ(::pipe(paused), 0);
            ASSERT_EQ(::pipe(resume), 0);
            char byte = 0;
            const int pausedAt = pauseAt;
            /* The writer after a kill began its step (and opened its
             * outputs) before the first run's commit. */
            pid_t second = -1;
            versionRows = 5;
            if (c.second == Second::WriterAfterKill) {
                pauseAt = 0;
                second = ::fork();
                if (second == 0) ::_exit(host_->runStep(writeVersion));
                ASSERT_EQ(::read(paused[0], &byte, 1), 1);
                pauseAt = pausedAt;
            }
            versionRows = 3;
            const pid_t first = ::fork();
            if (first == 0) {
                orvhost::setCommitHookForTests(pauseHook);
                ::_exit(host_->runStep(writeVersion));
            }
            ASSERT_EQ(::read(paused[0], &byte, 1), 1);
            pauseAt = -1;
            versionRows = 5;
            if (c.second == Second::WriterAfterKill) {
                ::kill(first, SIGKILL);
                EXPECT_EQ(exitStatus(first), 128 + SIGKILL);
                EXPECT_EQ(::write(resume[1], &byte, 1), 1);
                EXPECT_EQ(exitStatus(second), 0);
            } else {
                second = ::fork();
                if (second == 0) {
                    if (c.second == Second::Writer) ::_exit(host_->runStep(writeVersion));
                    DATA_SET_HANDLE *input = open("a");
                    int rows = 0;
                    while (input != nullptr && input->read(input) == 0) ++rows;
                    ::_exit(input != nullptr ? rows : 100);
                }
                const int early = endedOrWaiting(second);
                ASSERT_NE(early, -2);
                EXPECT_EQ(::write(resume[1], &byte, 1), 1);
                EXPECT_EQ(exitStatus(first), 0);
                EXPECT_EQ(early < 0 ? exitStatus(second) : early, c.second == Second::Writer ? 0 : 3);
            }
            for (int fd : {paused[0], paused[1], resume[0], resume[1]}) ::close(fd);
            pauseAt = pausedAt;
            /* A later reader finds the same. */
            if (DATA_SET_HANDLE *input = open("b")) xoclose(input);
            /* Paused in its step, the first run commits last. */
            const int expected = c.second == Second::Reader || (c.second == Second::Writer && pausedAt == 0) ? 3 : 5;
            EXPECT_EQ(versionOf(dir_, "a"), expected);
            EXPECT_EQ(versionOf(dir_, "b"), expected);
            EXPECT_EQ(takeLog().find("left in place"), std::string::npos);
            for (const auto &entry : std::filesystem::directory_iterator(dir_))
                EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
        }
}

/* Records a run did not write, or cannot trust, planted in T: each is left
 * where it is with a warning, no file outside T changes, nor any file in T
 * that is not a data set's; one that names T.A but cannot be finished (of
 * another user, its backups gone, in a library the reader can only read)
 * keeps T.A from being read or replaced, while T.C, which no record names,
 * is read.  The reader of a read-only library is user 65534 in a child
 * process, the library root's and not writable by others, the record and
 * its files the reader's own (and another user's to the root run that then
 * writes T.A).  Rows that give files to user 65534 need root: without it
 * the test is skipped there. */
TEST_F(FailedStepOutputs, PlantedAndDamagedRecordsAreLeftWhereTheyAre)
{
    using orvhost::CommitRecordFields;
    const std::string sib = dir_ + "-sib", sibName = std::filesystem::path(sib).filename();
    std::filesystem::create_directory(sib);
    auto record = [&](const std::string &name, const std::vector<orvhost::CommitEntry> &entries) {
        CommitRecordFields fields;
        fields.primary = true;
        fields.primaryPath = dir_ + "/" + name;
        fields.entries = entries;
        return orvhost::commitRecordText(fields);
    };
    const std::string inT = dir_ + "/.a.csv.Tmp001";
    struct Case {
        const char *id;
        std::string text; /* of the record; "->": a symbolic link to a record in sib */
        std::string reason;
        /* otherUser: the record is user 65534's; readOnly: read by 65534 */
        bool blocks, otherUser = false, backup = false, readOnly = false;
    };
    auto name = [](int row) { return ".commit-PLNT" + std::to_string(10 + row); };
    const Case cases[] = {
        {"empty", "", "it is not a whole commit record; remove it when no run is writing to the library", false},
        {"cut short", record(name(1), {{inT, dir_ + "/a.csv", ""}}).substr(0, 60),
         "it is not a whole commit record; remove it when no run is writing to the library", false},
        {"random bytes", std::string("\x93\x00\x17orvhost\xff\x00\x00end", 15),
         "it is not a whole commit record; remove it when no run is writing to the library", false},
        {"a path through ..", record(name(3), {{dir_ + "/../" + sibName + "/.x.csv.Tmp001", dir_ + "/../" + sibName + "/x.csv", ""}}),
         "it names files that are not data set files of its library", false},
        {"an absolute path elsewhere", record(name(4), {{sib + "/.x.csv.Tmp001", sib + "/x.csv", ""}}),
         "it names files that are not data set files of its library", false},
        {"a relative path", record(name(5), {{".x.csv.Tmp001", "x.csv", ""}}),
         "it names files that are not data set files of its library", false},
        {"a file of another form", record(name(6), {{dir_ + "/.notes.txt.Tmp001", dir_ + "/notes.txt", ""}}),
         "it names files that are not data set files of its library", false},
        {"a backup of another name", record(name(7), {{inT, dir_ + "/a.csv", sib + "/x.csv"}}),
         "it names files that are not data set files of its library", false},
        {"a symbolic link", "->", "it is not a regular file of its own", false},
        {"its backups removed", record(name(9), {{inT, dir_ + "/a.csv", inT + ".old"}}),
         "the earlier version of a.csv it names is missing", true},
        /* Rows with a user of their own last: they need root. */
        {"another user's", record(name(10), {{inT, dir_ + "/a.csv", inT + ".old"}}),
         "it belongs to another user (uid 65534), whose run must finish it", true, true, true},
        {"in a library this run can only read", record(name(11), {{inT, dir_ + "/a.csv", inT + ".old"}}),
         "this run cannot write to the library", true, true, true, true},
    };
    /* What a reader of T.A, then of T.C, sees. */
    auto readAThenC = [&] {
        int status = 0;
        DATA_SET_HANDLE *input = open("a", ORV_DS_OPEN_INPUT, &status);
        std::string seen = input != nullptr ? "T.A read\n" : "T.A not read: " + std::to_string(status) + "\n";
        if (input != nullptr) xoclose(input);
        seen += takeLog();
        input = open("c");
        int rows = 0;
        while (input != nullptr && input->read(input) == 0) ++rows;
        if (input != nullptr) xoclose(input);
        return seen + "T.C rows: " + std::to_string(rows) + "\n" + takeLog();
    };
    /* The same, seen by user 65534 in a child process. */
    auto readAThenCAsNobody = [&] {
        int seen[2];
        if (::pipe(seen) != 0) return std::string("no pipe");
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(seen[0]);
            const std::string text = ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0
                                         ? readAThenC()
                                         : "cannot become user 65534";
            ::_exit(::write(seen[1], text.data(), text.size()) == ssize_t(text.size()) ? 0 : 1);
        }
        ::close(seen[1]);
        std::string text;
        char buffer[4096];
        for (ssize_t got; (got = ::read(seen[0], buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(got));
        ::close(seen[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        return text;
    };
    int row = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        if (c.otherUser && ::geteuid() != 0) GTEST_SKIP() << "only root can give files to user 65534";
        const std::string planted = dir_ + "/" + name(row++);
        for (const char *member : {"a", "c"})
            for (const auto &kind : {0, 1})
                writeFile(path(member + std::string(kind == 0 ? ".csv" : ".meta.json")), commit_windows::kOld[kind]);
        writeFile(path("notes.txt"), "kept\n");
        writeFile(sib + "/x.csv", "x\n7\n");
        writeFile(sib + "/.x.csv.Tmp001", "x\n8\n");
        if (c.backup) writeFile(inT + ".old", "x\n9\n");
        if (c.text == "->") {
            writeFile(sib + "/record", record(".commit-Sym001", {{sib + "/.x.csv.Tmp001", sib + "/x.csv", ""}}));
            std::filesystem::create_symlink(sib + "/record", planted);
        } else {
            writeFile(planted, c.text);
        }
        if (c.otherUser) {
            ASSERT_EQ(::lchown(planted.c_str(), 65534, 65534), 0);
        }
        if (c.readOnly) {
            for (const std::string &file : {path("a.csv"), inT + ".old"}) ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
            ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0);
        }
        std::map<std::string, std::string> before;
        for (const std::string &dir : {dir_, sib})
            for (const auto &file : std::filesystem::directory_iterator(dir))
                if (!file.is_symlink()) before[file.path()] = readFile(file.path());

        std::string expected = c.blocks ? "T.A not read: " + std::to_string(orvhost::kDataSetStatusOpenFailed) + "\n"
                                        : "T.A read\n";
        expected += "WARNING: The commit record " + planted + " is left in place: " + c.reason + ".\n";
        if (c.blocks)
            expected += "ERROR: The data set T.A cannot be read: the commit record " + planted +
                        " of a run that stopped while putting it in place cannot be finished by this run; run with "
                        "write access to the library " + dir_ + " to finish it.\n";
        EXPECT_EQ(c.readOnly ? readAThenCAsNobody() : readAThenC(), expected + "T.C rows: 1\n");
        EXPECT_EQ(host_->runStep([] {
            writeOutput("a", 2);
            xexit(0, 0);
        }),
                  c.blocks ? orvhost::kDataSetErrorReturnCode : 0);
        const std::string log = takeLog();
        EXPECT_EQ(log.find("the commit record " + planted + " of a stopped run names it") != std::string::npos, c.blocks) << log;
        for (const auto &[file, text] : before) {
            const bool replaced = !c.blocks && (file.ends_with("/a.csv") || file.ends_with("/a.meta.json"));
            if (!replaced) {
                EXPECT_EQ(readFile(file), text) << file;
            }
        }
        EXPECT_TRUE(std::filesystem::is_symlink(planted) || std::filesystem::exists(planted));
        std::filesystem::remove(planted);
        std::filesystem::remove(inT + ".old");
    }
    std::filesystem::remove_all(sib);
}

/* A run killed while it undid a stopped commit (the record marked "back",
 * the first file restored) leaves a record the next run goes on with: both
 * data sets come back whole, without a warning that the record is left. */
TEST_F(FailedStepOutputs, AnUndoStoppedPartWayIsTakenUpByTheNextRun)
{
    using namespace commit_windows;
    std::vector<orvhost::CommitFile> files;
    int held[4];
    for (const char *name : {"a.csv", "a.meta.json", "b.csv", "b.meta.json"}) {
        const int kind = std::string(name).ends_with(".csv") ? 0 : 1;
        writeFile(path(name), kOld[kind]);
        std::string temporary;
        ::close(orvhost::makeHeldTemporary(path(name), temporary, &held[files.size()]));
        writeFile(temporary, kNew[kind]);
        files.push_back({temporary, path(name)});
    }
    stopAt = 7; /* after the links and two renames */
    stopSignal = SIGKILL;
    const pid_t child = ::fork();
    if (child == 0) {
        orvhost::setCommitHookForTests(stopHook);
        orvhost::StoppedCommits stopped;
        std::string error;
        ::_exit(orvhost::putFilesInPlace(files, error, &stopped) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    for (int fd : held) ::close(fd);
    std::string record;
    for (const auto &entry : std::filesystem::directory_iterator(dir_))
        if (entry.path().filename().string().starts_with(".commit-")) record = entry.path();
    ASSERT_FALSE(record.empty());
    orvhost::CommitRecordFields fields;
    ASSERT_TRUE(orvhost::parseCommitRecord(readFile(record), fields));
    std::string text = readFile(record);
    text.replace(orvhost::commitStateOffset(true), 4, "back");
    writeFile(record, text);
    const int directory = ::open(dir_.c_str(), O_RDONLY | O_DIRECTORY);
    orvhost::restoreEarlierVersion(directory, fields.entries[0]);
    ::close(directory);

    if (DATA_SET_HANDLE *input = open("a")) xoclose(input);
    EXPECT_EQ(takeLog(), "WARNING: A run stopped while putting data sets in place; the earlier versions of " + dir_ +
                             "/a.csv, " + dir_ + "/a.meta.json, " + dir_ + "/b.csv, " + dir_ + "/b.meta.json were restored.\n");
    for (const orvhost::CommitFile &file : files) EXPECT_EQ(readFile(file.final), kOld[file.final.ends_with(".csv") ? 0 : 1]);
    EXPECT_FALSE(std::filesystem::exists(record));
}
