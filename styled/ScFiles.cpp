#include "styled/ScFiles.h"

#include <cerrno>

#include "platform/rtl/Classes.h"

void ScSaveFileSafely(const AnsiString& fileName, std::string_view bytes) {
  const AnsiString temp = fileName + ".tmp~";
  try {
    {
      TFileStream stream(temp, fmCreate);
      stream.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
    }
    if (!ReplaceFile(temp, fileName)) throw EFCreateError(Format("Cannot create file \"%s\". %s", {fileName, SysErrorMessage(errno)}));
  } catch (const EFCreateError& e) {
    DeleteFile(temp);
    AnsiString message = e.Message();
    // The user knows the list by its own name, not by the temporary one.
    if (auto at = message.find(temp); at != AnsiString::npos) message.replace(at, temp.size(), fileName);
    throw EFCreateError(message);
  } catch (...) {
    DeleteFile(temp);
    throw;
  }
}

AnsiString ScLoadFileBytes(const AnsiString& fileName) {
  TFileStream stream(fileName, fmOpenRead);
  AnsiString bytes(static_cast<std::size_t>(stream.Size()), '\0');
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  return bytes;
}
