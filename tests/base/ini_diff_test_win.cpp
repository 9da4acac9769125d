// Our INI engine against the platform's own profile functions
// (GetPrivateProfileStringA, GetPrivateProfileIntA, WritePrivateProfileStringA)
// on the same files. Under Wine the peer is Wine's kernel32; where Wine is
// known to differ from Windows the row says so, and only our side is checked
// against the Windows behaviour.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "base/profile.h"
#include "tests/support/temp_dir.h"

namespace {

struct Op {
    const char* section;
    const char* key;
    const char* value;
};

struct Query {
    const char* section;
    const char* key;
    // What Windows gives, where the row does not trust the peer (or to pin
    // the value down); nothing: whatever the peer gives.
    std::optional<std::string> windows = std::nullopt;
};

enum class Compare {
    everything,    // lookups, write results and the file's bytes
    lookups_only,  // the peer rewrites the file its own way
    nothing,       // known difference: only our side is checked
};

struct Row {
    const char* what;
    std::optional<std::string> text;  // nothing: no file at the start
    std::vector<Op> ops;
    std::vector<Query> queries;
    Compare compare = Compare::everything;
    const char* why = "";  // for rows that are not fully compared
};

constexpr const char* missing = "<default>";

std::string peer_string(const std::string& path, const Query& q) {
    char buffer[512] = {};
    GetPrivateProfileStringA(q.section, q.key, missing, buffer, sizeof buffer, path.c_str());
    return buffer;
}

std::vector<Row> rows() {
    const std::string tricky =
        "[Sec]\r\n"
        "  Key1 = value one  \r\n"
        "key2=\"quoted\"\r\n"
        "key3='single'\r\n"
        "key4=\"mismatch'\r\n"
        "key5=\r\n"
        "key6=a;b\r\n"
        "key7=a=b\r\n"
        "key8\r\n"
        ";key9=comment\r\n"
        "\tkey10\t=\t12abc\t\r\n"
        "my key = spaced name\r\n";
    const std::vector<Query> tricky_queries = {
        {"sec", "key1", "value one"},
        {"SEC", "KEY2", "quoted"},
        {"sec", "key3", "single"},
        {"sec", "key4", "\"mismatch'"},
        {"sec", "key5", ""},
        {"sec", "key6", "a;b"},
        {"sec", "key7", "a=b"},
        {"sec", "key8", missing},
        {"sec", "key9", missing},
        {"sec", "key10", "12abc"},
        {"sec", "my key", "spaced name"},
        {"sec", "nokey", missing},
        {"other", "key1", missing},
        {" sec ", " key1 ", "value one"},
    };
    auto with_line_end = [](std::string text, const char* eol) {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text.compare(i, 2, "\r\n") == 0) {
                out += eol;
                ++i;
            } else {
                out += text[i];
            }
        }
        return out;
    };

    return {
        // Reading.
        {"tricky values, CRLF", tricky, {}, tricky_queries},
        {"tricky values, LF", with_line_end(tricky, "\n"), {}, tricky_queries},
        {"tricky values, CR", with_line_end(tricky, "\r"), {}, tricky_queries},
        {"no final line end", "[s]\r\nk=v", {}, {{"s", "k", "v"}}},
        {"duplicate keys and sections",
         "[d]\r\nk=1\r\nK=2\r\n[D]\r\nk=3\r\nj=4\r\n",
         {},
         {{"d", "k", "1"}, {"d", "j", missing}}},
        {"lines before the first section",
         "k=0\r\nj=5\r\n[s]\r\nk=1\r\n",
         {},
         {{"s", "k", "1"}, {"s", "j", missing}}},
        {"integers",
         "[n]\r\na=12abc\r\nb=-1\r\nc=abc\r\nd=+7\r\ne=4294967297\r\nf=\"-3\"\r\ng=\r\nh= 42 "
         "\r\ni=0x10\r\nj=- 5\r\n"
         "k=2147483648\r\nl=-0x1f\r\nm=0o17\r\no=0b102\r\np=0X10\r\nq=0x\r\nr=007\r\ns=0xFFffFFff\r\n"
         "t=0x1G\r\nu=\" -12\"\r\n",
         {},
         {{"n", "a"}, {"n", "b"}, {"n", "c"}, {"n", "d"}, {"n", "e"}, {"n", "f"}, {"n", "g"},
          {"n", "h"}, {"n", "i"}, {"n", "j"}, {"n", "k"}, {"n", "l"}, {"n", "m"}, {"n", "o"},
          {"n", "p"}, {"n", "q"}, {"n", "r"}, {"n", "s"}, {"n", "t"}, {"n", "u"}, {"n", "z"}}},
        {"text after the header", "[s] junk\r\nk=v\r\n", {}, {{"s", "k", "v"}}},
        {"blanks inside the brackets", "[ spaced ]\r\nk=v\r\n", {}, {{"spaced", "k", "v"}}},
        {"'[' without ']'", "[s\r\nk=v\r\n", {}, {{"s", "k", missing}, {"[s", "k", missing}}},
        {"blank lines and comments", "\r\n; c\r\n\r\n[s]\r\n\r\nk=v\r\n\r\n", {}, {{"s", "k", "v"}}},
        {"quote edge cases",
         "[q]\r\na=\"\r\nb=\"\"\r\nc=\"a\"b\"\r\nd=\" a \"\r\ne=''\r\n",
         {},
         {{"q", "a", "\""}, {"q", "b", ""}, {"q", "c", "a\"b"}, {"q", "d", " a "}, {"q", "e", ""}}},
        {"UTF-8 byte order mark", "\xEF\xBB\xBF[s]\r\nk=v\r\n", {}, {{"s", "k", "v"}}},
        {"empty file", "", {}, {{"s", "k", missing}}},
        {"no file", std::nullopt, {}, {{"s", "k", missing}}},
        {"header ends at its first ']'",
         "[a]b]\r\nk=v\r\n",
         {},
         {{"a", "k", "v"}, {"a]b", "k", missing}},
         Compare::nothing,
         "Wine takes the header up to its last ']'"},

        // Writing.
        {"file built up and taken apart",
         std::nullopt,
         {{"App1", "key1", "string1"},
          {"App1", "key2", "string2"},
          {"App1", "key3", "string3"},
          {"App2", "key4", "string4"},
          {"App3", "key5", "string5"},
          {"App1", "key2", nullptr},
          {"App1", "key2", nullptr},
          {"App1", nullptr, "x"},
          {"App2", nullptr, nullptr},
          {"App3", "key6", "6"},
          {"App3", "key5", nullptr}},
         {{"app3", "key6", "6"}, {"app1", "key1", missing}, {"app2", "key4", missing}}},
        {"changed in place, spelling kept",
         "[S]\r\nMyKey=1\r\nother=2\r\n",
         {{"s", "mykey", "2"}},
         {{"s", "MYKEY", "2"}, {"s", "other", "2"}}},
        {"new key after the last key", "[a]\r\nx=1\r\n[b]\r\ny=2\r\n", {{"a", "z", "3"}}, {{"a", "z", "3"}}},
        {"new section at the end", "[a]\r\nx=1\r\n", {{"b", "y", "2"}}, {{"b", "y", "2"}, {"a", "x", "1"}}},
        {"LF file rewritten with CRLF", "[a]\nx=1\n", {{"a", "x", "2"}}, {{"a", "x", "2"}}},
        {"unchanged value leaves the file alone", "[a]\nx=1\n", {{"a", "x", "1"}}, {{"a", "x", "1"}}},
        {"missing final line end", "[a]\r\nx=1", {{"a", "y", "2"}}, {{"a", "x", "1"}, {"a", "y", "2"}}},
        {"blanks around the key", "[a]\r\n  x = 1 \r\n", {{"a", "x", "2"}}, {{"a", "x", "2"}}},
        {"empty value", "[a]\r\nx=1\r\n", {{"a", "x", ""}}, {{"a", "x", ""}}},
        {"lines before the first section kept",
         "stray\r\n[a]\r\nx=1\r\n",
         {{"a", "x", "2"}},
         {{"a", "x", "2"}}},
        {"delete section with its comment",
         "[a]\r\nx=1\r\n;c\r\n[b]\r\ny=2\r\n",
         {{"a", nullptr, nullptr}},
         {{"a", "x", missing}, {"b", "y", "2"}}},
        {"duplicate sections: write and delete in the first",
         "[a]\r\nx=1\r\n[A]\r\ny=2\r\n",
         {{"a", "y", "3"}, {"a", "y", nullptr}},
         {{"a", "y", missing}, {"a", "x", "1"}}},
        {"recent-file section rewritten",
         "[KVDLG]\r\nFILE=C:\\x.ini\r\n[FOP]\r\nFOP1=C:\\a.ini\r\nTOP1=1\r\nCOP1=0\r\n",
         {{"FOP", nullptr, nullptr},
          {"FOP", "FOP1", "C:\\b.ini"},
          {"FOP", "TOP1", "1"},
          {"FOP", "COP1", "3"}},
         {{"FOP", "FOP1", "C:\\b.ini"}, {"FOP", "COP1", "3"}, {"KVDLG", "FILE", "C:\\x.ini"}}},

        {"blank lines and comments around a new key",
         "; top\r\n\r\n[a]\r\nx=1\r\n\r\n; about b\r\n[b]\r\ny=2\r\n",
         {{"a", "z", "3"}},
         {{"a", "z", "3"}, {"a", "x", "1"}, {"b", "y", "2"}},
         Compare::lookups_only,
         "Wine rewrites the file and drops blank lines; Windows edits in place"},
        {"blank line before a changed key",
         "[a]\r\n\r\nx=1\r\n",
         {{"a", "x", "2"}},
         {{"a", "x", "2"}},
         Compare::lookups_only,
         "Wine rewrites the file and drops blank lines; Windows edits in place"},
        {"second of duplicate sections untouched",
         "[a]\r\nx=1\r\n[A]\r\ny=2\r\n",
         {{"a", "y", nullptr}},
         {{"a", "y", missing}},
         Compare::lookups_only,
         "Wine deletes the key from a later section of the same name"},
        {"line without '=' written",
         "[a]\r\nflag\r\n",
         {{"a", "flag", "1"}},
         {{"a", "flag", "1"}},
         Compare::lookups_only,
         "Wine turns the line into the key; it is no key to Windows"},
        {"value with leading blanks",
         "[a]\r\n",
         {{"a", "x", "  v"}},
         {{"a", "x", "v"}},
         Compare::lookups_only,
         "Wine drops the value's leading blanks when writing"},
        {"deleting from a missing file",
         std::nullopt,
         {{"a", "x", nullptr}, {"a", nullptr, nullptr}},
         {{"a", "x", missing}},
         Compare::lookups_only,
         "whether an empty file is left behind"},
        {"value with a line break",
         "[a]\r\nx=1\r\n",
         {{"a", "x", "2\r\n[evil]\r\ny=3"}},
         {{"a", "x", "2"}, {"evil", "y", missing}},
         Compare::nothing,
         "ours cuts a written value at its first line break"},
    };
}

