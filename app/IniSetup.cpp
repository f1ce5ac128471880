#include "app/IniSetup.h"

#include "grid/ExGrid.h"
#include "platform/rtl/SysUtils.h"

namespace IniKey {
const AnsiString General = "일반"_k;
const AnsiString MovieInfo = "영화정보"_k;
const AnsiString Web = "웹"_k;
const AnsiString AutoList = "자동입력목록"_k;
const AnsiString List = "목록"_k;
const AnsiString ListColors = "목록색상"_k;

const AnsiString PosterAutoSize = "포스터크기자동조정"_k;
const AnsiString MakeBackupFile = "백업파일만들기"_k;
const AnsiString UseAutoSave = "백업폴더만들기"_k;
const AnsiString SplitStatistics = "통계시나눔"_k;
const AnsiString CheckNewVersion = "새버젼확인"_k;
const AnsiString OpenDBAtStart = "시작시DB열기"_k;
const AnsiString DBFile = "DB파일"_k;
const AnsiString ShowSimilarTitles = "비슷한제목출력"_k;
const AnsiString PosterRenameMode = "포스터이름변경"_k;
const AnsiString WebSearchSite = "검색값"_k;
const AnsiString SendMovieInfo = "영화정보보냄"_k;
const AnsiString CheckWebInfo = "웹정보확인"_k;
const AnsiString AddUnlistedValues = "목록에없는값추가"_k;
const AnsiString ColorRows = "색상구분"_k;
const AnsiString LentText = "대여글자"_k;
const AnsiString LentBack = "대여바탕"_k;
const AnsiString WatchedText = "시청글자"_k;
const AnsiString WatchedBack = "시청바탕"_k;
const AnsiString HintShowLargeText = "긴이름힌트표시"_k;
const AnsiString BaseText = "기본글자"_k;
const AnsiString BaseBack = "기본바탕"_k;
const AnsiString SelectText = "선택글자"_k;
const AnsiString SelectBack = "선택바탕"_k;
const AnsiString GroupText = "그룹글자"_k;
const AnsiString GroupBack = "그룹바탕"_k;
const AnsiString GridLine = "목록선"_k;
}  // namespace IniKey

namespace {

Byte ReadByte(TCustomIniFile& ini, const AnsiString& section, const AnsiString& key, Byte def) {
  return static_cast<Byte>(ini.ReadInteger(section, key, def) & 0xFF);
}

}  // namespace

AnsiString IniSetupFileName(const AnsiString& appDir) {
  return IncludeTrailingPathDelimiter(appDir) + "Vidrena.ini";
}

TColor ReadColorKey(TCustomIniFile& ini, const AnsiString& section, const AnsiString& key, TColor def) {
  AnsiString text = Trim(ini.ReadString(section, key, ""));
  if (text.empty()) return def;
  try {
    return StringToColor(text);
  } catch (const EConvertError&) {
    return def;
  }
}

AnsiString ColorKeyText(TColor color) { return ColorToString(color); }

TIniSetup ReadIniSetup(TCustomIniFile& ini) {
  using namespace IniKey;
  const TIniSetup d;
  TIniSetup s;
  s.PosterAutoSize = ini.ReadBool(General, PosterAutoSize, d.PosterAutoSize);
  s.MakeBackupFile = ini.ReadBool(General, MakeBackupFile, d.MakeBackupFile);
  s.UseAutoSave = ini.ReadBool(General, UseAutoSave, d.UseAutoSave);
  s.SplitStatistics = ini.ReadBool(General, SplitStatistics, d.SplitStatistics);
  s.CheckNewVersion = ini.ReadBool(General, CheckNewVersion, d.CheckNewVersion);
  s.OpenDBAtStart = ini.ReadBool(General, OpenDBAtStart, d.OpenDBAtStart);
  s.DBFile = ini.ReadString(General, DBFile, d.DBFile);
  s.ShowSimilarTitles = ini.ReadBool(MovieInfo, ShowSimilarTitles, d.ShowSimilarTitles);
  s.PosterRenameMode = ReadByte(ini, General, PosterRenameMode, d.PosterRenameMode);
  s.WebSearchSite = ReadByte(ini, Web, WebSearchSite, d.WebSearchSite);
  s.SendMovieInfo = ReadByte(ini, Web, SendMovieInfo, d.SendMovieInfo);
  s.CheckWebInfo = ReadByte(ini, Web, CheckWebInfo, d.CheckWebInfo);
  s.AddUnlistedValues = ini.ReadBool(AutoList, AddUnlistedValues, d.AddUnlistedValues);
  s.ColorRows = ini.ReadBool(List, ColorRows, d.ColorRows);
  s.LentTextColor = ReadColorKey(ini, ListColors, LentText, d.LentTextColor);
  s.LentBackColor = ReadColorKey(ini, ListColors, LentBack, d.LentBackColor);
  s.WatchedTextColor = ReadColorKey(ini, ListColors, WatchedText, d.WatchedTextColor);
  s.WatchedBackColor = ReadColorKey(ini, ListColors, WatchedBack, d.WatchedBackColor);
  return s;
}

