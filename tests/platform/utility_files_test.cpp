/*
 * utility_files_test.cpp - the host's utility files: open-record checks,
 * reading, writing, noting, positioning and cutting (in memory, after a
 * spill to a temporary file, and across the spill), the end-of-file status
 * and the texts of the failure statuses, dead handles (the file used last
 * too), random writes against a model in memory and across a spill,
 * temporary files that cannot be made or written (and the reason their
 * status's text gives), and the release of a step's files.
 */
#include "platform/utility_files.h"

#include <dirent.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "host/host_records.h"
#include "platform/catalogue.h"
#include "platform/host.h"
#include "platform/service_table.h"
#include "platform/step.h"

namespace {

using namespace orvhost;

UTILITY_OPEN_RECORD goodRecord()
{
    UTILITY_OPEN_RECORD record;
    std::memset(&record, 0, sizeof record);
    std::memset(record.member, ' ', sizeof record.member);
    std::memset(record.blanks50, ' ', sizeof record.blanks50);
    std::memcpy(record.memberType, "UTILITY ", 8);
    record.openFlags = ORV_UTILITY_OPEN_FLAGS;
    return record;
}

void *openFile(UtilityFiles &files)
{
    UTILITY_OPEN_RECORD record = goodRecord();
    void *file = nullptr;
    EXPECT_EQ(files.open(&file, &record), 0);
    return file;
}

/* Sets an environment variable for the life of the object. */
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value) : name_(name)
    {
        const char *old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        ::setenv(name, value, 1);
    }
    ~ScopedEnv()
    {
        if (had_) ::setenv(name_, old_.c_str(), 1);
        else ::unsetenv(name_);
    }

private:
    const char *name_;
    bool had_;
    std::string old_;
};

TEST(UtilityFiles, OpenRecordIsChecked)
{
    struct Case {
        const char *id;
        void (*change)(UTILITY_OPEN_RECORD &);
        bool nullRecord;
        int expected;
    };
    const Case cases[] = {
        {"record as the stores fill it", [](UTILITY_OPEN_RECORD &) {}, false, 0},
        {"member type without its blank", [](UTILITY_OPEN_RECORD &r) { std::memcpy(r.memberType, "UTILITY\0", 8); }, false, kUtilityStatusBadOpenRecord},
        {"member type in lower case", [](UTILITY_OPEN_RECORD &r) { std::memcpy(r.memberType, "utility ", 8); }, false, kUtilityStatusBadOpenRecord},
        {"member type DATA", [](UTILITY_OPEN_RECORD &r) { std::memcpy(r.memberType, "DATA    ", 8); }, false, kUtilityStatusBadOpenRecord},
        {"flags 0", [](UTILITY_OPEN_RECORD &r) { r.openFlags = 0; }, false, kUtilityStatusBadOpenRecord},
        {"flags one bit short", [](UTILITY_OPEN_RECORD &r) { r.openFlags = 0x84000000u; }, false, kUtilityStatusBadOpenRecord},
        {"flags byte-swapped", [](UTILITY_OPEN_RECORD &r) { r.openFlags = 0x08000084u; }, false, kUtilityStatusBadOpenRecord},
        {"no record", [](UTILITY_OPEN_RECORD &) {}, true, kUtilityStatusBadOpenRecord},
    };
    std::ostringstream log;
    Host host(log);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        UTILITY_OPEN_RECORD record = goodRecord();
        c.change(record);
        void *file = reinterpret_cast<void *>(0x1234);
        int status = host_routines::xcopen(&file, c.nullRecord ? nullptr : &record);
        EXPECT_EQ(status, c.expected);
        if (c.expected == 0) {
            ASSERT_NE(file, nullptr);
            EXPECT_EQ(host_routines::xcclose(file, 1), 0);
        } else {
            EXPECT_EQ(file, nullptr) << "a failed open leaves no handle behind";
        }
    }
    UTILITY_OPEN_RECORD record = goodRecord();
    EXPECT_EQ(host_routines::xcopen(nullptr, &record), kUtilityStatusBadArgument);
    EXPECT_EQ(host.utilityFiles().liveCount(), 0u);
}

