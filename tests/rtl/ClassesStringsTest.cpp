#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"

namespace {

std::vector<AnsiString> Items(const TStrings& list) {
  std::vector<AnsiString> items;
  for (int i = 0; i < list.Count(); ++i) items.push_back(list.Strings(i));
  return items;
}

// The catalogue's per-file lists: "|" between elements, double quotes.
void MakeBarList(TStringList& list) {
  list.SetDelimiter('|');
  list.SetQuoteChar('"');
}

TEST(StringListText, BarListsRoundTripBlanksQuotesKoreanAndEmptyElements) {
  struct Case {
    std::vector<AnsiString> items;
    AnsiString text;
  };
  const AnsiString movie = "영화 1.avi"_k;  // a blank inside: quoted
  const AnsiString korean = "한국어"_k;     // no blank: bare
  const std::vector<Case> cases = {
      {{"a.avi", "b.avi"}, "a.avi|b.avi"},
      {{movie, korean}, "\"" + movie + "\"|" + korean},
      {{"say \"hi\"", "x"}, "\"say \"\"hi\"\"\"|x"},
      {{"a|b", "c"}, "\"a|b\"|c"},
      {{""}, "\"\""},
      {{"a", "", "b"}, "a||b"},
      {{"tab\there"}, "\"tab\there\""},
      // Extended syllables whose trail bytes are ASCII letters stay bare.
      {{"\x81\x41\x8C\x63"}, "\x81\x41\x8C\x63"},
  };
  for (const auto& c : cases) {
    TStringList out;
    MakeBarList(out);
    for (const auto& item : c.items) out.Add(item);
    EXPECT_EQ(out.DelimitedText(), c.text);
    TStringList in;
    MakeBarList(in);
    in.SetDelimitedText(c.text);
    EXPECT_EQ(Items(in), c.items) << c.text;
  }
}

TEST(StringListText, ReadingSplitsAtBlanksOutsideQuotesAndKeepsTrailingEmpty) {
  TStringList list;
  MakeBarList(list);
  list.SetDelimitedText("  a b|\"c d\"|e  ");
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{"a", "b", "c d", "e"}));

  list.SetDelimitedText("a|");
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{"a", ""}));

  list.SetDelimitedText("|a");
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{"", "a"}));

  list.SetDelimitedText("");
  EXPECT_EQ(list.Count(), 0);

  // An unclosed quote runs to the end instead of losing the element.
  list.SetDelimitedText("\"open|x");
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{"open|x"}));

  // StrictDelimiter: only the delimiter splits; blanks belong to the element.
  list.SetStrictDelimiter(true);
  list.SetDelimitedText(" a b|\"c|d\"x|e|");
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{" a b", "c|d", "e", ""}));
  EXPECT_EQ(list.DelimitedText(), " a b|\"c|d\"|e|");
  list.SetStrictDelimiter(false);

  // The comma form uses its own characters whatever the list's delimiter is.
  list.SetCommaText("a,\"b c\",d");
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{"a", "b c", "d"}));
  EXPECT_EQ(list.CommaText(), "a,\"b c\",d");
  EXPECT_EQ(list.Delimiter(), '|');
  EXPECT_EQ(list.DelimitedText(), "a|\"b c\"|d");
}

TEST(StringListText, TextReadsAnyLineBreakAndWritesCrLf) {
  TStringList list;
  list.SetText("one\r\ntwo\nthree\rfour\r\n\r\nsix");
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{"one", "two", "three", "four", "", "six"}));
  EXPECT_EQ(list.Text(), "one\r\ntwo\r\nthree\r\nfour\r\n\r\nsix\r\n");

  // A final break makes no empty last line; "\n\r" is two breaks.
  list.SetText("a\r\n");
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{"a"}));
  list.SetText("a\n\rb");
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{"a", "", "b"}));
}

TEST(StringListSearch, IndexOfIgnoresAsciiCaseUnlessCaseSensitive) {
  TStringList list;
  list.Add("Movie");
  list.Add("\x81\x41");  // trail byte 'A'
  EXPECT_EQ(list.IndexOf("MOVIE"), 0);
  EXPECT_EQ(list.IndexOf("movie"), 0);
  // Same lead byte, trail 'a': another syllable, never the same string.
  EXPECT_EQ(list.IndexOf("\x81\x61"), -1);
  EXPECT_EQ(list.IndexOf("\x81\x41"), 1);

  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf("movie"), -1);
  EXPECT_EQ(list.IndexOf("Movie"), 0);
}

TEST(StringListSearch, NamesAndValues) {
  TStringList list;
  list.Add("제목=괴물"_k);
  list.Add("year=2006");
  list.Add("no separator");
  EXPECT_EQ(list.Values("제목"_k), "괴물"_k);
  EXPECT_EQ(list.Values("YEAR"), "2006");
  EXPECT_EQ(list.Values("missing"), "");
  EXPECT_EQ(list.Names(2), "");
  list.SetValues("year", "2007");
  EXPECT_EQ(list.Strings(1), "year=2007");
  list.SetValues("new", "1");
  EXPECT_EQ(list.Strings(3), "new=1");
  list.SetValues("year", "");
  EXPECT_EQ(list.IndexOfName("year"), -1);
  EXPECT_EQ(list.Count(), 3);
}