TIniGridLook ReadIniGridLook(TCustomIniFile& ini, const TIniGridLook& current) {
  using namespace IniKey;
  TIniGridLook look;
  look.HintShowLargeText = ini.ReadBool(List, HintShowLargeText, current.HintShowLargeText);
  look.FontColor = ReadColorKey(ini, ListColors, BaseText, current.FontColor);
  look.Color = ReadColorKey(ini, ListColors, BaseBack, current.Color);
  look.SelectionTextColor = ReadColorKey(ini, ListColors, SelectText, current.SelectionTextColor);
  look.SelectionColor = ReadColorKey(ini, ListColors, SelectBack, current.SelectionColor);
  look.GroupTextColor = ReadColorKey(ini, ListColors, GroupText, current.GroupTextColor);
  look.GroupColor = ReadColorKey(ini, ListColors, GroupBack, current.GroupColor);
  look.GridLineColor = ReadColorKey(ini, ListColors, GridLine, current.GridLineColor);
  return look;
}

TIniGridLook GridLookOf(TExStringGrid& grid) {
  TIniGridLook look;
  look.FontColor = grid.Font()->Color();
  look.Color = grid.Color();
  look.SelectionTextColor = grid.SelectionTextColor();
  look.SelectionColor = grid.SelectionColor();
  look.GroupTextColor = grid.Grouping()->HeaderTextColor();
  look.GroupColor = grid.Grouping()->HeaderColor();
  look.GridLineColor = grid.GridLineColor();
  return look;
}

void ApplyGridLook(TExStringGrid& grid, const TIniGridLook& look) {
  grid.Font()->SetColor(look.FontColor);
  grid.SetColor(look.Color);
  grid.SetSelectionTextColor(look.SelectionTextColor);
  grid.SetSelectionColor(look.SelectionColor);
  grid.Grouping()->SetHeaderTextColor(look.GroupTextColor);
  grid.Grouping()->SetHeaderColor(look.GroupColor);
  grid.SetGridLineColor(look.GridLineColor);
}

TIniGridLook LoadIniSetup(const AnsiString& iniFileName, TIniSetup& setup, TExStringGrid& grid) {
  TMemIniFile ini(iniFileName);
  setup = ReadIniSetup(ini);
  TIniGridLook current = GridLookOf(grid);
  TIniGridLook look = ReadIniGridLook(ini, current);
  if (setup.ColorRows) {
    ApplyGridLook(grid, look);
  } else {
    // The colours are neither read nor applied: the grid keeps its design.
    bool hint = look.HintShowLargeText;
    look = current;
    look.HintShowLargeText = hint;
  }
  return look;
}

void WriteIniSetup(TCustomIniFile& ini, const TIniSetup& s, const TIniGridLook& look) {
  using namespace IniKey;
  ini.WriteBool(General, PosterAutoSize, s.PosterAutoSize);
  ini.WriteBool(General, MakeBackupFile, s.MakeBackupFile);
  ini.WriteBool(General, UseAutoSave, s.UseAutoSave);
  ini.WriteBool(General, SplitStatistics, s.SplitStatistics);
  ini.WriteBool(General, CheckNewVersion, s.CheckNewVersion);
  ini.WriteBool(General, OpenDBAtStart, s.OpenDBAtStart);
  ini.WriteString(General, DBFile, s.DBFile);
  ini.WriteBool(MovieInfo, ShowSimilarTitles, s.ShowSimilarTitles);
  ini.WriteInteger(General, PosterRenameMode, s.PosterRenameMode);
  ini.WriteInteger(Web, WebSearchSite, s.WebSearchSite);
  ini.WriteInteger(Web, SendMovieInfo, s.SendMovieInfo);
  ini.WriteInteger(Web, CheckWebInfo, s.CheckWebInfo);
  ini.WriteBool(AutoList, AddUnlistedValues, s.AddUnlistedValues);
  ini.WriteBool(List, ColorRows, s.ColorRows);
  ini.WriteBool(List, HintShowLargeText, look.HintShowLargeText);
  ini.WriteString(ListColors, BaseText, ColorKeyText(look.FontColor));
  ini.WriteString(ListColors, BaseBack, ColorKeyText(look.Color));
  ini.WriteString(ListColors, SelectText, ColorKeyText(look.SelectionTextColor));
  ini.WriteString(ListColors, SelectBack, ColorKeyText(look.SelectionColor));
  ini.WriteString(ListColors, LentText, ColorKeyText(s.LentTextColor));
  ini.WriteString(ListColors, LentBack, ColorKeyText(s.LentBackColor));
  ini.WriteString(ListColors, WatchedText, ColorKeyText(s.WatchedTextColor));
  ini.WriteString(ListColors, WatchedBack, ColorKeyText(s.WatchedBackColor));
  ini.WriteString(ListColors, GroupText, ColorKeyText(look.GroupTextColor));
  ini.WriteString(ListColors, GroupBack, ColorKeyText(look.GroupColor));
  ini.WriteString(ListColors, GridLine, ColorKeyText(look.GridLineColor));
}

void SaveIniSetup(const AnsiString& iniFileName, const TIniSetup& setup, const TIniGridLook& look) {
  AnsiString dir = ExtractFileDir(iniFileName);
  if (!dir.empty()) ForceDirectories(dir);
  TMemIniFile ini(iniFileName);
  WriteIniSetup(ini, setup, look);
  ini.UpdateFile();
}
