#include "foundation/text.h"

#include <lumenfold_version.h>

#include <arpa/inet.h>

#include "tests/support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

TEST(SplitTextTest, DropsEmptyRunsAndKeepsInnerBlanks) {
    EXPECT_EQ(SplitText(",,a,,b,", ","), QStringList({"a", "b"}));
    EXPECT_TRUE(SplitText("", ",").isEmpty());
    EXPECT_TRUE(SplitText(",,,", ",").isEmpty());
    EXPECT_EQ(SplitText("default,352x288 (PAL),704x576 (PAL)", ","),
              QStringList({"default", "352x288 (PAL)", "704x576 (PAL)"}));
    EXPECT_EQ(SplitText("a b;c", " ;"), QStringList({"a", "b", "c"}));
}

TEST(FormatTextTest2, ReplacesEachTextPlaceholderInOrder) {
    EXPECT_EQ(FormatText("Image stream not found for camera '%s' using URL '%s'", {"Door", "http://x/%s"}),
              "Image stream not found for camera 'Door' using URL 'http://x/%s'");
    EXPECT_EQ(FormatText("Connecting to %s", {}), "Connecting to ");
    EXPECT_EQ(FormatText("100% sure %d", {"x"}), "100% sure %d");
}

TEST(VersionTextTest, FormatsMajorMinorBuild) {
    EXPECT_EQ(FormatVersionText(1, 2, 15), "1.02.015");
    EXPECT_EQ(FormatVersionText(0, 0, 0), "0.00.000");
    EXPECT_EQ(GetVersionText(),
              FormatVersionText(LUMENFOLD_VERSION_MAJOR, LUMENFOLD_VERSION_MINOR, LUMENFOLD_VERSION_BUILD));
}

TEST(StringTableTest, RegisteredTextsAreFoundAndOthersAreEmpty) {
    static const StringResource table[] = {{507, u"Unknown"}, {701, u"Connecting to %s"}};
    RegisterStringTable(table, 2);
    EXPECT_EQ(LoadResText(507), "Unknown");
    EXPECT_EQ(LoadResText(701), "Connecting to %s");
    EXPECT_TRUE(LoadResText(999999).isEmpty());
    EXPECT_EQ(IntToText(-42), "-42");
}

TEST(ResolveAddressTest, DottedAddressesNamesAndFailures) {
    sockaddr_in address{};
    ASSERT_TRUE(ResolveAddress("10.0.0.1", 21, address));
    EXPECT_EQ(address.sin_family, AF_INET);
    EXPECT_EQ(ntohs(address.sin_port), 21);
    EXPECT_EQ(address.sin_addr.s_addr, inet_addr("10.0.0.1"));

    ASSERT_TRUE(ResolveAddress(QString("255.255.255.255"), 80, address));
    EXPECT_EQ(address.sin_addr.s_addr, 0xFFFFFFFFu);

    ASSERT_TRUE(ResolveAddress("localhost", 8080, address));
    EXPECT_EQ(ntohl(address.sin_addr.s_addr) >> 24, 127u);

    EXPECT_FALSE(ResolveAddress("no-such-camera.invalid", 21, address));
    EXPECT_FALSE(ResolveAddress(static_cast<const char*>(nullptr), 21, address));
}

QString shownDocument;
QString shownAnchor;

TEST(ShowHelpTest, GoesToTheInstalledViewerOnly) {
    ShowHelp("zelppc.htm", "cameras"); // no viewer yet: nothing happens
    SetHelpViewer([](const QString& document, const QString& anchor) {
        shownDocument = document;
        shownAnchor = anchor;
    });
    ShowHelp("zelppc.htm", "view");
    EXPECT_EQ(shownDocument, "zelppc.htm");
    EXPECT_EQ(shownAnchor, "view");
    SetHelpViewer(nullptr);
}

} // namespace
