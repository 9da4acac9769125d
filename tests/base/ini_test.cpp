#include "base/ini.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

struct ReadCase {
    const char* what;
    std::string text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

TEST(IniRead, FindsValuesLikeTheWindowsProfileFunctions) {
    const std::vector<ReadCase> cases = {
        {"plain", "[s]\r\nk=v\r\n", "s", "k", "v"},
        {"names without regard to case", "[SeC]\r\nKeY=v\r\n", "sec", "key", "v"},
        {"blanks around names, '=' and value", "  [ s ]  \r\n  k  =  v w  \r\n", "s", "k", "v w"},
        {"tabs count as blanks", "[s]\r\n\tk\t=\tv\t\r\n", "s", "k", "v"},
        {"blanks in the query", "[s]\r\nk=v\r\n", " s ", " k ", "v"},
        {"blank inside a key name", "[s]\r\nmy key = v\r\n", "s", "my key", "v"},
        {"LF line ends", "[s]\nk=v\n", "s", "k", "v"},
        {"CR line ends", "[s]\rk=v\r", "s", "k", "v"},
        {"mixed line ends", "[a]\r\nx=1\n[s]\rk=v\n", "s", "k", "v"},
        {"no final line end", "[s]\r\nk=v", "s", "k", "v"},
        {"comment line is not a key", "[s]\r\n;k=c\r\nk=v\r\n", "s", "k", "v"},
        {"comment with leading blanks", "[s]\r\n  ;k=c\r\n", "s", "k", std::nullopt},
        {"comment never matches its own text", "[s]\r\n;k=c\r\n", "s", ";k", std::nullopt},
        {"semicolon inside a value is literal", "[s]\r\nk=a ; b\r\n", "s", "k", "a ; b"},
        {"'=' inside a value", "[s]\r\nk=a=b\r\n", "s", "k", "a=b"},
        {"double quotes removed", "[s]\r\nk=\"v\"\r\n", "s", "k", "v"},
        {"single quotes removed", "[s]\r\nk='v'\r\n", "s", "k", "v"},
        {"blanks inside quotes kept", "[s]\r\nk=\" a \"\r\n", "s", "k", " a "},
        {"mismatched quotes kept", "[s]\r\nk=\"v'\r\n", "s", "k", "\"v'"},
        {"one quote alone kept", "[s]\r\nk=\"\r\n", "s", "k", "\""},
        {"two quotes give empty", "[s]\r\nk=\"\"\r\n", "s", "k", ""},
        {"only the outer pair removed", "[s]\r\nk=\"a\"b\"\r\n", "s", "k", "a\"b"},
        {"empty value is present", "[s]\r\nk=\r\n", "s", "k", ""},
        {"key without '=' is not a key", "[s]\r\nk\r\n", "s", "k", std::nullopt},
        {"first key of duplicates wins", "[s]\r\nk=1\r\nK=2\r\n", "s", "k", "1"},
        {"first section of duplicates wins", "[s]\r\nk=1\r\n[S]\r\nk=2\r\n", "s", "k", "1"},
        {"later duplicate section is not searched", "[s]\r\nk=1\r\n[s]\r\nj=2\r\n", "s", "j", std::nullopt},
        {"lines before the first section are unreachable", "k=0\r\n[s]\r\nj=1\r\n", "s", "k", std::nullopt},
        {"text after the header's ']'", "[s] junk\r\nk=v\r\n", "s", "k", "v"},
        {"header ends at its first ']'", "[a]b]\r\nk=v\r\n", "a", "k", "v"},
        {"header ends at its first ']' (whole text)", "[a]b]\r\nk=v\r\n", "a]b", "k", std::nullopt},
        {"'[' without ']' is no header", "[s\r\nk=v\r\n", "s", "k", std::nullopt},
        {"key of the next section", "[a]\r\nk=1\r\n[b]\r\nk=2\r\n", "b", "k", "2"},
        {"missing section", "[a]\r\nk=1\r\n", "b", "k", std::nullopt},
        {"missing key", "[a]\r\nk=1\r\n", "a", "j", std::nullopt},
        {"UTF-8 byte order mark", "\xEF\xBB\xBF[s]\r\nk=v\r\n", "s", "k", "v"},
        {"UTF-8 value kept as it is", "[s]\r\nk=C:\\Prüfung\\ä.ini\r\n", "s", "k", "C:\\Prüfung\\ä.ini"},
        {"empty file", "", "s", "k", std::nullopt},
    };
    for (const ReadCase& c : cases) {
        IniDocument doc = ini_parse(c.text);
        EXPECT_EQ(ini_get(doc, c.section, c.key), c.expected) << c.what;
        // The lookups do not depend on the line ends written back.
        EXPECT_EQ(ini_get(ini_parse(ini_serialize(doc)), c.section, c.key), c.expected)
            << c.what << " (rewritten)";
    }
}

struct IntCase {
    const char* text;
    int32_t def;
    uint32_t expected;
};

TEST(IniRead, IntegersReadLikeThePlatform) {
    const std::vector<IntCase> cases = {
        {"[s]\r\nk=12abc\r\n", 5, 12},
        {"[s]\r\nk=-1\r\n", 5, 4294967295u},
        {"[s]\r\nk=abc\r\n", 5, 0},
        {"[s]\r\nk=+7\r\n", 5, 7},
        {"[s]\r\nk=4294967296\r\n", 5, 0},
        {"[s]\r\nk=4294967297\r\n", 5, 1},
        {"[s]\r\nk=-4294967297\r\n", 5, 4294967295u},
        {"[s]\r\nk=2147483648\r\n", 5, 2147483648u},
        {"[s]\r\nk=42A94967297\r\n", 5, 42},
        {"[s]\r\nk=0x10\r\n", 5, 16},  // base prefixes as the platform reads them
        {"[s]\r\nk=-0x1f\r\n", 5, 0xFFFFFFE1u},
        {"[s]\r\nk=0o17\r\n", 5, 15},
        {"[s]\r\nk=0b102\r\n", 5, 2},
        {"[s]\r\nk=0X10\r\n", 5, 0},  // upper-case X is no prefix
        {"[s]\r\nk=0x\r\n", 5, 0},
        {"[s]\r\nk=007\r\n", 5, 7},
        {"[s]\r\nk=- 5\r\n", 5, 0},
        {"[s]\r\nk=\"-3\"\r\n", 5, 4294967293u},
        {"[s]\r\nk=\" 42\"\r\n", 5, 42},
        {"[s]\r\nk=\r\n", 5, 5},              // empty value: the default
        {"[s]\r\nk=\"\"\r\n", 5, 5},          // empty after the quotes are removed
        {"[s]\r\nj=1\r\n", -2, 4294967294u},  // missing: the default
        {"", 9, 9},
    };
    for (const IntCase& c : cases)
        EXPECT_EQ(ini_get_int(ini_parse(c.text), "s", "k", c.def), c.expected) << c.text;
}

struct WriteOp {
    const char* section;
    const char* key;    // null: delete the section
    const char* value;  // null: delete the key
};

struct WriteCase {
    const char* what;
    std::string before;
    std::vector<WriteOp> ops;
    std::string after;
};

TEST(IniWrite, EditsInPlaceAndKeepsEverythingElse) {
    const std::vector<WriteCase> cases = {
        {"new file", "", {{"s", "k", "v"}}, "[s]\r\nk=v\r\n"},
        {"file built up",
         "",
         {{"App1", "key1", "string1"},
          {"App1", "key2", "string2"},
          {"App2", "key3", "string3"},
          {"App1", "key4", "x"}},
         "[App1]\r\nkey1=string1\r\nkey2=string2\r\nkey4=x\r\n[App2]\r\nkey3=string3\r\n"},
        {"changed in place, key keeps its spelling",
         "[S]\r\n  MyKey = 1\r\n",
         {{"s", "mykey", "2"}},
         "[S]\r\nMyKey=2\r\n"},
        {"new key after the last key of the section",
         "[a]\r\nx=1\r\n\r\n; about b\r\n[b]\r\ny=2\r\n",
         {{"a", "z", "3"}},
         "[a]\r\nx=1\r\nz=3\r\n\r\n; about b\r\n[b]\r\ny=2\r\n"},
        {"new key in a section without keys",
         "[a]\r\n; note\r\n[b]\r\n",
         {{"a", "x", "1"}},
         "[a]\r\nx=1\r\n; note\r\n[b]\r\n"},
        {"new section at the end",
         "[a]\r\nx=1\r\n\r\n",
         {{"b", "y", "2"}},
         "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n"},
        {"blank lines and comments stay",
         "; top\r\nstray line\r\n[a]\r\n\r\nx=1\r\n;c\r\n\r\n",
         {{"a", "x", "2"}},
         "; top\r\nstray line\r\n[a]\r\n\r\nx=2\r\n;c\r\n\r\n"},
        {"LF file written with CRLF", "[a]\nx=1\n", {{"a", "x", "2"}}, "[a]\r\nx=2\r\n"},
        {"missing final line end", "[a]\r\nx=1", {{"a", "y", "2"}}, "[a]\r\nx=1\r\ny=2\r\n"},
        {"empty value", "[a]\r\nx=1\r\n", {{"a", "x", ""}}, "[a]\r\nx=\r\n"},
        {"first of duplicate sections",
         "[a]\r\nx=1\r\n[A]\r\ny=2\r\n",
         {{"a", "y", "3"}},
         "[a]\r\nx=1\r\ny=3\r\n[A]\r\ny=2\r\n"},
        {"first of duplicate keys", "[a]\r\nx=1\r\nx=2\r\n", {{"a", "X", "3"}}, "[a]\r\nx=3\r\nx=2\r\n"},
        {"key without '=' is not changed",
         "[a]\r\nflag\r\n",
         {{"a", "flag", "1"}},
         "[a]\r\nflag=1\r\nflag\r\n"},
        {"value cut at a line break",
         "[a]\r\nx=1\r\n",
         {{"a", "x", "2\r\n[evil]\r\ny=3"}, {"a", "z", "4\nw=5"}},
         "[a]\r\nx=2\r\nz=4\r\n"},
        {"delete key", "[a]\r\nx=1\r\ny=2\r\n", {{"a", "X", nullptr}}, "[a]\r\ny=2\r\n"},
        {"deleting the last key leaves the section", "[a]\r\nx=1\r\n", {{"a", "x", nullptr}}, "[a]\r\n"},
        {"delete first of duplicate keys", "[a]\r\nx=1\r\nx=2\r\n", {{"a", "x", nullptr}}, "[a]\r\nx=2\r\n"},
        {"delete section with its comments",
         "[a]\r\nx=1\r\n; c\r\n[b]\r\ny=2\r\n",
         {{"A", nullptr, nullptr}},
         "[b]\r\ny=2\r\n"},
        {"delete first of duplicate sections",
         "[a]\r\nx=1\r\n[a]\r\ny=2\r\n",
         {{"a", nullptr, "ignored"}},
         "[a]\r\ny=2\r\n"},
        {"delete missing key or section: no change",
         "[a]\r\nx=1\r\n",
         {{"a", "y", nullptr}, {"b", "x", nullptr}, {"b", nullptr, nullptr}},
         "[a]\r\nx=1\r\n"},
        {"section deleted, then written anew",
         "[FOP]\r\nFOP1=a\r\n[KVDLG]\r\nFILE=x\r\n",
         {{"FOP", nullptr, nullptr}, {"FOP", "FOP1", "b"}},
         "[KVDLG]\r\nFILE=x\r\n[FOP]\r\nFOP1=b\r\n"},
    };
    for (const WriteCase& c : cases) {
        IniDocument doc = ini_parse(c.before);
        for (const WriteOp& op : c.ops) ini_write(doc, op.section, op.key, op.value);
        EXPECT_EQ(ini_serialize(doc), c.after) << c.what;
    }
}

TEST(IniWrite, WrittenValuesReadBack) {
    IniDocument doc = ini_parse("; settings\r\n[s]\r\nk=old\r\n");
    ini_write(doc, "s", "k", "C:\\Daten\\Prüfung.ini");
    ini_write(doc, "t", "n", "-17");
    EXPECT_EQ(ini_get(doc, "S", "K"), "C:\\Daten\\Prüfung.ini");
    EXPECT_EQ(static_cast<int32_t>(ini_get_int(doc, "t", "n", 0)), -17);
    ini_write(doc, "s", "k", nullptr);
    EXPECT_EQ(ini_get(doc, "s", "k"), std::nullopt);
    ini_write(doc, "t", nullptr, nullptr);
    EXPECT_EQ(ini_get_int(doc, "t", "n", 3), 3u);
}

TEST(IniParse, SerializeKeepsEveryLine) {
    // Line ends become CRLF; the lines themselves, including blank ones and
    // junk, come back unchanged.
    IniDocument doc = ini_parse("a\r\n\r\n b \nc\rd");
    EXPECT_EQ(doc.lines, (std::vector<std::string>{"a", "", " b ", "c", "d"}));
    EXPECT_EQ(ini_serialize(doc), "a\r\n\r\n b \r\nc\r\nd\r\n");
    EXPECT_EQ(ini_parse(ini_serialize(doc)).lines, doc.lines);
    EXPECT_TRUE(ini_parse("").lines.empty());
    EXPECT_EQ(ini_parse("\r\n").lines, std::vector<std::string>{""});
}

}  // namespace

