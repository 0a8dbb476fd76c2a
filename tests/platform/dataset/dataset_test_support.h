/*
 * dataset_test_support.h - a host with a scratch library for the tests of
 * the data-set store, and small helpers to call its services the way the
 * modules do.
 */
#ifndef ORV_TESTS_PLATFORM_DATASET_TEST_SUPPORT_H
#define ORV_TESTS_PLATFORM_DATASET_TEST_SUPPORT_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "host/host_records.h"
#include "platform/host.h"
#include "platform/service_table.h"

namespace orvtest {

inline void writeFile(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline uint64_t bitsOf(double value) { return std::bit_cast<uint64_t>(value); }

inline DATA_SET_OPEN_REQUEST openRequest(const std::string &libref, const std::string &member,
                                         int32_t mode)
{
    DATA_SET_OPEN_REQUEST request;
    std::memset(&request, 0, sizeof request);
    std::memset(request.libref, ' ', sizeof request.libref);
    std::memcpy(request.libref, libref.data(), std::min(libref.size(), sizeof request.libref));
    std::memset(request.member, ' ', sizeof request.member);
    std::memcpy(request.member, member.data(), std::min(member.size(), sizeof request.member));
    request.memberLength = int16_t(member.size());
    request.mode = mode;
    return request;
}

/* A host whose library T is a fresh scratch directory. */
class DataSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host_ = std::make_unique<orvhost::Host>(log_);
        char pattern[] = "/tmp/orvds-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::string error;
        ASSERT_TRUE(host_->dataSets().libraries().assign("T", dir_, error)) << error;
    }

    void TearDown() override
    {
        host_.reset();
        std::filesystem::remove_all(dir_);
    }

    std::string path(const std::string &file) const { return dir_ + "/" + file; }

    /* Opens T.member through xoopen; null (with the status in *status). */
    DATA_SET_HANDLE *open(const std::string &member, int32_t mode = ORV_DS_OPEN_INPUT,
                          int *status = nullptr, const std::string &libref = "T")
    {
        DATA_SET_OPEN_REQUEST request = openRequest(libref, member, mode);
        void *handle = nullptr;
        int result = host_routines::xoopen(&request, &handle);
        if (status != nullptr) *status = result;
        return static_cast<DATA_SET_HANDLE *>(handle);
    }

    std::string takeLog()
    {
        std::string text = log_.str();
        log_.str({});
        return text;
    }

    std::ostringstream log_;
    std::unique_ptr<orvhost::Host> host_;
    std::string dir_;
};

}  // namespace orvtest

#endif
