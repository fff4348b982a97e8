// The snmprec reader on its own: values at the edges of their types, and broken lines reported by number.
#include "sim/Snmprec.h"

#include <gtest/gtest.h>

using namespace tqxsim;

TEST(Snmprec, ValuesAtTheEdgesOfTheirTypes)
{
    struct Case {
        const char* tag;
        const char* text;
        bool ok;
        const char* shown; // ValueToText of the value read
    };
    const Case cases[] = {
        {"2", "-2147483648", true, "-2147483648"},
        {"2", "2147483647", true, "2147483647"},
        {"2", "2147483648", false, ""},
        {"2", "12abc", false, ""},
        {"4", "Port 1 | uplink", true, "Port 1 | uplink"},
        {"4", "", true, ""},
        {"4x", "00ff10", true, "0x00ff10"},
        {"4x", "0f1", false, ""},
        {"4x", "zz", false, ""},
        {"6", "1.3.6.1.4.1.32473", true, "1.3.6.1.4.1.32473"},
        {"6", "1", false, ""},
        {"64", "192.0.2.1", true, "192.0.2.1"},
        {"64", "192.0.2", false, ""},
        {"64", "192.0.2.256", false, ""},
        {"64x", "c0000201", true, "192.0.2.1"},
        {"65", "4294967295", true, "4294967295"},
        {"65", "4294967296", false, ""},
        {"66", "-1", false, ""},
        {"67", "100", true, "100"},
        {"70", "18446744073709551615", true, "18446744073709551615"},
        {"70", "18446744073709551616", false, ""},
        {"5", "", true, ""},
        {"68", "x", false, ""},
        {"", "1", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.tag) + "|" + c.text);
        Value v;
        std::string error;
        ASSERT_EQ(ParseValue(c.tag, c.text, &v, &error), c.ok) << error;
        if (c.ok)
            EXPECT_EQ(ValueToText(v), c.shown);
        else
            EXPECT_FALSE(error.empty());
    }
}

TEST(Snmprec, BrokenLinesAreSkippedWithTheirNumbers)
{
    const char* text = "# comment\n"
                       "1.3.6.1.2.1.1.5.0|4|name\r\n"
                       "\n"
                       "1.3.6.1.2.1.1.7.0|2\n"
                       "1.3.6.x.1|2|1\n"
                       ".1.3.6.1.2.1.1.1.0|4|descr\n"
                       "1.3.6.1.2.1.1.5.0|4|renamed\n"
                       "1.3.6.1.2.1.1.3.0|99|1";
    ObjectMap objects;
    std::vector<ParseIssue> issues;
    ParseSnmprec(text, &objects, &issues);
    ASSERT_EQ(issues.size(), 3u);
    EXPECT_EQ(issues[0].line, 4);
    EXPECT_EQ(issues[1].line, 5);
    EXPECT_EQ(issues[2].line, 8);
    EXPECT_EQ(issues[2].message, "unsupported tag 99");
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects.begin()->second.bytes, "descr"); // sorted by OID, whatever the file order
    EXPECT_EQ(objects.rbegin()->second.bytes, "renamed"); // a later line replaces an earlier one
}