TEST(IniRead, WholeSectionInOnePassAgreesWithSingleLookups) {
    const std::string text =
        "\xEF\xBB\xBF[Other]\r\nA=0\r\n[kv310r]\r\n  A = 1 \r\nb='2'\rB=3\n;C=4\r\nnoequals\r\n"
        "[KV310R]\r\nD=5\r\nlast=6";
    const IniDocument doc = ini_parse(text);
    const std::vector<IniEntry> entries = ini_section_entries(text, "KV310R");
    ASSERT_EQ(entries.size(), 3u);  // only the first section of that name
    EXPECT_EQ(entries[0].key, "A");
    EXPECT_EQ(entries[0].value, "1");
    EXPECT_EQ(entries[1].value, "2");
    EXPECT_EQ(entries[2].key, "B");  // "b" again: the first one counts
    for (const char* key : {"A", "b", "B", "C", "D", "noequals"}) {
        std::optional<std::string> first;
        for (const IniEntry& e : entries)
            if (!first && ini_key_for_lookup(e.key) == ini_key_for_lookup(key)) first = std::string(e.value);
        EXPECT_EQ(first, ini_get(doc, "KV310R", key)) << key;
    }
    EXPECT_TRUE(ini_section_entries(text, "missing").empty());
    EXPECT_EQ(ini_section_entries(text, " other ").size(), 1u);  // after a byte-order mark
    EXPECT_EQ(ini_section_entries("[s]\r\nlast=6", "S").at(0).value, "6");
}

