#include "cameratype/bannerpattern.h"
#include "cameratype/bannertemplates.h"

#include "tests/support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

TEST(BannerPatternTest, CompilesIntoSegments) {
    const BannerPattern pattern("%s% VEXO %s%$name$ version %s%$version$ %s%");
    ASSERT_TRUE(pattern.IsValid());
    const auto& segments = pattern.Segments();
    ASSERT_EQ(segments.size(), 4);
    EXPECT_EQ(segments[0].literal, "");
    EXPECT_EQ(segments[0].wildcard, "%s");
    EXPECT_EQ(segments[0].name, "");
    EXPECT_EQ(segments[1].literal, " VEXO ");
    EXPECT_EQ(segments[1].name, "name");
    EXPECT_EQ(segments[2].literal, " version ");
    EXPECT_EQ(segments[2].name, "version");
    EXPECT_EQ(segments[3].literal, " ");
    EXPECT_EQ(segments[3].name, "");

    // A "$" that does not follow a wildcard is literal text; the wildcard text does not matter.
    const BannerPattern dollars("a$b$%any%$x$");
    ASSERT_EQ(dollars.Segments().size(), 1);
    EXPECT_EQ(dollars.Segments()[0].literal, "a$b$");
    EXPECT_EQ(dollars.Segments()[0].wildcard, "%any");
    BannerCaptures captures;
    EXPECT_TRUE(dollars.Match("a$b$value rest", captures));
    EXPECT_EQ(captures.value("x"), "value");

    // Unclosed marks are refused and match nothing.
    for (const char* broken : {"abc %s", "%s%$name", "%"}) {
        const BannerPattern pattern(broken);
        EXPECT_FALSE(pattern.IsValid()) << broken;
        EXPECT_FALSE(pattern.Match("abc def", captures));
    }
    EXPECT_TRUE(BannerPattern("").Match("anything", captures));
}

TEST(BannerPatternTest, MatchingNeverBacktracks) {
    BannerCaptures captures;
    captures.insert("stale", "x");
    // The run stops at the first character of the next literal.
    const BannerPattern pattern("%s%$a$-%s%$b$");
    EXPECT_TRUE(pattern.Match("one-two-three", captures));
    EXPECT_EQ(captures.value("a"), "one");
    // With no literal after it, the last run stops at a blank only.
    EXPECT_EQ(captures.value("b"), "two-three");
    EXPECT_FALSE(captures.contains("stale"));
    // A later capture under the same name replaces the earlier.
    EXPECT_TRUE(BannerPattern("%s%$v$ %s%$v$").Match("first second", captures));
    EXPECT_EQ(captures.value("v"), "second");
    // Case matters.
    EXPECT_FALSE(BannerPattern("%s% VEXO %s%").Match("220 Vexo x", captures));
}

TEST(BannerPatternTest, GreetingsAndTheirTemplates) {
    struct Case {
        const char* greeting;
        int templateNumber;
        const char* model;
        const char* version;
    };
    const Case cases[] = {
        {"220 VEXO Alder Network Camera 2.31 Jan 12 2004 ready.", 10, "Alder", "2.31"},
        {"220 Vexo Hazel Video Server V3.02 (Mar 01 2005) ready.", 11, "Hazel", "3.02"},
        {"220 VEXO Elm+V3.01.05 ready", 17, "Elm+", "3.01"},
        {"220 VEXO Cedar version 4.40.1 ready", 1, "Cedar", "4.40"},
        {"220 VEXO Damson PTZ Network Camera 2.35 ready", 4, "Damson", "2.35"},
        {"220 Vexo Gum Blade Video Server 3.02 ready", 7, "Gum", "3.02"},
        {"220 VEXO Hazel Video Server V2.40 ready", 12, "Hazel", "V2.40"}, // 12 comes before 14
        {"220 VEXO Fir video Server 2.12 ready", 13, "Fir", "2.12"},
        {"220 Birch-X Video Network Station 2.10 ready", 18, "Birch", "2.10"},
        // Two blanks: the name run is empty.
        {"220 VEXO  Network Camera 2.31 ready", 10, "", "2.31"},
        {"220 VEXO Alder Network Camera 2.31a ready", 10, "Alder", "2.31a"},
    };
    for (const Case& c : cases) {
        QString model = "unchanged";
        QString version = "unchanged";
        EXPECT_EQ(GreetingTemplateNumber(c.greeting), c.templateNumber) << c.greeting;
        EXPECT_TRUE(RecognizeGreeting(c.greeting, model, version)) << c.greeting;
        EXPECT_EQ(model, c.model) << c.greeting;
        EXPECT_EQ(version, NormalizeVersion(c.version)) << c.greeting;
    }
}

TEST(BannerPatternTest, GreetingsThatAreNotRecognised) {
    const char* const greetings[] = {
        "",
        "220 vexo Alder Network Camera 2.31 ready",     // another capitalisation of the brand
        "220 VEXO Alder Network Camera 2.31",           // nothing after the version
        "220 VEXO Alder Network Camera 2.31\r\n",       // only a line break after it
        "220 VEXO Big Alder Network Camera 2.31 ready", // a blank inside the name
        "220 ProFTPD Server ready.",
    };
    for (const char* greeting : greetings) {
        QString model = "unchanged";
        QString version = "unchanged";
        EXPECT_FALSE(RecognizeGreeting(greeting, model, version)) << greeting;
        EXPECT_EQ(model, "unchanged");
        EXPECT_EQ(version, "unchanged");
    }
}

TEST(BannerPatternTest, VersionNormalisation) {
    EXPECT_EQ(NormalizeVersion("2.31"), "2.31");
    EXPECT_EQ(NormalizeVersion("4.40.1"), "4.40");
    EXPECT_EQ(NormalizeVersion("V2.12"), "2.12");
    EXPECT_EQ(NormalizeVersion("V3.01.05"), "3.01");
    EXPECT_EQ(NormalizeVersion("beta"), "beta");
    EXPECT_EQ(NormalizeVersion("2.31a"), "2.31a");
    EXPECT_EQ(NormalizeVersion("V2"), "V2");
    EXPECT_EQ(NormalizeVersion(""), "");
}

} // namespace
