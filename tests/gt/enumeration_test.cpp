#include "gt/enumeration.h"
#include "gt/pair_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An enumeration whose table order differs from numeric order, to tell the two apart.
class CColour : public GT::CEnumeration<CColour> {
public:
    using CEnumeration::CEnumeration;
    static const GT::CPairTable<int, std::string>& GetTable() {
        static const GT::CPairTable<int, std::string> table(
            {{5, "RED"}, {2, "GREEN"}, {9, "BLUE"}, {2, "DUPLICATE"}}, {-1, ""});
        return table;
    }
    static const CColour GREEN;
};
const CColour CColour::GREEN{2, CListedValue{}};

class CShape : public GT::CEnumeration<CShape> {
public:
    using CEnumeration::CEnumeration;
    static const GT::CPairTable<int, std::string>& GetTable() {
        static const GT::CPairTable<int, std::string> table({{0, "ROUND"}, {1, "SQUARE"}},
                                                            {-1, ""});
        return table;
    }
};

std::vector<int> Walk(const GT::IRangedNumberDescription<int>& description) {
    std::vector<int> values;
    auto iterator = description.CreateIterator();
    while (iterator->HasNext()) {
        values.push_back(iterator->Next());
    }
    return values;
}

TEST(PairTableTest, LookupsTakeTheFirstMatchAndFallBackToTheDefault) {
    const GT::CPairTable<int, std::string> table({{1, "a"}, {2, "b"}, {1, "c"}, {3, "b"}},
                                                 {-7, "none"});
    EXPECT_EQ(table.GetValue(1), "a");
    EXPECT_EQ(table.GetValue(3), "b");
    EXPECT_EQ(table.GetValue(4), "none");
    EXPECT_EQ(table.GetKey("b"), 2);
    EXPECT_EQ(table.GetKey("zzz"), -7);
    // The default pair is kept apart from the listed pairs, even when a listed pair matches it.
    EXPECT_EQ(table.GetSize(), 4u);
    EXPECT_EQ(table.GetKey("none"), -7);
    EXPECT_EQ(table.GetDefault().first, -7);
}

TEST(EnumerationTest, TableOrderDefinesRangeAndWalk) {
    const auto& description = CColour().GetDescription();
    EXPECT_TRUE(description.IsEnumerated());
    EXPECT_EQ(description.GetMinimum(), 5);
    EXPECT_EQ(description.GetMaximum(), 2);
    EXPECT_EQ(Walk(description), (std::vector<int>{5, 2, 9, 2}));
    EXPECT_EQ(description.GetName(9), "BLUE");
    EXPECT_EQ(description.GetName(2), "GREEN");
    EXPECT_EQ(description.GetName(-1), "");
    EXPECT_EQ(description.GetName(4), "");
}

TEST(EnumerationTest, DescriptionIsSharedByAllObjectsOfAClass) {
    EXPECT_EQ(&CColour(9).GetDescription(), &CColour::GREEN.GetDescription());
    EXPECT_NE(static_cast<const void*>(&CColour().GetDescription()),
              static_cast<const void*>(&CShape().GetDescription()));
}

TEST(EnumerationTest, ConstructionFromValueOrTextValidates) {
    EXPECT_EQ(CColour().GetValue(), 5);
    EXPECT_EQ(CColour(9).ToString(), "BLUE");
    EXPECT_EQ(CColour("GREEN").GetValue(), 2);
    EXPECT_EQ(CColour(std::string("DUPLICATE")).GetValue(), 2);
    EXPECT_EQ(CColour("DUPLICATE").ToString(), "GREEN");
    try {
        CColour colour(3);
        FAIL() << "no error for " << colour.GetValue();
    } catch (const CColour::CError& error) {
        EXPECT_EQ(error.GetMinimum(), 5);
        EXPECT_EQ(error.GetMaximum(), 2);
        EXPECT_NE(std::string(error.what()), "");
    }
    EXPECT_THROW(CColour("green"), GT::IRangedNumber<int>::CError);
    EXPECT_THROW(CColour("GREEN "), GT::IRangedNumber<int>::CError);
    EXPECT_THROW(CColour(""), GT::IRangedNumber<int>::CError);
    EXPECT_THROW(CColour(static_cast<const char*>(nullptr)), GT::IRangedNumber<int>::CError);
    EXPECT_THROW(CColour(-1), GT::IRangedNumber<int>::CError);
}

TEST(EnumerationTest, FactoriesMakeTheSameClass) {
    const CColour colour;
    auto fromValue = colour.CreateFromValue(9);
    ASSERT_NE(dynamic_cast<CColour*>(fromValue.get()), nullptr);
    EXPECT_EQ(fromValue->GetValue(), 9);
    auto fromName = colour.CreateFromName("GREEN");
    ASSERT_NE(dynamic_cast<CColour*>(fromName.get()), nullptr);
    EXPECT_EQ(fromName->GetValue(), 2);
    EXPECT_THROW(colour.CreateFromValue(4), GT::IRangedNumber<int>::CError);
    EXPECT_THROW(colour.CreateFromName("PINK"), GT::IRangedNumber<int>::CError);
}

TEST(EnumerationTest, AssignCopiesOnlyFromTheSameClass) {
    CColour colour(9);
    colour.Assign(CShape(1));
    EXPECT_EQ(colour.GetValue(), 9);
    EXPECT_EQ(&colour.Assign(CColour("RED")), &colour);
    EXPECT_EQ(colour.GetValue(), 5);
    const CColour copy(colour);
    EXPECT_EQ(copy, colour);
    EXPECT_TRUE(colour.IsValid(2));
    EXPECT_FALSE(colour.IsValid(-1));
    EXPECT_FALSE(colour.IsValid(0));
}

TEST(EnumerationTest, EmptyTableHasZeroRange) {
    const GT::CPairTable<int, std::string> empty({}, {-1, ""});
    const GT::CEnumerationDescription description(empty);
    EXPECT_EQ(description.GetMinimum(), 0);
    EXPECT_EQ(description.GetMaximum(), 0);
    EXPECT_TRUE(Walk(description).empty());
    EXPECT_EQ(description.GetName(0), "");
}

TEST(EnumerationTest, IteratorPastTheEndDoesNotReadBeyondTheTable) {
    auto iterator = CShape().GetDescription().CreateIterator();
    EXPECT_EQ(iterator->Next(), 0);
    EXPECT_EQ(iterator->Next(), 1);
    EXPECT_FALSE(iterator->HasNext());
    EXPECT_EQ(iterator->Next(), -1);
    EXPECT_FALSE(iterator->HasNext());
}

} // namespace