TEST(StringListSorted, DuplicatesFollowTheirRuleAndOrderHolds) {
  TStringList list;
  list.SetSorted(true);
  for (const char* s : {"pear", "Apple", "banana", "apple"}) list.Add(s);
  // dupIgnore: "apple" equals "Apple" without regard to case.
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{"Apple", "banana", "pear"}));
  EXPECT_EQ(list.Add("APPLE"), 0);
  EXPECT_EQ(list.IndexOf("BANANA"), 1);

  list.SetDuplicates(dupError);
  EXPECT_THROW(list.Add("Pear"), EStringListError);
  EXPECT_EQ(list.Count(), 3);

  list.SetDuplicates(dupAccept);
  list.Add("pear");
  EXPECT_EQ(list.Count(), 4);
  EXPECT_TRUE(SameText(list.Strings(2), "pear"));
  EXPECT_TRUE(SameText(list.Strings(3), "pear"));

  // A sorted list refuses positional writes that would break its order.
  EXPECT_THROW(list.Insert(0, "zzz"), EStringListError);
  EXPECT_THROW(list.SetStrings(0, "zzz"), EStringListError);

  // Hangul sorts in dictionary order.
  TStringList korean;
  korean.SetSorted(true);
  korean.Add("하늘"_k);
  korean.Add("가을"_k);
  korean.Add("나무"_k);
  EXPECT_EQ(Items(korean), (std::vector<AnsiString>{"가을"_k, "나무"_k, "하늘"_k}));
}

TEST(StringListSorted, CustomSortByIndexAndObjectsTravelWithStrings) {
  TStringList list;
  TObject a, b, c;
  list.AddObject("3", &c);
  list.AddObject("1", &a);
  list.AddObject("2", &b);
  list.CustomSort([](TStringList* l, int i, int j) {
    return StrToInt(l->Strings(i)) - StrToInt(l->Strings(j));
  });
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{"1", "2", "3"}));
  EXPECT_EQ(list.Objects(0), &a);
  EXPECT_EQ(list.Objects(2), &c);

  // A compare function that lies must not walk off the list.
  TStringList many;
  for (int i = 0; i < 200; ++i) many.Add(IntToStr(i * 7919 % 200));
  many.CustomSort([](TStringList*, int, int) { return -1; });
  EXPECT_EQ(many.Count(), 200);
  many.CustomSort([](TStringList*, int, int) { return 1; });
  EXPECT_EQ(many.Count(), 200);
}

TEST(StringListObjects, AssignCopiesTextsAndObjectsAndOwnsObjectsFrees) {
  TStringList source;
  TObject marker;
  source.AddObject("x", &marker);
  source.Add("y");
  TStringList copy;
  copy.Assign(&source);
  EXPECT_EQ(Items(copy), Items(source));
  EXPECT_EQ(copy.Objects(0), &marker);
  EXPECT_FALSE(copy.OwnsObjects());

  // OwnsObjects: delete, clear and destruction free the objects (ASan checks).
  auto* owning = new TStringList(true);
  owning->AddObject("a", new TStringList);
  owning->AddObject("b", new TStringList);
  owning->AddObject("c", new TStringList);
  owning->Delete(0);
  owning->Clear();
  owning->AddObject("d", new TStringList);
  delete owning;
}

TEST(StringListErrors, IndexOutOfBoundsNamesTheIndex) {
  TStringList list;
  list.Add("a");
  try {
    list.Strings(5);
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (5)");
  }
  EXPECT_THROW(list.Delete(-1), EListError);
  EXPECT_THROW(list.Insert(3, "x"), EStringListError);
  EXPECT_NO_THROW(list.Insert(1, "end"));
}

TEST(StringListEvents, BeginEndUpdateFireOnceAtTheOuterEnd) {
  TStringList list;
  int changing = 0, changed = 0;
  list.OnChanging = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    ++changing;
  };
  list.OnChange = [&](TObject*) { ++changed; };
  list.Add("a");
  EXPECT_EQ(changing, 1);
  EXPECT_EQ(changed, 1);

  list.BeginUpdate();
  list.BeginUpdate();
  list.Add("b");
  list.SetText("x\r\ny\r\nz");
  list.Sort();
  list.EndUpdate();
  EXPECT_EQ(changed, 1);
  list.EndUpdate();
  EXPECT_EQ(changing, 2);
  EXPECT_EQ(changed, 2);

  // SetText on its own is one change, not one per line.
  list.SetText("1\r\n2\r\n3");
  EXPECT_EQ(changed, 3);
}

class StringListFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/vidrena-strings-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    dir_ = templ;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  std::string dir_;
};

TEST_F(StringListFiles, SaveAndLoadKeepCp949BytesWithCrLfAndKoreanNames) {
  TStringList list;
  list.Add("액션"_k);
  list.Add("코미디, 드라마"_k);
  const AnsiString name = AnsiString(dir_) + "/" + "영화장르.List"_k;
  list.SaveToFile(name);

  // On disk: code page 949 bytes and CR LF; the name in UTF-8.
  std::ifstream in(dir_ + "/영화장르.List", std::ios::binary);
  ASSERT_TRUE(in.good());
  std::stringstream bytes;
  bytes << in.rdbuf();
  EXPECT_EQ(bytes.str(), "액션"_k + "\r\n" + "코미디, 드라마"_k + "\r\n");

  TStringList back;
  back.Add("stale");
  back.LoadFromFile(name);
  EXPECT_EQ(Items(back), Items(list));
}

TEST_F(StringListFiles, LoadingAMissingFileNamesIt) {
  TStringList list;
  const AnsiString name = AnsiString(dir_) + "/" + "없음.List"_k;
  try {
    list.LoadFromFile(name);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_NE(e.Message().find("Cannot open file \"" + name + "\"."), std::string::npos)
        << e.Message();
  }
}

}  // namespace