/* One script of calls, run on files that stay in memory, that spill at the
 * first write, and that spill in the middle of the script; all three must
 * answer alike. */
TEST(UtilityFiles, ReadWriteNotePointAndCut)
{
    enum Op { Write, Read, Note, Point };
    struct Step {
        const char *id;
        Op op;
        std::string text;   /* Write: bytes to write; Read: bytes expected */
        int64_t number;     /* Read: length; Note: expected; Point: position */
        int status;
        int64_t sizeAfter;
    };
    const Step script[] = {
        {"write abcdef", Write, "abcdef", 0, 0, 6},
        {"note at end", Note, "", 6, 0, 6},
        {"read at end", Read, "", 1, kUtilityStatusEndOfFile, 6},
        {"read 0 at end", Read, "", 0, 0, 6},
        {"point 2", Point, "", 2, 0, 6},
        {"read cde", Read, "cde", 3, 0, 6},
        {"note 5", Note, "", 5, 0, 6},
        {"read 2 of 1 left", Read, "", 2, kUtilityStatusEndOfFile, 6},
        {"position kept", Note, "", 5, 0, 6},
        {"read f", Read, "f", 1, 0, 6},
        {"point past end", Point, "", 7, kUtilityStatusBadPosition, 6},
        {"point -1", Point, "", -1, kUtilityStatusBadPosition, 6},
        {"point -3", Point, "", -3, kUtilityStatusBadPosition, 6},
        {"position kept after bad point", Note, "", 6, 0, 6},
        {"point to end", Point, "", 6, 0, 6},
        {"point 1", Point, "", 1, 0, 6},
        {"overwrite XY", Write, "XY", 0, 0, 6},
        {"note 3", Note, "", 3, 0, 6},
        {"overwrite and extend", Write, "1234567", 0, 0, 10},
        {"point 0", Point, "", 0, 0, 10},
        {"read all", Read, "aXY1234567", 10, 0, 10},
        {"point 4", Point, "", 4, 0, 10},
        {"cut at 4", Point, "", ORV_UTILITY_TRUNCATE, 0, 4},
        {"note after cut", Note, "", 4, 0, 4},
        {"read after cut", Read, "", 1, kUtilityStatusEndOfFile, 4},
        {"point 0 again", Point, "", 0, 0, 4},
        {"read kept part", Read, "aXY1", 4, 0, 4},
        {"point 0 and cut", Point, "", 0, 0, 4},
        {"cut at 0", Point, "", ORV_UTILITY_TRUNCATE, 0, 0},
        {"point 1 of empty", Point, "", 1, kUtilityStatusBadPosition, 0},
        {"write after cut", Write, "zz", 0, 0, 2},
        {"point 0 last", Point, "", 0, 0, 2},
        {"read zz", Read, "zz", 2, 0, 2},
    };
    struct Limit {
        const char *id;
        int64_t limit;
        bool spilledAtEnd;
    };
    const Limit limits[] = {
        {"in memory", 1 << 20, false},
        {"spilled from the start", 0, true},
        {"spills at the third write", 8, true},
    };
    for (const Limit &l : limits) {
        SCOPED_TRACE(l.id);
        UtilityFiles files(l.limit);
        void *file = openFile(files);
        for (const Step &s : script) {
            SCOPED_TRACE(s.id);
            int status = 0;
            switch (s.op) {
            case Write: status = files.write(file, s.text.data(), int64_t(s.text.size())); break;
            case Read: {
                std::string buffer(size_t(s.number), '?');
                status = files.read(file, buffer.data(), s.number);
                if (status == 0) {
                    EXPECT_EQ(buffer, s.text);
                } else {
                    EXPECT_EQ(buffer, std::string(size_t(s.number), '?')) << "nothing read";
                }
                break;
            }
            case Note: {
                int64_t position = -99;
                status = files.note(file, &position);
                EXPECT_EQ(position, s.number);
                break;
            }
            case Point: status = files.point(file, s.number); break;
            }
            EXPECT_EQ(status, s.status);
            EXPECT_EQ(files.sizeOf(file), s.sizeAfter);
        }
        EXPECT_EQ(files.spilled(file), l.spilledAtEnd);
        EXPECT_EQ(files.close(file, 1), 0);
    }
}

