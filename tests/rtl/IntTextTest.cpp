#include <gtest/gtest.h>

#include <string>

#include "rtl/IntText.h"
#include "rtl/SysUtils.h"

namespace {

TEST(IntText, ReadsTheAcceptedForms) {
    struct Case {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"0", 0},
        {"15", 15},
        {"  42", 42},
        {"\t7", 7},
        {"+8", 8},
        {"-1", -1},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"$1F", 31},
        {"x1f", 31},
        {"X10", 16},
        {"0x10", 16},
        {"0XfF", 255},
        {"$FFFFFFFF", -1},
        {"$80000000", -2147483647 - 1},
        {"  $0000000000A", 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StrToInt(c.text), c.value);
    }
}

TEST(IntText, RefusesEverythingElseWithTheMessage) {
    const char* cases[] = {"",
                           " ",
                           "15 ",
                           "1 5",
                           "1a",
                           "+",
                           "-",
                           "$",
                           "0x",
                           "x",
                           "-$10",
                           "+0x1",
                           "2147483648",
                           "-2147483649",
                           "$100000000",
                           "1.0",
                           "99999999999999999999",
                           "\xff",
                           "0x1g"};
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        try {
            StrToInt(text);
            ADD_FAILURE() << "no error for '" << text << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + std::string(text) + "' is not a valid integer value");
        }
    }
}

TEST(IntText, SurvivesLongText) {
    EXPECT_THROW(StrToInt(std::string(10000, '9')), EConvertError);
    EXPECT_EQ(StrToInt(std::string(10000, ' ') + "5"), 5);
    EXPECT_EQ(StrToInt("$" + std::string(10000, '0') + "1"), 1);
}

TEST(IntText, WritesDecimal) {
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(IntToStr(2), "2");
}

} // namespace
