#include "search/criterion_text.h"

#include <gtest/gtest.h>

namespace tarvelo::search {
namespace {

TEST(CriterionText, aValueMayHoldColonsUnlessTheTypeIsARange) {
    std::string error;
    const auto command = parseCriterion("command:1:C:\\TOOLS\\BACKUP.EXE", error);
    ASSERT_TRUE(command) << error;
    EXPECT_EQ(std::get<std::string>(command->value), "c:\\tools\\backup.exe");

    const auto range = parseCriterion("description:7:B:D", error);
    ASSERT_TRUE(range) << error;
    EXPECT_EQ(std::get<std::string>(range->value), "b");
    EXPECT_EQ(std::get<std::string>(range->upper), "d");
}

TEST(CriterionText, aNumberFieldTakesWholeNumbers) {
    std::string error;
    const auto date = parseCriterion("date:8:80000:80010", error);
    ASSERT_TRUE(date) << error;
    EXPECT_EQ(std::get<std::int64_t>(date->value), 80000);
    EXPECT_EQ(std::get<std::int64_t>(date->upper), 80010);
    EXPECT_FALSE(parseCriterion("Date:1:80000", error)) << "field names are lower case";
}

}  // namespace
}  // namespace tarvelo::search