TEST(IniWrite, ManyValuesInOneSectionAsTheWritesOneByOneWouldLeaveThem) {
    using Values = std::vector<std::pair<std::string, std::string>>;
    const Values plain = {
        {"w32_ver", "101"}, {"D_A_5", "3"}, {"new", "x"}, {"NEW", "y"}, {"  last ", "\"q\"\r\nz"}};
    struct Case {
        const char* what;
        std::string text;
        Values values;
        std::string section = "KV310R";
    };
    const std::vector<Case> cases = {
        {"no file", "", plain},
        {"no such section", "; head\r\n[Other]\r\na=1\r\n", plain},
        {"section with comments after its keys",
         "[KV310R]\r\nW32_VER=100\r\nx=1\r\n\r\n; end\r\n[Other]\r\nd_a_5=9\r\n", plain},
        {"duplicate sections and keys", "[kv310r]\r\nd_a_5=1\r\nD_A_5=2\r\n[KV310R]\r\nnew=0\r\n", plain},
        {"section without keys", "[KV310R]\r\n; nothing\r\n[B]\r\n", plain},
        {"keys that are no plain key lines",
         "[KV310R]\r\na=1\r\n",
         {{"a=b", "1"}, {";c", "2"}, {"[d]", "3"}, {"a", "4"}}},
        {"section name that cannot be found again", "[x]\r\n", {{"a", "1"}, {"b", "2"}}, "a]b"},
        {"empty key", "[KV310R]\r\n=0\r\n", {{"", "1"}, {" ", "2"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IniDocument one_by_one = ini_parse(c.text);
        for (const auto& [key, value] : c.values)
            ini_write(one_by_one, c.section, key.c_str(), value.c_str());
        IniDocument batched = ini_parse(c.text);
        ini_write_section(batched, c.section, c.values);
        EXPECT_EQ(batched.lines, one_by_one.lines);
    }
}
