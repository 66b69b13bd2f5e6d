#include "cameratype/parameteranswer.h"

#include "tests/support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

TEST(ParameterAnswerTest, TakesTheFiveValues) {
    const ParameterAnswer answer = ParseParameterAnswer("root.Properties.Image.Resolution=320x240,640x480\n"
                                                        "root.ImageSource.NbrOfSources=4\n"
                                                        "root.Brand.ProdShortName=VEXO Cedar\n"
                                                        "root.Properties.Firmware.Version=2.33\n"
                                                        "root.Properties.PTZ.PTZ=no\n");
    EXPECT_EQ(answer.model, "Cedar");
    EXPECT_EQ(answer.firmware, "2.33");
    EXPECT_EQ(answer.resolutionList, "default,320x240,640x480");
    EXPECT_EQ(answer.sourceList, "default,1,2,3,4");
    EXPECT_EQ(answer.ptz, "no");
}

TEST(ParameterAnswerTest, MissingKeysAndOtherBrands) {
    const ParameterAnswer empty = ParseParameterAnswer("");
    EXPECT_EQ(empty.model, "");
    EXPECT_EQ(empty.firmware, "");
    EXPECT_EQ(empty.resolutionList, "default,");
    EXPECT_EQ(empty.sourceList, "default");
    EXPECT_EQ(empty.ptz, "");

    EXPECT_EQ(ParseParameterAnswer("root.Brand.ProdShortName=Acme Cam\n").model, "");
    EXPECT_EQ(ParseParameterAnswer("root.Brand.ProdShortName=VEXOCedar\n").model, "");
}

TEST(ParameterAnswerTest, ValuesRunToTheLineFeed) {
    // The last line needs no line feed; CR LF ends a line as LF does; the first occurrence counts.
    EXPECT_EQ(ParseParameterAnswer("root.Properties.Firmware.Version=4.40").firmware, "4.40");
    EXPECT_EQ(ParseParameterAnswer("root.Properties.Firmware.Version=4.40\r\n").firmware, "4.40");
    EXPECT_EQ(ParseParameterAnswer("root.Properties.Firmware.Version=4.40\r").firmware, "4.40");
    EXPECT_EQ(ParseParameterAnswer("root.Properties.Firmware.Version=4\r40\n").firmware, "4\r40");
    EXPECT_EQ(ParseParameterAnswer("root.Properties.PTZ.PTZ=yes\nroot.Properties.PTZ.PTZ=no\n").ptz, "yes");
    // The text ends at the first zero byte.
    EXPECT_EQ(
        ParseParameterAnswer(QByteArray("root.Properties.PTZ.PTZ=yes\0root.Brand.ProdShortName=VEXO X\n", 60))
            .model,
        "");
}

TEST(ParameterAnswerTest, SourceCounts) {
    const auto sources = [](const char* value) {
        return ParseParameterAnswer(QByteArray("root.ImageSource.NbrOfSources=") + value + "\n").sourceList;
    };
    EXPECT_EQ(sources("1"), "default,1");
    EXPECT_EQ(sources(" 2 cameras"), "default,1,2");
    EXPECT_EQ(sources("0"), "default");
    EXPECT_EQ(sources("-3"), "default");
    EXPECT_EQ(sources("four"), "default");
    // An absurd count cannot make an absurd list.
    EXPECT_EQ(sources("2147483647").count(u','), kMaxVideoSources);
    EXPECT_EQ(sources("99999999999999999999").count(u','), kMaxVideoSources);
}

TEST(ParameterAnswerTest, TextInEitherEncodingKeepsTheCamerasOwnName) {
    // Single-byte text (0xE9 is e acute) is not UTF-8 and is read as Latin-1.
    EXPECT_EQ(ParseParameterAnswer("root.Brand.ProdShortName=VEXO Haz\xE9l\n").model,
              QString::fromUtf8("Hazél"));
    EXPECT_EQ(ParseParameterAnswer("root.Brand.ProdShortName=VEXO Haz\xC3\xA9l\n").model,
              QString::fromUtf8("Hazél"));
    // An answer cut off inside a character of two, three or four bytes: the UTF-8 before it
    // stays UTF-8, and the bytes of the unfinished character are dropped.
    for (const QByteArray& cut : {QByteArray("\xC3"), QByteArray("\xE2\x82"), QByteArray("\xF0\x9F\x98")}) {
        const ParameterAnswer answer = ParseParameterAnswer("root.Brand.ProdShortName=VEXO S\xC3\xBC"
                                                            "d\nroot.Properties.Image.Resolution=4" +
                                                            cut);
        EXPECT_EQ(answer.model, QString::fromUtf8("Süd")) << cut.toHex().constData();
        EXPECT_EQ(answer.resolutionList, "default,4") << cut.toHex().constData();
    }
    // Single-byte text keeps its last byte, wherever the answer ends.
    EXPECT_EQ(ParseParameterAnswer("root.Brand.ProdShortName=VEXO Haz\xE9l\nX=\xC3").model,
              QString::fromUtf8("Hazél"));
}

TEST(ParameterAnswerTest, AnAnswerIsCompleteWithAllFiveLines) {
    const QByteArray whole = "root.Properties.Image.Resolution=320x240\r\n"
                             "root.ImageSource.NbrOfSources=1\r\n"
                             "root.Brand.ProdShortName=VEXO Birch\r\n"
                             "root.Properties.Firmware.Version=2.34\r\n"
                             "root.Properties.PTZ.PTZ=yes\r\n";
    EXPECT_TRUE(HasAllParameters(whole));
    // The last value may still grow until its line ends.
    EXPECT_FALSE(HasAllParameters(whole.left(whole.size() - 1)));
    EXPECT_FALSE(HasAllParameters(whole.mid(whole.indexOf("root.ImageSource"))));
    EXPECT_FALSE(HasAllParameters(""));
}

} // namespace
