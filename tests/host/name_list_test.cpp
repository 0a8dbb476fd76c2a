/*
 * name_list_test.cpp - reading names from a chain of parsed name-list blocks
 * built here in the layout the host parser produces.
 */
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "host/name_list.h"

namespace {

/* One block: the 32-byte header, then each name as a length byte and its
 * text.  The header's unused bytes are filled with 0xA5 so that a reader
 * that strays into them gets nonsense. */
class Block {
public:
    Block(int64_t lastIndex, const std::vector<std::string> &names)
    {
        size_t size = offsetof(NAME_LIST_BLOCK, names);
        for (const std::string &name : names) size += 1 + name.size();
        storage_.assign((size + 7) / 8 + 1, 0xA5A5A5A5A5A5A5A5u);
        auto *bytes = reinterpret_cast<uint8_t *>(storage_.data());
        uint8_t *p = bytes + offsetof(NAME_LIST_BLOCK, names);
        for (const std::string &name : names) {
            *p++ = uint8_t(name.size());
            std::memcpy(p, name.data(), name.size());
            p += name.size();
        }
        block()->next = nullptr;
        block()->lastIndex = lastIndex;
    }
    NAME_LIST_BLOCK *block() { return reinterpret_cast<NAME_LIST_BLOCK *>(storage_.data()); }

private:
    std::vector<uint64_t> storage_;
};

TEST(NameList, Zgetnmr)
{
    const std::string longName(255, 'x');
    Block first(2, {"EVENT1", "", "AO"});
    Block second(4, {"LS", "TC"});
    Block third(5, {longName});
    first.block()->next = second.block();
    second.block()->next = third.block();
    const NAME_LIST_BLOCK *chain = first.block();

    struct Case {
        const char *id;
        const NAME_LIST_BLOCK *list;
        int64_t index;
        int rc;
        std::string name;
    };
    const Case cases[] = {
        {"first name", chain, 0, 0, "EVENT1"},
        {"zero-length name", chain, 1, 0, ""},
        {"name after the empty one", chain, 2, 0, "AO"},
        {"first of the second block", chain, 3, 0, "LS"},
        {"last of the second block", chain, 4, 0, "TC"},
        {"last name of the last block", chain, 5, 0, longName},
        {"one beyond", chain, 6, 1, ""},
        {"far beyond", chain, std::numeric_limits<int64_t>::max(), 1, ""},
        {"negative", chain, -1, 1, ""},
        {"most negative", chain, std::numeric_limits<int64_t>::min(), 1, ""},
        {"null list", nullptr, 0, 1, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        const char sentinel[] = "untouched";
        const char *text = sentinel;
        int length = -7;
        ASSERT_EQ(zgetnmr(c.list, c.index, &text, &length), c.rc);
        if (c.rc == 0) {
            EXPECT_EQ(std::string(text, size_t(length)), c.name);
        } else {
            EXPECT_EQ(text, sentinel);
            EXPECT_EQ(length, -7);
        }
    }
}

}  // namespace
