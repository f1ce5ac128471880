#include <gtest/gtest.h>
#include <dirent.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/rtl/IniFiles.h"
#include "tests/vcl/DeadlineTestSupport.h"

namespace {

class IniFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/vidrena-ini-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    dir_ = templ;
    name_ = AnsiString(dir_) + "/Vidrena.ini";
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  void WriteRaw(const std::string& sysName, const std::string& bytes) {
    std::ofstream out(sysName, std::ios::binary);
    out << bytes;
  }
  std::string ReadRaw(const std::string& sysName) {
    std::ifstream in(sysName, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  int FilesInDir() {
    int n = 0;
    DIR* d = opendir(dir_.c_str());
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.' || std::string(e->d_name).size() > 2) ++n;
    closedir(d);
    return n;
  }

  std::string dir_;
  AnsiString name_;
};

TEST_F(IniFiles, KoreanSectionsAndKeysRoundTripAsCp949) {
  const AnsiString general = "일반"_k, dbFile = "DB파일"_k, path = "/영화/목록.vdb"_k;
  {
    TIniFile ini(name_);
    ini.WriteBool(general, "포스터크기자동조정"_k, true);
    ini.WriteBool(general, "백업폴더만들기"_k, false);
    ini.WriteString(general, dbFile, path);
    ini.WriteInteger("웹"_k, "검색값"_k, 3);
    ini.WriteString("목록색상"_k, "대여바탕"_k, "$00DAABE0");
  }
  EXPECT_EQ(ReadRaw(dir_ + "/Vidrena.ini"),
            "[" + general + "]\r\n" + "포스터크기자동조정=1\r\n"_k + "백업폴더만들기=0\r\n"_k +
                dbFile + "=" + path + "\r\n" + "[웹]\r\n검색값=3\r\n"_k +
                "[목록색상]\r\n대여바탕=$00DAABE0\r\n"_k);

  TIniFile ini(name_);
  EXPECT_TRUE(ini.ReadBool(general, "포스터크기자동조정"_k, false));
  EXPECT_FALSE(ini.ReadBool(general, "백업폴더만들기"_k, true));
  EXPECT_EQ(ini.ReadString(general, dbFile, ""), path);
  EXPECT_EQ(ini.ReadInteger("웹"_k, "검색값"_k, 0), 3);
  TStringList sections;
  ini.ReadSections(&sections);
  EXPECT_EQ(sections.CommaText(), general + "," + "웹"_k + "," + "목록색상"_k);
  TStringList values;
  ini.ReadSectionValues("웹"_k, &values);
  EXPECT_EQ(values.Text(), "검색값=3\r\n"_k);
}

TEST_F(IniFiles, LookUpIgnoresAsciiCaseButNotHangulTrailBytes) {
  WriteRaw(dir_ + "/Vidrena.ini",
           "[General]\r\nCheckNewVersion = 0 \r\n[\x81\x41]\r\nk=upper\r\n");
  TIniFile ini(name_);
  EXPECT_EQ(ini.ReadInteger("GENERAL", "checknewversion", 1), 0);
  EXPECT_TRUE(ini.ValueExists("general", "CHECKNEWVERSION"));
  // 81 41 and 81 61 are different syllables whose trail bytes differ in case.
  EXPECT_EQ(ini.ReadString("\x81\x41", "K", "-"), "upper");
  EXPECT_EQ(ini.ReadString("\x81\x61", "k", "-"), "-");
  EXPECT_FALSE(ini.SectionExists("\x81\x61"));
  EXPECT_TRUE(ini.SectionExists("\x81\x41"));

  // Rewriting a key keeps the file's own spelling of it.
  ini.WriteString("general", "CHECKNEWVERSION", "1");
  EXPECT_EQ(ReadRaw(dir_ + "/Vidrena.ini"),
            "[General]\r\nCheckNewVersion = 1\r\n[\x81\x41]\r\nk=upper\r\n");

  // 100,000 sections are listed (a name twice, once) and looked up at once.
  std::string many;
  for (int i = 0; i < 100000; ++i) many += "[s" + std::to_string(i % 99999) + "]\r\nk=" + std::to_string(i) + "\r\n";
  WriteRaw(dir_ + "/Vidrena.ini", many);
  auto file = std::make_shared<TIniFile>(name_);
  auto found = std::make_shared<TStringList>();
  ASSERT_TRUE(EndsWithin(std::chrono::seconds(3), [file, found] {
    file->ReadSections(found.get());
    if (file->SectionExists("S99998")) found->Add(file->ReadString("S0", "K", "-"));
  }));
  EXPECT_EQ(found->Count(), 100000);
  EXPECT_EQ(found->Strings(99999), "0");
}

TEST_F(IniFiles, MissingFileGivesDefaultsAndAFileDifferingInCaseIsTheSame) {
  TIniFile missing(name_);
  EXPECT_EQ(missing.ReadString("일반"_k, "DB파일"_k, "none"), "none");
  EXPECT_TRUE(missing.ReadBool("일반"_k, "백업파일만들기"_k, true));
  EXPECT_EQ(missing.ReadInteger("웹"_k, "웹정보확인"_k, 2), 2);
  EXPECT_DOUBLE_EQ(missing.ReadFloat("x", "y", 1.5), 1.5);
  EXPECT_FALSE(missing.SectionExists("일반"_k));
  TStringList keys;
  keys.Add("stale");
  missing.ReadSection("일반"_k, &keys);
  EXPECT_EQ(keys.Count(), 0);

  // The settings dialog names the file "Vidrena.Ini": it must reach the same file.
  TIniFile dialog(AnsiString(dir_) + "/Vidrena.Ini");
  dialog.WriteBool("일반"_k, "새버젼확인"_k, false);
  EXPECT_FALSE(missing.ReadBool("일반"_k, "새버젼확인"_k, true));
  EXPECT_EQ(FilesInDir(), 1);

  // Values that are not numbers fall back to the default.
  dialog.WriteString("x", "n", "abc");
  EXPECT_EQ(dialog.ReadInteger("x", "n", 7), 7);
  dialog.WriteString("x", "hex", "0x1F");
  EXPECT_EQ(dialog.ReadInteger("x", "hex", 0), 31);
}

TEST_F(IniFiles, WritesKeepCommentsBlankLinesOrderAndLineBreakStyle) {
  const std::string before =
      "; settings\n"
      "[A]\n"
      "one=1\n"
      "; keep me\n"
      "two=2\n"
      "\n"
      "[B]\n"
      "x=y\n";
  WriteRaw(dir_ + "/Vidrena.ini", before);
  TIniFile ini(name_);
  ini.WriteString("A", "two", "22");
  ini.WriteString("A", "three", "3");
  ini.WriteString("C", "z", "new");
  ini.DeleteKey("B", "x");
  EXPECT_EQ(ReadRaw(dir_ + "/Vidrena.ini"),
            "; settings\n"
            "[A]\n"
            "one=1\n"
            "; keep me\n"
            "two=22\n"
            "three=3\n"
            "\n"
            "[B]\n"
            "[C]\n"
            "z=new\n");
  ini.EraseSection("a");
  EXPECT_EQ(ReadRaw(dir_ + "/Vidrena.ini"), "; settings\n[B]\n[C]\nz=new\n");
  // The temporary file of the safe save is gone.
  EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(IniFiles, AValueWithALineBreakCannotInjectKeysOrSections) {
  TIniFile ini(name_);
  ini.WriteString("일반"_k, "DB파일"_k, "a\r\n[웹]\r\n검색값=9"_k);
  EXPECT_FALSE(ini.SectionExists("웹"_k));
  EXPECT_EQ(ini.ReadInteger("웹"_k, "검색값"_k, 0), 0);
  EXPECT_EQ(ini.ReadString("일반"_k, "DB파일"_k, ""), "a  [웹]  검색값=9"_k);
}

TEST_F(IniFiles, IniFileSeesChangesMadeByAnotherWriter) {
  TIniFile reader(name_);
  EXPECT_EQ(reader.ReadString("s", "k", "-"), "-");
  TMemIniFile writer(name_);
  writer.WriteString("s", "k", "v");
  EXPECT_EQ(reader.ReadString("s", "k", "-"), "-");  // not written yet
  writer.UpdateFile();
  EXPECT_EQ(reader.ReadString("s", "k", "-"), "v");
}

TEST_F(IniFiles, UnwritableFolderRaisesNamingTheFile) {
  const AnsiString name = AnsiString(dir_) + "/no/such/dir/x.ini";
  TIniFile ini(name);
  try {
    ini.WriteString("s", "k", "v");
    FAIL();
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + name);
  }
}

}  // namespace