TEST(UtilityFiles, StatusesAndTheirTexts)
{
    EXPECT_EQ(uint32_t(kUtilityStatusEndOfFile) & ORV_STATUS_EOF_MASK, ORV_STATUS_EOF_BITS);
    struct Case {
        const char *id;
        int status;
        const char *text;
    };
    const Case cases[] = {
        {"end of file", kUtilityStatusEndOfFile, "End of file"},
        {"bad open record", kUtilityStatusBadOpenRecord, "could not be opened"},
        {"bad file", kUtilityStatusBadFile, "not an open utility file"},
        {"bad argument", kUtilityStatusBadArgument, "null pointer or a negative length"},
        {"bad position", kUtilityStatusBadPosition, "positioned outside"},
        {"i/o failure", kUtilityStatusIoFailure, "could not be written or read"},
    };
    std::ostringstream log;
    Host host(log);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        if (c.status != kUtilityStatusEndOfFile) {
            EXPECT_LT(c.status, 0) << "a failing host status is negative";
            EXPECT_NE(uint32_t(c.status) & ORV_STATUS_EOF_MASK, ORV_STATUS_EOF_BITS)
                << "a failure must not read as end of file";
        }
        log.str({});
        host_routines::xprrlog(nullptr, c.status);
        EXPECT_EQ(log.str().rfind("ERROR: ", 0), 0u) << log.str();
        EXPECT_NE(log.str().find(c.text), std::string::npos) << log.str();
    }
}

