// The operator's warnings about element sets, over the sets the component hands over.
#include "core/ElementSets.h"
#include "qmrsatlib/TleCatalog.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

class ElementSetCheck : public ::testing::Test {
protected:
    // The bundled sets of 2025-05-28 alone.
    void SetUp() override {
        Catalog.AddText(test::ReadFileBytes(std::string(KESTRUNE_TEST_DATA) + "/tle/weather.txt"));
    }

    // The sets as the program gets them: through the component's interface text.
    TElementSetIndex Sets() const {
        return TElementSetIndex(ReadElementSetEntries(WriteElementSetEntries(Catalog.Entries())));
    }

    const std::string Folder = "/srv/tle/";
    TTleCatalog Catalog;
};

TEST_F(ElementSetCheck, NamesWithoutASetGetTheCloseNamesOrAHint) {
    // The file's sets are of 2025-05-28.
    const TDateTime start = EncodeDateTime(2025, 5, 29);
    const auto problems =
        CheckElementSets(Sets(), {"noaa 19", "NOAA 20", "METEOR-M2-3", "XYZZY"}, Folder, start);
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0], "no element set named NOAA 20 in " + Folder +
                               "; close names: NOAA 20 (JPSS-1), NOAA 15, NOAA 18, NOAA 19");
    EXPECT_EQ(problems[1].substr(0, problems[1].find(';')),
              "no element set named METEOR-M2-3 in " + Folder);
    EXPECT_EQ(problems[1].substr(problems[1].find(';') + 2, 24), "close names: METEOR-M2 3");
    EXPECT_EQ(problems[2], "no element set named XYZZY in " + Folder +
                               "; check the name against the element files");
}

TEST_F(ElementSetCheck, SetsOlderThanTwoWeeksAreNamedWithTheirAge) {
    EXPECT_TRUE(CheckElementSets(Sets(), {"NOAA 19"}, Folder, EncodeDateTime(2025, 6, 10)).empty());
    const auto problems =
        CheckElementSets(Sets(), {"NOAA 19"}, Folder, EncodeDateTime(2025, 6, 20));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], "the element set of NOAA 19 is 22 days older than the start (epoch "
                           "20250528123318 UTC); fetch fresh element sets");
}

} // namespace
} // namespace kestrune
