// The program's settings: the record every window reads (TIniSetup), the
// keys of "Vidrena.ini" with their defaults, and the grid looks that the
// file sets directly on the catalogue grid.
//
// Every key name and default stands in the tables of IniSetup.cpp; the
// settings dialog reads and writes through the same functions, so the
// window and the dialog never disagree on a key.
#pragma once

#include "platform/rtl/IniFiles.h"
#include "platform/vcl/Graphics.h"

class TExStringGrid;

// The settings record, fields in the order of the settings file's tables.
struct TIniSetup {
  bool PosterAutoSize = true;      // 일반 / 포스터크기자동조정
  bool MakeBackupFile = true;      // 일반 / 백업파일만들기
  bool UseAutoSave = false;        // 일반 / 백업폴더만들기
  bool SplitStatistics = true;     // 일반 / 통계시나눔
  bool CheckNewVersion = true;     // 일반 / 새버젼확인
  bool OpenDBAtStart = false;      // 일반 / 시작시DB열기
  AnsiString DBFile;               // 일반 / DB파일
  bool ShowSimilarTitles = true;   // 영화정보 / 비슷한제목출력
  Byte PosterRenameMode = 2;       // 일반 / 포스터이름변경: 0 title, 1 row number, 2 keep
  Byte WebSearchSite = 0;          // 웹 / 검색값
  Byte SendMovieInfo = 2;          // 웹 / 영화정보보냄
  Byte CheckWebInfo = 2;           // 웹 / 웹정보확인
  bool AddUnlistedValues = true;   // 자동입력목록 / 목록에없는값추가
  bool ColorRows = true;           // 목록 / 색상구분
  TColor LentTextColor = clBlack;        // 목록색상 / 대여글자
  TColor LentBackColor = 0x00DAABE0;     // 목록색상 / 대여바탕
  TColor WatchedTextColor = clBlack;     // 목록색상 / 시청글자
  TColor WatchedBackColor = 0x0097CE93;  // 목록색상 / 시청바탕
};

// The keys the file applies to the catalogue grid rather than to the record.
// Their defaults are the grid's own current looks.
struct TIniGridLook {
  bool HintShowLargeText = true;  // 목록 / 긴이름힌트표시
  TColor FontColor = clWindowText;       // 목록색상 / 기본글자
  TColor Color = clWindow;               // 목록색상 / 기본바탕
  TColor SelectionTextColor = clBlack;   // 목록색상 / 선택글자
  TColor SelectionColor = 0xEACAB6;      // 목록색상 / 선택바탕
  TColor GroupTextColor = clBlack;       // 목록색상 / 그룹글자
  TColor GroupColor = clNone;            // 목록색상 / 그룹바탕
  TColor GridLineColor = clSilver;       // 목록색상 / 목록선
};

// ---- section and key names (code page 949), one place for the window and the dialog
namespace IniKey {
extern const AnsiString General;       // 일반
extern const AnsiString MovieInfo;     // 영화정보
extern const AnsiString Web;           // 웹
extern const AnsiString AutoList;      // 자동입력목록
extern const AnsiString List;          // 목록
extern const AnsiString ListColors;    // 목록색상

extern const AnsiString PosterAutoSize, MakeBackupFile, UseAutoSave, SplitStatistics,
    CheckNewVersion, OpenDBAtStart, DBFile, ShowSimilarTitles, PosterRenameMode, WebSearchSite,
    SendMovieInfo, CheckWebInfo, AddUnlistedValues, ColorRows, LentText, LentBack, WatchedText,
    WatchedBack, HintShowLargeText, BaseText, BaseBack, SelectText, SelectBack, GroupText,
    GroupBack, GridLine;
}  // namespace IniKey

// "Vidrena.ini" in the application folder (appDir with or without its "/").
AnsiString IniSetupFileName(const AnsiString& appDir);

// A colour key: a colour name in any letter case ("ClBlack") or "$00BBGGRR".
// Text that is no colour gives def: a hand-edited file never stops the
// program from starting.
TColor ReadColorKey(TCustomIniFile& ini, const AnsiString& section, const AnsiString& key, TColor def);
// The colour's text as the file keeps it: its name ("clBlack") or "$00BBGGRR".
AnsiString ColorKeyText(TColor color);

// Every key of the record; a missing key, or a value that does not read,
// gives that key's default. A byte keeps the low 8 bits of the number.
TIniSetup ReadIniSetup(TCustomIniFile& ini);
// The grid-look keys with current as the defaults.
TIniGridLook ReadIniGridLook(TCustomIniFile& ini, const TIniGridLook& current);

// The looks a grid has now, and putting looks on a grid.
TIniGridLook GridLookOf(TExStringGrid& grid);
void ApplyGridLook(TExStringGrid& grid, const TIniGridLook& look);

// Reads the settings file into setup and applies the grid keys to grid:
// the seven colours only when ColorRows is set (otherwise the grid keeps
// its designed colours). Returns the looks read, HintShowLargeText included,
// for the window to hand to its other grids. A missing file gives defaults.
TIniGridLook LoadIniSetup(const AnsiString& iniFileName, TIniSetup& setup, TExStringGrid& grid);

// Writes every key of the record and the looks (all keys always together),
// through a temporary file renamed into place: a crash mid-write leaves the
// old file whole. The folder is created when missing. EIniFileException when
// the file cannot be written.
void SaveIniSetup(const AnsiString& iniFileName, const TIniSetup& setup, const TIniGridLook& look);
void WriteIniSetup(TCustomIniFile& ini, const TIniSetup& setup, const TIniGridLook& look);
