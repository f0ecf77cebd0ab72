#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/ContactStore.h"
#include "tests/store/StoreTestRecords.h"
#include "tests/support/TempDir.h"
#include "text/GbkCodec.h"
#include "text/PinyinInitials.h"

namespace tallux {
namespace {

class ContactStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(store.Open(dir.File("rsdata.dat")), 0);
        Add("wang", "Wang Fang", "13800000001");
        Add("zhang", "Zhang San", "13800000002");
        Add("zhao", "Zhao Min", "13900000003");
        Add("zhu", "Zhu Li", "13800000004");
        Add("a1", "Alice", "021555");
        Add("zeng", "Zeng Hui", "13800000006");
        Add("zh2", Utf8ToGbk("李娜"), "13700000007");
    }

    int Add(std::string_view code, std::string_view name, std::string_view phone) {
        auto r = test::Contact(code, name, phone);
        store.Append(r);
        return r.id;
    }

    static std::vector<std::string> Codes(const ContactStore::Suggestions& slots) {
        std::vector<std::string> codes;
        for (const ContactRecord* r : slots) codes.push_back(r ? std::string(r->code.view()) : "-");
        return codes;
    }

    using V = std::vector<std::string>;
    test::TempDir dir;
    ContactStore store;
};

TEST_F(ContactStoreTest, SuggestionsComeFromTheCodeOrTheNameIndex) {
    struct Case {
        std::string text;
        V expected;
    } cases[] = {
        // Lower case or digit first and at most 11 bytes: code index, up to
        // five consecutive entries from the first match.
        {"zh", {"zh2", "zhang", "zhao", "zhu", "-"}},
        {"w", {"wang", "zeng", "zh2", "zhang", "zhao"}},
        {"ZHA", {"zhang", "zhao", "zhu", "zh2", "-"}},  // upper case first: the name index, ignoring case
        {"Zh", {"zhang", "zhao", "zhu", "zh2", "-"}},
        {Utf8ToGbk("李"), {"zh2", "-", "-", "-", "-"}},
        // No prefix hit: names containing the text, in file order.
        {"an", {"wang", "zhang", "-", "-", "-"}},
        {Utf8ToGbk("娜"), {"zh2", "-", "-", "-", "-"}},
        {"nobody", {"-", "-", "-", "-", "-"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Codes(store.SuggestByCodeOrName(c.text)), c.expected) << c.text;
}

TEST_F(ContactStoreTest, PhoneSuggestionsArePrefixMatchesOnly) {
    EXPECT_EQ(Codes(store.SuggestByPhone("138")), (V{"wang", "zhang", "zhu", "zeng", "zhao"}));
    EXPECT_EQ(Codes(store.SuggestByPhone("0215")), (V{"a1", "zh2", "wang", "zhang", "zhu"}));
    EXPECT_EQ(Codes(store.SuggestByPhone("555")), (V{"-", "-", "-", "-", "-"}));
}

TEST_F(ContactStoreTest, EqualKeysListTheNewerRecordFirst) {
    Add("wang2", "Wang Fang", "13800000001");
    auto slots = store.SuggestByPhone("13800000001");
    ASSERT_NE(slots[0], nullptr);
    EXPECT_EQ(slots[0]->code.view(), "wang2");
    EXPECT_EQ(slots[1]->code.view(), "wang");
    EXPECT_EQ(store.FindByName("Wang Fang")->code.view(), "wang2");
    EXPECT_EQ(store.FindByPhone("021555")->code.view(), "a1");
    EXPECT_EQ(store.FindByPhone("02155"), nullptr);
}

TEST_F(ContactStoreTest, CodeExistsIsExactAndCanExcludeOneRecord) {
    EXPECT_TRUE(store.CodeExists("", 0));
    EXPECT_TRUE(store.CodeExists("zhang", 0));
    EXPECT_FALSE(store.CodeExists("zhang", 2)) << "the record being edited keeps its own code";
    EXPECT_FALSE(store.CodeExists("ZHANG", 0));
    EXPECT_FALSE(store.CodeExists("zhan", 0));
    EXPECT_TRUE(store.CodeExists("a1", 3));
}

TEST_F(ContactStoreTest, MakesCodesFromInitialsAndNumbersWhenTaken) {
    EXPECT_EQ(store.MakeUniqueCode(Utf8ToGbk("北京快递")), "bjkd");
    Add("bjkd", "first", "1");
    EXPECT_EQ(store.MakeUniqueCode(Utf8ToGbk("北京快递")), "bjkd0");
    Add("bjkd0", "second", "2");
    EXPECT_EQ(store.MakeUniqueCode(Utf8ToGbk("北京快递")), "bjkd1");

    // Eleven initials: the number replaces the end, keeping 11 bytes.
    const std::string eleven = Utf8ToGbk("北京上海广州天津重庆武汉南京");
    ASSERT_EQ(PinyinInitials(eleven).size(), 14u);
    EXPECT_EQ(store.MakeUniqueCode(eleven), "bjshgztjzqw");
    Add("bjshgztjzqw", "third", "3");
    EXPECT_EQ(store.MakeUniqueCode(eleven), "bjshgztjzq0");
    for (int i = 0; i < 10; ++i) Add("bjshgztjzq" + std::to_string(i), "n" + std::to_string(i), "4");
    EXPECT_EQ(store.MakeUniqueCode(eleven), "bjshgztjz10");

    // No initials: a number of at most seven digits that is not taken.
    std::string random = store.MakeUniqueCode("ABC 123");
    ASSERT_FALSE(random.empty());
    EXPECT_LE(random.size(), 7u);
    EXPECT_EQ(random.find_first_not_of("0123456789"), std::string::npos);
    EXPECT_FALSE(store.CodeExists(random, 0));
}

TEST_F(ContactStoreTest, IndexesFollowEveryChange) {
    ASSERT_EQ(store.SuggestByCodeOrName("zhang")[0]->code.view(), "zhang");
    ASSERT_EQ(store.RemoveAt(1), 1);  // zhang
    EXPECT_EQ(Codes(store.SuggestByCodeOrName("zhang")), (V{"-", "-", "-", "-", "-"}));
    EXPECT_FALSE(store.CodeExists("zhang", 0));
    // Enough appends to remap the file: no suggestion may point into the old mapping.
    for (int i = 0; i < 600; ++i) Add("x" + std::to_string(i), "X " + std::to_string(i), "1" + std::to_string(i));
    EXPECT_EQ(store.SuggestByCodeOrName("x599")[0]->name.view(), "X 599");
    EXPECT_TRUE(store.CodeExists("x0", 0));
}

}  // namespace
}  // namespace tallux
