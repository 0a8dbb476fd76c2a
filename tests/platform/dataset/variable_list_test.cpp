/*
 * variable_list_test.cpp - VAR lists as the parser writes them, resolved
 * against a data set's variables: names, numbered and positional ranges,
 * ranges of one type, prefixes, the group words, the ID variable left out
 * of the group forms, and the faults.
 */
#include <string>
#include <vector>

#include "platform/dataset/data_set_store.h"
#include "platform/dataset/variable_list.h"
#include "tests/platform/dataset/dataset_test_support.h"

namespace {

class VariableList : public orvtest::DataSetTest {};

TEST_F(VariableList, ResolvesEveryForm)
{
    /* Variables 1 to 7: store (character), x1, x2, x3, name (character),
     * sales, price. */
    orvtest::writeFile(path("v.csv"), "store,x1,x2,x3,name,Sales,price\nA,1,2,3,n,4,5\n");
    orvtest::writeFile(path("v.meta.json"), R"({"variables": [
      {"name": "store", "type": "character", "length": 1}, {"name": "x1", "type": "numeric"},
      {"name": "x2", "type": "numeric"}, {"name": "x3", "type": "numeric"},
      {"name": "name", "type": "character", "length": 1}, {"name": "Sales", "type": "numeric"},
      {"name": "price", "type": "numeric"}]})");
    DATA_SET_HANDLE *handle = open("v");
    ASSERT_NE(handle, nullptr) << log_.str();
    const orvhost::DataSet &data = *host_->dataSets().find(handle);
    struct Case {
        const char *id;
        std::vector<std::string> items;
        bool numericOnly;
        int excluded;
        std::vector<int32_t> numbers; /* empty with a problem */
        const char *problem;
    };
    const Case cases[] = {
        {"names in any case", {"SALES", "X2"}, true, 0, {6, 3}, ""},
        {"numbered range", {"X1-X3"}, true, 0, {2, 3, 4}, ""},
        {"positional range, numeric only", {"X3--SALES"}, true, 0, {4, 6}, ""},
        {"positional range, character", {"STORE-CHARACTER-NAME"}, false, 0, {1, 5}, ""},
        {"positional range, numeric", {"STORE-NUMERIC-PRICE"}, false, 0, {2, 3, 4, 6, 7}, ""},
        {"prefix", {"X:"}, true, 0, {2, 3, 4}, ""},
        {"_NUMERIC_ without the ID variable", {"_NUMERIC_"}, true, 6, {2, 3, 4, 7}, ""},
        {"_ALL_ keeps the numeric ones", {"_ALL_"}, true, 0, {2, 3, 4, 6, 7}, ""},
        {"a variable named twice counts once", {"X1", "X:"}, true, 0, {2, 3, 4}, ""},
        {"character variable named", {"NAME"}, true, 0, {},
         "The variable name of T.V is not numeric; the variable list takes numeric variables only."},
        {"unknown name", {"COST"}, true, 0, {}, "The variable COST is not in T.V."},
        {"a range of names without numbers", {"PRICE-SALES"}, true, 0, {},
         "The numbered range PRICE-SALES is not of the form X1-X3."},
        {"a range running backwards", {"SALES--X1"}, true, 0, {}, "The variable list SALES--X1 runs backwards in T.V."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        std::vector<int32_t> numbers;
        std::string problem;
        const bool ok = orvhost::resolveVariableList(data, c.items, c.numericOnly, c.excluded, numbers, problem);
        EXPECT_EQ(ok, problem.empty());
        EXPECT_EQ(problem, c.problem);
        if (ok) {
            EXPECT_EQ(numbers, c.numbers);
        }
    }
}

}  // namespace
