#include "settings/data.h"
#include "settings/path.h"

#include <QStringList>

#include "tests/support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

TEST(DataTest, ReadingsOfEachKind) {
    EXPECT_EQ(Data("abc").GetInt(), 0);
    EXPECT_TRUE(Data("abc").GetBool());
    EXPECT_FALSE(Data("FALSE").GetBool());
    EXPECT_TRUE(Data("").GetBool()); // the empty text reads as true

    const Data zero(0);
    EXPECT_EQ(zero.GetText(), "0");
    EXPECT_FALSE(zero.GetBool());

    const Data yes(true);
    EXPECT_EQ(yes.GetInt(), 1);
    EXPECT_EQ(yes.GetText(), "true");

    const Data empty;
    EXPECT_EQ(empty.GetText(), "");
    EXPECT_EQ(empty.GetInt(), 0);
    EXPECT_FALSE(empty.GetBool());
    EXPECT_EQ(empty.Flags(), 0u);
}

TEST(DataTest, LeadingIntegerOfText) {
    EXPECT_EQ(Data("  -42abc").GetInt(), -42);
    EXPECT_EQ(Data("+7").GetInt(), 7);
    EXPECT_EQ(Data("8080").GetInt(), 8080);
    EXPECT_EQ(Data("x1").GetInt(), 0);
    EXPECT_EQ(Data("99999999999").GetInt(), 2147483647);
    EXPECT_EQ(Data("-99999999999").GetInt(), -2147483647 - 1);
}

TEST(DataTest, ReadingsAreCachedInTheOrderOfTheBits) {
    // Read as integer first, "true" becomes 0 and then reads as Boolean false.
    const Data first("true");
    EXPECT_EQ(first.GetInt(), 0);
    EXPECT_EQ(first.Flags(), Data::kText | Data::kInt);
    EXPECT_FALSE(first.GetBool());
    EXPECT_EQ(first.Flags(), Data::kAllBits);

    // Read as Boolean first, it stays true.
    const Data second("true");
    EXPECT_TRUE(second.GetBool());
    EXPECT_EQ(second.GetInt(), 0);
    EXPECT_TRUE(second.GetBool());

    // A Boolean read as integer caches nothing; GetText caches nothing.
    const Data flag(true);
    flag.GetInt();
    flag.GetText();
    EXPECT_EQ(flag.Flags(), Data::kBool);
    EXPECT_TRUE(Data(5).Equals("5"));
}

TEST(PathTest, JoinParentAndName) {
    EXPECT_EQ(Path::Join("/", "A").Text(), "//A");
    EXPECT_EQ(Path::Join("/CameraCollection", "Door").Text(), "/CameraCollection/Door");
    EXPECT_EQ(Path::Join("/x", "/View").Text(), "/View");
    EXPECT_EQ(Path::GetParent("/CameraCollection/Door").Text(), "/CameraCollection");
    EXPECT_EQ(Path::GetParent("/CameraCollection").Text(), "");
    EXPECT_EQ(Path::GetParent("Door").Text(), "Door");
    EXPECT_EQ(Path::GetName("/CameraCollection/Door"), "Door");
    EXPECT_EQ(Path::GetName("Door"), "Door");
    EXPECT_EQ(Path().Text(), "/");
    EXPECT_FALSE(Path("").IsAbsolute());
    EXPECT_FALSE(Path("A/B").IsAbsolute());
}

QStringList Components(const QString& path) {
    QStringList names;
    Path::ForEachComponent(path, [&names](QStringView name) {
        names.append(name.toString());
        return true;
    });
    return names;
}

TEST(PathTest, ComponentsOfAPath) {
    EXPECT_EQ(Components("/A/B"), QStringList({"A", "B"}));
    EXPECT_EQ(Components("/A/B/"), QStringList({"A", "B"}));
    EXPECT_EQ(Components("A/B"), QStringList({"A", "B"}));
    EXPECT_EQ(Components("/"), QStringList({""}));
    EXPECT_EQ(Components("//A"), QStringList({"", "A"}));
    EXPECT_EQ(Components("/A//B"), QStringList({"A", "", "B"}));
    EXPECT_TRUE(Components("").isEmpty());
}

} // namespace