TEST(IniDifferential, SameResultsAsTheProfileFunctions) {
    TempDir tmp;
    int n = 0;
    for (const Row& row : rows()) {
        ++n;
        // One pair of files per row, so no cached state can carry over.
        std::string peer = tmp.file("peer" + std::to_string(n) + ".ini");
        std::string ours = tmp.file("ours" + std::to_string(n) + ".ini");
        if (row.text) {
            ASSERT_TRUE(write_file_atomic(peer, *row.text));
            ASSERT_TRUE(write_file_atomic(ours, *row.text));
        }
        for (const Op& op : row.ops) {
            bool peer_ok = WritePrivateProfileStringA(op.section, op.key, op.value, peer.c_str()) != FALSE;
            bool ours_ok = profile_write_string(ours, op.section, op.key, op.value);
            if (row.compare != Compare::nothing) {
                EXPECT_EQ(ours_ok, peer_ok) << row.what;
            }
        }
        for (const Query& q : row.queries) {
            std::string our_value = profile_get_string(ours, q.section, q.key, missing, 512);
            uint32_t our_int = profile_get_int(ours, q.section, q.key, 77);
            if (q.windows) {
                EXPECT_EQ(our_value, *q.windows) << row.what << " [" << q.section << "] " << q.key;
            }
            if (row.compare == Compare::nothing) {
                std::printf("known Wine difference (%s): [%s] %s: Wine \"%s\", ours \"%s\"\n", row.why,
                            q.section, q.key, peer_string(peer, q).c_str(), our_value.c_str());
                continue;
            }
            EXPECT_EQ(our_value, peer_string(peer, q)) << row.what << " [" << q.section << "] " << q.key;
            EXPECT_EQ(our_int, GetPrivateProfileIntA(q.section, q.key, 77, peer.c_str()))
                << row.what << " [" << q.section << "] " << q.key;
        }
        if (row.compare == Compare::everything) {
            EXPECT_EQ(read_file(ours), read_file(peer)) << row.what;
        }
    }
}

TEST(IniDifferential, BufferSizesCutLikeThePeer) {
    TempDir tmp;
    std::string path = tmp.file("cut.ini");
    ASSERT_TRUE(write_file_atomic(path, "[s]\r\nk=val1\r\nq=\"abc\"\r\n"));
    for (DWORD size : {1u, 2u, 4u, 5u, 6u}) {
        char buffer[16] = {};
        GetPrivateProfileStringA("s", "k", "", buffer, size, path.c_str());
        EXPECT_EQ(profile_get_string(path, "s", "k", "", size), buffer) << size;
        GetPrivateProfileStringA("s", "none", "default  ", buffer, size, path.c_str());
        EXPECT_EQ(profile_get_string(path, "s", "none", "default  ", size), buffer) << size;
    }
    char buffer[16] = {};
    GetPrivateProfileStringA("s", "q", "", buffer, sizeof buffer, path.c_str());
    EXPECT_EQ(profile_get_string(path, "s", "q", "", sizeof buffer), buffer);
}

}  // namespace
