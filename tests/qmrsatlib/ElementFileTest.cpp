// Element files in every form: OMM as CSV, JSON and XML read strictly, with the line and the
// fault of what is not read; Alpha-5 catalog numbers in two-line sets.
#include "qmrsatlib/ElementFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kestrune {
namespace {

std::string OmmFile(const std::string& name) {
    return test::ReadFileBytes(std::string(KESTRUNE_TEST_DATA) + "/omm/" + name);
}

// A line 1 or 2 with its checksum made right.
std::string WithChecksum(std::string line) {
    int sum = 0;
    for (std::size_t i = 0; i + 1 < line.size(); ++i)
        sum += line[i] >= '0' && line[i] <= '9' ? line[i] - '0' : line[i] == '-' ? 1 : 0;
    line.back() = static_cast<char>('0' + sum % 10);
    return line;
}

TEST(ElementFile, OmmFormsGiveTheSetOfTheLines) {
    const TElementFile lines = ReadElementFile(OmmFile("meteor-m2-3.tle"));
    ASSERT_EQ(lines.Sets.size(), 1u);
    const TElementSet& expected = lines.Sets[0];
    for (const auto& [name, format] :
         std::vector<std::pair<std::string, TElementFormat>>{{"csv", TElementFormat::OmmCsv},
                                                             {"json", TElementFormat::OmmJson},
                                                             {"xml", TElementFormat::OmmXml}}) {
        SCOPED_TRACE(name);
        const std::string text = OmmFile("meteor-m2-3." + name);
        const TElementFile file = ReadElementFile(text);
        EXPECT_EQ(file.Format, format);
        EXPECT_EQ(file.Problem, "");
        EXPECT_EQ(ElementFileProblem(text), "");
        ASSERT_EQ(file.Sets.size(), 1u);
        const TElementSet& set = file.Sets[0];
        EXPECT_EQ(set.Name, "METEOR-M2 3");
        EXPECT_EQ(set.CatalogNumber, 57166);
        // The epoch to the microsecond the message gives; the rest from the same digits.
        EXPECT_NEAR(set.Epoch, expected.Epoch, 1e-6 / SecondsPerDay);
        EXPECT_DOUBLE_EQ(set.Elements.MeanMotionRadPerMin, expected.Elements.MeanMotionRadPerMin);
        EXPECT_DOUBLE_EQ(set.Elements.Eccentricity, expected.Elements.Eccentricity);
        EXPECT_DOUBLE_EQ(set.Elements.InclinationRad, expected.Elements.InclinationRad);
        EXPECT_DOUBLE_EQ(set.Elements.RaanRad, expected.Elements.RaanRad);
        EXPECT_DOUBLE_EQ(set.Elements.ArgPerigeeRad, expected.Elements.ArgPerigeeRad);
        EXPECT_DOUBLE_EQ(set.Elements.MeanAnomalyRad, expected.Elements.MeanAnomalyRad);
        EXPECT_DOUBLE_EQ(set.Elements.BStar, expected.Elements.BStar);
        // Cut anywhere, a file either still reads whole (a cut in trailing blanks) or says what
        // is wrong, and is never accepted as a download.
        for (std::size_t length = 0; length < text.size(); ++length) {
            const std::string cut = text.substr(0, length);
            if (cut.find_last_not_of(" \r\n") == text.find_last_not_of(" \r\n"))
                continue;
            const TElementFile read = ReadElementFile(cut);
            EXPECT_TRUE(read.Sets.empty() || !read.Problem.empty()) << length;
            EXPECT_NE(ElementFileProblem(cut), "") << length;
        }
    }
}

TEST(ElementFile, FaultsNameTheirLine) {
    const std::string csv = OmmFile("meteor-m2-3.csv");
    const std::string header = csv.substr(0, csv.find('\n') + 1);
    const std::string row = csv.substr(header.size());
    const std::string json = OmmFile("meteor-m2-3.json");
    const std::vector<std::pair<std::string, std::string>> cases{
        {header + row + row.substr(0, 40) + "\n", "line 3: 3 fields where the header names 17"},
        {header + "\n" + row.substr(0, row.find("14.2")) + "x" + row.substr(row.find(",.0003")),
         "line 3: MEAN_MOTION \"x\" is not a number"},
        {header + row.substr(0, row.find(".0003")) + "1.5" + row.substr(row.find(",98.66")),
         "line 2: ECCENTRICITY \"1.5\" is out of range"},
        {header + row.substr(0, row.find("2025-05-28T")) + "2025-02-30T11:26:30" +
             row.substr(row.find(",14.2")),
         "line 2: EPOCH \"2025-02-30T11:26:30\" is not a date and time like "
         "2024-03-13T11:28:14.086848"},
        {"[\n" + json.substr(1, json.find(",\"NORAD_CAT_ID\"") - 1) + "}]",
         "line 2: NORAD_CAT_ID is missing"},
        {"[{\"OBJECT_NAME\":{\"A\":1}}]", "line 1: the value of OBJECT_NAME is not a string or a "
                                          "number"},
        {"[{\"OBJECT_NAME\":\"\\ud800\"}]", "line 1: a lone surrogate in a \\u escape"},
        {json + " x", "line 1: text after the end: \"x\""},
        {"<ndm>\n<omm><body></omm></ndm>", "line 2: </omm> closes <body>"},
        {"<!DOCTYPE x [<!ENTITY a \"b\">]><ndm/>", "line 1: declarations and CDATA sections are "
                                                   "not read"},
        {"<ndm><omm><EPOCH>&bogus;</EPOCH></omm></ndm>", "line 1: an unknown entity &bogus;"},
        {"<ndm>\n<omm>\n</omm>\n</ndm>", "line 2: NORAD_CAT_ID is missing"},
    };
    for (const auto& [text, problem] : cases) {
        const TElementFile file = ReadElementFile(text);
        EXPECT_EQ(file.Problem, problem) << text;
        EXPECT_EQ(ElementFileProblem(text), problem) << text;
    }
    // A good record after a bad one is still read.
    EXPECT_EQ(ReadElementFile(cases[1].first + row).Sets.size(), 1u);
}

TEST(ElementFile, AlphaFiveCatalogNumbers) {
    const std::string threeLines = OmmFile("meteor-m2-3.tle");
    const std::size_t line1 = threeLines.find("\n1 ") + 1;
    std::string first = threeLines.substr(line1, 69);
    std::string second = threeLines.substr(line1 + 70, 69);
    const auto numbered = [&](const std::string& number) {
        return ReadElementFile("NEW ONE\n" + WithChecksum("1 " + number + first.substr(7)) + "\n" +
                               WithChecksum("2 " + number + second.substr(7)) + "\n");
    };
    // A is 10, J is 18 (no I), P is 23 (no O), Z is 33.
    for (const auto& [number, value] : std::vector<std::pair<std::string, int>>{
             {"A0001", 100001}, {"J2345", 182345}, {"P0000", 230000}, {"Z9999", 339999}}) {
        const TElementFile file = numbered(number);
        ASSERT_EQ(file.Sets.size(), 1u) << number;
        EXPECT_EQ(file.Sets[0].CatalogNumber, value);
        EXPECT_EQ(file.Problem, "");
    }
    for (const char* bad : {"I0001", "O0001", "a0001", "A 001"}) {
        const TElementFile file = numbered(bad);
        EXPECT_TRUE(file.Sets.empty()) << bad;
        EXPECT_EQ(file.Problem, "line 2: a field of the set is malformed or out of range") << bad;
    }
    // The lines say what is wrong with them.
    second.back() = second.back() == '0' ? '1' : '0';
    EXPECT_EQ(ReadElementFile(first + "\n" + second + "\n").Problem,
              "line 2: its checksum is wrong");
}

} // namespace
} // namespace kestrune