TEST(UtilityFiles, DeadHandlesAndBadArguments)
{
    std::ostringstream log;
    Host host(log);
    UTILITY_OPEN_RECORD record = goodRecord();
    void *closed = nullptr;
    ASSERT_EQ(host_routines::xcopen(&closed, &record), 0);
    ASSERT_EQ(host_routines::xcclose(closed, 1), 0);
    void *live = nullptr;
    ASSERT_EQ(host_routines::xcopen(&live, &record), 0);
    ASSERT_EQ(host_routines::xcwrite(live, "abc", 3), 0);
    ASSERT_EQ(host_routines::xcpoint(live, 0), 0);
    int64_t stackWord = 0;

    char buffer[8] = {};
    int64_t position = 0;
    struct Case {
        const char *id;
        void *file;
        int (*call)(void *file, char *buffer, int64_t *position);
        int expected;
    };
    const Case cases[] = {
        {"read null", nullptr, [](void *f, char *b, int64_t *) { return host_routines::xcread(f, b, 1); }, kUtilityStatusBadFile},
        {"write closed", closed, [](void *f, char *b, int64_t *) { return host_routines::xcwrite(f, b, 1); }, kUtilityStatusBadFile},
        {"note foreign", &stackWord, [](void *f, char *, int64_t *p) { return host_routines::xcnote(f, p); }, kUtilityStatusBadFile},
        {"point closed", closed, [](void *f, char *, int64_t *) { return host_routines::xcpoint(f, 0); }, kUtilityStatusBadFile},
        {"close closed", closed, [](void *f, char *, int64_t *) { return host_routines::xcclose(f, 1); }, kUtilityStatusBadFile},
        {"close foreign", &stackWord, [](void *f, char *, int64_t *) { return host_routines::xcclose(f, 1); }, kUtilityStatusBadFile},
        {"read negative length", live, [](void *f, char *b, int64_t *) { return host_routines::xcread(f, b, -1); }, kUtilityStatusBadArgument},
        {"read null buffer", live, [](void *f, char *, int64_t *) { return host_routines::xcread(f, nullptr, 2); }, kUtilityStatusBadArgument},
        {"write negative length", live, [](void *f, char *b, int64_t *) { return host_routines::xcwrite(f, b, -5); }, kUtilityStatusBadArgument},
        {"write null buffer", live, [](void *f, char *, int64_t *) { return host_routines::xcwrite(f, nullptr, 2); }, kUtilityStatusBadArgument},
        {"note null out", live, [](void *f, char *, int64_t *) { return host_routines::xcnote(f, nullptr); }, kUtilityStatusBadArgument},
        {"live file still reads", live, [](void *f, char *b, int64_t *) { return host_routines::xcread(f, b, 3); }, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(c.call(c.file, buffer, &position), c.expected);
    }
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(stackWord, 0);
}

/* Returns the names in a directory other than . and .. */
std::vector<std::string> entriesOf(const std::string &path)
{
    std::vector<std::string> names;
    DIR *directory = ::opendir(path.c_str());
    if (directory == nullptr) return names;
    while (dirent *entry = ::readdir(directory)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(directory);
    return names;
}

/* Writes `rounds` random chunks at random places of file and into model,
 * a plain string that models the file. */
void writeRandomChunks(UtilityFiles &files, void *file, int rounds, std::string &model)
{
    static std::mt19937 random(20240611);
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE(round);
        int64_t position = model.empty() ? 0 : int64_t(random() % (model.size() + 1));
        ASSERT_EQ(files.point(file, position), 0);
        std::string chunk(size_t(random() % 300), ' ');
        for (char &c : chunk) c = char('a' + random() % 26);
        ASSERT_EQ(files.write(file, chunk.data(), int64_t(chunk.size())), 0);
        if (size_t(position) + chunk.size() > model.size()) model.resize(size_t(position) + chunk.size());
        model.replace(size_t(position), chunk.size(), chunk);
    }
}

/* Random writes that stay in memory while the bytes grow many times, and
 * cuts between them, against the model. */
TEST(UtilityFiles, InMemoryWritesKeepEveryByte)
{
    UtilityFiles files(1 << 20);
    void *file = openFile(files);
    std::string model;
    for (int quarters : {2, 0, 3}) {
        SCOPED_TRACE(quarters);
        writeRandomChunks(files, file, 300, model);
        const int64_t cut = int64_t(model.size()) * quarters / 4;
        ASSERT_EQ(files.sizeOf(file), int64_t(model.size()));
        ASSERT_EQ(files.point(file, 0), 0);
        std::string back(model.size(), '?');
        ASSERT_EQ(files.read(file, back.data(), int64_t(back.size())), 0);
        EXPECT_TRUE(back == model) << "the bytes differ from the model";
        ASSERT_EQ(files.point(file, cut), 0);
        ASSERT_EQ(files.point(file, ORV_UTILITY_TRUNCATE), 0);
        model.resize(size_t(cut));
    }
    EXPECT_FALSE(files.spilled(file));
}

/* The file used last is remembered for the next call; closing it, or the
 * end of the step, must still leave its handle dead. */
TEST(UtilityFiles, TheFileUsedLastIsDeadOnceClosed)
{
    UtilityFiles files;
    void *first = openFile(files);
    void *second = openFile(files);
    char buffer[3];
    ASSERT_EQ(files.write(first, "abc", 3), 0);
    ASSERT_EQ(files.close(first, 1), 0);
    EXPECT_EQ(files.point(first, 0), kUtilityStatusBadFile);
    EXPECT_EQ(files.read(first, buffer, 3), kUtilityStatusBadFile);
    ASSERT_EQ(files.write(second, "de", 2), 0);
    files.releaseStep();
    EXPECT_EQ(files.write(second, "f", 1), kUtilityStatusBadFile);
    EXPECT_EQ(files.sizeOf(second), -1);
}

TEST(UtilityFiles, SpillKeepsEveryByteAndLeavesNoName)
{
    char directory[] = "/tmp/orv-utility-test-XXXXXX";
    ASSERT_NE(::mkdtemp(directory), nullptr);
    ScopedEnv tmpdir("TMPDIR", directory);

    UtilityFiles files(1000);
    void *file = openFile(files);
    std::string model;
    writeRandomChunks(files, file, 4, model);
    EXPECT_FALSE(files.spilled(file)) << "small files stay in memory";
    writeRandomChunks(files, file, 396, model);
    ASSERT_TRUE(files.spilled(file));
    EXPECT_TRUE(entriesOf(directory).empty()) << "the temporary file has no name";
    ASSERT_EQ(files.sizeOf(file), int64_t(model.size()));
    ASSERT_EQ(files.point(file, 0), 0);
    std::string back(model.size(), '?');
    ASSERT_EQ(files.read(file, back.data(), int64_t(back.size())), 0);
    EXPECT_EQ(back, model);
    EXPECT_EQ(files.close(file, 1), 0);
    ::rmdir(directory);
}

/* Temporary files that cannot be made or written: the write fails, the
 * file holds what it held, and the status's text names the directory and
 * the system's reason. */
TEST(UtilityFiles, TemporaryFileFailuresLeaveTheFileAndSayWhy)
{
    char directory[] = "/tmp/orv-utility-test-XXXXXX";
    ASSERT_NE(::mkdtemp(directory), nullptr);
    const std::string plainFile = std::string(directory) + "/plain";
    { std::ofstream(plainFile) << "x"; }
    struct Case {
        const char *id;
        std::string tmpdir;
        int writeError;        /* failTemporaryWritesForTests */
        bool spillFirst;       /* the fault comes after a spill that worked */
        std::string log;
    };
    const std::string dir = directory;
    const Case cases[] = {
        {"TMPDIR missing", "/nonexistent/orv-utility-test", 0, false,
         "ERROR: A utility file could not be written or read: no temporary file can be made in "
         "/nonexistent/orv-utility-test (No such file or directory).\n"},
        {"TMPDIR a regular file", plainFile, 0, false,
         "ERROR: A utility file could not be written or read: no temporary file can be made in " + plainFile +
             " (Not a directory).\n"},
        {"no space at the spill", dir, ENOSPC, false,
         "ERROR: A utility file could not be written or read: its temporary file in " + dir +
             " cannot be written (No space left on device).\n"},
        {"no space after the spill", dir, ENOSPC, true,
         "ERROR: A utility file could not be written or read: its temporary file in " + dir +
             " cannot be written (No space left on device).\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ScopedEnv tmpdir("TMPDIR", c.tmpdir.c_str());
        std::ostringstream log;
        Host host(log);
        UtilityFiles &files = host.utilityFiles();
        files.setSpillLimit(4);
        void *file = openFile(files);
        ASSERT_EQ(files.write(file, "abc", 3), 0);
        std::string held = "abc";
        if (c.spillFirst) {
            ASSERT_EQ(files.write(file, "defg", 4), 0);
            ASSERT_TRUE(files.spilled(file));
            held += "defg";
        }
        files.failTemporaryWritesForTests(c.writeError);
        ASSERT_EQ(files.write(file, "hijkl", 5), kUtilityStatusIoFailure);
        files.failTemporaryWritesForTests(0);
        EXPECT_EQ(files.spilled(file), c.spillFirst);
        EXPECT_EQ(files.sizeOf(file), int64_t(held.size()));
        int64_t position = -1;
        EXPECT_EQ(files.note(file, &position), 0);
        EXPECT_EQ(position, int64_t(held.size())) << "a failed write does not move";
        std::string back(held.size(), '?');
        ASSERT_EQ(files.point(file, 0), 0);
        ASSERT_EQ(files.read(file, back.data(), int64_t(back.size())), 0);
        EXPECT_EQ(back, held);
        host_routines::xprrlog(nullptr, kUtilityStatusIoFailure);
        EXPECT_EQ(log.str(), c.log);
    }
    std::remove(plainFile.c_str());
    ::rmdir(directory);
}

void *stepFiles[2];

void stepThatOpensFiles()
{
    UTILITY_OPEN_RECORD record = goodRecord();
    for (void *&file : stepFiles) {
        if (host_routines::xcopen(&file, &record) != 0) host_routines::xexit(1, 0);
        host_routines::xcwrite(file, "row", 3);
    }
    host_routines::xexit(0, 0);
}

TEST(UtilityFiles, StepEndReleasesItsFiles)
{
    std::ostringstream log;
    Host host(log);
    ASSERT_EQ(host.runStep(&stepThatOpensFiles), 0);
    EXPECT_EQ(host.utilityFiles().liveCount(), 0u);
    char buffer[3];
    for (void *file : stepFiles) {
        EXPECT_EQ(host_routines::xcread(file, buffer, 3), kUtilityStatusBadFile);
        EXPECT_EQ(host_routines::xcclose(file, 1), kUtilityStatusBadFile);
    }
}

}  // namespace
